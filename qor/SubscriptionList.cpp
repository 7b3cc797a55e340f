#include "qor/SubscriptionList.h"

#include <vector>

namespace qor {

bool SubscriptionList::Add(QorHandle vm, const std::string& moid, QorEventProc callback, void* clientData) {
  std::lock_guard<std::mutex> hold(mLock);
  for (const EntryPtr& entry : mEntries) {
    if (entry->vm == vm && entry->callback == callback && entry->clientData == clientData) return false;
  }
  EntryPtr entry = std::make_shared<Entry>();
  entry->vm = vm;
  entry->moid = moid;
  entry->callback = callback;
  entry->clientData = clientData;
  mEntries.push_back(std::move(entry));
  return true;
}

void SubscriptionList::DeactivateAndWait(std::unique_lock<std::mutex>& hold, const EntryPtr& entry) {
  entry->active = false;
  if (entry->callsInProgress > 0 && entry->callingThread == GetCurrentThreadId()) return;
  mCallEnded.wait(hold, [&] { return entry->callsInProgress == 0; });
}

bool SubscriptionList::Remove(QorHandle vm, QorEventProc callback, void* clientData) {
  std::unique_lock<std::mutex> hold(mLock);
  for (auto it = mEntries.begin(); it != mEntries.end(); ++it) {
    EntryPtr entry = *it;
    if (entry->vm == vm && entry->callback == callback && entry->clientData == clientData) {
      mEntries.erase(it);
      DeactivateAndWait(hold, entry);
      return true;
    }
  }
  return false;
}

void SubscriptionList::RemoveAll(QorHandle vm) {
  std::unique_lock<std::mutex> hold(mLock);
  std::vector<EntryPtr> removed;
  for (auto it = mEntries.begin(); it != mEntries.end();) {
    if ((*it)->vm == vm) {
      removed.push_back(*it);
      it = mEntries.erase(it);
    } else {
      ++it;
    }
  }
  for (const EntryPtr& entry : removed) DeactivateAndWait(hold, entry);
}

void SubscriptionList::Close() {
  std::lock_guard<std::mutex> hold(mLock);
  mClosed = true;
}

bool SubscriptionList::IsEmpty() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mEntries.empty();
}

bool SubscriptionList::IsSubscribed(const std::string& moid) const {
  std::lock_guard<std::mutex> hold(mLock);
  for (const EntryPtr& entry : mEntries) {
    if (entry->moid == moid) return true;
  }
  return false;
}

void SubscriptionList::Notify(const std::set<std::string>& changedMoids) {
  std::vector<EntryPtr> due;
  {
    std::lock_guard<std::mutex> hold(mLock);
    for (const EntryPtr& entry : mEntries) {
      if (changedMoids.count(entry->moid)) due.push_back(entry);
    }
  }
  DWORD self = GetCurrentThreadId();
  for (const EntryPtr& entry : due) {
    {
      std::lock_guard<std::mutex> hold(mLock);
      if (mClosed || !entry->active) continue;
      ++entry->callsInProgress;
      entry->callingThread = self;
    }
    entry->callback(entry->vm, QOR_EVENT_VM_STATE_CHANGED, 0, entry->clientData);
    {
      std::lock_guard<std::mutex> hold(mLock);
      if (--entry->callsInProgress == 0) entry->callingThread = 0;
    }
    mCallEnded.notify_all();
  }
}

}  // namespace qor
