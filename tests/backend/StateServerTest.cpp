// State::AddServer and the cross-server views against the simulator.
#include "state/State.h"
#include "tests/support/ServerTestSupport.h"

namespace {

class StateWithServer : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    state = std::make_unique<State>(&SevenDays);
  }
  void TearDown() override {
    state.reset();
    ServerTest::TearDown();
  }
  OlvarkServerPtr Add(const std::string& host, const char* password, int& error) {
    return state->AddServer(1, host, static_cast<unsigned>(sim.Port()), sim.Secure(), kUser, password, true, error);
  }

  std::unique_ptr<State> state;
};

}  // namespace

// A refused add, or one of another server type, leaves the set unchanged. The
// connection's own reference is released once the server holds the session; a host
// already held connects nothing.
TEST_F(StateWithServer, AddServerProvesTheCredentialsRefreshesAndTakesAHostOnce) {
  AddVm("web01");
  int error = 0;
  EXPECT_EQ(Add(kHost, "wrong", error), nullptr);
  EXPECT_EQ(error, 3014);
  EXPECT_TRUE(log->Contains("State::AddServer: Adding Olvark/Castellan server failed with error 3014 ("));
  error = 99;
  EXPECT_EQ(state->AddServer(2, kHost, static_cast<unsigned>(sim.Port()), sim.Secure(), kUser, kPassword, true,
                             error),
            nullptr);
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(state->GetServers().empty());
  EXPECT_EQ(SimSessions(), 0);

  error = 99;
  OlvarkServerPtr server = Add(kHost, kPassword, error);
  ASSERT_TRUE(server);
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED));
  EXPECT_EQ(server->GetVMs().size(), 1u);
  EXPECT_TRUE(server->GetSaveCredentials());
  EXPECT_EQ(server->GetUser(), kUser);
  EXPECT_EQ(SimSessions(), 1);

  EXPECT_EQ(Add(kHost, kPassword, error), nullptr);
  EXPECT_EQ(error, State::ERROR_SERVER_ALREADY_ADDED);
  EXPECT_EQ(state->GetServers().size(), 1u);
  EXPECT_EQ(state->FindServer(kHost), server);
  EXPECT_EQ(SimSessions(), 1);
  EXPECT_TRUE(log->Contains("State::AddServer: Server '127.0.0.1' is already in the list.\r\n"));
}
