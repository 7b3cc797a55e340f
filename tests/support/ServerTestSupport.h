// Shared by the server tests of the back-end model: qor.dll bound as the program binds
// it, a simulator with the account root / wickerlyn, and small helpers.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "backend/OlvarkServer.h"
#include "backend/QorVM.h"
#include "tests/support/Polling.h"
#include "tests/support/ScratchLog.h"
#include "tests/support/SimulatorFixture.h"

constexpr const char* kUser = "root";
constexpr const char* kPassword = "wickerlyn";
constexpr const char* kHost = "127.0.0.1";

// The recent-use window the State tests run with.
inline int32_t SevenDays() { return 7; }

// Counts a signal's emissions (from any thread).
struct SignalCounter {
  std::atomic<int> count{0};
  sigc::slot<void> Slot() {
    return [this] { ++count; };
  }
};

// The protected form of a password (as prefs.txt holds it).
std::string Protect(const std::string& password);

// Fixture: a fresh simulator per test (--vms 0, VMs added by name), and a log of its own.
class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Adds a VM (path "[datastore1] name/name.vmx"); its moid.
  std::string AddVm(const std::string& name, int powerState = 2);
  // The simulator's count of open sessions (-1 when it cannot be read).
  int SimSessions();
  // A server for the simulator, logged off, with or without saved credentials.
  OlvarkServerPtr NewServer(const std::string& user = std::string(), const std::string& password = std::string());
  // Logs in (with given credentials, to be saved, or with saved ones) and waits for the end
  // of the first search.
  OlvarkServerPtr LoggedInServer(bool withSavedCredentials = false);
  // Opens the VM and waits until it is open.
  static bool OpenAndWait(const std::shared_ptr<QorVM>& vm);
  static bool WaitForState(const OlvarkServerPtr& server, int state, DWORD timeoutMs = 15000);
  // Refreshes and waits for the search's end (true when it ended enumerated).
  static bool RefreshAndWait(const OlvarkServerPtr& server, DWORD timeoutMs = 15000);
  static std::shared_ptr<QorVM> FindVM(const OlvarkServerPtr& server, const std::string& name);

  virtual std::vector<std::string> SimulatorArgs() const { return {"--vms", "0", "--power-delay-ms", "50"}; }

  SimulatorProcess sim;
  std::unique_ptr<ScratchLog> log;
};
