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

TEST_F(QorConnectContract, LoginDeliversTheHostToTheHandlerOnALibraryThread) {
  JobRecorder recorder;
  QorHandle job = Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, sim.ServiceUrl().c_str(), sim.Port(),
                                        "root", "wickerlyn", 0, 0, JobRecorder::Handler, &recorder);
  ASSERT_NE(job, 0u);
  ASSERT_TRUE(recorder.WaitDone());
  EXPECT_EQ(recorder.events, std::vector<int>{QOR_EVENT_JOB_COMPLETED});
  EXPECT_EQ(recorder.readError, QOR_OK);
  EXPECT_EQ(recorder.jobError, QOR_OK);
  ASSERT_NE(recorder.result, 0u);
  EXPECT_NE(recorder.handlerThread, GetCurrentThreadId());
  EXPECT_EQ(Sessions(), 1);

  Qor().QorHost_Disconnect(recorder.result);
  EXPECT_TRUE(polling::WaitUntil([&] { return Sessions() == 0; })) << "the logout did not reach the server";
  Qor().Qor_ReleaseHandle(recorder.result);
}

TEST_F(QorConnectContract, WrongOrEmptyCredentialsGive3014) {
  EXPECT_EQ(ConnectError(sim.ServiceUrl().c_str(), sim.Port(), "root", "wrong"), QOR_E_BAD_CREDENTIALS);
  EXPECT_EQ(ConnectError(sim.ServiceUrl().c_str(), sim.Port(), "", ""), QOR_E_BAD_CREDENTIALS);
  EXPECT_EQ(ConnectError(sim.ServiceUrl().c_str(), sim.Port(), nullptr, nullptr), QOR_E_BAD_CREDENTIALS);
  EXPECT_EQ(Sessions(), 0);
}

TEST_F(QorConnectContract, UnlicensedHostGives32OnlyForGoodCredentials) {
  ASSERT_TRUE(sim.Admin("unlicensed", R"({"on":true})")) << sim.LastError();
  EXPECT_EQ(ConnectError(sim.ServiceUrl().c_str(), sim.Port()), QOR_E_UNLICENSED_HOST);
  EXPECT_EQ(ConnectError(sim.ServiceUrl().c_str(), sim.Port(), "root", "wrong"), QOR_E_BAD_CREDENTIALS);
}

TEST_F(QorConnectContract, ArgumentsAreCopiedBeforeTheCallReturns) {
  char url[64], user[16], password[16];
  snprintf(url, sizeof url, "%s", sim.ServiceUrl().c_str());
  snprintf(user, sizeof user, "root");
  snprintf(password, sizeof password, "wickerlyn");
  QorHandle job = Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, url, sim.Port(), user, password, 0, 0,
                                        nullptr, nullptr);
  memset(url, 'x', sizeof url - 1);
  memset(user, 0, sizeof user);
  memset(password, 'y', sizeof password - 1);
  QorHandle host = 0;
  EXPECT_EQ(Qor().QorJob_Wait(job, QOR_PROPERTY_JOB_RESULT, &host, QOR_PROPERTY_NONE), QOR_OK);
  Qor().Qor_ReleaseHandle(job);
  EXPECT_NE(host, 0u);
  Qor().QorHost_Disconnect(host);
  Qor().Qor_ReleaseHandle(host);
}

TEST_F(QorConnectContract, FailuresToReachAServerHaveTheirOwnCodes) {
  // Not a server of this kind: plain HTTP to the TLS port, and an HTTP server that
  // answers without the protocol header (the simulator's admin port).
  EXPECT_EQ(ConnectError("http://127.0.0.1/sdk", sim.Port()), QOR_E_NOT_A_SERVER);
  EXPECT_EQ(ConnectError("http://127.0.0.1/sdk", sim.AdminPort()), QOR_E_NOT_A_SERVER);
  EXPECT_EQ(ConnectError("https://no-such-host.invalid/sdk", sim.Port()), QOR_E_HOST_NOT_FOUND);
  for (const char* url : std::vector<const char*>{"https://127.0.0.1", "127.0.0.1/sdk", "https://127.0.0.1:8443/sdk", "", nullptr}) {
    EXPECT_EQ(ConnectError(url, sim.Port()), QOR_E_BAD_SERVICE_URL) << (url ? url : "(null)");
  }
  EXPECT_EQ(ConnectError(sim.ServiceUrl().c_str(), 70000), QOR_E_INVALID_ARG);
  EXPECT_EQ(ConnectError(sim.ServiceUrl().c_str(), sim.Port(), "root", "wickerlyn", 2), QOR_E_PROTOCOL_VERSION);
  EXPECT_EQ(ConnectError(sim.ServiceUrl().c_str(), sim.Port(), "root", "wickerlyn", QOR_API_VERSION, 3),
            QOR_E_INVALID_ARG);

  int closedPort = sim.Port();
  sim.Stop();
  EXPECT_EQ(ConnectError("https://127.0.0.1/sdk", closedPort), QOR_E_CONNECTION_REFUSED);
}

TEST_F(QorConnectContract, ASilentServerTimesOut) {
  ASSERT_TRUE(sim.Admin("silent", R"({"on":true})")) << sim.LastError();
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(ConnectError(sim.ServiceUrl().c_str(), sim.Port()), QOR_E_TIMED_OUT);
  // The scaled request time-out is 3 s; the job must not hang on.
  EXPECT_LT(GetTickCount64() - start, 15000u);
}

TEST_F(QorConnectContract, AfterDisconnectEveryCallOnTheHostFailsWithNotConnected) {
  QorHandle host = ConnectDefault(sim);
  QorError error = 0;
  QorHandle vm = OpenVm(host, SimulatorVms(sim)[0].path, &error);
  ASSERT_EQ(error, QOR_OK);
  Qor().QorHost_Disconnect(host);
  Qor().QorHost_Disconnect(host);  // twice: harmless
  EXPECT_EQ(WaitJob(Qor().QorHost_FindItems(host, QOR_FIND_RUNNING_VMS, 0, -1, nullptr, nullptr)),
            QOR_E_NOT_CONNECTED);
  OpenVm(host, SimulatorVms(sim)[0].path, &error);
  EXPECT_EQ(error, QOR_E_NOT_CONNECTED);
  EXPECT_EQ(WaitJob(Qor().QorVM_PowerOff(vm, 0, nullptr, nullptr)), QOR_E_NOT_CONNECTED);
  int32_t state = 0;
  EXPECT_EQ(Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE), QOR_E_NOT_CONNECTED);
  EXPECT_TRUE(polling::WaitUntil([&] { return Sessions() == 0; }));
  Qor().Qor_ReleaseHandle(vm);
  Qor().Qor_ReleaseHandle(host);
}

TEST_F(QorConnectContract, ADroppedSessionGives36AndStaysLost) {
  QorHandle host = ConnectDefault(sim);
  QorError error = 0;
  std::string path = SimulatorVms(sim)[0].path;
  QorHandle vm = OpenVm(host, path, &error);
  ASSERT_EQ(error, QOR_OK);
  ASSERT_TRUE(sim.Admin("dropSessions")) << sim.LastError();
  EXPECT_EQ(WaitJob(Qor().QorHost_FindItems(host, QOR_FIND_RUNNING_VMS, 0, -1, nullptr, nullptr)),
            QOR_E_CONNECTION_LOST);
  OpenVm(host, path, &error);
  EXPECT_EQ(error, QOR_E_CONNECTION_LOST);
  EXPECT_EQ(PowerStateOf(vm), -1);
  int32_t state = 0;
  EXPECT_EQ(Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE),
            QOR_E_CONNECTION_LOST);
  Qor().Qor_ReleaseHandle(vm);
  Qor().QorHost_Disconnect(host);
  Qor().Qor_ReleaseHandle(host);
}

TEST_F(QorConnectContract, ReleasingTheLastReferenceWithoutDisconnectStillLogsOut) {
  QorHandle host = ConnectDefault(sim);
  ASSERT_EQ(Sessions(), 1);
  Qor().Qor_ReleaseHandle(host);
  EXPECT_TRUE(polling::WaitUntil([&] { return Sessions() == 0; }));
}
