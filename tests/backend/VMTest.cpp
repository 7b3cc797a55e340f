#include <gtest/gtest.h>

#include "backend/QorVM.h"
#include "backend/VMOrder.h"
#include "tests/support/ModelTestSupport.h"

using VMTest = ClockTest;

// The favorite signal comes only with a change. SetLastUse (a restored entry) sets the
// recent flag silently; MarkUsed signals only when the VM becomes recent, which it does
// again once the window has passed, however the flag still reads.
TEST_F(VMTest, SignalsComeOnlyWithAChange) {
  auto vm = MakeVM("web01", PathOf("web01"));
  int favorite = 0, recent = 0;
  vm->mFavoriteChanged.connect([&] { ++favorite; });
  vm->mRecentChanged.connect([&] { ++recent; });
  vm->SetFavorite(false);
  EXPECT_EQ(favorite, 0);
  vm->SetFavorite(true);
  vm->SetFavorite(true);
  EXPECT_EQ(favorite, 1);
  EXPECT_TRUE(vm->IsFavorite());
  vm->SetFavorite(false);
  EXPECT_EQ(favorite, 2);

  vm->SetLastUse(TestClock::now - 7 * 86400);
  EXPECT_FALSE(vm->IsRecent());
  vm->SetLastUse(TestClock::now - 7 * 86400 + 1);
  EXPECT_TRUE(vm->IsRecent());
  EXPECT_EQ(vm->GetLastUse(), TestClock::now - 7 * 86400 + 1);
  EXPECT_EQ(recent, 0);
  EXPECT_FALSE(vm->MarkUsed());  // already recent
  EXPECT_EQ(vm->GetLastUse(), TestClock::now);
  EXPECT_EQ(recent, 0);
  TestClock::now += 8 * 86400;  // the flag is stale now
  EXPECT_TRUE(vm->MarkUsed());
  EXPECT_EQ(vm->GetLastUse(), TestClock::now);
  EXPECT_EQ(recent, 1);
}

TEST(VMOrder, NameThenPathIgnoringCase) {
  VMList vms = {MakeVM("web02", PathOf("web02")), MakeVM("Web01", "[b] x/Web01.vmx"),
                MakeVM("web01", "[A] x/web01.vmx"), MakeVM("Äpfel", PathOf("Äpfel")), MakeVM("beta", PathOf("beta"))};
  utils::SortVMs(vms);
  std::vector<std::string> order;
  for (const VMPtr& vm : vms) order.push_back(vm->GetName() + "|" + vm->GetCfxPath());
  EXPECT_EQ(order, (std::vector<std::string>{"Äpfel|" + PathOf("Äpfel"), "beta|" + PathOf("beta"),
                                             "web01|[A] x/web01.vmx", "Web01|[b] x/Web01.vmx",
                                             "web02|" + PathOf("web02")}));
  EXPECT_EQ(utils::CompareVMs(*MakeVM("WEB", "[a] p.vmx"), *MakeVM("web", "[A] P.VMX")), 0);
}
