#include "simulator/src/AdminHandler.h"

#include "simulator/src/JsonFields.h"
#include "simulator/src/RequestLog.h"

namespace sim {
namespace {

using nlohmann::json;

Reply Done(json results = json::object()) {
  results["ok"] = true;
  return JsonReply(200, results);
}

Reply Refused(const std::string& text) { return JsonReply(400, {{"ok", false}, {"text", text}}); }

Reply FromStatus(const Status& status, json results = json::object()) {
  return status.ok() ? Done(std::move(results)) : Refused(status.text);
}

}  // namespace

Reply AdminHandler::Handle(const std::string& command, const std::string& body) {
  // An empty body counts as {} so that `curl -X POST .../admin/state` works.
  json request = body.empty() ? json::object() : json::parse(body, nullptr, false);
  if (request.is_discarded()) return Refused("the body is not valid JSON");
  if (!request.is_object()) return Refused("the body must be a JSON object");
  try {
    return Run(command, request);
  } catch (const BadRequest& e) {
    return Refused(e.what());
  } catch (const std::exception& e) {
    LogLine("admin: %s failed: %s", LogSafe(command).c_str(), e.what());
    return JsonReply(500, {{"ok", false}, {"text", std::string("internal error: ") + e.what()}});
  }
}

Reply AdminHandler::Run(const std::string& command, const json& body) {
  if (command == "state") return State();
  if (command == "unlicensed") {
    mControls.SetUnlicensed(RequireBool(body, "on"));
    return Done();
  }
  if (command == "latency") {
    mControls.SetLatencyMs(static_cast<int>(RequireInteger(body, "ms", 0, 600000)));
    return Done();
  }
  if (command == "dropSessions") {
    size_t dropped = mSessions.Count();
    mSessions.DropAll();
    mModel.WakeWaiters();  // waiting long polls answer 36 now rather than at their time-out
    LogLine("admin: dropped %zu sessions", dropped);
    return Done({{"dropped", dropped}});
  }
  if (command == "silent") {
    bool on = RequireBool(body, "on");
    mControls.SetSilent(on);
    LogLine("admin: silent mode %s", on ? "on" : "off");
    return Done();
  }
  if (command == "addVm") {
    const std::string name = RequireNonEmptyString(body, "name");
    auto path = OptionalString(body, "path");
    if (path && path->empty()) throw BadRequest("field 'path' must not be empty");
    auto state = OptionalPowerState(body, "powerState");
    Vm added;
    auto status = mModel.Add(name, path, state.value_or(kPoweredOff), &added);
    return FromStatus(status, {{"moid", added.moid}, {"path", added.path}});
  }
  if (command == "removeVm") return FromStatus(mModel.Remove(RequireString(body, "moid")));
  if (command == "renameVm") {
    const std::string moid = RequireString(body, "moid");
    const std::string name = RequireNonEmptyString(body, "name");
    auto path = OptionalString(body, "path");
    if (path && path->empty()) throw BadRequest("field 'path' must not be empty");
    Vm renamed;
    auto status = mModel.Rename(moid, name, path, &renamed);
    return FromStatus(status, {{"moid", moid}, {"path", renamed.path}});
  }
  if (command == "setPower") {
    const std::string moid = RequireString(body, "moid");
    return FromStatus(mModel.SetPower(moid, RequirePowerState(body, "powerState")));
  }
  if (command == "update") {
    mControls.SetUpdateAvailable(RequireBool(body, "available"));
    return Done();
  }
  if (command == "credentials") {
    std::string user = RequireNonEmptyString(body, "user");
    std::string password = RequireNonEmptyString(body, "password");
    mSessions.SetCredentials(std::move(user), std::move(password));
    LogLine("admin: credentials replaced");
    return Done();
  }
  return Refused("unknown admin command '" + LogSafe(command) + "'");
}

Reply AdminHandler::State() {
  uint64_t seq = 0;
  auto vms = mModel.List(&seq);
  json list = json::array();
  for (const auto& vm : vms) list.push_back(VmToJson(vm));
  auto controls = mControls.Get();
  json state = {{"vms", std::move(list)},
                {"sessions", mSessions.Count()},
                {"unlicensed", controls.unlicensed},
                {"latencyMs", controls.latencyMs},
                {"silent", controls.silent},
                {"updateAvailable", controls.updateAvailable},
                {"seq", seq},
                {"calls", mCounts.Snapshot()}};
  if (!mCertSha256.empty()) state["certSha256"] = mCertSha256;
  return Done(std::move(state));
}

}  // namespace sim
