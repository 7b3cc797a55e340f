// A job when no worker thread can be made.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "qor/HandleTable.h"
#include "qor/Job.h"
#include "qor/JobRunner.h"
#include "qor/WorkerPool.h"

using namespace qor;

namespace {

struct Completion {
  std::atomic<int> events{0};
  QorError jobError = QOR_OK;
};

void RecordCompletion(QorHandle job, int eventType, QorHandle, void* clientData) {
  auto* seen = static_cast<Completion*>(clientData);
  if (eventType != QOR_EVENT_JOB_COMPLETED) return;
  std::shared_ptr<Job> object;
  if (HandleTable::Instance().Lookup(job, &object) == QOR_OK) object->ReadProperty(QOR_PROPERTY_JOB_ERROR, &seen->jobError);
  HandleTable::Instance().Release(job);
  ++seen->events;
}

}  // namespace

TEST(QorJobRunner, AJobNoThreadCanRunStillEndsWithEvent2AndAnError) {
  WorkerPool pool(4, 50, [](std::function<void()>) { return false; });
  Completion seen;
  bool workRan = false;
  QorHandle job = StartJob(pool, "Test", &RecordCompletion, &seen, [&](JobEvents&) {
    workRan = true;
    return JobOutcome{};
  });
  ASSERT_NE(job, 0u);
  EXPECT_EQ(seen.events.load(), 1);
  EXPECT_EQ(seen.jobError, QOR_E_OUT_OF_MEMORY);
  EXPECT_FALSE(workRan);
}
