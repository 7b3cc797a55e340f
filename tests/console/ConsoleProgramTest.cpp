// The console stand-in started directly: what it shows for a bad command line, and its own
// login prompt when "-P" brought no password.
#include <gtest/gtest.h>

#include <windows.h>

#include "console/TestRecord.h"
#include "tests/console/ConsoleTestSupport.h"

namespace {

// Starts the console with these arguments; its standard input is a pipe that receives
// `input` and is then closed. processId: the console's.
bool StartConsole(const std::wstring& arguments, const std::string& input, DWORD& processId) {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inheritable, 0)) return false;
  SetHandleInformation(write, HANDLE_FLAG_INHERIT, 0);
  std::wstring line = L"\"" + consoletest::ConsoleProgram() + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = read;
  PROCESS_INFORMATION process = {};
  bool started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(read);
  if (started) {
    processId = process.dwProcessId;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DWORD written = 0;
    if (!input.empty()) WriteFile(write, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
  }
  CloseHandle(write);
  return started;
}

void CloseConsoleWindow(HWND window) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(consoletest::WaitUntilGone(window, 10000));
}

}  // namespace

TEST(ConsoleProgram, BadCommandLineIsShownInTheWindow) {
  DWORD console = 0;
  ASSERT_TRUE(StartConsole(L"-h srv01", "", console));
  HWND window = consoletest::WaitForWindow(LUMACON_WINDOW_CLASS, nullptr, {console, L""}, 20000);
  ASSERT_NE(window, nullptr);
  std::wstring status;
  for (int i = 0; i < 100 && status.empty(); ++i, Sleep(50)) status = consoletest::ControlText(window, IDC_LUMACON_STATUS);
  EXPECT_NE(status.find(L"Error: The VM's managed-object id (-M) is missing."), std::wstring::npos)
      << consoletest::Narrow(status);
  EXPECT_NE(status.find(L"Usage: zandor-lumacon"), std::wstring::npos);
  CloseConsoleWindow(window);
}

TEST(ConsoleProgram, PasswordMissingFromThePipeIsAskedForWithTheUserFilledIn) {
  consoletest::ScratchInstall scratch;
  const std::wstring recordFile = scratch.Root() + L"\\record.txt";
  consoletest::EnvironmentGuard record(lumacon::kTestRecordVariable, recordFile);
  consoletest::EnvironmentGuard exit(lumacon::kTestExitVariable, L"1");
  // The pipe ends before the zero byte: no password arrived.
  DWORD console = 0;
  ASSERT_TRUE(StartConsole(L"-h srv01:902 -M vm-3 -u alice -P", "half a passw", console));

  HWND prompt = consoletest::WaitForDialog(LUMACON_LOGIN_CAPTION, {console, L""});
  ASSERT_NE(prompt, nullptr);
  Sleep(100);
  EXPECT_EQ(consoletest::ControlText(prompt, IDC_LOGIN_USER), L"alice");
  EXPECT_NE(consoletest::ControlText(prompt, IDC_LOGIN_PROMPT).find(L"srv01:902"), std::wstring::npos);
  consoletest::SetControlText(GetDlgItem(prompt, IDC_LOGIN_PASSWORD), L"typed pw");
  consoletest::Click(prompt, IDOK);

  auto fields = consoletest::WaitForRecord(recordFile);
  ASSERT_FALSE(fields.empty());
  EXPECT_EQ(fields["user"], "alice");
  EXPECT_EQ(fields["passwordOption"], "1");
  EXPECT_EQ(fields["passwordSource"], "prompt");
  EXPECT_EQ(fields["passwordSha256"], lumacon::Sha256Hex("typed pw", 8));
}
