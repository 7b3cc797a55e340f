#pragma once
// Counts the requests of one server from their handler (their body is in) to the end
// of their answer, so that shutdown can let released requests finish writing before
// it closes the connections.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sim {

class InFlightRequests {
 public:
  // Called on the server thread that handles the request.
  void Begin();
  // Ends the request begun on this thread; does nothing when none was begun there
  // (requests that the HTTP library answered itself).
  void End();
  // True when none is left within the timeout.
  bool WaitUntilNone(std::chrono::milliseconds timeout);

 private:
  std::mutex mMutex;
  std::condition_variable mIdle;
  int mCount = 0;
};

}  // namespace sim
