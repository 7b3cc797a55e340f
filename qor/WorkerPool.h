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
  using ThreadStarter = std::function<bool(std::function<void()> body)>;

  static WorkerPool& Instance();
  // startThread: how a worker thread is made (a seam for tests); empty means a library thread.
  WorkerPool(size_t maxThreads, unsigned idleMs, ThreadStarter startThread = nullptr);
  // Waits for every worker to leave: a worker waiting for work holds this pool, and one
  // left behind would take the tasks of whatever object is later made at its address.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Queues run for a worker. When no worker exists and none can be made, every task still
  // waiting (this one included) is taken back and its dropped is called on this thread;
  // Post then returns false. No task is ever lost without one of the two being called.
  bool Post(std::function<void()> run, std::function<void()> dropped);

 private:
  struct Task {
    std::function<void()> run;
    std::function<void()> dropped;
  };
  void WorkerLoop();

  const size_t mMaxThreads;
  const unsigned mIdleMs;
  const ThreadStarter mStartThread;
  std::mutex mLock;
  std::condition_variable mWake;
  std::deque<Task> mTasks;
  size_t mThreads = 0;  // running or being started
  size_t mIdle = 0;
  bool mClosing = false;
  std::condition_variable mLastWorkerLeft;
};

}  // namespace qor
