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
#include <string>
#include <vector>

#include "backend/BackendSignal.h"

// Sort keys of the three names of the VM order, made once (the names never change).
struct VMOrderKey {
  std::string name;
  std::string sortName;
  std::string cfxPath;
};

class VM : public std::enable_shared_from_this<VM> {
 public:
  BackendSignal mFavoriteChanged;  // mFavorite changed
  BackendSignal mRecentChanged;    // MarkUsed made the VM recent

  virtual ~VM();
  VM(const VM&) = delete;
  VM& operator=(const VM&) = delete;

  virtual bool IsFavorite() const;
  virtual std::string GetName() const = 0;      // shown in the row
  virtual std::string GetSortName() const = 0;  // second key of the order, name key of the merge
  virtual std::string GetCfxPath() const = 0;   // identity within a server
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

  const VMOrderKey& GetOrderKey() const { return mOrderKey; }

 protected:
  VM() = default;
  // Called by each concrete constructor once its names are set.
  void InitOrderKey();

 private:
  std::atomic<bool> mFavorite{false};
  std::atomic<int64_t> mLastUse{0};
  std::atomic<bool> mRecent{false};
  VMOrderKey mOrderKey;
};

using VMPtr = std::shared_ptr<VM>;
using VMList = std::vector<VMPtr>;
