// Searching a server's VMs and keeping the list across refreshes; losing the connection.
#include <nlohmann/json.hpp>

#include "backend/PrismoVM.h"
#include "tests/support/ServerTestSupport.h"

namespace {

class Enumeration : public ServerTest {};

std::vector<std::string> Names(const VMList& vms) {
  std::vector<std::string> names;
  for (const VMPtr& vm : vms) names.push_back(vm->GetName());
  return names;
}

struct LaunchRecord {
  static inline std::string host, moid, user, password;
  static inline int calls = 0;
  static bool Launch(const std::string& h, const std::string& m, const std::string& u, const std::string& p) {
    host = h;
    moid = m;
    user = u;
    password = p;
    ++calls;
    return !m.empty();
  }
};

}  // namespace

// A refresh keeps the objects of VMs found again (open, favorite, recent) and adds new
// ones. A VM renamed with its files moved keeps the name from its path but is a new object
// that takes the favorite flag; the old object and that of a removed VM are freed.
TEST_F(Enumeration, RefreshKeepsFoundVMsCarriesTheFlagToAMovedOneAndFreesTheRest) {
  const std::string moid = AddVm("web01");
  const std::string movedMoid = AddVm("app01");
  const std::string goneMoid = AddVm("gone");
  OlvarkServerPtr server = LoggedInServer();
  std::shared_ptr<QorVM> web = FindVM(server, "web01");
  ASSERT_TRUE(web);
  // The console gets the server address, the moid and the saved credentials, once the VM
  // is open and its moid known.
  OlvarkServer::SetConsoleLauncher(&LaunchRecord::Launch);
  LaunchRecord::calls = 0;
  EXPECT_FALSE(web->RunInConsole());
  ASSERT_TRUE(OpenAndWait(web));
  EXPECT_EQ(web->GetId(), moid);
  EXPECT_TRUE(web->RunInConsole());
  OlvarkServer::SetConsoleLauncher(nullptr);
  EXPECT_EQ(LaunchRecord::calls, 2);
  EXPECT_EQ(LaunchRecord::host, (sim.Secure() ? "" : "http://") + std::string(kHost) + ":" + std::to_string(sim.Port()));
  EXPECT_EQ(LaunchRecord::moid, moid);
  EXPECT_EQ(LaunchRecord::user, kUser);
  EXPECT_EQ(LaunchRecord::password, server->GetProtectedPassword());
  // Another kind of VM is not the server's to launch.
  EXPECT_FALSE(server->RunVMInConsole(*PrismoVM::Create("x", "[ds] x/x.vmx")));
  EXPECT_EQ(LaunchRecord::calls, 2);
  EXPECT_TRUE(log->Contains("QorVM::OnVMOpened: VM 'web01' has moid '" + moid + "'.\r\n"));
  web->SetFavorite(true);
  web->MarkUsed();
  std::weak_ptr<QorVM> moved = FindVM(server, "app01");
  moved.lock()->SetFavorite(true);
  std::shared_ptr<QorVM> gone = FindVM(server, "gone");
  ASSERT_TRUE(OpenAndWait(gone));
  std::weak_ptr<QorVM> goneWatch = gone;
  gone.reset();

  AddVm("Äpfel");
  nlohmann::json rename = {{"moid", movedMoid}, {"name", "App 01 (renamed)"}, {"path", "[datastore2] moved/app01.vmx"}};
  ASSERT_TRUE(sim.Admin("renameVm", rename.dump())) << sim.LastError();
  ASSERT_TRUE(sim.Admin("removeVm", nlohmann::json({{"moid", goneMoid}}).dump())) << sim.LastError();
  ASSERT_TRUE(RefreshAndWait(server));
  // In VM order: letter case ignored, by the locale (not byte order).
  EXPECT_EQ(Names(server->GetVMs()), (std::vector<std::string>{"Äpfel", "app01", "web01"}));
  EXPECT_EQ(FindVM(server, "web01"), web);  // the same object
  EXPECT_EQ(web->GetOpenState(), QorVM::STATE_OPEN_SUCCESS);
  EXPECT_TRUE(web->IsFavorite());
  EXPECT_TRUE(web->IsRecent());
  int32_t power = 0;
  EXPECT_TRUE(web->GetPowerState(power));
  EXPECT_EQ(power, 2);
  std::shared_ptr<QorVM> after = FindVM(server, "app01");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->GetCfxPath(), "[datastore2] moved/app01.vmx");
  EXPECT_TRUE(after->IsFavorite());
  EXPECT_TRUE(moved.expired());
  EXPECT_TRUE(goneWatch.expired());
}

TEST_F(Enumeration, PowerEventsReachTheVMSignal) {
  const std::string moid = AddVm("web01", 2);
  OlvarkServerPtr server = LoggedInServer();
  std::shared_ptr<QorVM> web = FindVM(server, "web01");
  SignalCounter opened;
  SignalCounter power;
  web->mOpenStateChanged.connect(opened.Slot());
  web->mPowerStateChanged.connect(power.Slot());
  ASSERT_TRUE(sim.Admin("latency", R"({"ms":300})"));  // keeps the VM opening for a while
  web->Open();
  EXPECT_EQ(web->GetOpenState(), QorVM::STATE_OPENING);
  web->Open();  // while opening: only a log line
  EXPECT_TRUE(log->Contains("QorVM::Open: Unable to open VM. mOpenState=1, hostHandle="));
  // The library's thread sets the state, then signals: wait for the signal.
  ASSERT_TRUE(polling::WaitUntil([&] { return opened.count == 2; })) << "opening, then open";
  EXPECT_EQ(web->GetOpenState(), QorVM::STATE_OPEN_SUCCESS);
  ASSERT_TRUE(sim.Admin("latency", R"({"ms":0})"));

  ASSERT_TRUE(sim.Admin("setPower", nlohmann::json({{"moid", moid}, {"powerState", 8}}).dump()));
  EXPECT_TRUE(polling::WaitUntil([&] { return power.count > 0; })) << "no event reached mPowerStateChanged";
  int32_t state = 0;
  EXPECT_TRUE(polling::WaitUntil([&] { return web->GetPowerState(state) && state == 8; }));

  // A power operation ends with events for its transition and settled states.
  const int before = power.count;
  EXPECT_TRUE(web->PowerOff());
  EXPECT_TRUE(polling::WaitUntil([&] { return web->GetPowerState(state) && state == 2; }));
  EXPECT_TRUE(polling::WaitUntil([&] { return power.count >= before + 2; }));
  // Not allowed in the state it is in: the failure is logged.
  EXPECT_TRUE(web->PowerOff());
  EXPECT_TRUE(polling::WaitUntil([&] { return log->Contains("QorVM::OnPowerOperationDone: Power operation on VM 'web01' failed with asyncErr=3006 ("); }));

  web->Close();
  EXPECT_EQ(web->GetOpenState(), QorVM::STATE_CLOSED);
  EXPECT_EQ(web->GetId(), moid);  // the id stays
  EXPECT_TRUE(log->Contains("QorVM::Close: Releasing handle of VM 'web01'.\r\n"));
  const int afterClose = power.count;
  ASSERT_TRUE(sim.Admin("setPower", nlohmann::json({{"moid", moid}, {"powerState", 32}}).dump()));
  Sleep(1500);
  EXPECT_EQ(power.count, afterClose) << "an event arrived after the subscription was cancelled";
}

// The session lost, found by a search and then by an open.
TEST_F(Enumeration, LostConnectionLogsOffAndKeepsCredentialsAndList) {
  AddVm("web01");
  AddVm("db01");
  OlvarkServerPtr server = LoggedInServer(true);
  std::shared_ptr<QorVM> web = FindVM(server, "web01");
  ASSERT_TRUE(OpenAndWait(web));

  ASSERT_TRUE(sim.Admin("dropSessions")) << sim.LastError();
  server->Refresh();
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_LOGGED_OFF));
  EXPECT_EQ(server->GetHostHandle(), 0u);
  EXPECT_EQ(server->GetUser(), kUser);
  EXPECT_TRUE(server->GetSaveCredentials());
  EXPECT_EQ(server->GetVMs().size(), 2u);
  EXPECT_EQ(web->GetOpenState(), QorVM::STATE_CLOSED);
  EXPECT_TRUE(log->Contains("OlvarkServer::FindItemsCallback: VM enumeration on server '127.0.0.1' failed with err 0 and asyncErr 36.\r\n"));
  EXPECT_TRUE(log->Contains("OlvarkServer::FindItemsCallback: Connection to server '127.0.0.1' was lost.\r\n"));
  EXPECT_TRUE(log->Contains("OlvarkServer::Logoff: Logging off of server '127.0.0.1'.\r\n"));
  EXPECT_TRUE(log->Contains("OlvarkServer::Logoff: Closing all open VMs.\r\n"));

  // The saved credentials still log in.
  server->Login(nullptr, nullptr, false);
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED));
  EXPECT_EQ(FindVM(server, "web01"), web);

  // Lost while a VM opens: the failed open, then the log-off that closes every VM.
  ASSERT_TRUE(sim.Admin("dropSessions")) << sim.LastError();
  web->Open();
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_LOGGED_OFF));
  EXPECT_TRUE(log->Contains(
      "QorVM::OnVMOpened: Opening VM 'web01' failed because the server connection was lost.\r\n"));
  EXPECT_EQ(web->GetOpenState(), QorVM::STATE_CLOSED);
  EXPECT_EQ(server->GetUser(), kUser);
  // Without a host handle the VM cannot open.
  web->Open();
  EXPECT_EQ(web->GetOpenState(), QorVM::STATE_CLOSED);
  EXPECT_TRUE(log->Contains("QorVM::Open: Unable to open VM. mOpenState=0, hostHandle=0.\r\n"));
}

// Refreshes that overlap: only the newest search's answer counts, and their completions
// never run at the same time. A failed search keeps the old list. A server removed while
// its search is answered slowly: the late answer finds no server.
TEST_F(Enumeration, OverlappingOrFailedSearchesKeepTheNewestListAndALateOneFindsNoServer) {
  AddVm("web01");
  OlvarkServerPtr server = LoggedInServer();
  ASSERT_TRUE(sim.Admin("latency", R"({"ms":300})"));
  server->Refresh();
  AddVm("late");
  server->Refresh();
  ASSERT_TRUE(polling::WaitUntil([&] { return log->Contains("Ignoring the answer of an outdated VM search"); }));
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED));
  EXPECT_EQ(Names(server->GetVMs()), (std::vector<std::string>{"late", "web01"}));

  // A search that fails for another reason (the server stops answering) keeps the old list.
  std::shared_ptr<QorVM> web = FindVM(server, "web01");
  ASSERT_TRUE(sim.Admin("silent", R"({"on":true})")) << sim.LastError();
  server->Refresh();
  EXPECT_EQ(server->GetState(), VMCollection::STATE_ENUMERATING);
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED, 20000));
  EXPECT_EQ(FindVM(server, "web01"), web);
  EXPECT_TRUE(log->Contains("OlvarkServer::FindItemsCallback: VM enumeration on server '127.0.0.1' failed with err 0 and asyncErr 30005.\r\n"));
  EXPECT_NE(server->GetHostHandle(), 0u);
  ASSERT_TRUE(sim.Admin("silent", R"({"on":false})")) << sim.LastError();

  const auto finished = [&] {
    const std::string text = log->Text();
    size_t count = 0;
    for (size_t at = text.find("is finished."); at != std::string::npos; at = text.find("is finished.", at + 1)) ++count;
    return count;
  };
  const size_t before = finished();
  server->Refresh();
  std::weak_ptr<OlvarkServer> watch = server;
  server.reset();
  EXPECT_TRUE(watch.expired());
  Sleep(1500);
  EXPECT_EQ(finished(), before) << "the answer for the gone server changed something";
}
