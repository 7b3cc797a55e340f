// Handle values, waiting on a job from its own handler, and the power-state cache.
#include <gtest/gtest.h>

#include <thread>

#include "qor/FoundItem.h"
#include "qor/HandleTable.h"
#include "qor/Job.h"
#include "qor/JobRunner.h"
#include "qor/PowerStateCache.h"
#include "qor/Properties.h"

using namespace qor;

TEST(QorHandleTable, NeverReusesAValueAndAWrapSkipsZeroAndValuesInUse) {
  HandleTable& table = HandleTable::Instance();
  const auto item = [] { return std::make_shared<FoundItem>("[ds] a/a.vmx"); };
  // Values are not reused, and a wrap skips zero and the values still in use.
  QorHandle first = table.Add(item());
  table.Release(first);
  QorHandle second = table.Add(item());
  EXPECT_GT(second, first);

  table.SetNextValueForTest(0xFFFFFFFFu);
  QorHandle last = table.Add(item());
  EXPECT_EQ(last, 0xFFFFFFFFu);
  table.SetNextValueForTest(second);  // wrap onto a value still in use
  QorHandle afterWrap = table.Add(item());
  EXPECT_NE(afterWrap, 0u);
  EXPECT_NE(afterWrap, second);
  for (QorHandle h : {second, last, afterWrap}) table.Release(h);
  table.SetNextValueForTest(0x10000000u);
}

TEST(QorJobs, WaitingInsideTheJobsOwnHandlerFailsInsteadOfHanging) {
  struct Seen {
    QorError waitResult = 0;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  } seen;
  auto handler = [](QorHandle job, int type, QorHandle, void* context) {
    Seen* s = static_cast<Seen*>(context);
    if (type != QOR_EVENT_FIND_ITEM) return;
    std::shared_ptr<Job> self;
    HandleTable::Instance().Lookup(job, &self);
    s->waitResult = self->WaitUntilFinished();
    SetEvent(s->done);
  };
  QorHandle job = StartJob("test", handler, &seen, [](JobEvents& events) {
    events.ReportFoundItem(std::make_shared<FoundItem>("one"));
    return JobOutcome{};
  });
  ASSERT_EQ(WaitForSingleObject(seen.done, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(seen.waitResult, QOR_E_JOB_NOT_FINISHED);
  std::shared_ptr<Job> self;
  ASSERT_EQ(HandleTable::Instance().Lookup(job, &self), QOR_OK);
  EXPECT_EQ(self->WaitUntilFinished(), QOR_OK);  // from another thread it waits
  HandleTable::Instance().Release(job);
  CloseHandle(seen.done);
}

TEST(QorPowerStateCache, EventsRuleWhileLiveAndAnswersFillTheGaps) {
  PowerStateCache cache;
  int32_t state = 0;
  cache.ApplyAnswer("vm-1", QOR_POWERSTATE_POWERED_ON);
  EXPECT_FALSE(cache.GetCurrent("vm-1", &state));  // not live: may be stale
  cache.SetLive(true);
  ASSERT_TRUE(cache.GetCurrent("vm-1", &state));
  EXPECT_EQ(state, QOR_POWERSTATE_POWERED_ON);
  EXPECT_TRUE(cache.ApplyEvent("vm-1", QOR_POWERSTATE_POWERING_OFF));
  EXPECT_FALSE(cache.ApplyEvent("vm-1", QOR_POWERSTATE_POWERING_OFF));
  cache.ApplyAnswer("vm-1", QOR_POWERSTATE_POWERED_ON);  // older than the event: ignored
  ASSERT_TRUE(cache.GetCurrent("vm-1", &state));
  EXPECT_EQ(state, QOR_POWERSTATE_POWERING_OFF);
  cache.ApplyAnswer("vm-2", QOR_POWERSTATE_SUSPENDED);  // unknown to the stream: taken
  ASSERT_TRUE(cache.GetCurrent("vm-2", &state));
  EXPECT_EQ(state, QOR_POWERSTATE_SUSPENDED);
  EXPECT_FALSE(cache.GetCurrent("vm-3", &state));
}
