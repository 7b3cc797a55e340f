#include "backend/VMListMerge.h"

#include <unordered_map>

#include "backend/VMOrder.h"

namespace utils {

VMList MergeVMLists(VMList& old, VMList& fresh, VMList& dropped) {
  VMList result;
  if (old.empty()) {
    result.swap(fresh);
    return result;
  }
  // Old VMs by the sort key of their sort name. Matching within a name works whatever
  // the order of the old list (saved favorites and recent VMs are appended unsorted),
  // and a VM found again under its path keeps its object even when another VM of the
  // same name disappeared.
  std::unordered_map<std::string, std::vector<size_t>> byName;
  byName.reserve(old.size());
  for (size_t i = 0; i < old.size(); ++i) byName[old[i]->GetOrderKey().sortName].push_back(i);
  enum : char { kFree, kKept, kReplaced };
  std::vector<char> status(old.size(), kFree);

  result.resize(fresh.size());
  std::vector<const std::vector<size_t>*> group(fresh.size(), nullptr);
  for (size_t j = 0; j < fresh.size(); ++j) {
    auto found = byName.find(fresh[j]->GetOrderKey().sortName);
    if (found == byName.end()) continue;
    group[j] = &found->second;
    for (size_t i : found->second) {
      // The same bytes: a path that changed only in letter case is what Open must send now.
      if (status[i] == kFree && old[i]->GetCfxPath() == fresh[j]->GetCfxPath()) {
        status[i] = kKept;
        result[j] = old[i];
        dropped.push_back(std::move(fresh[j]));
        break;
      }
    }
  }
  for (size_t j = 0; j < fresh.size(); ++j) {
    if (result[j]) continue;
    if (group[j]) {
      // Rather the same path in other letter case than another VM of the same name.
      size_t chosen = old.size();
      for (size_t i : *group[j]) {
        if (status[i] != kFree) continue;
        if (chosen == old.size()) chosen = i;
        if (ComparePaths(*old[i], *fresh[j]) == 0) {
          chosen = i;
          break;
        }
      }
      if (chosen < old.size()) {
        status[chosen] = kReplaced;
        fresh[j]->SetFavorite(old[chosen]->IsFavorite());
        if (old[chosen]->GetLastUse() != 0) fresh[j]->SetLastUse(old[chosen]->GetLastUse());
      }
    }
    result[j] = std::move(fresh[j]);
  }
  for (size_t i = 0; i < old.size(); ++i) {
    if (status[i] != kKept) dropped.push_back(std::move(old[i]));
  }
  old.clear();
  fresh.clear();
  return result;
}

}  // namespace utils
