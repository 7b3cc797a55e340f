#include "tests/model_server/ServerTestSupport.h"

#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>

#include "backend/QorLibrary.h"
#include "services/Protection.h"

namespace {

// Loads qor.dll from bin/kilnworks by full path and binds it, as the program does, with
// the library's time-outs shortened (request 3 s, connect 1 s) for the failure cases.
class QorLibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    _putenv("QOR_TIMEOUT_SCALE=0.1");
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    SetDllDirectoryW((folder + L"kilnworks").c_str());
    HMODULE module = LoadLibraryW((folder + L"kilnworks\\qor.dll").c_str());
    ASSERT_NE(module, nullptr) << "qor.dll not loadable, error " << GetLastError();
    ASSERT_TRUE(QorLibrary::Bind(module)) << "missing export " << QorLibrary::MissingExport();
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QorLibraryEnvironment);

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

std::string ServerTest::MoidOf(const std::string& path) {
  std::string answer;
  EXPECT_TRUE(sim.Admin("state", "{}", &answer)) << sim.LastError();
  nlohmann::json state = nlohmann::json::parse(answer, nullptr, false);
  if (state.is_object() && state.contains("vms")) {
    for (const auto& vm : state["vms"]) {
      if (vm.value("path", "") == path) return vm.value("moid", "");
    }
  }
  return std::string();
}

int ServerTest::SimSessions() {
  std::string answer;
  if (!sim.Admin("state", "{}", &answer)) return -1;
  nlohmann::json state = nlohmann::json::parse(answer, nullptr, false);
  return state.is_object() ? state.value("sessions", -1) : -1;
}

OlvarkServerPtr ServerTest::NewServer(const std::string& user, const std::string& password) {
  return OlvarkServer::Create(kHost, static_cast<unsigned>(sim.Port()), sim.Secure(), user,
                              password.empty() ? std::string() : Protect(password), !user.empty(), 0);
}

OlvarkServerPtr ServerTest::LoggedInServer() {
  OlvarkServerPtr server = NewServer();
  server->Login(kUser, kPassword, true);
  EXPECT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED)) << "state " << server->GetState();
  return server;
}

bool ServerTest::WaitForState(const OlvarkServerPtr& server, int state, DWORD timeoutMs) {
  return WaitFor([&] { return server->GetState() == state; }, timeoutMs);
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
  const bool ended = WaitFor([&] { return *done > 0; }, timeoutMs);
  watch.disconnect();
  return ended;
}
