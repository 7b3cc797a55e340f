// The model object behind one VM row: names, favorite flag and last use. Concrete kinds
// are QorVM (a VM of a server) and PrismoVM (declared only).
//
// VMs are shared: a server's list, the Favorites and Recently Used views and the rows
// each hold a std::shared_ptr, so a VM that a refresh drops from its server stays valid
// until the last of them lets go.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "backend/BackendSignal.h"

class VM : public std::enable_shared_from_this<VM> {
 public:
  BackendSignal mFavoriteChanged;  // mFavorite changed
  BackendSignal mRecentChanged;    // MarkUsed made the VM recent

  virtual ~VM();
  VM(const VM&) = delete;
  VM& operator=(const VM&) = delete;

  virtual bool IsFavorite() const;
  virtual const std::string& GetName() const = 0;      // shown in the row
  virtual const std::string& GetSortName() const = 0;  // second key of the order, name key of the merge
  virtual const std::string& GetCfxPath() const = 0;   // identity within a server
  virtual bool RunInConsole() = 0;              // true when a console was launched

  // Emits mFavoriteChanged only when the value changes.
  void SetFavorite(bool favorite);
  // Stores the time (seconds since 1970 UTC) and whether it lies in the recent window;
  // no signal.
  void SetLastUse(int64_t lastUse);
  // Last use = now. True (and mRecentChanged) when the VM was not recently used before.
  bool MarkUsed();
  int64_t GetLastUse() const { return mLastUse.load(); }
  bool IsRecent() const { return mRecent.load(); }

  // Sort keys of the VM order (utils::MakeNoCaseSortKey). The names never change: the name's
  // is made at creation (and serves the sort name too when they are the same, as they
  // nearly always are), the path's on first use, as only VMs of one name need it.
  const std::string& GetNameKey() const { return mNameKey; }
  const std::string& GetSortNameKey() const { return mSortNameKey.empty() ? mNameKey : mSortNameKey; }
  const std::string& GetPathKey() const;
  // The name in UTF-16, as the list shows and searches it; made with the keys, on the
  // thread that makes the VM, so that listing thousands costs the UI thread no conversion.
  const std::wstring& GetWideName() const { return mWideName; }

 protected:
  VM() = default;
  // Called by each concrete constructor once its names are set.
  void InitOrderKeys();

 private:
  std::atomic<bool> mFavorite{false};
  std::atomic<int64_t> mLastUse{0};
  std::atomic<bool> mRecent{false};
  std::string mNameKey;
  std::wstring mWideName;
  std::string mSortNameKey;  // empty when it is the name's
  mutable std::once_flag mPathKeyMade;
  mutable std::string mPathKey;
};

using VMPtr = std::shared_ptr<VM>;
using VMList = std::vector<VMPtr>;
