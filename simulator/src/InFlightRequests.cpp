#include "simulator/src/InFlightRequests.h"

namespace sim {
namespace {

// Which tracker, if any, counted the request running on this thread.
thread_local InFlightRequests* tCountedBy = nullptr;

}  // namespace

void InFlightRequests::Begin() {
  if (tCountedBy == this) return;
  if (tCountedBy) tCountedBy->End();
  std::lock_guard<std::mutex> lock(mMutex);
  ++mCount;
  tCountedBy = this;
}

void InFlightRequests::End() {
  if (tCountedBy != this) return;
  tCountedBy = nullptr;
  std::lock_guard<std::mutex> lock(mMutex);
  if (--mCount == 0) mIdle.notify_all();
}

bool InFlightRequests::WaitUntilNone(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mMutex);
  return mIdle.wait_for(lock, timeout, [&] { return mCount == 0; });
}

}  // namespace sim
