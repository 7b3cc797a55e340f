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

}  // namespace
}  // namespace simtest
