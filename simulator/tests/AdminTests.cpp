// The admin interface: inventory changes with their events, state, and refusals.

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

using nlohmann::json;

class AdminTest : public SimFixture {
 protected:
  json EventsSince(uint64_t since) {
    return SdkJson({{"op", "events"}, {"session", mSession}, {"since", since}, {"waitMs", 2000}});
  }
  json GetVm(const json& key) {
    json request = {{"op", "getVm"}, {"session", mSession}};
    request.update(key);
    return SdkJson(request);
  }
  void SetUp() override {
    SimFixture::SetUp();
    mSession = Login();
  }
  std::string mSession;
};
SIM_BOTH_SCHEMES(AdminTest);

// addVm, removeVm, renameVm and setPower each change what clients see and record one
// change of their kind.
TEST_P(AdminTest, InventoryChangesReachClientsWithOneChangeEach) {
  const std::string agent = "[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx";
  auto added = Admin("addVm", {{"name", "Neue Maschine"}, {"powerState", 8}});
  ASSERT_EQ(added["ok"], true) << added.dump();
  EXPECT_EQ(added["moid"], "vm-6");
  EXPECT_EQ(added["path"], "[datastore1] Neue Maschine/Neue Maschine.vmx");
  ASSERT_EQ(Admin("removeVm", {{"moid", "vm-3"}})["ok"], true);
  auto renamed = Admin("renameVm", {{"moid", "vm-2"}, {"name", "db-replica-eu-3"}});
  ASSERT_EQ(renamed["ok"], true) << renamed.dump();
  EXPECT_EQ(renamed["path"], "[datastore1] db-replica-eu-3/db-replica-eu-3.vmx");  // moves with the name
  ASSERT_EQ(Admin("setPower", {{"moid", "vm-5"}, {"powerState", 0x0808}})["ok"], true);

  auto changes = EventsSince(0)["changes"];
  ASSERT_EQ(changes.size(), 4u) << changes.dump();
  EXPECT_EQ(changes[0], json({{"seq", 1}, {"kind", "added"}, {"moid", "vm-6"}, {"name", "Neue Maschine"},
                              {"path", added["path"]}, {"powerState", 8}}));
  EXPECT_EQ(changes[1]["kind"], "removed");
  EXPECT_EQ(changes[1]["path"], agent);
  EXPECT_EQ(changes[2]["kind"], "renamed");
  EXPECT_EQ(changes[2]["name"], "db-replica-eu-3");
  EXPECT_EQ(changes[2]["oldPath"], "[datastore1] db-replica-eu-2/db-replica-eu-2.vmx");
  EXPECT_EQ(changes[2]["path"], renamed["path"]);
  EXPECT_EQ(changes[3]["kind"], "power");
  EXPECT_EQ(changes[3]["powerState"], 0x0808);

  auto list = SdkJson({{"op", "listVms"}, {"session", mSession}})["vms"];
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[4]["moid"], "vm-6");
  EXPECT_EQ(GetVm({{"moid", "vm-3"}})["error"], 4000);
  EXPECT_EQ(GetVm({{"path", renamed["path"]}})["moid"], "vm-2");
  EXPECT_EQ(GetVm({{"path", changes[2]["oldPath"]}})["error"], 4000);
  EXPECT_EQ(GetVm({{"moid", "vm-5"}})["powerState"], 0x0808);

  // A removed VM's path is free again; an explicit path is taken as given; a rename may keep
  // the path; the default state is powered off; moids are never reused.
  EXPECT_EQ(Admin("addVm", {{"name", "Build Agent (Win11)"}, {"path", agent}})["moid"], "vm-7");
  EXPECT_EQ(Admin("addVm", {{"name", "odd/name"}, {"path", "[nfs] odd/odd.vmx"}})["path"], "[nfs] odd/odd.vmx");
  EXPECT_EQ(Admin("addVm", {{"name", "plain"}})["moid"], "vm-9");
  EXPECT_EQ(GetVm({{"moid", "vm-9"}})["powerState"], 2);
  const std::string web = "[datastore1] web-frontend-03/web-frontend-03.vmx";
  EXPECT_EQ(Admin("renameVm", {{"moid", "vm-1"}, {"name", "Web Frontend"}, {"path", web}})["ok"], true);
  EXPECT_EQ(GetVm({{"path", web}})["name"], "Web Frontend");
}

// A refused command answers 400 with a reason and changes nothing.
TEST_P(AdminTest, InvalidCommandsGet400AndChangeNothing) {
  const std::pair<const char*, const char*> refused[] = {
      {"addVm", R"({"name":"web-frontend-03"})"},  // its path is taken
      {"addVm", R"({"name":"x","path":"[datastore2] Build Agent (Win11)/Build Agent (Win11).vmx"})"},
      {"addVm", R"({"name":"a/b"})"},  // cannot become a path
      {"addVm", R"({"name":""})"},
      {"addVm", R"({"name":"x","powerState":-1})"},
      {"addVm", R"({"name":"x","path":""})"},
      {"removeVm", R"({"moid":"vm-42"})"},
      {"renameVm", R"({"moid":"vm-1","name":"db-replica-eu-2"})"},  // onto another VM's path
      {"renameVm", R"({"moid":"vm-42","name":"x"})"},
      {"setPower", R"({"moid":"vm-5","powerState":4294967296})"},
      {"setPower", R"({"moid":"vm-5","powerState":"8"})"},
      {"setPower", R"({"moid":"vm-9","powerState":8})"},
      {"latency", "not json"},
      {"latency", "[]"},
      {"latency", R"({"ms":"fast"})"},
      {"latency", R"({"ms":600001})"},
      {"silent", R"({"on":1})"},
      {"explode", "{}"},
  };
  for (const auto& [command, body] : refused) {
    auto answer = AdminRaw(command, body);
    EXPECT_EQ(answer.status, 400) << command << " " << body;
    EXPECT_EQ(answer.Json()["ok"], false) << command << " " << body;
    EXPECT_TRUE(answer.Json()["text"].is_string()) << command << " " << body;
  }
  EXPECT_EQ(EventsSince(0)["seq"], 0);
  auto state = Admin("state");
  EXPECT_EQ(state["vms"].size(), 5u);
  EXPECT_EQ(state["latencyMs"], 0);
  EXPECT_EQ(state["silent"], false);
}

// The state reports VMs, sessions and settings, and counts the known operations of this
// protocol version that clients asked for, refused ones included.
TEST_P(AdminTest, StateReportsVmsSessionsSettingsAndTheOperationsAskedFor) {
  Admin("latency", {{"ms", 5}});
  SdkJson({{"op", "listVms"}, {"session", mSession}});
  SdkJson({{"op", "getVm"}, {"session", mSession}, {"moid", "vm-1"}});
  SdkJson({{"op", "getVm"}, {"session", "not-a-session"}, {"moid", "vm-2"}});
  SdkJson({{"op", "noSuchOp"}, {"session", mSession}});
  SdkJson({{"v", 2}, {"op", "getVm"}, {"session", mSession}});
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
  EXPECT_EQ(state["calls"], json({{"login", 1}, {"listVms", 1}, {"getVm", 2}}));
}

}  // namespace
}  // namespace simtest
