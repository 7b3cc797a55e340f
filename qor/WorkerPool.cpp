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

WorkerPool::WorkerPool(size_t maxThreads, unsigned idleMs) : mMaxThreads(maxThreads), mIdleMs(idleMs) {}

bool WorkerPool::Post(std::function<void()> task) {
  std::unique_lock<std::mutex> hold(mLock);
  mTasks.push_back(std::move(task));
  if (mIdle >= mTasks.size() || mThreads >= mMaxThreads) {
    mWake.notify_one();
    return true;
  }
  ++mThreads;
  hold.unlock();
  if (StartLibraryThread([this] { WorkerLoop(); })) return true;
  hold.lock();
  --mThreads;
  if (mThreads > 0) return true;  // a running worker will take it
  mTasks.pop_back();
  Trace("WorkerPool: no worker thread could be started");
  return false;
}

void WorkerPool::WorkerLoop() {
  std::unique_lock<std::mutex> hold(mLock);
  for (;;) {
    if (mTasks.empty()) {
      ++mIdle;
      bool woken = mWake.wait_for(hold, std::chrono::milliseconds(mIdleMs), [this] { return !mTasks.empty(); });
      --mIdle;
      if (!woken) {
        --mThreads;
        return;
      }
    }
    std::function<void()> task = std::move(mTasks.front());
    mTasks.pop_front();
    hold.unlock();
    try {
      task();
    } catch (...) {
      Trace("WorkerPool: a task ended with an exception");
    }
    task = nullptr;  // drop what it holds before waiting again
    hold.lock();
  }
}

}  // namespace qor
