#pragma once
// How many requests of each /sdk operation the server has accepted, for the admin
// "state" answer: tests check what a client asked for, not only what it ended up with.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace sim {

class OperationCounts {
 public:
  // Called only with known operation names, so clients cannot grow the table.
  void Add(const std::string& op);
  std::map<std::string, uint64_t> Snapshot() const;

 private:
  mutable std::mutex mMutex;
  std::map<std::string, uint64_t> mCounts;
};

}  // namespace sim
