#include "qor/PowerStateCache.h"

namespace qor {

bool PowerStateCache::ApplyEvent(const std::string& moid, int32_t state) {
  std::lock_guard<std::mutex> hold(mLock);
  auto found = mStates.find(moid);
  if (found == mStates.end()) {
    mStates.emplace(moid, state);
    return true;
  }
  if (found->second == state) return false;
  found->second = state;
  return true;
}

void PowerStateCache::ApplyAnswer(const std::string& moid, int32_t state) {
  std::lock_guard<std::mutex> hold(mLock);
  if (mLive && mStates.count(moid)) return;
  mStates[moid] = state;
}

bool PowerStateCache::GetCurrent(const std::string& moid, int32_t* state) const {
  std::lock_guard<std::mutex> hold(mLock);
  if (!mLive) return false;
  auto found = mStates.find(moid);
  if (found == mStates.end()) return false;
  *state = found->second;
  return true;
}

bool PowerStateCache::GetLastKnown(const std::string& moid, int32_t* state) const {
  std::lock_guard<std::mutex> hold(mLock);
  auto found = mStates.find(moid);
  if (found == mStates.end()) return false;
  *state = found->second;
  return true;
}

void PowerStateCache::SetLive(bool live) {
  std::lock_guard<std::mutex> hold(mLock);
  mLive = live;
}

bool PowerStateCache::IsLive() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mLive;
}

}  // namespace qor
