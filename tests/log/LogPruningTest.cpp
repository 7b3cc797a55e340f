// Pruning of old logs at start-up: the 4 newest survive beside the new one.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "log/Log.h"
#include "tests/support/ScratchFolder.h"

namespace {

using namespace testfs;

std::wstring OldLogName(int day) {
  wchar_t name[64];
  swprintf(name, 64, L"zandor-wickerlyn-2011-05-%02d-093015.txt", day);
  return name;
}

void MakeOldLogs(const ScratchFolder& folder, int count) {
  for (int day = 1; day <= count; ++day)
    ASSERT_TRUE(WriteTextFile(folder / OldLogName(day), "old"));
}

std::vector<std::wstring> SortedLogs(const ScratchFolder& folder) {
  auto names = ListNames(folder.Path(), L"zandor-wickerlyn-*.txt");
  std::sort(names.begin(), names.end());
  return names;
}

TEST(LogPruning, FourOrFewerAndSubFoldersAndOtherFilesAreLeftAlone) {
  ScratchFolder folder(L"prune");
  MakeOldLogs(folder, 4);
  DeleteOldLogs(folder.Path().c_str());
  EXPECT_EQ(4u, SortedLogs(folder).size()) << "four or fewer are left alone";
  DeleteOldLogs(nullptr);  // no folder: nothing to do
  ASSERT_TRUE(CreateDirectoryW((folder / L"zandor-wickerlyn-0000-old.txt").c_str(), nullptr));
  ASSERT_TRUE(WriteTextFile(folder / L"notes.txt", "keep"));
  ASSERT_TRUE(WriteTextFile(folder / L"zandor-wickerlyn-2011.log", "keep"));
  DeleteOldLogs(folder.Path().c_str());

  EXPECT_EQ(5u, SortedLogs(folder).size());  // 4 files and the folder
  EXPECT_TRUE(FolderExists(folder / L"zandor-wickerlyn-0000-old.txt"));
  EXPECT_TRUE(FileExists(folder / L"notes.txt"));
  EXPECT_TRUE(FileExists(folder / L"zandor-wickerlyn-2011.log"));
}

// Opening the log prunes before it adds the new one.
TEST(LogPruning, OnlyTwentyNamesAreConsideredPerStart) {
  ScratchFolder folder(L"prune");
  MakeOldLogs(folder, 25);
  OpenLog(folder.Path());
  CloseLog();
  // 20 names looked at, 16 of them deleted, and the new log.
  auto names = SortedLogs(folder);
  ASSERT_EQ(10u, names.size());
  EXPECT_NE(std::wstring::npos, names[9].find(L"zandor-wickerlyn-20")) << "the new log";
  ASSERT_TRUE(DeleteFileW((folder / names[9]).c_str()));
  DeleteOldLogs(folder.Path().c_str());
  names = SortedLogs(folder);
  ASSERT_EQ(4u, names.size());
  // Whatever was looked at first, the newest one is never deleted.
  EXPECT_EQ(OldLogName(25), names[3]);
}

}  // namespace
