#include "qor/EventStream.h"

#include <chrono>
#include <set>

#include "qor/LibraryThread.h"
#include "qor/Timeouts.h"
#include "qor/Trace.h"

namespace qor {

EventStream::EventStream(std::shared_ptr<Session> session) : mSession(std::move(session)) {}

QorError EventStream::Subscribe(QorHandle vm, const std::string& moid, QorEventProc callback, void* clientData) {
  std::unique_lock<std::mutex> hold(mLock);
  if (mStopped) return QOR_E_NOT_CONNECTED;
  QorError state = mSession->State();
  if (state != QOR_OK) return state;
  if (!mSubscriptions.Add(vm, moid, callback, clientData)) {
    Trace("Qor_SubscribeToEvents: VM handle %u already has this handler and context; kept once", vm);
  }
  EnsureThread(hold);
  return QOR_OK;
}

QorError EventStream::Cancel(QorHandle vm, QorEventProc callback, void* clientData) {
  if (!mSubscriptions.Remove(vm, callback, clientData)) {
    Trace("Qor_CancelEventSubscription: VM handle %u has no such subscription", vm);
    return QOR_E_INVALID_ARG;
  }
  return QOR_OK;
}

void EventStream::CancelAll(QorHandle vm) { mSubscriptions.RemoveAll(vm); }

void EventStream::Stop() {
  {
    std::lock_guard<std::mutex> hold(mLock);
    mStopped = true;
  }
  mSubscriptions.Close();
  mPowerStates.SetLive(false);
  mWake.notify_all();
}

bool EventStream::IsRunning() {
  std::lock_guard<std::mutex> hold(mLock);
  return mThreadRunning && !mStopped;
}

void EventStream::AdoptListing(uint64_t seq) {
  std::lock_guard<std::mutex> hold(mLock);
  if (!mThreadRunning && !mStopped && seq > mSeq) mSeq = seq;
}

void EventStream::EnsureThread(std::unique_lock<std::mutex>& hold) {
  if (mThreadRunning) return;  // a finishing thread sees the new subscription and goes on
  mThreadRunning = true;
  std::shared_ptr<EventStream> self = shared_from_this();
  hold.unlock();
  bool started = StartLibraryThread([self] { self->Run(); });
  hold.lock();
  if (!started) {
    mThreadRunning = false;
    Trace("EventStream: no event thread for '%s'; state changes will not be reported",
          mSession->HostName().c_str());
  }
}

void EventStream::Run() {
  const Timeouts& limits = CurrentTimeouts();
  for (;;) {
    uint64_t since;
    {
      std::lock_guard<std::mutex> hold(mLock);
      if (mStopped || mSubscriptions.IsEmpty()) {
        mThreadRunning = false;
        mPowerStates.SetLive(false);
        return;
      }
      since = mSeq;
    }
    if (PollOnce(since)) continue;
    mPowerStates.SetLive(false);
    if (mSession->State() != QOR_OK) {
      std::lock_guard<std::mutex> hold(mLock);
      mThreadRunning = false;
      return;
    }
    std::unique_lock<std::mutex> hold(mLock);
    mWake.wait_for(hold, std::chrono::milliseconds(limits.retryMs), [this] { return mStopped; });
  }
}

bool EventStream::PollOnce(uint64_t since) {
  const Timeouts& limits = CurrentTimeouts();
  nlohmann::json arguments = {{"since", since}, {"waitMs", limits.eventWaitMs}};
  SdkReply reply = mSession->Call("events", arguments, limits.eventWaitMs + limits.eventMarginMs);
  if (reply.error != QOR_OK) return false;  // CallSdk has logged it

  auto seq = reply.result.find("seq");
  auto changes = reply.result.find("changes");
  if (seq == reply.result.end() || !seq->is_number_unsigned() || changes == reply.result.end() ||
      !changes->is_array()) {
    Trace("EventStream: malformed events answer from '%s'", mSession->HostName().c_str());
    return false;
  }
  auto resync = reply.result.find("resync");
  if (resync != reply.result.end() && resync->is_boolean() && resync->get<bool>()) return Resync();

  std::set<std::string> changed;
  for (const nlohmann::json& change : *changes) {
    auto moid = change.find("moid");
    auto state = change.find("powerState");
    if (!change.is_object() || moid == change.end() || !moid->is_string() || state == change.end() ||
        !state->is_number_integer()) {
      Trace("EventStream: skipping a malformed change from '%s'", mSession->HostName().c_str());
      continue;
    }
    if (mPowerStates.ApplyEvent(moid->get<std::string>(), state->get<int32_t>())) {
      changed.insert(moid->get<std::string>());
    }
  }
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (mStopped) return true;  // the loop ends on its next turn
    mSeq = seq->get<uint64_t>();
  }
  mPowerStates.SetLive(true);
  if (!changed.empty()) mSubscriptions.Notify(changed);
  return true;
}

bool EventStream::Resync() {
  // Changes were dropped on the server (or it restarted): take every VM's state from the
  // list and continue after the list's sequence number.
  Trace("EventStream: '%s' asks for a resync; reading the VM list", mSession->HostName().c_str());
  SdkReply reply = mSession->Call("listVms", nlohmann::json::object(), CurrentTimeouts().requestMs);
  if (reply.error != QOR_OK) return false;
  auto seq = reply.result.find("seq");
  auto vms = reply.result.find("vms");
  if (seq == reply.result.end() || !seq->is_number_unsigned() || vms == reply.result.end() || !vms->is_array()) {
    Trace("EventStream: malformed listVms answer from '%s' during a resync", mSession->HostName().c_str());
    return false;
  }
  std::set<std::string> changed;
  for (const nlohmann::json& vm : *vms) {
    auto moid = vm.is_object() ? vm.find("moid") : vm.end();
    auto state = vm.is_object() ? vm.find("powerState") : vm.end();
    if (!vm.is_object() || moid == vm.end() || !moid->is_string() || state == vm.end() ||
        !state->is_number_integer()) {
      continue;
    }
    if (mPowerStates.ApplyEvent(moid->get<std::string>(), state->get<int32_t>())) {
      changed.insert(moid->get<std::string>());
    }
  }
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (mStopped) return true;
    mSeq = seq->get<uint64_t>();
  }
  mPowerStates.SetLive(true);
  if (!changed.empty()) mSubscriptions.Notify(changed);
  return true;
}

}  // namespace qor
