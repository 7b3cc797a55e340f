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

// Files go, a locked one stays without stopping the others; sub-folders and the folder stay;
// a missing or empty folder is harmless.
TEST(DeleteFilesInFolder, DeletesTheFilesItCanButNotSubFoldersOrTheFolder) {
  ScratchFolder folder(L"data");
  const wchar_t* files[] = {L"prefs.txt", L"ZandorWickerlyn123.dmp", L"no-extension", L"locked.txt"};
  for (const wchar_t* name : files) ASSERT_TRUE(WriteTextFile(folder / name, "x"));
  ASSERT_TRUE(CreateDirectoryW((folder / L"sub").c_str(), nullptr));
  ASSERT_TRUE(WriteTextFile(folder / L"sub\\inner.txt", "inner"));
  HANDLE locked = CreateFileW((folder / L"locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, locked);

  utils::DeleteFilesInFolder(folder.Path().c_str(), L"*.*");
  CloseHandle(locked);

  for (const wchar_t* name : {L"prefs.txt", L"ZandorWickerlyn123.dmp", L"no-extension"})
    EXPECT_FALSE(FileExists(folder / name));
  EXPECT_TRUE(FileExists(folder / L"locked.txt"));
  EXPECT_TRUE(FolderExists(folder / L"sub"));
  EXPECT_TRUE(FileExists(folder / L"sub\\inner.txt")) << "no recursion";
  EXPECT_TRUE(FolderExists(folder.Path()));

  utils::DeleteFilesInFolder((folder / L"absent").c_str(), L"*.*");
  utils::DeleteFilesInFolder(L"", L"*.*");
  utils::DeleteFilesInFolder(nullptr, L"*.*");
  EXPECT_FALSE(FolderExists(folder / L"absent"));
}

}  // namespace
