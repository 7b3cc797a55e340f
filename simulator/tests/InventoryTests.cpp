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

TEST(InventoryGeneratorTest, TheSeedDecidesTheInventory) {
  auto a = sim::GenerateInventory(200, 42);
  auto b = sim::GenerateInventory(200, 42);
  auto c = sim::GenerateInventory(200, 43);
  bool differs = false;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].name, b[i].name);
    EXPECT_EQ(a[i].path, b[i].path);
    EXPECT_EQ(a[i].powerState, b[i].powerState);
    differs |= a[i].path != c[i].path;
  }
  EXPECT_TRUE(differs);
  EXPECT_TRUE(sim::GenerateInventory(0, 1).empty());
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

TEST(InventoryFileTest, InvalidFilesAreRefusedWithAReason) {
  const std::pair<const char*, const char*> bad[] = {
      {"not json", "not valid JSON"},
      {"[]", "\"vms\" array"},
      {R"({"vms":{}})", "\"vms\" array"},
      {R"({"vms":[1]})", "vms[0] is not an object"},
      {R"({"vms":[{"path":"[a] b/b.vmx"}]})", "\"name\""},
      {R"({"vms":[{"name":""}]})", "\"name\""},
      {R"({"vms":[{"name":"a/b"}]})", "explicit \"path\""},
      {R"({"vms":[{"name":"a","powerState":-2}]})", "\"powerState\""},
      {R"({"vms":[{"name":"a","powerState":4294967296}]})", "\"powerState\""},
      {R"({"vms":[{"name":"a","moid":5}]})", "\"moid\""},
      {R"({"vms":[{"name":"a"},{"name":"a"}]})", "used twice"},
      {R"({"vms":[{"name":"a","moid":"vm-1"},{"name":"b","moid":"vm-1"}]})", "used twice"},
  };
  for (const auto& [text, reason] : bad) {
    std::vector<sim::Vm> vms;
    std::string error;
    EXPECT_FALSE(sim::ParseInventory(text, &vms, &error)) << text;
    EXPECT_NE(error.find(reason), std::string::npos) << text << " -> " << error;
  }
  std::vector<sim::Vm> vms;
  std::string error;
  EXPECT_FALSE(sim::LoadInventoryFile("/nonexistent/inventory.json", &vms, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
}

}  // namespace
