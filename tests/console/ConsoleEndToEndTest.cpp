// The launcher starts the console stand-in against a running simulated server: the console
// reads the password from the pipe, logs in through the automation library, finds the VM
// by its managed-object id and shows its name and live power state. Wrong passwords and
// unknown VMs show an error in the console's window.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "services/ConsoleCommandLine.h"
#include "services/ConsoleLauncher.h"
#include "services/Protection.h"
#include "services/TextConversion.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimulatorFixture.h"

namespace {

const char kVmName[] = "Console E2E \xC3\x84 vm";

TEST(ConsoleEndToEnd, ShowsTheWantedVmAndItsPowerStateOrWhyItCannot) {
  SimulatorProcess sim;
  ASSERT_TRUE(sim.Start({"--vms", "3", "--power-delay-ms", "50", "--user", "tester", "--password", "right pw"}))
      << sim.LastError();
  std::string answer;
  ASSERT_TRUE(sim.Admin("addVm", nlohmann::json{{"name", kVmName}, {"powerState", 8}}.dump(), &answer));
  const std::string moid = nlohmann::json::parse(answer).value("moid", "");
  ASSERT_FALSE(moid.empty()) << answer;
  consoletest::ScratchInstall scratch;
  ASSERT_TRUE(scratch.RegisterClientRoot(scratch.ClientRoot()) &&
              scratch.AddVersion(L"5.0", consoletest::ConsoleProgram(), /*withLibrary=*/true));
  const std::string host = utils::MakeConsoleHostArgument("127.0.0.1", static_cast<unsigned>(sim.Port()), sim.Secure());

  // Launches the console and waits until its status line holds `piece`: its window.
  HWND window = nullptr;
  auto launch = [&](const std::string& id, const std::string& password) {
    std::string protectedPassword;
    EXPECT_TRUE(utils::EncryptString(password.c_str(), password.size(), protectedPassword));
    EXPECT_TRUE(utils::ConsoleLauncher(scratch.Locations()).Run(host, id, "tester", protectedPassword));
    window = consoletest::WaitForConsoleWindow(LUMACON_WINDOW_CLASS, nullptr, scratch.Root() + L"\\");
  };
  auto statusOnceItHas = [&](const std::wstring& piece) {
    std::wstring status;
    polling::WaitUntil([&] {
      return (status = consoletest::ControlText(window, IDC_LUMACON_STATUS)).find(piece) != std::wstring::npos;
    }, 30000);
    return status;
  };
  // Closing the window ends the console cleanly: logged off, library unloaded, exit code 0.
  auto close = [&] {
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
  };

  launch(moid, "right pw");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(statusOnceItHas(L"Power state:"), L"Power state: Powered on");
  EXPECT_EQ(dialogs::TextOf(window), utils::ToWideString(kVmName));
  EXPECT_NE(consoletest::ControlText(window, IDC_LUMACON_SERVER).find(utils::ToWideString(moid)), std::wstring::npos);
  // The listing gives each VM's id, so the console opens only the wanted VM (listed last
  // here) instead of trying the others on the way.
  ASSERT_TRUE(sim.Admin("state", "{}", &answer));
  nlohmann::json calls = nlohmann::json::parse(answer).value("calls", nlohmann::json::object());
  EXPECT_EQ(calls.value("listVms", 0), 1) << answer;
  EXPECT_EQ(calls.value("getVm", 0), 1) << answer;
  ASSERT_TRUE(sim.Admin("setPower", nlohmann::json{{"moid", moid}, {"powerState", 2}}.dump()));
  EXPECT_EQ(statusOnceItHas(L"Powered off"), L"Power state: Powered off");
  ASSERT_TRUE(sim.Admin("setPower", nlohmann::json{{"moid", moid}, {"powerState", 32}}.dump()));
  EXPECT_EQ(statusOnceItHas(L"Suspended"), L"Power state: Suspended");
  close();

  const struct {
    std::string id, password;
    const wchar_t* error;
  } failures[] = {
      {moid, "wrong pw", L"the user name or password is incorrect"},
      {"vm-no-such", "right pw", L"No VM with the id 'vm-no-such' was found"},
  };
  for (const auto& f : failures) {
    SCOPED_TRACE(utils::ToUtf8String(f.error));
    launch(f.id, f.password);
    ASSERT_NE(window, nullptr);
    const std::wstring status = statusOnceItHas(L"Error:");
    EXPECT_NE(status.find(f.error), std::wstring::npos) << utils::ToUtf8String(status);
    EXPECT_EQ(dialogs::TextOf(window), LUMACON_DEFAULT_TITLE);
    close();
  }
}

}  // namespace
