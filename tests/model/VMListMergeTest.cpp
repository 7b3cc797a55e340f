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

}  // namespace

TEST(VMListMerge, EmptyOldListTakesTheFreshOne) {
  VMList old;
  VMList fresh = Sorted({MakeVM("b", PathOf("b")), MakeVM("a", PathOf("a"))});
  VMList dropped;
  VMList merged = utils::MergeVMLists(old, fresh, dropped);
  EXPECT_EQ(Paths(merged), (std::vector<std::string>{PathOf("a"), PathOf("b")}));
  EXPECT_TRUE(fresh.empty());
  EXPECT_TRUE(dropped.empty());
}

TEST(VMListMerge, FoundAgainKeepsTheObjectNewAppearsGoneIsDropped) {
  auto kept = MakeVM("web01", PathOf("web01"));
  kept->SetFavorite(true);
  kept->SetLastUse(1700000000);
  auto gone = MakeVM("old", PathOf("old"));
  VMList old = Sorted({gone, kept});
  VMList fresh = Sorted({MakeVM("web01", PathOf("web01")), MakeVM("new", PathOf("new"))});
  VMList dropped;
  VMList merged = utils::MergeVMLists(old, fresh, dropped);
  ASSERT_EQ(Paths(merged), (std::vector<std::string>{PathOf("new"), PathOf("web01")}));
  EXPECT_EQ(merged[1], kept);
  EXPECT_TRUE(merged[1]->IsFavorite());
  EXPECT_EQ(merged[1]->GetLastUse(), 1700000000);
  EXPECT_FALSE(merged[0]->IsFavorite());
  // The old "old" and the fresh duplicate of web01 are handed back to be let go.
  ASSERT_EQ(dropped.size(), 2u);
  EXPECT_NE(std::find(dropped.begin(), dropped.end(), VMPtr(gone)), dropped.end());
  EXPECT_TRUE(old.empty());
  EXPECT_TRUE(fresh.empty());
}

TEST(VMListMerge, MatchesIgnoringCase) {
  auto kept = MakeVM("Web01", "[DS] Web01/Web01.vmx");
  VMList old = {kept};
  VMList fresh = {MakeVM("web01", "[ds] web01/web01.vmx")};
  VMList dropped;
  VMList merged = utils::MergeVMLists(old, fresh, dropped);
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_EQ(merged[0], kept);
}

TEST(VMListMerge, AMovedVMIsNewButKeepsTheFavoriteFlag) {
  auto moved = MakeVM("web01", PathOf("web01", "before"));
  moved->SetFavorite(true);
  VMList old = {moved};
  auto fresh1 = MakeVM("web01", PathOf("web01", "after"));
  int signals = 0;
  fresh1->mFavoriteChanged.connect([&] { ++signals; });
  VMList fresh = {fresh1};
  VMList dropped;
  VMList merged = utils::MergeVMLists(old, fresh, dropped);
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_EQ(merged[0], fresh1);
  EXPECT_TRUE(fresh1->IsFavorite());
  EXPECT_EQ(signals, 1);
  ASSERT_EQ(dropped.size(), 1u);
  EXPECT_EQ(dropped[0], moved);
}

// Two VMs share a name; one of them disappears. The one found again under its own path
// must stay the same object with its own flag, not inherit the other's.
TEST(VMListMerge, SameNameDifferentPathsMatchByPathFirst) {
  auto first = MakeVM("web", PathOf("web", "a"));
  first->SetFavorite(true);
  auto second = MakeVM("web", PathOf("web", "b"));
  VMList old = Sorted({first, second});
  VMList fresh = {MakeVM("web", PathOf("web", "b"))};
  VMList dropped;
  VMList merged = utils::MergeVMLists(old, fresh, dropped);
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_EQ(merged[0], second);
  EXPECT_FALSE(merged[0]->IsFavorite());
}

// Restored favorites and recent VMs are appended in file order, not sorted.
TEST(VMListMerge, UnsortedOldListStillMatches) {
  auto z = MakeVM("zulu", PathOf("zulu"));
  auto a = MakeVM("alpha", PathOf("alpha"));
  VMList old = {z, a};
  VMList fresh = Sorted({MakeVM("alpha", PathOf("alpha")), MakeVM("mike", PathOf("mike")),
                         MakeVM("zulu", PathOf("zulu"))});
  VMList dropped;
  VMList merged = utils::MergeVMLists(old, fresh, dropped);
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(merged[0], a);
  EXPECT_EQ(merged[2], z);
}
