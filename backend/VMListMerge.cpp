#include "backend/VMListMerge.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "backend/VMName.h"
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
  // same name disappeared. The old VMs of one name are a run of byName, in list order;
  // sorted indices need no allocation per VM, which a refresh of thousands feels.
  std::vector<size_t> byName(old.size());
  for (size_t i = 0; i < old.size(); ++i) byName[i] = i;
  const auto sortNameLess = [&old](size_t a, size_t b) { return old[a]->GetSortNameKey() < old[b]->GetSortNameKey(); };
  std::stable_sort(byName.begin(), byName.end(), sortNameLess);
  // The run of old VMs named like fresh[j], as positions in byName.
  const auto runOf = [&](size_t j) {
    const std::string& key = fresh[j]->GetSortNameKey();
    auto first = std::lower_bound(byName.begin(), byName.end(), key,
                                  [&old](size_t i, const std::string& k) { return old[i]->GetSortNameKey() < k; });
    auto last = first;
    while (last != byName.end() && old[*last]->GetSortNameKey() == key) ++last;
    return std::make_pair(first, last);
  };

  enum : char { kFree, kKept, kReplaced };
  std::vector<char> status(old.size(), kFree);
  result.resize(fresh.size());
  for (size_t j = 0; j < fresh.size(); ++j) {
    const auto [first, last] = runOf(j);
    for (auto at = first; at != last; ++at) {
      // The same bytes: a path that changed only in letter case is what Open must send now.
      if (status[*at] == kFree && old[*at]->GetCfxPath() == fresh[j]->GetCfxPath()) {
        status[*at] = kKept;
        result[j] = old[*at];
        dropped.push_back(std::move(fresh[j]));
        break;
      }
    }
  }
  for (size_t j = 0; j < fresh.size(); ++j) {
    if (result[j]) continue;
    const auto [first, last] = runOf(j);
    // Rather the same path in other letter case than another VM of the same name.
    size_t chosen = old.size();
    for (auto at = first; at != last; ++at) {
      if (status[*at] != kFree) continue;
      if (chosen == old.size()) chosen = *at;
      if (ComparePaths(*old[*at], *fresh[j]) == 0) {
        chosen = *at;
        break;
      }
    }
    if (chosen < old.size()) {
      status[chosen] = kReplaced;
      fresh[j]->SetFavorite(old[chosen]->IsFavorite());
      if (old[chosen]->GetLastUse() != 0) fresh[j]->SetLastUse(old[chosen]->GetLastUse());
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

VMList MergeFoundPaths(VMList& old, const std::vector<std::string>& paths,
                       const std::function<VMPtr(const std::string& path)>& makeVM, VMList& dropped) {
  // Old VMs by path bytes, those of one path chained in list order.
  constexpr size_t kEnd = static_cast<size_t>(-1);
  std::unordered_map<std::string_view, size_t> firstWithPath;
  firstWithPath.reserve(old.size());
  std::vector<size_t> nextWithPath(old.size(), kEnd);
  for (size_t i = old.size(); i-- > 0;) {
    auto [entry, added] = firstWithPath.try_emplace(old[i]->GetCfxPath(), i);
    if (!added) {
      nextWithPath[i] = entry->second;
      entry->second = i;
    }
  }
  std::vector<char> claimed(old.size(), 0);
  // Each VM of the result with the place of its path among the found ones: VMs equal in the
  // order keep the order in which they were found, as a stable sort of them all would.
  std::vector<std::pair<VMPtr, size_t>> placed;
  placed.reserve(paths.size());
  VMList fresh;
  std::vector<size_t> freshPlace;
  for (size_t place = 0; place < paths.size(); ++place) {
    const std::string& path = paths[place];
    bool kept = false;
    const auto found = firstWithPath.find(path);
    if (found != firstWithPath.end()) {
      // The name a VM made for the path would get; the same bytes give the same sort key.
      const std::string name = GetVMNameFromPath(path);
      for (size_t i = found->second; i != kEnd; i = nextWithPath[i]) {
        if (claimed[i] || old[i]->GetSortName() != name) continue;
        claimed[i] = 1;
        placed.emplace_back(old[i], place);
        kept = true;
        break;
      }
    }
    if (!kept) {
      fresh.push_back(makeVM(path));
      freshPlace.push_back(place);
    }
  }
  VMList unmatchedOld;
  for (size_t i = 0; i < old.size(); ++i) {
    if (!claimed[i]) unmatchedOld.push_back(std::move(old[i]));
  }
  old.clear();

  // The rest as the list merge does it (moved VMs keep their favorite flag and last use);
  // it keeps the positions of its sorted input.
  std::vector<size_t> order(fresh.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&fresh](size_t a, size_t b) { return CompareVMs(*fresh[a], *fresh[b]) < 0; });
  VMList sortedFresh;
  sortedFresh.reserve(fresh.size());
  for (size_t i : order) sortedFresh.push_back(std::move(fresh[i]));
  VMList added = MergeVMLists(unmatchedOld, sortedFresh, dropped);
  for (size_t j = 0; j < added.size(); ++j) placed.emplace_back(std::move(added[j]), freshPlace[order[j]]);

  std::sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) {
    const int compared = CompareVMs(*a.first, *b.first);
    return compared != 0 ? compared < 0 : a.second < b.second;
  });
  VMList result;
  result.reserve(placed.size());
  for (auto& entry : placed) result.push_back(std::move(entry.first));
  return result;
}

}  // namespace utils
