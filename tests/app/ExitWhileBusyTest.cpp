// The program ended while library jobs are still on their way: a login to a slow server
// and a long VM search. Tear-down must wait for them or keep the library loaded, never
// crash on a late answer.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "services/Protection.h"
#include "tests/app/ShellTestSupport.h"
#include "tests/support/SimulatorFixture.h"
#include "ui/window/Messages.h"

namespace {

using namespace shelltest;

const wchar_t kPopupClass[] = L"Zandor Wickerlyn Popup Window";

std::wstring Wickerlyn() { return ProgramFolder() + L"\\wickerlyn.exe"; }
// The program's start-up code with a data folder of the test's own.
std::wstring TestHost() { return ProgramFolder() + L"\\shell_test_host.exe"; }

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
    // One server answers slowly, so its login is still out; the other answers a login at
    // once but its thousands of VMs take a while to list.
    ASSERT_TRUE(mSlow.Start({"--http", "--latency-ms", "2500"})) << mSlow.LastError();
    ASSERT_TRUE(mLarge.Start({"--http", "--bind", "127.0.0.2", "--vms", "20000", "--latency-ms", "150"}))
        << mLarge.LastError();
    ASSERT_TRUE(WriteTextFile(PrefsPath(), ServerRecord(mSlow) + ServerRecord(mLarge)));
  }
  void TearDown() override { EndLeftoverInstances(); }
  std::wstring PrefsPath() const { return mData / L"prefs.txt"; }
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
    ASSERT_TRUE(program.Start(TestHost(), L"run \"" + mData.Path() + L"\"", Environment()));
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
    EXPECT_TRUE(ListNames(mData.Path(), L"ZandorWickerlyn*.dmp").empty()) << LogText();
  }

  ScratchFolder mTemp{L"exit-busy"};
  ScratchFolder mData{L"exit-busy-data"};
  SimulatorProcess mSlow;
  SimulatorProcess mLarge;
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
