#include "backend/VM.h"

#include "backend/RecentUse.h"
#include "backend/VMName.h"

VM::~VM() = default;

bool VM::IsFavorite() const { return mFavorite.load(); }

void VM::SetFavorite(bool favorite) {
  if (mFavorite.exchange(favorite) != favorite) mFavoriteChanged.emit();
}

void VM::SetLastUse(int64_t lastUse) {
  mLastUse.store(lastUse);
  mRecent.store(utils::IsRecentUse(lastUse, utils::CurrentUnixTime(), utils::RecentDurationDays()));
}

bool VM::MarkUsed() {
  const int64_t now = utils::CurrentUnixTime();
  const int64_t previous = mLastUse.exchange(now);
  // The flag alone can be stale: the window may have passed since it was set, and the
  // VM must then be offered to Recently Used again.
  const bool wasRecent = mRecent.load() && utils::IsRecentUse(previous, now, utils::RecentDurationDays());
  mRecent.store(true);
  if (wasRecent) return false;
  mRecentChanged.emit();
  return true;
}

void VM::InitOrderKey() {
  mOrderKey.name = utils::MakeNoCaseSortKey(GetName());
  mOrderKey.sortName = utils::MakeNoCaseSortKey(GetSortName());
  mOrderKey.cfxPath = utils::MakeNoCaseSortKey(GetCfxPath());
}
