// The admin interface: inventory changes with their events, state, latency.

#include <chrono>

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

class AdminTest : public SimFixture {
 protected:
  json EventsSince(uint64_t since) {
    return SdkJson({{"op", "events"}, {"session", mSession}, {"since", since}, {"waitMs", 2000}});
  }
  void SetUp() override {
    SimFixture::SetUp();
    mSession = Login();
  }
  std::string mSession;
};
SIM_BOTH_SCHEMES(AdminTest);

TEST_P(AdminTest, AddVmAppendsItWithANewMoidAndRecordsAnAddedChange) {
  auto added = Admin("addVm", {{"name", "Neue Maschine"}, {"powerState", 8}});
  ASSERT_EQ(added["ok"], true) << added.dump();
  EXPECT_EQ(added["moid"], "vm-6");
  EXPECT_EQ(added["path"], "[datastore1] Neue Maschine/Neue Maschine.vmx");

  auto events = EventsSince(0);
  ASSERT_EQ(events["changes"].size(), 1u);
  EXPECT_EQ(events["changes"][0]["kind"], "added");
  EXPECT_EQ(events["changes"][0]["moid"], "vm-6");
  EXPECT_EQ(events["changes"][0]["name"], "Neue Maschine");
  EXPECT_EQ(events["changes"][0]["powerState"], 8);

  auto list = SdkJson({{"op", "listVms"}, {"session", mSession}});
  ASSERT_EQ(list["vms"].size(), 6u);
  EXPECT_EQ(list["vms"][5]["moid"], "vm-6");

  auto explicitPath = Admin("addVm", {{"name", "odd/name"}, {"path", "[nfs] odd/odd.vmx"}});
  EXPECT_EQ(explicitPath["path"], "[nfs] odd/odd.vmx");
  EXPECT_EQ(Admin("addVm", {{"name", "plain"}})["moid"], "vm-8");  // default state: powered off
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", mSession}, {"moid", "vm-8"}})["powerState"], 2);
}

TEST_P(AdminTest, AddVmRefusesDuplicatePathsAndNamesThatCannotBecomeAPath) {
  EXPECT_EQ(AdminRaw("addVm", R"({"name":"web-frontend-03"})").status, 400);
  EXPECT_EQ(AdminRaw("addVm", R"({"name":"x","path":"[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx"})").status,
            400);
  EXPECT_EQ(AdminRaw("addVm", R"({"name":"a/b"})").status, 400);
  EXPECT_EQ(AdminRaw("addVm", R"({"name":""})").status, 400);
  EXPECT_EQ(AdminRaw("addVm", R"({"name":"x","powerState":-1})").status, 400);
  EXPECT_EQ(AdminRaw("addVm", R"({"name":"x","path":""})").status, 400);
  EXPECT_EQ(EventsSince(0)["seq"], 0);  // nothing was recorded
}

TEST_P(AdminTest, RemoveVmDropsItAndRecordsARemovedChange) {
  EXPECT_EQ(Admin("removeVm", {{"moid", "vm-3"}})["ok"], true);
  auto events = EventsSince(0);
  ASSERT_EQ(events["changes"].size(), 1u);
  EXPECT_EQ(events["changes"][0]["kind"], "removed");
  EXPECT_EQ(events["changes"][0]["path"], "[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx");
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", mSession}, {"moid", "vm-3"}})["error"], 4000);
  EXPECT_EQ(SdkJson({{"op", "listVms"}, {"session", mSession}})["vms"].size(), 4u);
  EXPECT_EQ(AdminRaw("removeVm", R"({"moid":"vm-3"})").status, 400);
  // Its path is free again.
  EXPECT_EQ(Admin("addVm", {{"name", "Build Agent (Win11)"}, {"path", "[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx"}})["ok"],
            true);
}

TEST_P(AdminTest, RenameVmMovesThePathWithTheNameInTheSameDatastore) {
  auto renamed = Admin("renameVm", {{"moid", "vm-3"}, {"name", "Build Agent (Win12)"}});
  ASSERT_EQ(renamed["ok"], true) << renamed.dump();
  EXPECT_EQ(renamed["path"], "[datastore2] Build Agent (Win12)/Build Agent (Win12).vmx");

  auto events = EventsSince(0);
  ASSERT_EQ(events["changes"].size(), 1u);
  const auto& change = events["changes"][0];
  EXPECT_EQ(change["kind"], "renamed");
  EXPECT_EQ(change["name"], "Build Agent (Win12)");
  EXPECT_EQ(change["oldPath"], "[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx");
  EXPECT_EQ(change["path"], "[datastore2] Build Agent (Win12)/Build Agent (Win12).vmx");

  auto byNewPath = SdkJson({{"op", "getVm"}, {"session", mSession}, {"path", renamed["path"]}});
  EXPECT_EQ(byNewPath["moid"], "vm-3");
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", mSession}, {"path", change["oldPath"]}})["error"], 4000);

  auto keepPath = Admin("renameVm", {{"moid", "vm-1"}, {"name", "Web Frontend"}, {"path", "[datastore1] web-frontend-03/web-frontend-03.vmx"}});
  EXPECT_EQ(keepPath["ok"], true);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", mSession}, {"moid", "vm-1"}})["name"], "Web Frontend");
  // Onto another VM's path: refused.
  EXPECT_EQ(AdminRaw("renameVm", R"({"moid":"vm-1","name":"db-replica-eu-2"})").status, 400);
  EXPECT_EQ(AdminRaw("renameVm", R"({"moid":"vm-42","name":"x"})").status, 400);
}

TEST_P(AdminTest, SetPowerChangesTheStateWithOneChange) {
  EXPECT_EQ(Admin("setPower", {{"moid", "vm-5"}, {"powerState", 0x0808}})["ok"], true);
  auto events = EventsSince(0);
  ASSERT_EQ(events["changes"].size(), 1u);
  EXPECT_EQ(events["changes"][0]["kind"], "power");
  EXPECT_EQ(events["changes"][0]["powerState"], 0x0808);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", mSession}, {"moid", "vm-5"}})["powerState"], 0x0808);
  EXPECT_EQ(AdminRaw("setPower", R"({"moid":"vm-5","powerState":4294967296})").status, 400);
  EXPECT_EQ(AdminRaw("setPower", R"({"moid":"vm-5","powerState":"8"})").status, 400);
  EXPECT_EQ(AdminRaw("setPower", R"({"moid":"vm-9","powerState":8})").status, 400);
}

TEST_P(AdminTest, StateReportsVmsSessionsAndSettings) {
  Admin("latency", {{"ms", 5}});
  Admin("silent", {{"on", false}});
  auto state = Admin("state");
  EXPECT_EQ(state["ok"], true);
  EXPECT_EQ(state["vms"].size(), 5u);
  EXPECT_EQ(state["sessions"], 1);
  EXPECT_EQ(state["unlicensed"], false);
  EXPECT_EQ(state["latencyMs"], 5);
  EXPECT_EQ(state["silent"], false);
  EXPECT_EQ(state["updateAvailable"], true);
  EXPECT_EQ(state.contains("certSha256"), GetParam());
  if (GetParam()) EXPECT_EQ(state["certSha256"].get<std::string>().size(), 64u);
}

TEST_P(AdminTest, StateCountsTheKnownSdkOperationsClientsAskedFor) {
  EXPECT_EQ(Admin("state")["calls"], json({{"login", 1}}));  // the fixture's login
  SdkJson({{"op", "listVms"}, {"session", mSession}});
  SdkJson({{"op", "getVm"}, {"session", mSession}, {"moid", "vm-1"}});
  SdkJson({{"op", "getVm"}, {"session", "not-a-session"}, {"moid", "vm-2"}});  // asked for, refused
  SdkJson({{"op", "noSuchOp"}, {"session", mSession}});  // unknown names are not counted
  SdkJson({{"v", 2}, {"op", "getVm"}, {"session", mSession}});  // nor requests of another version
  EXPECT_EQ(Admin("state")["calls"], json({{"login", 1}, {"listVms", 1}, {"getVm", 2}}));
}

TEST_P(AdminTest, LatencyDelaysEverySdkAnswer) {
  Admin("latency", {{"ms", 400}});
  auto started = Clock::now();
  EXPECT_EQ(SdkJson({{"op", "listVms"}, {"session", mSession}})["ok"], true);
  EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(400));
  started = Clock::now();
  EXPECT_EQ(Sdk(json::array()).status, 400);  // malformed requests too
  EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(400));
}

TEST_P(AdminTest, MalformedAdminRequestsGet400) {
  EXPECT_EQ(AdminRaw("latency", "not json").status, 400);
  EXPECT_EQ(AdminRaw("latency", "[]").status, 400);
  EXPECT_EQ(AdminRaw("latency", R"({"ms":"fast"})").status, 400);
  EXPECT_EQ(AdminRaw("latency", R"({"ms":600001})").status, 400);
  EXPECT_EQ(AdminRaw("silent", R"({"on":1})").status, 400);
  auto unknown = AdminRaw("explode", "{}");
  EXPECT_EQ(unknown.status, 400);
  EXPECT_EQ(unknown.Json()["ok"], false);
  EXPECT_TRUE(unknown.Json()["text"].is_string());
  EXPECT_EQ(Admin("state")["latencyMs"], 0);
}

}  // namespace
}  // namespace simtest
