#include "tests/support/ServerTestSupport.h"

#include "services/Protection.h"
#include "tests/support/QorLibraryEnvironment.h"

namespace {
const auto* const kQor = ::testing::AddGlobalTestEnvironment(new QorLibraryEnvironment);
}  // namespace

std::string Protect(const std::string& password) {
  std::string out;
  EXPECT_TRUE(utils::EncryptString(password.c_str(), password.size(), out));
  return out;
}

void ServerTest::SetUp() {
  log = std::make_unique<ScratchLog>();
  ASSERT_TRUE(sim.Start(SimulatorArgs())) << sim.LastError();
}

void ServerTest::TearDown() {
  sim.Stop();
  log.reset();
}

std::string ServerTest::AddVm(const std::string& name, int powerState) {
  std::string answer;
  nlohmann::json body = {{"name", name}, {"powerState", powerState}};
  EXPECT_TRUE(sim.Admin("addVm", body.dump(), &answer)) << sim.LastError();
  nlohmann::json added = nlohmann::json::parse(answer, nullptr, false);
  return added.is_object() ? added.value("moid", "") : "";
}

int ServerTest::SimSessions() {
  std::string answer;
  EXPECT_TRUE(sim.Admin("state", "{}", &answer)) << sim.LastError();
  nlohmann::json state = nlohmann::json::parse(answer, nullptr, false);
  return state.is_object() ? state.value("sessions", -1) : -1;
}

OlvarkServerPtr ServerTest::NewServer(const std::string& user, const std::string& password) {
  return OlvarkServer::Create(kHost, static_cast<unsigned>(sim.Port()), sim.Secure(), user,
                              password.empty() ? std::string() : Protect(password), !user.empty(), 0);
}

OlvarkServerPtr ServerTest::LoggedInServer(bool withSavedCredentials) {
  OlvarkServerPtr server = withSavedCredentials ? NewServer(kUser, kPassword) : NewServer();
  if (withSavedCredentials) {
    server->Login(nullptr, nullptr, false);
  } else {
    server->Login(kUser, kPassword, true);
  }
  EXPECT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED)) << "state " << server->GetState();
  return server;
}

bool ServerTest::OpenAndWait(const std::shared_ptr<QorVM>& vm) {
  vm->Open();
  return polling::WaitUntil([&] { return vm->GetOpenState() == QorVM::STATE_OPEN_SUCCESS; });
}

bool ServerTest::WaitForState(const OlvarkServerPtr& server, int state, DWORD timeoutMs) {
  return polling::WaitUntil([&] { return server->GetState() == state; }, timeoutMs);
}

std::shared_ptr<QorVM> ServerTest::FindVM(const OlvarkServerPtr& server, const std::string& name) {
  for (const VMPtr& vm : server->GetVMs()) {
    if (vm->GetName() == name) return std::static_pointer_cast<QorVM>(vm);
  }
  return nullptr;
}

bool ServerTest::RefreshAndWait(const OlvarkServerPtr& server, DWORD timeoutMs) {
  // Counted by signal, not by state: the state may already read "enumerated" before.
  auto done = std::make_shared<std::atomic<int>>(0);
  std::weak_ptr<OlvarkServer> weak = server;
  sigc::connection watch = server->mChanged.connect([done, weak] {
    std::shared_ptr<OlvarkServer> held = weak.lock();
    if (held && held->GetState() == VMCollection::STATE_ENUMERATED) ++*done;
  });
  server->Refresh();
  const bool ended = polling::WaitUntil([&] { return *done > 0; }, timeoutMs);
  watch.disconnect();
  return ended;
}
