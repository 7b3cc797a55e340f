#include "qor/HandleTable.h"

#include "qor/Trace.h"

namespace qor {

HandleTable& HandleTable::Instance() {
  // Never destroyed: library threads may still release handles while the process ends.
  static HandleTable* table = new HandleTable;
  return *table;
}

QorHandle HandleTable::Add(std::shared_ptr<HandleObject> object) {
  std::lock_guard<std::mutex> hold(mLock);
  for (uint64_t tries = 0; tries <= UINT32_MAX; ++tries) {
    QorHandle candidate = mNext++;
    if (mNext == 0) mNext = 1;
    if (candidate == 0 || mEntries.count(candidate)) continue;
    mEntries.emplace(candidate, Entry{std::move(object), 1});
    return candidate;
  }
  Trace("HandleTable::Add: no handle value is free");
  return 0;
}

void HandleTable::AddRef(QorHandle handle) {
  std::lock_guard<std::mutex> hold(mLock);
  auto found = mEntries.find(handle);
  if (found == mEntries.end()) {
    Trace("Qor_AddRefHandle: unknown handle %u ignored", handle);
    return;
  }
  ++found->second.references;
}

void HandleTable::Release(QorHandle handle) {
  std::shared_ptr<HandleObject> freed;
  {
    std::lock_guard<std::mutex> hold(mLock);
    auto found = mEntries.find(handle);
    if (found == mEntries.end()) {
      if (handle != 0) Trace("Qor_ReleaseHandle: unknown or already freed handle %u ignored", handle);
      return;
    }
    if (--found->second.references > 0) return;
    freed = std::move(found->second.object);
    mEntries.erase(found);
  }
  // Outside the lock: freeing may cancel subscriptions or release further handles.
  freed->OnHandleFreed(handle);
}

std::shared_ptr<HandleObject> HandleTable::Find(QorHandle handle) const {
  std::lock_guard<std::mutex> hold(mLock);
  auto found = mEntries.find(handle);
  return found == mEntries.end() ? nullptr : found->second.object;
}

size_t HandleTable::Count() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mEntries.size();
}

void HandleTable::SetNextValueForTest(QorHandle next) {
  std::lock_guard<std::mutex> hold(mLock);
  mNext = next == 0 ? 1 : next;
}

}  // namespace qor
