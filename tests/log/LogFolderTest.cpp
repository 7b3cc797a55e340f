// Finding a writable log folder under %TEMP%, and joining paths.
#include <gtest/gtest.h>
#include <windows.h>

#include "log/Log.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/ScratchFolder.h"

namespace {

using namespace testfs;

TEST(JoinPath, InsertsOneSeparatorOnlyWhenNeededAndNeverYieldsACutPath) {
  wchar_t buffer[64];
  EXPECT_TRUE(utils::JoinPath(buffer, 64, L"C:\\temp", L"a.txt"));
  EXPECT_STREQ(L"C:\\temp\\a.txt", buffer);
  EXPECT_TRUE(utils::JoinPath(buffer, 64, L"C:\\temp\\", L"a.txt"));
  EXPECT_STREQ(L"C:\\temp\\a.txt", buffer);
  EXPECT_TRUE(utils::JoinPath(buffer, 64, L"C:/temp/", L"a.txt"));
  EXPECT_STREQ(L"C:/temp/a.txt", buffer);
  // Missing arguments are refused, and a path that does not fit is never cut.
  EXPECT_FALSE(utils::JoinPath(buffer, 8, nullptr, L"a"));
  EXPECT_STREQ(L"", buffer);
  EXPECT_FALSE(utils::JoinPath(buffer, 8, L"C:\\x", nullptr));
  EXPECT_FALSE(utils::JoinPath(nullptr, 8, L"C:\\x", L"a"));
  EXPECT_FALSE(utils::JoinPath(buffer, 0, L"C:\\x", L"a"));
  // "C:\x\abc" needs 9 characters with its terminator.
  EXPECT_FALSE(utils::JoinPath(buffer, 8, L"C:\\x", L"abc"));
  EXPECT_STREQ(L"", buffer);
  EXPECT_TRUE(utils::JoinPath(buffer, 8, L"C:\\x", L"ab"));
  EXPECT_STREQ(L"C:\\x\\ab", buffer);
}

TEST(FolderWritable, CreatesMissingFoldersLeavesNoProbeFileAndRefusesAFileInTheWay) {
  ScratchFolder scratch(L"writable");
  const std::wstring nested = scratch / L"a\\b\\c";
  EXPECT_TRUE(utils::IsFolderWritable(nested.c_str()));
  EXPECT_TRUE(FolderExists(nested));
  EXPECT_FALSE(FileExists(nested + L"\\wickerlyn_write_test.log"));
  EXPECT_TRUE(utils::IsFolderWritable(nested.c_str())) << "an existing folder is fine too";
  // A file in the way is not a writable folder.
  const std::wstring file = scratch / L"plain-file";
  ASSERT_TRUE(WriteTextFile(file, "x"));
  EXPECT_FALSE(utils::IsFolderWritable(file.c_str()));
  EXPECT_FALSE(utils::IsFolderWritable((file + L"\\below").c_str()));
  EXPECT_FALSE(utils::IsFolderWritable(nullptr));
}

// GetTempPathW reads %TMP% first.
TEST(LogFolder, IsAPerUserFolderUnderTempAndAnUnwritableTempMeansNoLog) {
  ScratchFolder scratch(L"temp");
  wchar_t user[260];
  DWORD size = 260;
  GetUserNameW(user, &size);
  const std::wstring expected = scratch.Path() + L"\\zandor-" + user;
  {
    EnvironmentGuard temp(L"TMP", scratch.Path() + L"\\");
    EXPECT_EQ(expected, utils::GetLogFolder());
  }
  {
    EnvironmentGuard temp(L"TMP", scratch.Path());
    EXPECT_EQ(expected, utils::GetLogFolder());
  }
  EXPECT_TRUE(FolderExists(expected));

  // An unwritable temporary folder means no log at all.
  const std::wstring file = scratch / L"plain-file";
  ASSERT_TRUE(WriteTextFile(file, "x"));
  EnvironmentGuard temp(L"TMP", file);
  EXPECT_EQ(L"", utils::GetLogFolder());
  OpenLog();
  Log("%s: nowhere to go\n", "Test");
  CloseLog();
  EXPECT_EQ(2u, ListNames(scratch.Path()).size()) << "the log folder and the file";
}

}  // namespace
