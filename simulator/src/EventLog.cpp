#include "simulator/src/EventLog.h"

namespace sim {

nlohmann::json ChangeToJson(const Change& change) {
  nlohmann::json j = {{"seq", change.seq},   {"kind", change.kind}, {"moid", change.moid},
                      {"name", change.name}, {"path", change.path}, {"powerState", change.powerState}};
  if (change.kind == "renamed") j["oldPath"] = change.oldPath;
  return j;
}

uint64_t EventLog::Append(Change change) {
  change.seq = ++mNewest;
  mChanges.push_back(std::move(change));
  while (mChanges.size() > mCapacity) mChanges.pop_front();
  return mNewest;
}

std::vector<Change> EventLog::Since(uint64_t since, bool* resync) const {
  std::vector<Change> out;
  *resync = false;
  if (since > mNewest) {
    *resync = true;
    return out;
  }
  if (since == mNewest) return out;
  const uint64_t oldestKept = mChanges.empty() ? mNewest + 1 : mChanges.front().seq;
  if (since + 1 < oldestKept) *resync = true;
  // Sequence numbers are consecutive, so the first wanted change sits at a known index.
  size_t first = since + 1 > oldestKept ? static_cast<size_t>(since + 1 - oldestKept) : 0;
  for (size_t i = first; i < mChanges.size(); ++i) out.push_back(mChanges[i]);
  return out;
}

}  // namespace sim
