// The launcher starts the console stand-in against a running simulated server: the console
// reads the password from the pipe, logs in through the automation library, finds the VM
// by its managed-object id and shows its name and live power state. Wrong passwords and
// unknown VMs show an error in the console's window.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "services/ConsoleCommandLine.h"
#include "services/ConsoleLauncher.h"
#include "services/Protection.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimulatorFixture.h"

using consoletest::ScratchInstall;

namespace {

const char kVmName[] = "Console E2E \xC3\x84 vm";

class ConsoleEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.Start({"--vms", "3", "--power-delay-ms", "50", "--user", "tester", "--password", "right pw"}))
        << sim.LastError();
    std::string answer;
    ASSERT_TRUE(sim.Admin("addVm", nlohmann::json{{"name", kVmName}, {"powerState", 8}}.dump(), &answer));
    moid = nlohmann::json::parse(answer).value("moid", "");
    ASSERT_FALSE(moid.empty()) << answer;
    ASSERT_TRUE(scratch.RegisterClientRoot(scratch.ClientRoot()) &&
                scratch.AddVersion(L"5.0", consoletest::ConsoleProgram(), /*withLibrary=*/true));
    host = utils::MakeConsoleHostArgument("127.0.0.1", static_cast<unsigned>(sim.Port()), sim.Secure());
  }
  void TearDown() override {
    if (!window) return;
    // Closing the window ends the console cleanly: logged off, library unloaded, exit code 0.
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    ASSERT_NE(process, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1234;
    GetExitCodeProcess(process, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process);
  }

  bool Launch(const std::string& id, const std::string& password) {
    std::string protectedPassword;
    if (!utils::EncryptString(password.c_str(), password.size(), protectedPassword)) return false;
    return utils::ConsoleLauncher(scratch.Locations()).Run(host, id, "tester", protectedPassword);
  }

  // Waits until the console's status line satisfies the check; returns the last text seen.
  template <class Check>
  std::wstring WaitForStatus(Check check, int timeoutMs = 30000) {
    std::wstring status;
    polling::WaitUntil(
        [&] {
          if (!window) {
            window = consoletest::FindOwnedWindow(LUMACON_WINDOW_CLASS, nullptr,
                                                  consoletest::StartedFrom(scratch.Root() + L"\\"));
          }
          return window && check(status = consoletest::ControlText(window, IDC_LUMACON_STATUS));
        },
        timeoutMs);
    return status;
  }

  static auto Contains(const std::wstring& piece) {
    return [piece](const std::wstring& text) { return text.find(piece) != std::wstring::npos; };
  }

  SimulatorProcess sim;
  ScratchInstall scratch;
  std::string moid;
  std::string host;
  HWND window = nullptr;
};

}  // namespace

TEST_F(ConsoleEndToEnd, ShowsTheVmsNameAndFollowsItsPowerState) {
  ASSERT_TRUE(Launch(moid, "right pw"));
  std::wstring status = WaitForStatus(Contains(L"Power state:"));
  EXPECT_EQ(status, L"Power state: Powered on");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(consoletest::WindowText(window), consoletest::Widen(kVmName));
  EXPECT_NE(consoletest::ControlText(window, IDC_LUMACON_SERVER).find(consoletest::Widen(moid)), std::wstring::npos);

  ASSERT_TRUE(sim.Admin("setPower", nlohmann::json{{"moid", moid}, {"powerState", 2}}.dump()));
  EXPECT_EQ(WaitForStatus(Contains(L"Powered off"), 15000), L"Power state: Powered off");
  ASSERT_TRUE(sim.Admin("setPower", nlohmann::json{{"moid", moid}, {"powerState", 32}}.dump()));
  EXPECT_EQ(WaitForStatus(Contains(L"Suspended"), 15000), L"Power state: Suspended");
}

// The listing gives each VM's id, so the console opens only the wanted VM (listed last
// here) instead of trying the others on the way.
TEST_F(ConsoleEndToEnd, OpensOnlyTheWantedVm) {
  ASSERT_TRUE(Launch(moid, "right pw"));
  ASSERT_EQ(WaitForStatus(Contains(L"Power state:")), L"Power state: Powered on");
  std::string answer;
  ASSERT_TRUE(sim.Admin("state", "{}", &answer));
  nlohmann::json calls = nlohmann::json::parse(answer).value("calls", nlohmann::json::object());
  EXPECT_EQ(calls.value("listVms", 0), 1) << answer;
  EXPECT_EQ(calls.value("getVm", 0), 1) << answer;
}

TEST_F(ConsoleEndToEnd, WrongPasswordIsShownInTheWindow) {
  ASSERT_TRUE(Launch(moid, "wrong pw"));
  std::wstring status = WaitForStatus(Contains(L"Error:"));
  EXPECT_NE(status.find(L"the user name or password is incorrect"), std::wstring::npos)
      << consoletest::Narrow(status);
  EXPECT_EQ(consoletest::WindowText(window), LUMACON_DEFAULT_TITLE);
}

TEST_F(ConsoleEndToEnd, UnknownVmIsShownInTheWindow) {
  ASSERT_TRUE(Launch("vm-no-such", "right pw"));
  std::wstring status = WaitForStatus(Contains(L"Error:"));
  EXPECT_NE(status.find(L"No VM with the id 'vm-no-such' was found"), std::wstring::npos)
      << consoletest::Narrow(status);
}
