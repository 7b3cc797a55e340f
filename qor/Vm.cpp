#include "qor/Vm.h"

#include "qor/Properties.h"
#include "qor/Timeouts.h"
#include "qor/Trace.h"

namespace qor {

Vm::Vm(std::shared_ptr<HostConnection> connection, std::string path, std::string moid)
    : mConnection(std::move(connection)), mPath(std::move(path)), mMoid(std::move(moid)) {}

QorError Vm::CheckProperty(int id) const {
  return id == QOR_PROPERTY_VM_POWER_STATE || id == QOR_PROPERTY_VM_MOID ? QOR_OK : QOR_E_UNSUPPORTED_PROPERTY;
}

QorError Vm::ReadProperty(int id, void* out) {
  if (id == QOR_PROPERTY_VM_MOID) {
    char* copy = DuplicateString(mMoid);
    if (!copy) return QOR_E_OUT_OF_MEMORY;
    *static_cast<char**>(out) = copy;
    return QOR_OK;
  }
  if (id == QOR_PROPERTY_VM_POWER_STATE) return ReadPowerState(static_cast<int32_t*>(out));
  return QOR_E_UNSUPPORTED_PROPERTY;
}

QorError Vm::ReadPowerState(int32_t* state) {
  Session& session = mConnection->GetSession();
  QorError sessionState = session.State();
  if (sessionState != QOR_OK) return sessionState;
  EventStream& events = mConnection->Events();
  PowerStateCache& cache = events.PowerStates();
  if (cache.GetCurrent(mMoid, state)) return QOR_OK;
  // While the stream is retrying after a failed poll, the last known state is the best
  // answer: the caller (a UI thread polling) must not wait for an unreachable server.
  if (events.IsRunning() && cache.GetLastKnown(mMoid, state)) return QOR_OK;

  // Nothing subscribed on this host, so nothing keeps the state current: ask the server.
  SdkReply reply = session.Call("getVm", {{"moid", mMoid}}, CurrentTimeouts().requestMs);
  if (reply.error != QOR_OK) return reply.error;
  auto power = reply.result.find("powerState");
  if (power == reply.result.end() || !power->is_number_integer()) {
    Trace("Vm::ReadPowerState: the getVm answer for '%s' has no power state", mMoid.c_str());
    return QOR_E_NOT_A_SERVER;
  }
  *state = power->get<int32_t>();
  cache.ApplyAnswer(mMoid, *state);
  return QOR_OK;
}

void Vm::OnHandleFreed(QorHandle handle) {
  // A freed handle can no longer be cancelled by its owner: end its subscriptions here,
  // with the same promise as Qor_CancelEventSubscription.
  mConnection->Events().CancelAll(handle);
}

}  // namespace qor
