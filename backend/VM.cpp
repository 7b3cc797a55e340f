#include "backend/VM.h"

#include "backend/RecentUse.h"
#include "backend/VMName.h"
#include "services/TextConversion.h"

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

void VM::InitOrderKeys() {
  mNameKey = utils::MakeNoCaseSortKey(GetName());
  mWideName = utils::ToWideString(GetName());
  // An empty name's key is never empty, so empty stands for "the name's".
  if (GetSortName() != GetName()) mSortNameKey = utils::MakeNoCaseSortKey(GetSortName());
}

const std::string& VM::GetPathKey() const {
  std::call_once(mPathKeyMade, [this] { mPathKey = utils::MakeNoCaseSortKey(GetCfxPath()); });
  return mPathKey;
}
