#include "simulator/src/OperationCounts.h"

namespace sim {

void OperationCounts::Add(const std::string& op) {
  std::lock_guard<std::mutex> lock(mMutex);
  ++mCounts[op];
}

std::map<std::string, uint64_t> OperationCounts::Snapshot() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mCounts;
}

}  // namespace sim
