// listVms and getVm.

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

using nlohmann::json;

class VmQueryTest : public SimFixture {};
SIM_BOTH_SCHEMES(VmQueryTest);

TEST_P(VmQueryTest, ListVmsGivesEveryVmInInventoryOrderWithTheCurrentSequenceNumber) {
  auto body = SdkJson({{"op", "listVms"}, {"session", Login()}});
  ASSERT_EQ(body["ok"], true) << body.dump();
  const auto& vms = body["vms"];
  ASSERT_EQ(vms.size(), 5u);
  auto expected = SmallInventory();
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(vms[i]["moid"], expected[i].moid);
    EXPECT_EQ(vms[i]["name"], expected[i].name);
    EXPECT_EQ(vms[i]["path"], expected[i].path);
    EXPECT_EQ(vms[i]["powerState"], expected[i].powerState);
  }
  EXPECT_EQ(vms[4]["path"], "[ssd-fast] Büro-Server/Büro-Server.vmx");
  EXPECT_EQ(body["seq"], 0);

  Admin("setPower", {{"moid", "vm-2"}, {"powerState", 8}});
  EXPECT_EQ(SdkJson({{"op", "listVms"}, {"session", Login()}})["seq"], 1);
}

TEST_P(VmQueryTest, GetVmFindsByPathOrMoidAndBothMustAgree) {
  std::string session = Login();
  auto byPath = SdkJson({{"op", "getVm"}, {"session", session}, {"path", "[ssd-fast] Büro-Server/Büro-Server.vmx"}});
  EXPECT_EQ(byPath["ok"], true);
  EXPECT_EQ(byPath["moid"], "vm-5");
  EXPECT_EQ(byPath["name"], "Büro-Server");
  EXPECT_EQ(byPath["powerState"], 2);

  auto byMoid = SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-3"}});
  EXPECT_EQ(byMoid["path"], "[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx");
  EXPECT_EQ(byMoid["powerState"], 0x20);

  auto both = SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-3"},
                       {"path", "[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx"}});
  EXPECT_EQ(both["ok"], true);
  auto mismatch = SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-1"},
                           {"path", "[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx"}});
  EXPECT_EQ(mismatch["error"], 4000);
}

TEST_P(VmQueryTest, UnknownVmGives4000AndAMissingKeyIsABadRequest) {
  std::string session = Login();
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-999"}})["error"], 4000);
  // Paths are compared exactly.
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"path", "[datastore1] WEB-FRONTEND-03/WEB-FRONTEND-03.vmx"}})["error"],
            4000);
  auto missing = Sdk({{"op", "getVm"}, {"session", session}});
  EXPECT_EQ(missing.status, 400);
  EXPECT_EQ(missing.Json()["error"], 3);
}

}  // namespace
}  // namespace simtest
