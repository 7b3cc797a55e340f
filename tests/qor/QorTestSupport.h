// Shared by the contract tests: qor.dll loaded from bin/kilnworks and bound through
// QorLibrary, a recorder for job handlers, and short-cuts for common steps.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "backend/QorLibrary.h"
#include "tests/support/Polling.h"
#include "tests/support/SimulatorFixture.h"


// Records what a job's handler is told; reads the job's error and result at type 2 and
// releases the job, as the program's handlers do.
class JobRecorder {
 public:
  static void Handler(QorHandle job, int eventType, QorHandle moreInfo, void* context);
  // True when event 2 came within timeoutMs.
  bool WaitDone(DWORD timeoutMs = 20000);

  std::vector<int> events;
  std::vector<std::string> foundPaths;
  std::vector<std::string> foundMoids;  // property 278 of each found item
  std::vector<QorHandle> foundItems;
  QorError jobError = 0;
  QorHandle result = 0;
  QorError readError = 0;
  DWORD handlerThread = 0;

 private:
  std::mutex mLock;
  std::condition_variable mDone;
  bool mFinished = false;
};

QorHandle ConnectDefault(const SimulatorProcess& sim);  // root / wickerlyn with QorJob_Wait; must succeed
QorHandle OpenVm(QorHandle host, const std::string& path, QorError* error);
QorError WaitJob(QorHandle job);                         // QorJob_Wait without properties; releases the job
int32_t PowerStateOf(QorHandle vm);                      // -1 when unreadable
// The simulator's VMs (path, moid, powerState) from admin "state".
struct SimVm {
  std::string path;
  std::string moid;
  int powerState;
};
std::vector<SimVm> SimulatorVms(SimulatorProcess& sim);
// A simulator started with these arguments, its VMs as they were then, and a host logged
// in as root / wickerlyn; the host is logged out at the end.
class QorHostTest : public ::testing::Test {
 protected:
  explicit QorHostTest(std::vector<std::string> simulatorArgs) : mArgs(std::move(simulatorArgs)) {}
  void SetUp() override {
    ASSERT_TRUE(sim.Start(mArgs)) << sim.LastError();
    host = ConnectDefault(sim);
    ASSERT_NE(host, 0u);
    vms = SimulatorVms(sim);
  }
  void TearDown() override {
    if (!host) return;
    Qor().QorHost_Disconnect(host);
    Qor().Qor_ReleaseHandle(host);
  }
  // Opens the VM at path; a failure fails the test.
  QorHandle Open(const std::string& path) {
    QorError error = 0;
    QorHandle vm = OpenVm(host, path, &error);
    EXPECT_EQ(error, QOR_OK) << path;
    return vm;
  }
  // Changes a VM's power state behind the library's back.
  bool SetPower(const std::string& moid, int state) {
    return sim.Admin("setPower", "{\"moid\":\"" + moid + "\",\"powerState\":" + std::to_string(state) + "}");
  }

  SimulatorProcess sim;
  QorHandle host = 0;
  std::vector<SimVm> vms;

 private:
  std::vector<std::string> mArgs;
};
