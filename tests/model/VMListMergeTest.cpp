#include <gtest/gtest.h>

#include "backend/VMListMerge.h"
#include "backend/VMOrder.h"
#include "tests/model/ModelTestSupport.h"

namespace {

VMList Sorted(VMList vms) {
  utils::SortVMs(vms);
  return vms;
}

std::vector<std::string> Paths(const VMList& vms) {
  std::vector<std::string> paths;
  for (const VMPtr& vm : vms) paths.push_back(vm->GetCfxPath());
  return paths;
}

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

TEST(VMListMerge, EmptyOldListTakesTheFreshOne) {
  Merged merged = Merge({}, Sorted({MakeVM("b", PathOf("b")), MakeVM("a", PathOf("a"))}));
  EXPECT_EQ(Paths(merged.list), (std::vector<std::string>{PathOf("a"), PathOf("b")}));
  EXPECT_TRUE(merged.dropped.empty());
}

TEST(VMListMerge, FoundAgainKeepsTheObjectNewAppearsGoneIsDropped) {
  auto kept = MakeVM("web01", PathOf("web01"));
  kept->SetFavorite(true);
  kept->SetLastUse(1700000000);
  auto gone = MakeVM("old", PathOf("old"));
  Merged merged = Merge(Sorted({gone, kept}), Sorted({MakeVM("web01", PathOf("web01")), MakeVM("new", PathOf("new"))}));
  ASSERT_EQ(Paths(merged.list), (std::vector<std::string>{PathOf("new"), PathOf("web01")}));
  EXPECT_EQ(merged.list[1], kept);
  EXPECT_TRUE(merged.list[1]->IsFavorite());
  EXPECT_EQ(merged.list[1]->GetLastUse(), 1700000000);
  EXPECT_FALSE(merged.list[0]->IsFavorite());
  // The old "old" and the fresh duplicate of web01 are handed back to be let go.
  ASSERT_EQ(merged.dropped.size(), 2u);
  EXPECT_NE(std::find(merged.dropped.begin(), merged.dropped.end(), VMPtr(gone)), merged.dropped.end());
}

TEST(VMListMerge, MatchesIgnoringCase) {
  auto kept = MakeVM("Web01", "[DS] Web01/Web01.vmx");
  Merged merged = Merge({kept}, {MakeVM("web01", "[ds] web01/web01.vmx")});
  ASSERT_EQ(merged.list.size(), 1u);
  EXPECT_EQ(merged.list[0], kept);
}

TEST(VMListMerge, AMovedVMIsNewButKeepsTheFavoriteFlag) {
  auto moved = MakeVM("web01", PathOf("web01", "before"));
  moved->SetFavorite(true);
  auto fresh = MakeVM("web01", PathOf("web01", "after"));
  int signals = 0;
  fresh->mFavoriteChanged.connect([&] { ++signals; });
  Merged merged = Merge({moved}, {fresh});
  ASSERT_EQ(merged.list.size(), 1u);
  EXPECT_EQ(merged.list[0], fresh);
  EXPECT_TRUE(fresh->IsFavorite());
  EXPECT_EQ(signals, 1);
  EXPECT_EQ(merged.dropped, VMList{moved});
}

// Two VMs share a name; one of them disappears. The one found again under its own path
// must stay the same object with its own flag, not inherit the other's.
TEST(VMListMerge, SameNameDifferentPathsMatchByPathFirst) {
  auto first = MakeVM("web", PathOf("web", "a"));
  first->SetFavorite(true);
  auto second = MakeVM("web", PathOf("web", "b"));
  Merged merged = Merge(Sorted({first, second}), {MakeVM("web", PathOf("web", "b"))});
  ASSERT_EQ(merged.list.size(), 1u);
  EXPECT_EQ(merged.list[0], second);
  EXPECT_FALSE(merged.list[0]->IsFavorite());
}

// Restored favorites and recent VMs are appended in file order, not sorted.
TEST(VMListMerge, UnsortedOldListStillMatches) {
  auto z = MakeVM("zulu", PathOf("zulu"));
  auto a = MakeVM("alpha", PathOf("alpha"));
  Merged merged = Merge({z, a}, Sorted({MakeVM("alpha", PathOf("alpha")), MakeVM("mike", PathOf("mike")),
                                        MakeVM("zulu", PathOf("zulu"))}));
  ASSERT_EQ(merged.list.size(), 3u);
  EXPECT_EQ(merged.list[0], a);
  EXPECT_EQ(merged.list[2], z);
}
