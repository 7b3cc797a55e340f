#include "qor/Operations.h"

#include <memory>

#include "qor/FoundItem.h"
#include "qor/HandleTable.h"
#include "qor/Host.h"
#include "qor/ServiceUrl.h"
#include "qor/Timeouts.h"
#include "qor/Trace.h"
#include "qor/Vm.h"
#include "qor/Wipe.h"

namespace qor {
namespace {

std::string CopyOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

JobOutcome Failed(QorError error) { return JobOutcome{error, 0}; }

// The host's connection, or why there is none.
QorError UsableHost(QorHandle handle, std::shared_ptr<HostConnection>* connection) {
  std::shared_ptr<Host> host;
  QorError error = HandleTable::Instance().Lookup(handle, &host);
  if (error != QOR_OK) return error;
  error = host->Connection()->GetSession().State();
  if (error != QOR_OK) return error;
  *connection = host->Connection();
  return QOR_OK;
}

const char* ActionName(PowerAction action) {
  switch (action) {
    case PowerAction::On: return "on";
    case PowerAction::Off: return "off";
    case PowerAction::Suspend: return "suspend";
    case PowerAction::Reset: return "reset";
  }
  return "?";
}

}  // namespace

JobWork ConnectWork(int apiVersion, int hostType, const char* serviceUrl, int port, const char* userName,
                    const char* password) {
  std::string url = CopyOrEmpty(serviceUrl);
  bool urlGiven = serviceUrl != nullptr;
  std::string user = CopyOrEmpty(userName);
  auto secret = std::make_shared<std::string>(CopyOrEmpty(password));
  return [=](JobEvents&) -> JobOutcome {
    struct WipeOnExit {
      std::shared_ptr<std::string> text;
      ~WipeOnExit() { WipeString(*text); }
    } wipe{secret};
    if (apiVersion != QOR_API_VERSION) {
      Trace("QorHost_Connect: API version %d is not supported", apiVersion);
      return Failed(QOR_E_PROTOCOL_VERSION);
    }
    if (hostType != QOR_HOST_TYPE_SERVER) {
      Trace("QorHost_Connect: host type %d is not supported", hostType);
      return Failed(QOR_E_INVALID_ARG);
    }
    Endpoint endpoint;
    QorError error = ParseServiceUrl(urlGiven ? url.c_str() : nullptr, port, &endpoint);
    if (error != QOR_OK) {
      Trace("QorHost_Connect: service URL '%s' with port %d refused: %llu", url.c_str(), port,
            static_cast<unsigned long long>(error));
      return Failed(error);
    }
    std::shared_ptr<Session> session;
    error = Session::Open(endpoint, user, *secret, &session);
    if (error != QOR_OK) return Failed(error);
    auto host = std::make_shared<Host>(std::make_shared<HostConnection>(session));
    QorHandle handle = HandleTable::Instance().Add(host);
    if (!handle) return Failed(QOR_E_OUT_OF_MEMORY);
    return JobOutcome{QOR_OK, handle};
  };
}

JobWork FindItemsWork(QorHandle host, int searchType, int32_t timeoutMs) {
  return [=](JobEvents& events) -> JobOutcome {
    std::shared_ptr<HostConnection> connection;
    QorError error = UsableHost(host, &connection);
    if (error != QOR_OK) return Failed(error);
    if (searchType != QOR_FIND_RUNNING_VMS) {
      Trace("QorHost_FindItems: search type %d is not supported", searchType);
      return Failed(QOR_E_INVALID_ARG);
    }
    uint32_t limit = CurrentTimeouts().requestMs;
    if (timeoutMs > 0 && static_cast<uint32_t>(timeoutMs) < limit) limit = static_cast<uint32_t>(timeoutMs);
    SdkReply reply = connection->GetSession().Call("listVms", nlohmann::json::object(), limit);
    if (reply.error != QOR_OK) return Failed(reply.error);
    auto vms = reply.result.find("vms");
    if (vms == reply.result.end() || !vms->is_array()) {
      Trace("QorHost_FindItems: the listVms answer has no VM list");
      return Failed(QOR_E_NOT_A_SERVER);
    }
    PowerStateCache& cache = connection->Events().PowerStates();
    for (const nlohmann::json& vm : *vms) {
      auto path = vm.is_object() ? vm.find("path") : vm.end();
      if (!vm.is_object() || path == vm.end() || !path->is_string()) {
        Trace("QorHost_FindItems: skipping an entry without a path");
        continue;
      }
      auto moidField = vm.find("moid");
      std::string moid;
      if (moidField != vm.end() && moidField->is_string()) moid = moidField->get<std::string>();
      if (moid.empty()) {
        Trace("QorHost_FindItems: '%s' was listed without an id; its found item has no property 278",
              path->get<std::string>().c_str());
      }
      auto power = vm.find("powerState");
      if (!moid.empty() && power != vm.end() && power->is_number_integer()) {
        cache.ApplyAnswer(moid, power->get<int32_t>());
      }
      if (!events.ReportFoundItem(std::make_shared<FoundItem>(path->get<std::string>(), moid))) {
        return Failed(QOR_E_OUT_OF_MEMORY);
      }
    }
    auto seq = reply.result.find("seq");
    if (seq != reply.result.end() && seq->is_number_unsigned()) {
      connection->Events().AdoptListing(seq->get<uint64_t>());
    }
    return JobOutcome{QOR_OK, 0};
  };
}

JobWork OpenVmWork(QorHandle host, const char* configPath) {
  std::string path = CopyOrEmpty(configPath);
  bool pathGiven = configPath != nullptr && *configPath != '\0';
  return [=](JobEvents&) -> JobOutcome {
    std::shared_ptr<HostConnection> connection;
    QorError error = UsableHost(host, &connection);
    if (error != QOR_OK) return Failed(error);
    if (!pathGiven) {
      Trace("QorHost_OpenVM: no configuration path given");
      return Failed(QOR_E_INVALID_ARG);
    }
    SdkReply reply = connection->GetSession().Call("getVm", {{"path", path}}, CurrentTimeouts().requestMs);
    if (reply.error != QOR_OK) return Failed(reply.error);
    auto moid = reply.result.find("moid");
    auto power = reply.result.find("powerState");
    if (moid == reply.result.end() || !moid->is_string() || power == reply.result.end() ||
        !power->is_number_integer()) {
      Trace("QorHost_OpenVM: the getVm answer for '%s' lacks the moid or power state", path.c_str());
      return Failed(QOR_E_NOT_A_SERVER);
    }
    connection->Events().PowerStates().ApplyAnswer(moid->get<std::string>(), power->get<int32_t>());
    auto vm = std::make_shared<Vm>(connection, path, moid->get<std::string>());
    QorHandle handle = HandleTable::Instance().Add(vm);
    if (!handle) return Failed(QOR_E_OUT_OF_MEMORY);
    return JobOutcome{QOR_OK, handle};
  };
}

JobWork PowerWork(QorHandle vmHandle, PowerAction action) {
  return [=](JobEvents&) -> JobOutcome {
    std::shared_ptr<Vm> vm;
    QorError error = HandleTable::Instance().Lookup(vmHandle, &vm);
    if (error != QOR_OK) return Failed(error);
    Session& session = vm->Connection()->GetSession();
    // The server answers once the VM has settled; the transition states add to the time.
    SdkReply reply = session.Call("power", {{"moid", vm->Moid()}, {"action", ActionName(action)}},
                                  CurrentTimeouts().requestMs);
    if (reply.error != QOR_OK) return Failed(reply.error);
    auto power = reply.result.find("powerState");
    if (power != reply.result.end() && power->is_number_integer()) {
      vm->Connection()->Events().PowerStates().ApplyAnswer(vm->Moid(), power->get<int32_t>());
    }
    return JobOutcome{QOR_OK, 0};
  };
}

}  // namespace qor
