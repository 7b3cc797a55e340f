// The fixture of the tests that run the program as real processes: each test gives its
// processes a temporary folder of their own, so their logs land there. A full instance runs
// as the test host, the program's start-up code with a data folder of the test's own: a run
// saves prefs.txt, which must not land in the user's data folder.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/app/ShellTestSupport.h"
#include "tests/support/EnvironmentGuard.h"

namespace shelltest {

constexpr wchar_t kPopupClass[] = L"Zandor Wickerlyn Popup Window";

inline std::wstring Wickerlyn() { return ProgramFolder() + L"\\wickerlyn.exe"; }
// The program's start-up code with a data folder of the test's choosing.
inline std::wstring TestHost() { return ProgramFolder() + L"\\shell_test_host.exe"; }

inline std::wstring UserName() {
  wchar_t user[260];
  DWORD size = 260;
  GetUserNameW(user, &size);
  return user;
}

class ShellProcess : public ::testing::Test {
 public:
  std::wstring LogFolder() const { return mTemp / (L"zandor-" + UserName()); }
  std::string OnlyLogText() const {
    const auto names = ListNames(LogFolder(), L"zandor-wickerlyn-*.txt");
    if (names.size() != 1) return "<" + std::to_string(names.size()) + " log files>";
    return ReadFileBytes(LogFolder() + L"\\" + names[0]);
  }

 protected:
  void SetUp() override { EndLeftoverInstances(); }
  void TearDown() override { EndLeftoverInstances(); }

  // Starts an instance and waits for its popup window (shown at once unless started with
  // Windows, "/startup").
  HWND StartFirstInstance(ChildProcess& first, const std::wstring& args = L"") {
    EXPECT_TRUE(FileExists(ProgramFolder() + L"\\kilnworks\\qor.dll"))
        << "the automation library (target qor) must be built for a full start";
    return StartHostInstance(first, mData.Path(), args);
  }
  // The same with the test host, whose data folder is dataFolder.
  HWND StartHostInstance(ChildProcess& host, const std::wstring& dataFolder, const std::wstring& args = L"") {
    const std::wstring hostArgs = L"run \"" + dataFolder + L"\"" + (args.empty() ? L"" : L" " + args);
    if (!host.Start(TestHost(), hostArgs)) return nullptr;
    return WaitForWindow(kPopupClass, nullptr, host.Id(), 15000);
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
