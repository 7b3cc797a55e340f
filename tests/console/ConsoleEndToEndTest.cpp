// The launcher starts the console stand-in against a running simulated server: the console
// reads the password from the pipe, logs in through the automation library, finds the VM
// by its managed-object id and shows its name and power state, and ends cleanly when
// closed. (How the stand-in words its own failures is no concern of the program's.)
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

TEST(ConsoleEndToEnd, ShowsTheWantedVmAndItsPowerState) {
  SimulatorProcess sim;
  ASSERT_TRUE(sim.Start({"--vms", "3", "--user", "tester", "--password", "right pw"})) << sim.LastError();
  std::string answer;
  ASSERT_TRUE(sim.Admin("addVm", nlohmann::json{{"name", kVmName}, {"powerState", 8}}.dump(), &answer));
  const std::string moid = nlohmann::json::parse(answer).value("moid", "");
  ASSERT_FALSE(moid.empty()) << answer;
  consoletest::ScratchInstall scratch;
  ASSERT_TRUE(scratch.RegisterClientRoot(scratch.ClientRoot()) &&
              scratch.AddVersion(L"5.0", consoletest::ConsoleProgram(), /*withLibrary=*/true));
  const std::string host = utils::MakeConsoleHostArgument("127.0.0.1", static_cast<unsigned>(sim.Port()), sim.Secure());
  std::string protectedPassword;
  ASSERT_TRUE(utils::EncryptString("right pw", 8, protectedPassword));

  ASSERT_TRUE(utils::ConsoleLauncher(scratch.Locations()).Run(host, moid, "tester", protectedPassword));
  HWND window = consoletest::WaitForConsoleWindow(LUMACON_WINDOW_CLASS, nullptr, scratch.Root() + L"\\");
  ASSERT_NE(window, nullptr);
  std::wstring status;
  polling::WaitUntil([&] {
    return (status = consoletest::ControlText(window, IDC_LUMACON_STATUS)).find(L"Power state:") != std::wstring::npos;
  }, 30000);
  EXPECT_EQ(status, L"Power state: Powered on") << utils::ToUtf8String(status);
  EXPECT_EQ(dialogs::TextOf(window), utils::ToWideString(kVmName));
  EXPECT_NE(consoletest::ControlText(window, IDC_LUMACON_SERVER).find(utils::ToWideString(moid)), std::wstring::npos);

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

}  // namespace
