// A section that shows VMs owned by the servers, rebuilt from a query on Refresh
// (Favorites and Recently Used). It holds its VMs shared, so a VM that its server
// dropped stays valid for the rows until the next Refresh.
#pragma once

#include <functional>
#include <mutex>

#include "backend/VMCollection.h"

class VMView : public VMCollection {
 public:
  using Query = std::function<VMList()>;

  VMList GetVMs() const override;
  std::string GetName() const override { return std::string(); }
  void AddFavorite(const std::string&, const std::string&, const std::string&) override {}
  void AddRecent(const std::string&, const std::string&, const std::string&, int64_t) override {}
  bool HasUserName() const override { return false; }
  void Login(const char*, const char*, bool) override {}
  void Logoff(bool, bool) override {}
  uint64_t GetLastError() const override { return 0; }
  // mVMs = the query's answer; then mChanged.
  void Refresh() override;
  bool RunVMInConsole(VM&) override { return false; }
  int GetState() const override { return STATE_ENUMERATED; }
  std::string GetErrorText() const override { return std::string(); }

  // The source is going away: lets go of every VM, and later refreshes find nothing.
  void Detach();

 protected:
  explicit VMView(Query query) : mQuery(std::move(query)) {}

 private:
  mutable std::mutex mLock;
  Query mQuery;
  VMList mVMs;
};
