// Logging in, the connect failures and their codes, disconnect and lost sessions.
#include <nlohmann/json.hpp>

#include "tests/qor/QorTestSupport.h"

namespace {

class QorConnectContract : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sim.Start({"--vms", "3", "--power-delay-ms", "50"})) << sim.LastError(); }
  int Sessions() {
    std::string answer;
    if (!sim.Admin("state", "{}", &answer)) return -1;
    return nlohmann::json::parse(answer).value("sessions", -1);
  }
  QorError ConnectError(const char* url, int port, const char* user = "root", const char* password = "wickerlyn",
                        int apiVersion = QOR_API_VERSION, int hostType = QOR_HOST_TYPE_SERVER) {
    JobRecorder recorder;
    QorHandle job = Qor().QorHost_Connect(apiVersion, hostType, url, port, user, password, 0, 0, JobRecorder::Handler,
                                          &recorder);
    EXPECT_NE(job, 0u);
    EXPECT_TRUE(recorder.WaitDone());
    EXPECT_EQ(recorder.events, std::vector<int>{QOR_EVENT_JOB_COMPLETED});
    EXPECT_EQ(recorder.result, 0u);
    return recorder.jobError;
  }
  SimulatorProcess sim;
};

}  // namespace

// The arguments are copied before the call returns: the caller's buffers are overwritten
// at once. Releasing the last reference without a disconnect still logs out.
TEST_F(QorConnectContract, LoginDeliversTheHostToTheHandlerOnALibraryThread) {
  char url[64], user[16], password[16];
  snprintf(url, sizeof url, "%s", sim.ServiceUrl().c_str());
  snprintf(user, sizeof user, "root");
  snprintf(password, sizeof password, "wickerlyn");
  JobRecorder recorder;
  QorHandle job = Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, url, sim.Port(), user, password, 0, 0,
                                        JobRecorder::Handler, &recorder);
  memset(url, 'x', sizeof url - 1);
  memset(user, 0, sizeof user);
  memset(password, 'y', sizeof password - 1);
  ASSERT_NE(job, 0u);
  ASSERT_TRUE(recorder.WaitDone());
  EXPECT_EQ(recorder.events, std::vector<int>{QOR_EVENT_JOB_COMPLETED});
  EXPECT_EQ(recorder.readError, QOR_OK);
  EXPECT_EQ(recorder.jobError, QOR_OK);
  ASSERT_NE(recorder.result, 0u);
  EXPECT_NE(recorder.handlerThread, GetCurrentThreadId());
  EXPECT_EQ(Sessions(), 1);
  Qor().Qor_ReleaseHandle(recorder.result);
  EXPECT_TRUE(polling::WaitUntil([&] { return Sessions() == 0; })) << "the logout did not reach the server";
}

// Every way a login fails has its own code; none leaves a session behind.
TEST_F(QorConnectContract, EachFailureToLogInHasItsOwnCode) {
  const std::string url = sim.ServiceUrl();
  const int port = sim.Port();
  const struct {
    const char* what;
    const char* url;
    int port;
    const char* user;
    const char* password;
    QorError error;
  } cases[] = {
      {"wrong password", url.c_str(), port, "root", "wrong", QOR_E_BAD_CREDENTIALS},
      {"empty credentials", url.c_str(), port, "", "", QOR_E_BAD_CREDENTIALS},
      {"no credentials", url.c_str(), port, nullptr, nullptr, QOR_E_BAD_CREDENTIALS},
      // Not a server of this kind: plain HTTP to the TLS port, and an HTTP server that
      // answers without the protocol header (the simulator's admin port).
      {"plain HTTP to TLS", "http://127.0.0.1/sdk", port, "root", "wickerlyn", QOR_E_NOT_A_SERVER},
      {"no protocol header", "http://127.0.0.1/sdk", sim.AdminPort(), "root", "wickerlyn", QOR_E_NOT_A_SERVER},
      {"unknown host", "https://no-such-host.invalid/sdk", port, "root", "wickerlyn", QOR_E_HOST_NOT_FOUND},
      // The other URL rules are QorServiceUrl's (unit); a null URL must not reach them.
      {"no URL", nullptr, port, "root", "wickerlyn", QOR_E_BAD_SERVICE_URL},
      {"port out of range", url.c_str(), 70000, "root", "wickerlyn", QOR_E_INVALID_ARG},
  };
  for (const auto& c : cases) EXPECT_EQ(ConnectError(c.url, c.port, c.user, c.password), c.error) << c.what;
  EXPECT_EQ(ConnectError(url.c_str(), port, "root", "wickerlyn", 2), QOR_E_PROTOCOL_VERSION);
  EXPECT_EQ(ConnectError(url.c_str(), port, "root", "wickerlyn", QOR_API_VERSION, 3), QOR_E_INVALID_ARG);
  EXPECT_EQ(Sessions(), 0);
  // An unlicensed host refuses only good credentials with its own code.
  ASSERT_TRUE(sim.Admin("unlicensed", R"({"on":true})")) << sim.LastError();
  EXPECT_EQ(ConnectError(url.c_str(), sim.Port()), QOR_E_UNLICENSED_HOST);
  EXPECT_EQ(ConnectError(url.c_str(), sim.Port(), "root", "wrong"), QOR_E_BAD_CREDENTIALS);

  int closedPort = sim.Port();
  sim.Stop();
  EXPECT_EQ(ConnectError("https://127.0.0.1/sdk", closedPort), QOR_E_CONNECTION_REFUSED);
}

// After a disconnect (twice: harmless) every call on the host and its VMs fails with
// 3003 and the session ends on the server; after a session dropped by the server, with 36,
// and it stays lost.
TEST_F(QorConnectContract, AnEndedSessionFailsEveryCallOnTheHostAndItsVms) {
  for (bool dropped : {false, true}) {
    SCOPED_TRACE(dropped ? "dropped by the server" : "disconnected");
    const QorError expected = dropped ? QOR_E_CONNECTION_LOST : QOR_E_NOT_CONNECTED;
    QorHandle host = ConnectDefault(sim);
    QorError error = 0;
    const std::string path = SimulatorVms(sim)[0].path;
    QorHandle vm = OpenVm(host, path, &error);
    ASSERT_EQ(error, QOR_OK);
    if (dropped) {
      ASSERT_TRUE(sim.Admin("dropSessions")) << sim.LastError();
    } else {
      Qor().QorHost_Disconnect(host);
      Qor().QorHost_Disconnect(host);
    }
    EXPECT_EQ(WaitJob(Qor().QorHost_FindItems(host, QOR_FIND_RUNNING_VMS, 0, -1, nullptr, nullptr)), expected);
    OpenVm(host, path, &error);
    EXPECT_EQ(error, expected);
    if (!dropped) EXPECT_EQ(WaitJob(Qor().QorVM_PowerOff(vm, 0, nullptr, nullptr)), expected);
    EXPECT_EQ(PowerStateOf(vm), -1);
    int32_t state = 0;
    EXPECT_EQ(Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE), expected);
    EXPECT_TRUE(polling::WaitUntil([&] { return Sessions() == 0; }));
    Qor().Qor_ReleaseHandle(vm);
    Qor().QorHost_Disconnect(host);
    Qor().Qor_ReleaseHandle(host);
  }
}
