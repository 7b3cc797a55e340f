// Generated inventories: what the suites started with "--vms N" list. (Inventory files are
// read by the journey test and the demo, which name each VM and let the rest default.)

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "simulator/src/InventoryGenerator.h"
#include "simulator/src/PowerState.h"

namespace {

// The name a client derives from a path: between the last separator and the last dot.
std::string NameFromPath(const std::string& path) {
  auto dot = path.rfind('.');
  auto slash = path.rfind('/');
  if (dot == std::string::npos || slash == std::string::npos) return std::string();
  return dot > slash ? path.substr(slash + 1, dot - slash - 1) : path.substr(slash + 1);
}

TEST(InventoryGeneratorTest, ManyVmsHaveUniqueIdsNamesAndPathsThatGiveBackTheName) {
  auto vms = sim::GenerateInventory(5000, 7);
  ASSERT_EQ(vms.size(), 5000u);
  std::set<std::string> moids, names, paths;
  std::map<uint32_t, int> states;
  int nonAscii = 0, mixedCase = 0;
  for (size_t i = 0; i < vms.size(); ++i) {
    const auto& vm = vms[i];
    EXPECT_EQ(vm.moid, "vm-" + std::to_string(i + 1));
    moids.insert(vm.moid);
    names.insert(vm.name);
    paths.insert(vm.path);
    ++states[vm.powerState];
    EXPECT_EQ(vm.path.front(), '[');
    EXPECT_EQ(vm.path.substr(vm.path.size() - 4), ".vmx");
    EXPECT_EQ(NameFromPath(vm.path), vm.name) << vm.path;
    bool upper = false, lower = false;
    for (unsigned char c : vm.name) {
      if (c >= 0x80) ++nonAscii;
      upper |= c >= 'A' && c <= 'Z';
      lower |= c >= 'a' && c <= 'z';
    }
    mixedCase += upper && lower;
  }
  EXPECT_EQ(moids.size(), 5000u);
  EXPECT_EQ(names.size(), 5000u);
  EXPECT_EQ(paths.size(), 5000u);
  EXPECT_GT(nonAscii, 0);
  EXPECT_GT(mixedCase, 0);
  EXPECT_EQ(states.size(), 3u);  // on, off and suspended, nothing in transition
  EXPECT_GT(states[sim::kPoweredOn], 0);
  EXPECT_GT(states[sim::kPoweredOff], 0);
  EXPECT_GT(states[sim::kSuspended], 0);
}

}  // namespace
