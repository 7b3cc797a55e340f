// getVm's lookup rules. Listing and lookups as the library uses them are covered by its
// contract tests (tests/qor) against this simulator.

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

class VmQueryTest : public SimFixture {};
SIM_BOTH_SCHEMES(VmQueryTest);

// A VM is found by its exact path or by its moid; both given, they must agree.
TEST_P(VmQueryTest, GetVmFindsByExactPathOrMoidAndBothMustAgree) {
  const std::string session = Login();
  const std::string agent = "[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx";
  auto byPath = SdkJson({{"op", "getVm"}, {"session", session}, {"path", "[ssd-fast] Büro-Server/Büro-Server.vmx"}});
  EXPECT_EQ(byPath["moid"], "vm-5");
  EXPECT_EQ(byPath["name"], "Büro-Server");
  EXPECT_EQ(byPath["powerState"], 2);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-3"}})["path"], agent);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-3"}, {"path", agent}})["ok"], true);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-1"}, {"path", agent}})["error"], 4000);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-999"}})["error"], 4000);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session},
                     {"path", "[datastore1] WEB-FRONTEND-03/WEB-FRONTEND-03.vmx"}})["error"], 4000);
  auto missing = Sdk({{"op", "getVm"}, {"session", session}});
  EXPECT_EQ(missing.status, 400);
  EXPECT_EQ(missing.Json()["error"], 3);
}

}  // namespace
}  // namespace simtest
