// Logging in to the simulator: given and saved credentials, refusals, a server that
// answers too slowly, and a login whose server is gone before the answer comes.
#include <cstring>
#include <vector>

#include "backend/LoginErrorText.h"
#include "services/Protection.h"
#include "tests/support/ServerTestSupport.h"

namespace {

class Login : public ServerTest {};

class SlowLogin : public ServerTest {
 protected:
  std::vector<std::string> SimulatorArgs() const override { return {"--vms", "3"}; }
};

}  // namespace

TEST_F(Login, GivenCredentialsLogInEnumerateAndAreKeptProtected) {
  AddVm("web01");
  AddVm("db01");
  OlvarkServerPtr server = NewServer();
  std::vector<int> states;
  std::mutex statesLock;
  server->mChanged.connect([&] {
    std::lock_guard<std::mutex> hold(statesLock);
    states.push_back(server->GetState());
  });
  EXPECT_FALSE(server->HasUserName());
  server->Login(kUser, kPassword, true);
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED));
  {
    std::lock_guard<std::mutex> hold(statesLock);
    EXPECT_EQ(states, (std::vector<int>{VMCollection::STATE_LOGGING_IN, VMCollection::STATE_ENUMERATING,
                                        VMCollection::STATE_ENUMERATED}));
  }
  EXPECT_NE(server->GetHostHandle(), 0u);
  EXPECT_EQ(server->GetVMs().size(), 2u);
  EXPECT_EQ(server->GetUser(), kUser);
  EXPECT_TRUE(server->GetSaveCredentials());
  EXPECT_NE(server->GetProtectedPassword(), kPassword);
  const std::string saved = server->GetProtectedPassword();
  std::vector<char> plain;
  ASSERT_TRUE(utils::DecryptString(saved.c_str(), static_cast<int>(saved.size()), plain));
  EXPECT_STREQ(plain.data(), kPassword);
  EXPECT_TRUE(log->Contains("OlvarkServer::Login: Attempting to login to server '127.0.0.1'.\r\n"));
  EXPECT_TRUE(log->Contains("OlvarkServer::OnHostConnected: Login succeeded to server '127.0.0.1'.\r\n"));
  EXPECT_TRUE(log->Contains(
      "OlvarkServer::FindItemsCallback: VM enumeration on server '127.0.0.1' is finished. We found 2 VMs.\r\n"));

  // Logged in: a second login does nothing.
  const size_t signalsBefore = states.size();
  server->Login(kUser, "other", false);
  EXPECT_EQ(states.size(), signalsBefore);
  EXPECT_TRUE(server->GetSaveCredentials());

  // Logged off keeping the credentials, it logs in again with the saved ones, decrypted.
  EXPECT_EQ(SimSessions(), 1);
  server->Logoff(false, true);
  EXPECT_EQ(server->GetState(), VMCollection::STATE_LOGGED_OFF);
  EXPECT_EQ(server->GetHostHandle(), 0u);
  EXPECT_EQ(server->GetUser(), kUser);
  EXPECT_TRUE(polling::WaitUntil([&] { return SimSessions() == 0; })) << "the session was not ended on the server";
  EXPECT_TRUE(log->Contains("OlvarkServer::Logoff: Logging off user. Not clearing credentials.\r\n"));
  server->Login(nullptr, nullptr, false);
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED));
  EXPECT_EQ(SimSessions(), 1);
}

// No credentials at all, or saved ones that cannot be decrypted (which are dropped, the
// flag kept): nothing is sent, nothing signalled, only a log line.
TEST_F(Login, WithoutUsableCredentialsNothingIsTriedAndWhyIsLogged) {
  const struct {
    const char* user;
    const char* protectedPassword;
    const char* logged;
  } cases[] = {
      {"", "", "No credentials are available for login to server '127.0.0.1'.\r\n"},
      {kUser, "AAAAnotablob", "Unable to decrypt the saved credentials for login to server '127.0.0.1'.\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.logged);
    OlvarkServerPtr server = OlvarkServer::Create(kHost, static_cast<unsigned>(sim.Port()), sim.Secure(), c.user,
                                                  c.protectedPassword, *c.user != 0, 0);
    SignalCounter changed;
    server->mChanged.connect(changed.Slot());
    server->Login(nullptr, nullptr, false);
    EXPECT_EQ(server->GetState(), VMCollection::STATE_LOGGED_OFF);
    EXPECT_EQ(changed.count, 0);
    EXPECT_EQ(server->GetUser(), "");
    EXPECT_EQ(server->GetProtectedPassword(), "");
    EXPECT_EQ(server->GetSaveCredentials(), *c.user != 0);  // the flag stays
    EXPECT_TRUE(log->Contains(std::string("OlvarkServer::Login: ") + c.logged));
  }
  EXPECT_EQ(SimSessions(), 0);
}

TEST_F(Login, RefusedCredentialsAreForgotten) {
  OlvarkServerPtr server = NewServer(kUser, "wrong");
  server->Login(nullptr, nullptr, false);
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_LOGIN_FAILED));
  EXPECT_EQ(server->GetLastError(), 3014u);
  EXPECT_FALSE(server->GetErrorText().empty());
  EXPECT_EQ(utils::LoginErrorText(server->GetLastError(), utils::LoginErrorContext::kRow), L"Bad username or password.");
  EXPECT_EQ(server->GetUser(), "");
  EXPECT_EQ(server->GetProtectedPassword(), "");
  EXPECT_FALSE(server->GetSaveCredentials());
  EXPECT_FALSE(server->HasUserName());
  EXPECT_TRUE(log->Contains("OlvarkServer::OnHostConnected: Login failed to server '127.0.0.1' with error 3014 ("));
  // The next attempt needs new credentials.
  server->Login(nullptr, nullptr, false);
  EXPECT_EQ(server->GetState(), VMCollection::STATE_LOGIN_FAILED);
  // A retry with the right ones works from the failed state.
  server->Login(kUser, kPassword, false);
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED));
  EXPECT_FALSE(server->GetSaveCredentials());
}

TEST_F(SlowLogin, AnswerSlowerThanTheTimeOutFailsTheLogin) {
  ASSERT_TRUE(sim.Admin("latency", R"({"ms":5000})")) << sim.LastError();
  OlvarkServerPtr server = NewServer();
  server->Login(kUser, kPassword, false);
  EXPECT_EQ(server->GetState(), VMCollection::STATE_LOGGING_IN);
  // A second login while the first is under way starts nothing.
  server->Login(kUser, kPassword, false);
  EXPECT_TRUE(log->Contains("OlvarkServer::Login: A login to server '127.0.0.1' is already under way.\r\n"));
  ASSERT_TRUE(WaitForState(server, VMCollection::STATE_LOGIN_FAILED, 20000));
  EXPECT_EQ(server->GetLastError(), static_cast<uint64_t>(QOR_E_TIMED_OUT));
  EXPECT_EQ(utils::LoginErrorText(server->GetLastError(), utils::LoginErrorContext::kRow), L"Failed to connect to server.");
  EXPECT_EQ(server->GetUser(), kUser);  // only a refusal forgets the credentials
}

// Logged off while the login is under way, the answer is stale and must not log in; a
// server that is gone before its late answer must find nothing. Either way the session the
// answer brought is ended.
TEST_F(SlowLogin, ALateAnswerForAServerLoggedOffOrGoneEndsItsSession) {
  ASSERT_TRUE(sim.Admin("latency", R"({"ms":800})")) << sim.LastError();
  const auto logouts = [&] {
    const std::string output = sim.Output();
    size_t count = 0;
    for (size_t at = output.find("op=logout"); at != std::string::npos; at = output.find("op=logout", at + 1)) ++count;
    return count;
  };
  OlvarkServerPtr server = NewServer();
  server->Login(kUser, kPassword, false);
  server->Logoff(false, true);
  EXPECT_EQ(server->GetState(), VMCollection::STATE_LOGGED_OFF);
  ASSERT_TRUE(polling::WaitUntil([&] {
    return log->Contains("Ignoring the answer to a login to server '127.0.0.1' that was logged off meanwhile.");
  }));
  EXPECT_EQ(server->GetState(), VMCollection::STATE_LOGGED_OFF);
  EXPECT_EQ(server->GetHostHandle(), 0u);
  EXPECT_TRUE(polling::WaitUntil([&] { return logouts() == 1; }, 8000)) << sim.Output();
  EXPECT_EQ(SimSessions(), 0);

  std::weak_ptr<OlvarkServer> watch = server;
  server->Login(kUser, kPassword, false);
  server.reset();
  EXPECT_TRUE(watch.expired());
  EXPECT_TRUE(polling::WaitUntil([&] { return logouts() == 2; }, 8000)) << sim.Output();
  EXPECT_EQ(SimSessions(), 0);
  EXPECT_FALSE(log->Contains("Login succeeded"));
}
