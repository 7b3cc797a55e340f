#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "backend/VMListMerge.h"
#include "backend/VMName.h"
#include "backend/VMOrder.h"
#include "tests/support/ModelTestSupport.h"

namespace {

struct Merged {
  VMList list;
  VMList dropped;
};

// Merges and checks that both inputs were handed over.
Merged Merge(VMList old, VMList fresh) {
  Merged merged;
  merged.list = utils::MergeVMLists(old, fresh, merged.dropped);
  EXPECT_TRUE(old.empty());
  EXPECT_TRUE(fresh.empty());
  return merged;
}

}  // namespace

// A path that changed, in letter case only or wholly (the VM moved), is the one Open must
// send from now on: the fresh VM takes the place, with the favorite flag and last use.
TEST(VMListMerge, AChangedPathWinsAndKeepsTheFavoriteAndLastUse) {
  const struct {
    const char* change;
    std::string before, after;
    bool withNamesake;
  } cases[] = {{"letter case", "[DS] Web01/Web01.vmx", "[ds] web01/web01.vmx", true},
               {"moved", PathOf("web01", "before"), PathOf("web01", "after"), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    auto old = MakeVM("web01", c.before);
    old->SetFavorite(true);
    old->SetLastUse(1700000000);
    // Another VM of the same name, listed first, is not the one whose path changed case.
    auto other = MakeVM("web01", PathOf("web01", "elsewhere"));
    auto fresh = MakeVM("Web01", c.after);
    int signals = 0;
    fresh->mFavoriteChanged.connect([&] { ++signals; });
    Merged merged = c.withNamesake ? Merge({other, old}, {fresh}) : Merge({old}, {fresh});
    ASSERT_EQ(merged.list.size(), 1u);
    EXPECT_EQ(merged.list[0], fresh);
    EXPECT_EQ(fresh->GetCfxPath(), c.after);
    EXPECT_TRUE(fresh->IsFavorite());
    EXPECT_EQ(signals, 1);
    EXPECT_EQ(fresh->GetLastUse(), 1700000000);
    EXPECT_EQ(merged.dropped.size(), c.withNamesake ? 2u : 1u);
  }
}

// The merge from found paths must give what the merge of a VM made for every path gives:
// the same objects kept, the same flags passed on, the same order, on lists with names
// that differ only in case, moved VMs, duplicates and saved VMs appended unsorted.
TEST(VMListMerge, FromFoundPathsEqualsTheMergeOfAVMMadeForEveryPath) {
  std::mt19937 random(20261207);
  const char* const kNames[] = {"web", "Web", "db", "DB", "mail", "app"};
  const char* const kFolders[] = {"[ds1] ", "[ds2] ", "[DS1] "};
  const auto randomPath = [&] {
    const std::string name = kNames[random() % 6];
    return std::string(kFolders[random() % 3]) + name + "/" + name + ".cfx";
  };
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> oldPaths, found;
    for (int i = random() % 12; i > 0; --i) oldPaths.push_back(randomPath());
    for (int i = random() % 12; i > 0; --i) found.push_back(random() % 2 && !oldPaths.empty() ? oldPaths[random() % oldPaths.size()] : randomPath());
    // Two copies of the old list: each merge consumes one; flags mark which object is which.
    VMList oldA, oldB;
    for (size_t i = 0; i < oldPaths.size(); ++i) {
      for (VMList* list : {&oldA, &oldB}) {
        VMPtr vm = MakeVM(utils::GetVMNameFromPath(oldPaths[i]), oldPaths[i]);
        vm->SetFavorite(i % 2 == 0);
        vm->SetLastUse(static_cast<int64_t>(1000 + i));
        list->push_back(vm);
      }
    }
    utils::SortVMs(oldA);
    utils::SortVMs(oldB);
    std::rotate(oldA.begin(), oldA.begin() + oldA.size() / 2, oldA.end());  // saved VMs appended
    std::rotate(oldB.begin(), oldB.begin() + oldB.size() / 2, oldB.end());
    std::vector<const VM*> oldObjectsA, oldObjectsB;
    for (const VMPtr& vm : oldA) oldObjectsA.push_back(vm.get());
    for (const VMPtr& vm : oldB) oldObjectsB.push_back(vm.get());

    VMList fresh;
    for (const std::string& path : found) fresh.push_back(MakeVM(utils::GetVMNameFromPath(path), path));
    utils::SortVMs(fresh);
    VMList droppedA, droppedB;
    const VMList expected = utils::MergeVMLists(oldA, fresh, droppedA);
    const VMList actual = utils::MergeFoundPaths(
        oldB, found, [](const std::string& path) { return MakeVM(utils::GetVMNameFromPath(path), path); }, droppedB);

    ASSERT_EQ(expected.size(), actual.size()) << "round " << round;
    const auto oldIndex = [](const std::vector<const VM*>& objects, const VM* vm) {
      return std::find(objects.begin(), objects.end(), vm) - objects.begin();
    };
    for (size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("round " + std::to_string(round) + ", position " + std::to_string(i));
      EXPECT_EQ(utils::CompareVMs(*expected[i], *actual[i]), 0);
      EXPECT_EQ(expected[i]->GetCfxPath(), actual[i]->GetCfxPath());
      EXPECT_EQ(oldIndex(oldObjectsA, expected[i].get()), oldIndex(oldObjectsB, actual[i].get())) << "the same old object kept";
      EXPECT_EQ(expected[i]->IsFavorite(), actual[i]->IsFavorite());
      EXPECT_EQ(expected[i]->GetLastUse(), actual[i]->GetLastUse());
    }
    EXPECT_TRUE(oldB.empty());
  }
}
