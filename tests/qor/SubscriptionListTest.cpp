// The cancellation promise of event subscriptions, with real threads.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "qor/SubscriptionList.h"

using namespace qor;

namespace {

struct Probe {
  std::atomic<int> calls{0};
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, TRUE, nullptr);  // handlers run through unless reset
  ~Probe() {
    CloseHandle(entered);
    CloseHandle(release);
  }
};

void CountingHandler(QorHandle, int type, QorHandle, void* context) {
  Probe* probe = static_cast<Probe*>(context);
  EXPECT_EQ(type, QOR_EVENT_VM_STATE_CHANGED);
  ++probe->calls;
  SetEvent(probe->entered);
  WaitForSingleObject(probe->release, INFINITE);
}

}  // namespace

TEST(QorSubscriptionList, AddsOnceRemovesOnlyWhatExistsAndNotifiesOnlyTheChangedVmsUntilClosed) {
  SubscriptionList list;
  Probe one, other, two;
  EXPECT_TRUE(list.Add(1, "vm-1", CountingHandler, &one));
  EXPECT_FALSE(list.Add(1, "vm-1", CountingHandler, &one));
  EXPECT_TRUE(list.Add(1, "vm-1", CountingHandler, &other));  // another context is another subscription
  EXPECT_TRUE(list.Add(2, "vm-2", CountingHandler, &two));
  list.Notify({"vm-2", "vm-9"});
  EXPECT_EQ(one.calls, 0);
  EXPECT_EQ(two.calls, 1);
  EXPECT_FALSE(list.Remove(2, CountingHandler, &one));
  EXPECT_TRUE(list.Remove(1, CountingHandler, &one));
  EXPECT_FALSE(list.Remove(1, CountingHandler, &one));
  list.Notify({"vm-1"});
  EXPECT_EQ(one.calls, 0);
  EXPECT_EQ(other.calls, 1);
  list.RemoveAll(1);
  EXPECT_FALSE(list.IsSubscribed("vm-1"));
  EXPECT_TRUE(list.IsSubscribed("vm-2"));
  list.Close();
  list.Notify({"vm-2"});
  EXPECT_EQ(two.calls, 1);
}

TEST(QorSubscriptionList, RemoveWaitsForACallInProgressOnAnotherThread) {
  SubscriptionList list;
  Probe probe;
  ResetEvent(probe.release);
  list.Add(1, "vm-1", CountingHandler, &probe);
  std::thread notifier([&] { list.Notify({"vm-1"}); });
  ASSERT_EQ(WaitForSingleObject(probe.entered, 10000), WAIT_OBJECT_0);
  std::atomic<bool> removed{false};
  std::thread remover([&] {
    list.Remove(1, CountingHandler, &probe);
    removed = true;
  });
  Sleep(200);
  EXPECT_FALSE(removed);  // the handler is still running
  SetEvent(probe.release);
  remover.join();
  notifier.join();
  EXPECT_TRUE(removed);
}
