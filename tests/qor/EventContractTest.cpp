// VM state events: delivery, settled states, and the cancellation promise under load.
#include <atomic>
#include <memory>
#include <thread>

#include "tests/qor/QorTestSupport.h"

namespace {

struct EventProbe {
  std::atomic<int> calls{0};
  std::atomic<bool> cancelled{false};
  std::atomic<int> callsAfterCancel{0};
  std::atomic<QorHandle> lastHandle{0};
};

void ProbeHandler(QorHandle vm, int type, QorHandle, void* context) {
  EventProbe* probe = static_cast<EventProbe*>(context);
  if (type != QOR_EVENT_VM_STATE_CHANGED) return;
  if (probe->cancelled) ++probe->callsAfterCancel;
  probe->lastHandle = vm;
  ++probe->calls;
}

class QorEventContract : public QorHostTest {
 protected:
  QorEventContract() : QorHostTest({"--vms", "6", "--power-delay-ms", "100"}) {}
  void SetUp() override {
    QorHostTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(vms.size(), 6u);
  }
  QorHandle Open(size_t index) { return QorHostTest::Open(vms[index].path); }
  bool SetPower(size_t index, int state) { return QorHostTest::SetPower(vms[index].moid, state); }
};

struct SelfCancelling {
  QorHandle vm = 0;
  std::atomic<int> calls{0};
  std::atomic<QorError> cancelResult{99};
};
void SelfCancellingHandler(QorHandle vm, int, QorHandle, void* context) {
  SelfCancelling* s = static_cast<SelfCancelling*>(context);
  ++s->calls;
  s->cancelResult = Qor().Qor_CancelEventSubscription(vm, QOR_EVENT_VM_STATE_CHANGED, SelfCancellingHandler, s);
}
}  // namespace

// A handler may cancel itself without a deadlock and is not called again while the stream
// goes on for other VMs; releasing a VM, or disconnecting its host, ends its events.
TEST_F(QorEventContract, CancellingReleasingOrDisconnectingEndsTheEvents) {
  SelfCancelling self;
  self.vm = Open(3);
  QorHandle released = Open(4);
  QorHandle kept = Open(5);
  EventProbe releasedProbe, keptProbe;
  ASSERT_EQ(Qor().Qor_SubscribeToEvents(self.vm, QOR_EVENT_VM_STATE_CHANGED, SelfCancellingHandler, &self), QOR_OK);
  ASSERT_EQ(Qor().Qor_SubscribeToEvents(released, QOR_EVENT_VM_STATE_CHANGED, ProbeHandler, &releasedProbe), QOR_OK);
  ASSERT_EQ(Qor().Qor_SubscribeToEvents(kept, QOR_EVENT_VM_STATE_CHANGED, ProbeHandler, &keptProbe), QOR_OK);
  Sleep(300);
  Qor().Qor_ReleaseHandle(released);
  releasedProbe.cancelled = true;
  for (size_t index : {3, 4, 5}) ASSERT_TRUE(SetPower(index, QOR_POWERSTATE_SUSPENDED));
  ASSERT_TRUE(polling::WaitUntil([&] { return self.calls >= 1 && keptProbe.calls >= 1; }));
  EXPECT_EQ(self.cancelResult, QOR_OK);
  EXPECT_EQ(keptProbe.lastHandle, kept) << "the handler was not given the VM it subscribed for";
  ASSERT_TRUE(SetPower(3, QOR_POWERSTATE_POWERED_OFF));
  ASSERT_TRUE(SetPower(3, QOR_POWERSTATE_POWERED_ON));
  EXPECT_TRUE(polling::WaitUntil([&] { return PowerStateOf(self.vm) == QOR_POWERSTATE_POWERED_ON; }));

  Qor().QorHost_Disconnect(host);
  keptProbe.cancelled = true;
  ASSERT_TRUE(SetPower(5, QOR_POWERSTATE_POWERED_OFF));
  Sleep(1500);  // longer than the scaled event poll
  EXPECT_EQ(self.calls, 1);
  EXPECT_EQ(releasedProbe.callsAfterCancel, 0);
  EXPECT_EQ(keptProbe.callsAfterCancel, 0);
  EXPECT_EQ(Qor().Qor_SubscribeToEvents(kept, QOR_EVENT_VM_STATE_CHANGED, ProbeHandler, &keptProbe),
            QOR_E_NOT_CONNECTED);
  Qor().Qor_ReleaseHandle(kept);
  Qor().Qor_ReleaseHandle(self.vm);
}

// While the stream retries (the server stops answering), the last known state is given
// without asking; a lost session ends the stream and the state reads 36.
TEST_F(QorEventContract, ARetryingStreamGivesTheLastKnownStateAndALostOneReads36) {
  QorHandle vm = Open(2);
  EventProbe probe;
  ASSERT_EQ(Qor().Qor_SubscribeToEvents(vm, QOR_EVENT_VM_STATE_CHANGED, ProbeHandler, &probe), QOR_OK);
  Sleep(300);
  int32_t known = PowerStateOf(vm);
  ASSERT_NE(known, -1);
  ASSERT_TRUE(sim.Admin("silent", R"({"on":true})")) << sim.LastError();
  // The poll under way is still answered; the next one fails after the scaled 1 s wait
  // plus 1 s margin.
  Sleep(5000);
  // A request to the silent server would fail with a time-out; the stream's last state
  // is the answer instead.
  EXPECT_EQ(PowerStateOf(vm), known);
  ASSERT_TRUE(sim.Admin("silent", R"({"on":false})")) << sim.LastError();

  ASSERT_TRUE(sim.Admin("dropSessions"));
  ASSERT_TRUE(SetPower(2, QOR_POWERSTATE_SUSPENDED));  // wakes the long poll, which now fails
  int32_t state = 0;
  EXPECT_TRUE(polling::WaitUntil([&] {
    return Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE) ==
           QOR_E_CONNECTION_LOST;
  }));
  Qor().Qor_CancelEventSubscription(vm, QOR_EVENT_VM_STATE_CHANGED, ProbeHandler, &probe);
  Qor().Qor_ReleaseHandle(vm);
}
