#include "qor/WorkerPool.h"

#include <chrono>

#include "qor/LibraryThread.h"
#include "qor/Trace.h"

namespace qor {

WorkerPool& WorkerPool::Instance() {
  // Never destroyed: workers may still be finishing when the process ends.
  static WorkerPool* pool = new WorkerPool(32, 10000);
  return *pool;
}

WorkerPool::WorkerPool(size_t maxThreads, unsigned idleMs, ThreadStarter startThread)
    : mMaxThreads(maxThreads),
      mIdleMs(idleMs),
      mStartThread(startThread ? std::move(startThread) : ThreadStarter(&StartLibraryThread)) {}

WorkerPool::~WorkerPool() {
  std::unique_lock<std::mutex> hold(mLock);
  mClosing = true;
  mWake.notify_all();
  mLastWorkerLeft.wait(hold, [this] { return mThreads == 0; });
  // What no worker took is handed back, as when no worker can be made.
  std::deque<Task> stranded;
  stranded.swap(mTasks);
  hold.unlock();
  for (Task& task : stranded) {
    if (task.dropped) task.dropped();
  }
}

bool WorkerPool::Post(std::function<void()> run, std::function<void()> dropped) {
  std::unique_lock<std::mutex> hold(mLock);
  mTasks.push_back(Task{std::move(run), std::move(dropped)});
  if (mIdle >= mTasks.size() || mThreads >= mMaxThreads) {
    mWake.notify_one();
    return true;
  }
  ++mThreads;
  hold.unlock();
  if (mStartThread([this] { WorkerLoop(); })) return true;
  hold.lock();
  --mThreads;
  if (mThreads == 0) mLastWorkerLeft.notify_all();
  if (mThreads > 0) return true;  // a worker, or a start still under way, will take it
  // No worker is left to run what waits, ours or a concurrent caller's whose start
  // counted on ours: hand all of it back.
  std::deque<Task> stranded;
  stranded.swap(mTasks);
  hold.unlock();
  Trace("WorkerPool: no worker thread could be started; %u task(s) dropped", static_cast<unsigned>(stranded.size()));
  for (Task& task : stranded) {
    if (task.dropped) task.dropped();
  }
  return false;
}

void WorkerPool::WorkerLoop() {
  std::unique_lock<std::mutex> hold(mLock);
  for (;;) {
    if (mTasks.empty()) {
      ++mIdle;
      bool woken = mWake.wait_for(hold, std::chrono::milliseconds(mIdleMs),
                                  [this] { return !mTasks.empty() || mClosing; });
      --mIdle;
      if (!woken || mTasks.empty()) {
        if (--mThreads == 0) mLastWorkerLeft.notify_all();
        return;
      }
    }
    Task task = std::move(mTasks.front());
    mTasks.pop_front();
    hold.unlock();
    try {
      task.run();
    } catch (...) {
      Trace("WorkerPool: a task ended with an exception");
    }
    task = Task{};  // drop what it holds before waiting again
    hold.lock();
  }
}

}  // namespace qor
