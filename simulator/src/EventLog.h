#pragma once
// Numbered record of VM changes that the long-poll "events" op hands out.
// Not thread-safe: HostModel guards it with its own lock.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace sim {

struct Change {
  uint64_t seq = 0;
  std::string kind;     // "power", "added", "removed", "renamed"
  std::string moid;
  std::string name;
  std::string path;
  std::string oldPath;  // "renamed" only
  uint32_t powerState = 0;
};

nlohmann::json ChangeToJson(const Change& change);

class EventLog {
 public:
  explicit EventLog(size_t capacity = 20000) : mCapacity(capacity) {}

  // Numbers the change (newest + 1) and keeps it; the oldest go beyond the capacity.
  uint64_t Append(Change change);
  uint64_t NewestSeq() const { return mNewest; }

  // Every kept change after `since`. resync is set when changes after `since` were
  // already dropped, or when `since` lies beyond the newest (a client of an earlier run).
  std::vector<Change> Since(uint64_t since, bool* resync) const;
  bool HasNewerThan(uint64_t since) const { return mNewest > since; }

 private:
  size_t mCapacity;
  uint64_t mNewest = 0;
  std::deque<Change> mChanges;
};

}  // namespace sim
