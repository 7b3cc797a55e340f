// The program ended while library jobs are still on their way: a login to a slow server
// and a long VM search. Tear-down must wait for them or keep the library loaded, never
// crash on a late answer.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "services/Protection.h"
#include "tests/app/ShellProcessFixture.h"
#include "tests/support/SimulatorFixture.h"
#include "ui/window/Messages.h"

namespace {

using namespace shelltest;

std::string ServerRecord(const SimulatorProcess& sim) {
  std::string password;
  EXPECT_TRUE(utils::EncryptString("wickerlyn", 9, password));
  return "server.url = \"http://" + sim.Address() + ":" + std::to_string(sim.Port()) + "\"\r\n" +
         "server.type = \"1\"\r\nserver.username = \"root\"\r\nserver.password = \"" + password + "\"\r\n";
}

// Rounds alternate the two ways out: the quit message itself, and "/kill", which sends it
// from another process.
TEST_F(ShellProcess, EndedWhileALoginAndASearchAreOutTheProgramExitsCleanlyEveryTime) {
  // One server answers slowly, so its login is still out; the other answers a login at
  // once but its thousands of VMs take a while to list.
  SimulatorProcess slow, large;
  ASSERT_TRUE(slow.Start({"--http", "--latency-ms", "2500"})) << slow.LastError();
  ASSERT_TRUE(large.Start({"--http", "--bind", "127.0.0.2", "--vms", "20000", "--latency-ms", "150"}))
      << large.LastError();
  ASSERT_TRUE(WriteTextFile(PrefsPath(), ServerRecord(slow) + ServerRecord(large)));
  auto logText = [&] {
    std::string all;
    for (const auto& name : ListNames(LogFolder(), L"zandor-wickerlyn-*.txt")) all += ReadFileBytes(LogFolder() + L"\\" + name);
    return all;
  };
  for (int round = 0; round < 4; ++round) {
    const bool byKill = round % 2 == 1;
    SCOPED_TRACE((byKill ? "/kill, round " : "quit message, round ") + std::to_string(round));
    // An earlier program may well have finished its search while it was being ended.
    for (const auto& name : ListNames(LogFolder())) DeleteFileW((LogFolder() + L"\\" + name).c_str());
    ChildProcess program;
    HWND popup = StartFirstInstance(program);
    ASSERT_TRUE(popup);
    // The large server is logged in and listing while the slow server's login is still out.
    const std::string listing = "Login succeeded to server '" + large.Address() + "'";
    ASSERT_TRUE(WaitUntil([&] { return logText().find(listing) != std::string::npos; }, 15000)) << logText();
    const std::string log = logText();
    ASSERT_EQ(std::string::npos, log.find("We found")) << "the search ended too soon to test:\n" << log;
    ASSERT_EQ(std::string::npos, log.find("Login succeeded to server '" + slow.Address() + "'"))
        << "the slow login ended too soon to test:\n" << log;
    ChildProcess killer;
    if (byKill) {
      ASSERT_TRUE(killer.Start(Wickerlyn(), L"/kill"));
      EXPECT_EQ(0u, killer.WaitForExit(20000));
    } else {
      PostMessageW(popup, WM_QUITAPP, 0, 0);
    }
    EXPECT_EQ(0u, program.WaitForExit(20000)) << logText();
    EXPECT_TRUE(ListNames(mData.Path(), L"ZandorWickerlyn*.dmp").empty()) << logText();
  }
}

}  // namespace
