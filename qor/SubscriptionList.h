// The event handlers subscribed to the VMs of one host, and the promise that goes with
// Remove: once it returns, that handler is never called again. A call in progress on
// another thread is waited for; on the handler's own thread (a handler cancelling
// itself) it returns at once, since the call ends when the handler returns. No lock is
// held while a handler runs.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "backend/QorApi.h"

namespace qor {

class SubscriptionList {
 public:
  // False when the same (vm, callback, clientData) is already subscribed.
  bool Add(QorHandle vm, const std::string& moid, QorEventProc callback, void* clientData);
  // False when no such subscription exists.
  bool Remove(QorHandle vm, QorEventProc callback, void* clientData);
  // Every subscription of a VM whose handle was freed.
  void RemoveAll(QorHandle vm);
  // After Close no handler call starts any more; subscriptions stay until removed.
  void Close();
  bool IsEmpty() const;
  bool IsSubscribed(const std::string& moid) const;

  // Calls the handler of every subscription of these VMs once (event 5).
  void Notify(const std::set<std::string>& changedMoids);

 private:
  struct Entry {
    QorHandle vm;
    std::string moid;
    QorEventProc callback;
    void* clientData;
    bool active = true;
    int callsInProgress = 0;
    DWORD callingThread = 0;
  };
  using EntryPtr = std::shared_ptr<Entry>;
  void DeactivateAndWait(std::unique_lock<std::mutex>& hold, const EntryPtr& entry);

  mutable std::mutex mLock;
  std::condition_variable mCallEnded;
  std::list<EntryPtr> mEntries;
  bool mClosed = false;
};

}  // namespace qor
