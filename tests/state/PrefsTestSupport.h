// Shared pieces of the preferences tests: a fixed clock, a live-server source and a
// scratch data folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "backend/RecentUse.h"
#include "state/PrefsServerSource.h"
#include "tests/support/ScratchFolder.h"

constexpr int64_t kNow = 1700000000;  // 2023-11-14
inline int64_t FixedClock() { return kNow; }

class FakeServerSource : public PrefsServerSource {
 public:
  std::vector<LiveServer> GetServersForPrefs() override { return mServers; }
  std::vector<LiveServer> mServers;
};

// A scratch data folder for prefs.txt, with the clock fixed at kNow.
class PrefsFolderTest : public ::testing::Test {
 protected:
  PrefsFolderTest() { utils::SetTimeSource(&FixedClock); }
  ~PrefsFolderTest() override { utils::SetTimeSource(nullptr); }
  std::wstring File() const { return mFolder / L"prefs.txt"; }
  std::string FileText() const { return testfs::ReadFileBytes(File()); }
  void WriteFile(const std::string& text) { ASSERT_TRUE(testfs::WriteTextFile(File(), text)); }

  testfs::ScratchFolder mFolder{L"prefs"};
};
