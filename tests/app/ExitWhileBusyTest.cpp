// The program ended while library jobs are still on their way: a login to a slow server
// and a long VM search. Tear-down must wait for them or keep the library loaded, never
// crash on a late answer.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "services/Protection.h"
#include "tests/app/ShellTestSupport.h"
#include "tests/support/SimulatorFixture.h"
#include "ui/Messages.h"

namespace {

using namespace shelltest;

const wchar_t kPopupClass[] = L"Zandor Wickerlyn Popup Window";

std::wstring Wickerlyn() { return ProgramFolder() + L"\\wickerlyn.exe"; }

std::wstring DataFolder() {
  wchar_t appData[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData))) return std::wstring();
  return std::wstring(appData) + L"\\Zandor\\Zandor Wickerlyn";
}

std::string ServerRecord(const SimulatorProcess& sim) {
  std::string password;
  EXPECT_TRUE(utils::EncryptString("wickerlyn", 9, password));
  return "server.url = \"http://" + sim.Address() + ":" + std::to_string(sim.Port()) + "\"\r\n" +
         "server.type = \"1\"\r\nserver.username = \"root\"\r\nserver.password = \"" + password + "\"\r\n";
}

class ExitWhileBusy : public ::testing::Test {
 protected:
  void SetUp() override {
    EndLeftoverInstances();
    SHCreateDirectoryExW(nullptr, DataFolder().c_str(), nullptr);
    mHadPrefs = FileExists(PrefsPath());
    if (mHadPrefs) mOldPrefs = ReadFileBytes(PrefsPath());
    mDumpsBefore = ListNames(DataFolder(), L"ZandorWickerlyn*.dmp").size();
    // One server answers slowly, so its login is still out; the other answers a login at
    // once but its thousands of VMs take a while to list.
    ASSERT_TRUE(mSlow.Start({"--http", "--latency-ms", "2500"})) << mSlow.LastError();
    ASSERT_TRUE(mLarge.Start({"--http", "--bind", "127.0.0.2", "--vms", "20000", "--latency-ms", "150"}))
        << mLarge.LastError();
    ASSERT_TRUE(WriteTextFile(PrefsPath(), ServerRecord(mSlow) + ServerRecord(mLarge)));
  }
  void TearDown() override {
    EndLeftoverInstances();
    if (mHadPrefs)
      WriteTextFile(PrefsPath(), mOldPrefs);
    else
      DeleteFileW(PrefsPath().c_str());
  }
  std::wstring PrefsPath() const { return DataFolder() + L"\\prefs.txt"; }
  std::vector<std::pair<std::wstring, std::wstring>> Environment() const {
    return {{L"TMP", mTemp.Path()}, {L"TEMP", mTemp.Path()}};
  }
  std::vector<std::wstring> LogFiles() const {
    std::vector<std::wstring> files;
    for (const auto& folder : ListNames(mTemp.Path(), L"zandor-*")) {
      for (const auto& name : ListNames(mTemp / folder, L"zandor-wickerlyn-*.txt"))
        files.push_back(mTemp / folder + L"\\" + name);
    }
    return files;
  }
  std::string LogText() const {
    std::string all;
    for (const auto& file : LogFiles()) all += ReadFileBytes(file);
    return all;
  }
  // Starts the program and waits until the large server is logged in and listing while the
  // slow server's login is still out. The logs of earlier rounds go first: an earlier
  // program may well have finished its search while it was being ended.
  void StartBusy(ChildProcess& program) {
    for (const auto& file : LogFiles()) DeleteFileW(file.c_str());
    ASSERT_TRUE(program.Start(Wickerlyn(), L"", Environment()));
    ASSERT_TRUE(WaitForWindow(kPopupClass, nullptr, program.Id(), 15000));
    const std::string large = "Login succeeded to server '" + mLarge.Address() + "'";
    ASSERT_TRUE(WaitUntil([&] { return LogText().find(large) != std::string::npos; }, 15000)) << LogText();
    const std::string log = LogText();
    ASSERT_EQ(std::string::npos, log.find("We found")) << "the search ended too soon to test:\n" << log;
    ASSERT_EQ(std::string::npos, log.find("Login succeeded to server '" + mSlow.Address() + "'"))
        << "the slow login ended too soon to test:\n" << log;
  }
  void ExpectCleanEnd(DWORD exitCode) {
    EXPECT_EQ(0u, exitCode) << LogText();
    EXPECT_EQ(mDumpsBefore, ListNames(DataFolder(), L"ZandorWickerlyn*.dmp").size()) << LogText();
  }

  ScratchFolder mTemp{L"exit-busy"};
  SimulatorProcess mSlow;
  SimulatorProcess mLarge;
  bool mHadPrefs = false;
  std::string mOldPrefs;
  size_t mDumpsBefore = 0;
};

TEST_F(ExitWhileBusy, QuitMessageEndsCleanlyEveryTime) {
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ChildProcess program;
    ASSERT_NO_FATAL_FAILURE(StartBusy(program));
    HWND popup = FindWindowW(kPopupClass, nullptr);
    ASSERT_TRUE(popup);
    PostMessageW(popup, WM_QUITAPP, 0, 0);
    ExpectCleanEnd(program.WaitForExit(20000));
  }
}

TEST_F(ExitWhileBusy, KillEndsCleanlyEveryTime) {
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ChildProcess program;
    ASSERT_NO_FATAL_FAILURE(StartBusy(program));
    ChildProcess killer;
    ASSERT_TRUE(killer.Start(Wickerlyn(), L"/kill", Environment()));
    EXPECT_EQ(0u, killer.WaitForExit(20000));
    ExpectCleanEnd(program.WaitForExit(20000));
  }
}

}  // namespace
