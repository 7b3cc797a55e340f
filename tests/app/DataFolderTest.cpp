// The per-user data folder and the "/removeprefs" worker.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "app/DataFolder.h"
#include "app/Maintenance.h"
#include "tests/support/ScratchFolder.h"

namespace {

using namespace testfs;

TEST(DataFolder, LivesUnderRoamingApplicationData) {
  wchar_t appData[MAX_PATH];
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData));
  EXPECT_EQ(std::wstring(appData) + L"\\Zandor\\Zandor Wickerlyn", utils::GetDataFolder());
}

TEST(DeleteFilesInFolder, DeletesFilesButNotSubFoldersOrTheFolder) {
  ScratchFolder folder(L"data");
  const wchar_t* files[] = {L"prefs.txt", L"ZandorWickerlyn123.dmp", L"no-extension"};
  for (const wchar_t* name : files) ASSERT_TRUE(WriteTextFile(folder / name, "x"));
  ASSERT_TRUE(CreateDirectoryW((folder / L"sub").c_str(), nullptr));
  ASSERT_TRUE(WriteTextFile(folder / L"sub\\inner.txt", "inner"));

  utils::DeleteFilesInFolder(folder.Path().c_str(), L"*.*");

  for (const wchar_t* name : files) EXPECT_FALSE(FileExists(folder / name));
  EXPECT_TRUE(FolderExists(folder / L"sub"));
  EXPECT_TRUE(FileExists(folder / L"sub\\inner.txt")) << "no recursion";
  EXPECT_TRUE(FolderExists(folder.Path()));
}

TEST(DeleteFilesInFolder, ALockedFileDoesNotStopTheOthers) {
  ScratchFolder folder(L"data");
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) ASSERT_TRUE(WriteTextFile(folder / name, "x"));
  HANDLE locked = CreateFileW((folder / L"b.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, locked);
  utils::DeleteFilesInFolder(folder.Path().c_str(), L"*.*");
  CloseHandle(locked);
  EXPECT_FALSE(FileExists(folder / L"a.txt"));
  EXPECT_TRUE(FileExists(folder / L"b.txt"));
  EXPECT_FALSE(FileExists(folder / L"c.txt"));
}

TEST(DeleteFilesInFolder, MissingOrEmptyFolderIsHarmless) {
  ScratchFolder folder(L"data");
  utils::DeleteFilesInFolder((folder / L"absent").c_str(), L"*.*");
  utils::DeleteFilesInFolder(L"", L"*.*");
  utils::DeleteFilesInFolder(nullptr, L"*.*");
  EXPECT_FALSE(FolderExists(folder / L"absent"));
}

}  // namespace
