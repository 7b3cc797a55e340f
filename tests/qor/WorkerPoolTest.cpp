// Jobs under concurrent submission and when no worker thread can be made.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "qor/HandleTable.h"
#include "qor/Job.h"
#include "qor/JobRunner.h"
#include "qor/WorkerPool.h"
#include "tests/support/Polling.h"

using namespace qor;

namespace {

// Starts real threads, but slowly (delayMs), so that submitters overlap while a start is
// under way; every failEvery-th start fails (0: never, 1: always).
WorkerPool::ThreadStarter SlowStarter(int failEvery, int delayMs) {
  auto calls = std::make_shared<std::atomic<int>>(0);
  return [calls, failEvery, delayMs](std::function<void()> body) {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    if (failEvery && ++*calls % failEvery == 0) return false;
    std::thread(std::move(body)).detach();
    return true;
  };
}

// Every task of every submitter must end exactly once, run or handed back.
void SubmitFromManyThreads(WorkerPool& pool, int submitters, int perSubmitter, std::vector<std::atomic<int>>& ends,
                           std::atomic<int>& runs) {
  std::vector<std::thread> threads;
  for (int s = 0; s < submitters; ++s) {
    threads.emplace_back([&, s] {
      for (int i = 0; i < perSubmitter; ++i) {
        std::atomic<int>* end = &ends[s * perSubmitter + i];
        pool.Post([end, &runs] { ++*end; ++runs; }, [end] { ++*end; });
      }
    });
  }
  for (std::thread& t : threads) t.join();
}

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

// When no thread can be made at all, each failing start takes a while, so several
// submitters wait on one another's starts; every waiting task is handed back once.
TEST(QorWorkerPool, NoTaskIsLostOrRunTwiceUnderConcurrentSubmission) {
  const struct {
    const char* what;
    int failEvery, delayMs, submitters, each;
  } cases[] = {
      {"every thread start succeeds", 0, 2, 16, 200},
      {"every second thread start fails", 2, 2, 16, 200},
      {"no thread can be made", 1, 20, 8, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WorkerPool pool(4, 50, SlowStarter(c.failEvery, c.delayMs));
    std::vector<std::atomic<int>> ends(c.submitters * c.each);
    std::atomic<int> runs{0};
    SubmitFromManyThreads(pool, c.submitters, c.each, ends, runs);
    auto allEnded = [&] {
      for (auto& end : ends) {
        if (end.load() == 0) return false;
      }
      return true;
    };
    ASSERT_TRUE(polling::WaitUntil(allEnded, 10000)) << "a task neither ran nor was handed back";
    for (size_t i = 0; i < ends.size(); ++i) ASSERT_EQ(ends[i].load(), 1) << "task " << i;
    if (c.failEvery == 0) EXPECT_EQ(runs.load(), c.submitters * c.each);
    if (c.failEvery == 1) EXPECT_EQ(runs.load(), 0);
  }
}

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
