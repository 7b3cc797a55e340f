// The fixture of the tests that run the program as real processes: each test gives its
// processes a temporary folder of their own, so their logs land there. A full instance runs
// as the test host, the program's start-up code with a data folder of the test's own: a run
// saves prefs.txt, which must not land in the user's data folder.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "log/Log.h"
#include "tests/app/ShellTestSupport.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/Polling.h"
#include "tests/support/ScratchFolder.h"

namespace shelltest {

using namespace testfs;
using polling::WaitUntil;

constexpr wchar_t kPopupClass[] = L"Zandor Wickerlyn Popup Window";

inline std::wstring Wickerlyn() { return ProgramFolder() + L"\\wickerlyn.exe"; }
// The program's start-up code with a data folder of the test's choosing.
inline std::wstring TestHost() { return ProgramFolder() + L"\\shell_test_host.exe"; }

// A started child process (it inherits this process's environment); terminated in the
// destructor if it is still running, so that a failed assertion never leaves one behind.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Terminate(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::wstring& exe, const std::wstring& args) {
    Terminate();
    std::wstring commandLine = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW startup = {sizeof startup};
    return CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &mInfo) != FALSE;
  }
  // The exit code, or STILL_ACTIVE when it did not end in time.
  DWORD WaitForExit(DWORD milliseconds) {
    DWORD code = STILL_ACTIVE;
    if (mInfo.hProcess && WaitForSingleObject(mInfo.hProcess, milliseconds) == WAIT_OBJECT_0)
      GetExitCodeProcess(mInfo.hProcess, &code);
    return code;
  }
  DWORD Id() const { return mInfo.dwProcessId; }
  void Terminate() {
    if (!mInfo.hProcess) return;
    if (WaitForSingleObject(mInfo.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(mInfo.hProcess, 1);
      WaitForSingleObject(mInfo.hProcess, 5000);
    }
    CloseHandle(mInfo.hProcess);
    CloseHandle(mInfo.hThread);
    mInfo = {};
  }

 private:
  PROCESS_INFORMATION mInfo = {};
};

class ShellProcess : public ::testing::Test {
 public:
  // The children's log folder: they run with this process's temporary folder.
  std::wstring LogFolder() const { return utils::GetLogFolder(); }
  std::string OnlyLogText() const {
    const auto names = ListNames(LogFolder(), L"zandor-wickerlyn-*.txt");
    if (names.size() != 1) return "<" + std::to_string(names.size()) + " log files>";
    return ReadFileBytes(LogFolder() + L"\\" + names[0]);
  }

 protected:
  void SetUp() override { EndLeftoverInstances(); }
  void TearDown() override { EndLeftoverInstances(); }

  // Ends every process that owns a window of the popup's class (left over by an earlier test).
  static void EndLeftoverInstances() {
    while (HWND popup = FindWindowW(kPopupClass, nullptr)) {
      DWORD processId = 0;
      GetWindowThreadProcessId(popup, &processId);
      HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
      if (!process) break;
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }

  // Starts an instance on the test's data folder and waits for its popup window (shown at
  // once unless started with Windows, "/startup").
  HWND StartFirstInstance(ChildProcess& first, const std::wstring& args = L"") {
    EXPECT_TRUE(FileExists(ProgramFolder() + L"\\kilnworks\\qor.dll"))
        << "the automation library (target qor) must be built for a full start";
    if (!first.Start(TestHost(), L"run \"" + mData.Path() + L"\"" + (args.empty() ? L"" : L" " + args))) return nullptr;
    return polling::WaitForTopLevel(kPopupClass, nullptr, first.Id(), false, 15000);
  }

  std::wstring PrefsPath() const { return mData / L"prefs.txt"; }

  ScratchFolder mTemp{L"shell-temp"};
  ScratchFolder mData{L"shell-data"};
  // The children's temporary folder; their automatic update check stays on this machine,
  // at a closed local port.
  EnvironmentGuard mTmp{L"TMP", mTemp.Path()}, mTempToo{L"TEMP", mTemp.Path()};
  EnvironmentGuard mInfoHost{L"ZANDOR_INFO_HOST", L"127.0.0.1:9"};
};

}  // namespace shelltest
