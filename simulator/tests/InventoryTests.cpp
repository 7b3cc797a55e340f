// Generated and file inventories.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "simulator/src/InventoryFile.h"
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

TEST(InventoryFileTest, MissingFieldsGetDefaultsAndMoidsFollowTheHighestGiven) {
  std::vector<sim::Vm> vms;
  std::string error;
  ASSERT_TRUE(sim::ParseInventory(R"({"vms":[
      {"name":"Büro-Server"},
      {"name":"odd/one","path":"[nfs] x/odd.vmx","moid":"vm-12","powerState":32},
      {"name":"legacy","moid":"host-vm-a"}]})",
                                  &vms, &error))
      << error;
  ASSERT_EQ(vms.size(), 3u);
  EXPECT_EQ(vms[0].path, "[datastore1] Büro-Server/Büro-Server.vmx");
  EXPECT_EQ(vms[0].moid, "vm-13");
  EXPECT_EQ(vms[0].powerState, sim::kPoweredOff);
  EXPECT_EQ(vms[1].path, "[nfs] x/odd.vmx");
  EXPECT_EQ(vms[1].powerState, sim::kSuspended);
  EXPECT_EQ(vms[2].moid, "host-vm-a");
  ASSERT_TRUE(sim::ParseInventory(R"({"vms":[]})", &vms, &error));
  EXPECT_TRUE(vms.empty());
}

}  // namespace
