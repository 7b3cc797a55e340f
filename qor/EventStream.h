// The event long poll of one host. A thread polls the server's "events" operation while
// at least one VM of the host is subscribed; it keeps the power-state cache current and
// calls the handlers of subscribed VMs whose state changed. Stop ends it for good
// (disconnect): no handler call starts afterwards, and the thread leaves after the poll
// in progress.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <condition_variable>

#include "qor/PowerStateCache.h"
#include "qor/Session.h"
#include "qor/SubscriptionList.h"

namespace qor {

class EventStream : public std::enable_shared_from_this<EventStream> {
 public:
  explicit EventStream(std::shared_ptr<Session> session);

  QorError Subscribe(QorHandle vm, const std::string& moid, QorEventProc callback, void* clientData);
  QorError Cancel(QorHandle vm, QorEventProc callback, void* clientData);
  void CancelAll(QorHandle vm);
  void Stop();
  // A VM listing (its states already in the cache) was current at this sequence number:
  // a stream that is not running starts from there instead of catching up on history.
  void AdoptListing(uint64_t seq);

  PowerStateCache& PowerStates() { return mPowerStates; }
  // True while the poll thread runs (something is subscribed), even between failed polls.
  bool IsRunning();

 private:
  void EnsureThread(std::unique_lock<std::mutex>& hold);
  void Run();
  // One poll; false when the thread should end.
  bool PollOnce(uint64_t since);
  bool Resync();

  std::shared_ptr<Session> mSession;
  PowerStateCache mPowerStates;
  SubscriptionList mSubscriptions;
  std::mutex mLock;
  std::condition_variable mWake;  // cuts the pause after a failed poll short on Stop
  bool mStopped = false;
  bool mThreadRunning = false;
  uint64_t mSeq = 0;              // newest event sequence number seen
};

}  // namespace qor
