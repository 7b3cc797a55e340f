// The threads that run jobs. Threads are made on demand up to a limit and end after a
// while without work, so an idle library holds no threads.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace qor {

class WorkerPool {
 public:
  static WorkerPool& Instance();
  WorkerPool(size_t maxThreads, unsigned idleMs);

  // False when the task could not be queued (no thread could be made and none exists).
  bool Post(std::function<void()> task);

 private:
  void WorkerLoop();

  const size_t mMaxThreads;
  const unsigned mIdleMs;
  std::mutex mLock;
  std::condition_variable mWake;
  std::deque<std::function<void()>> mTasks;
  size_t mThreads = 0;
  size_t mIdle = 0;
};

}  // namespace qor
