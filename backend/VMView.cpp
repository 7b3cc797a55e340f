#include "backend/VMView.h"

VMList VMView::GetVMs() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mVMs;
}

void VMView::Refresh() {
  Query query;
  {
    std::lock_guard<std::mutex> hold(mLock);
    query = mQuery;
  }
  VMList fresh = query ? query() : VMList();
  {
    std::lock_guard<std::mutex> hold(mLock);
    mVMs.swap(fresh);
  }
  // The previous list is let go here, outside the lock.
  fresh.clear();
  mChanged.emit();
}

void VMView::Detach() {
  VMList old;
  {
    std::lock_guard<std::mutex> hold(mLock);
    mVMs.swap(old);
    mQuery = nullptr;
  }
}
