#include "simulator/src/SdkHandler.h"

#include "simulator/src/JsonFields.h"
#include "simulator/src/RequestLog.h"

namespace sim {
namespace {

using nlohmann::json;

Reply Success(json results) {
  results["ok"] = true;
  return JsonReply(200, results);
}

Reply Failure(int code, const std::string& text) {
  return JsonReply(200, {{"ok", false}, {"error", code}, {"text", text}});
}

Reply Failure(const Status& status) { return Failure(status.code, status.text); }

Reply Malformed(const std::string& text) {
  return JsonReply(400, {{"ok", false}, {"error", kErrBadArgument}, {"text", text}});
}

Reply ShuttingDown() { return Failure(kErrSessionLost, "The server is shutting down"); }

}  // namespace

Reply SdkHandler::Handle(const std::string& body, std::string* op) {
  op->clear();
  json request = json::parse(body, nullptr, false);
  // Known before the wait, so that the log names the operation of a held request too.
  if (request.is_object())
    if (auto it = request.find("op"); it != request.end() && it->is_string()) *op = it->get<std::string>();

  if (!mControls.HoldWhileSilent()) return ShuttingDown();
  if (!mControls.ApplyLatency()) return ShuttingDown();

  if (request.is_discarded()) return Malformed("the body is not valid JSON");
  if (!request.is_object()) return Malformed("the body must be a JSON object");
  try {
    // The version comes first, so that a newer client with new operations learns why.
    int64_t version = RequireInteger(request, "v", INT64_MIN, INT64_MAX);
    if (version != 1)
      return Failure(kErrProtocolVersion, "Unsupported protocol version " + std::to_string(version) +
                                              " (this server speaks version 1)");
    return Dispatch(request, RequireString(request, "op"));
  } catch (const BadRequest& e) {
    return Malformed(e.what());
  } catch (const std::exception& e) {
    LogLine("sdk: request failed: %s", e.what());
    return JsonReply(500, {{"ok", false}, {"error", kErrBadArgument}, {"text", std::string("internal error: ") + e.what()}});
  }
}

Reply SdkHandler::Dispatch(const json& request, const std::string& op) {
  if (op != "login" && op != "logout" && op != "listVms" && op != "getVm" && op != "power" && op != "events")
    throw BadRequest("unknown op '" + LogSafe(op) + "'");
  mCounts.Add(op);
  if (op == "login") return Login(request);
  if (op == "logout") return Logout(request);

  const std::string session = RequireString(request, "session");
  if (!mSessions.IsValid(session)) return Failure(kErrSessionLost, "The session is unknown or was dropped");
  if (op == "listVms") return ListVms();
  if (op == "getVm") return GetVm(request);
  if (op == "power") return Power(request);
  return Events(request, session);
}

Reply SdkHandler::Login(const json& request) {
  const std::string user = RequireString(request, "user");
  const std::string password = RequireString(request, "password");
  if (!mSessions.CheckCredentials(user, password)) {
    LogLine("sdk: login refused for user '%s'", LogSafe(user).c_str());
    return Failure(kErrBadCredentials, "Incorrect user name or password");
  }
  if (mControls.Unlicensed())
    return Failure(kErrUnlicensed, "The host is not licensed for this API (unlicensed free hypervisor)");
  return Success({{"session", mSessions.Open()}});
}

Reply SdkHandler::Logout(const json& request) {
  mSessions.Close(RequireString(request, "session"));
  return Success(json::object());
}

Reply SdkHandler::ListVms() {
  uint64_t seq = 0;
  auto vms = mModel.List(&seq);
  json list = json::array();
  for (const auto& vm : vms) list.push_back(VmToJson(vm));
  return Success({{"vms", std::move(list)}, {"seq", seq}});
}

Reply SdkHandler::GetVm(const json& request) {
  auto moid = OptionalString(request, "moid");
  auto path = OptionalString(request, "path");
  if (!moid && !path) throw BadRequest("getVm needs 'moid' or 'path'");
  auto vm = mModel.Find(moid ? &*moid : nullptr, path ? &*path : nullptr);
  if (!vm) return Failure(kErrVmNotFound, "The VM was not found");
  return Success(VmToJson(*vm));
}

Reply SdkHandler::Power(const json& request) {
  const std::string moid = RequireString(request, "moid");
  const std::string actionText = RequireString(request, "action");
  auto action = ParsePowerAction(actionText);
  if (!action) throw BadRequest("field 'action' must be one of on, off, suspend, reset");
  auto result = mPower.Run(moid, *action);
  if (!result.status.ok()) return Failure(result.status);
  return Success({{"moid", moid}, {"powerState", result.powerState}});
}

Reply SdkHandler::Events(const json& request, const std::string& session) {
  const auto since = static_cast<uint64_t>(RequireInteger(request, "since", 0, INT64_MAX));
  const auto waitMs = RequireInteger(request, "waitMs", 0, kMaxWaitMs);
  auto batch = mModel.WaitForChanges(since, std::chrono::milliseconds(waitMs), [&] {
    return mControls.Stopping() || !mSessions.IsValid(session);
  });
  if (mControls.Stopping()) return ShuttingDown();
  if (!mSessions.IsValid(session)) return Failure(kErrSessionLost, "The session is unknown or was dropped");
  json changes = json::array();
  for (const auto& change : batch.changes) changes.push_back(ChangeToJson(change));
  json results = {{"seq", batch.seq}, {"changes", std::move(changes)}};
  if (batch.resync) results["resync"] = true;
  return Success(std::move(results));
}

}  // namespace sim
