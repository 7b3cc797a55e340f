// Reading and writing the Run value, on a scratch key under HKCU.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/RunAtStartup.h"
#include "tests/support/ScratchLog.h"

namespace {

const wchar_t kValue[] = L"Zandor Wickerlyn";

class RunAtStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    mSubKey = L"Software\\ZandorWickerlynTests\\Run-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, mSubKey.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &mKey, nullptr));
    utils::SetRunKeyForTesting(HKEY_CURRENT_USER, mSubKey.c_str(), false);
  }
  void TearDown() override {
    utils::SetRunKeyForTesting(nullptr, nullptr, false);
    RegCloseKey(mKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, mSubKey.c_str());
  }

  void PutString(DWORD type, const std::wstring& text) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(mKey, kValue, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
  }

  std::string KeyPathUtf8() const { return std::string(mSubKey.begin(), mSubKey.end()); }

  std::wstring mSubKey;
  HKEY mKey = nullptr;
};

TEST_F(RunAtStartup, StringValuesOfEitherKindCountAsEnabled) {
  bool enabled = false, canChange = false;
  PutString(REG_SZ, L"\"C:\\x\\wickerlyn.exe\" /startup");
  EXPECT_TRUE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_TRUE(enabled);
  EXPECT_TRUE(canChange);

  PutString(REG_EXPAND_SZ, L"\"%ProgramFiles%\\wickerlyn.exe\" /startup");
  enabled = false;
  EXPECT_TRUE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_TRUE(enabled);
}

TEST_F(RunAtStartup, AbsentValueIsDisabledWithoutALogLine) {
  ScratchLog log;
  bool enabled = true, canChange = false;
  EXPECT_FALSE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_FALSE(enabled);
  EXPECT_TRUE(canChange);
  EXPECT_EQ(std::string::npos, log.Text().find("utils::GetRunOnWindowsStartup"));
}

TEST_F(RunAtStartup, NumberValueIsDisabledAndLoggedAsInvalidData) {
  ScratchLog log;
  const DWORD one = 1;
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(mKey, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one)));
  bool enabled = true, canChange = false;
  EXPECT_FALSE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_FALSE(enabled);
  EXPECT_NE(std::string::npos,
            log.Text().find("utils::GetRunOnWindowsStartup: Unexpected error code 0x0000000d when trying to read 'HKLM\\" +
                            KeyPathUtf8() + "\\Zandor Wickerlyn'.\r\n"))
      << log.Text();
}

TEST_F(RunAtStartup, EnablingWritesTheQuotedProgramPathAndTheStartupOption) {
  ScratchLog log;
  ASSERT_TRUE(utils::SetRunOnWindowsStartup(true));

  wchar_t data[1024] = {};
  DWORD type = 0, size = sizeof(data);
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(mKey, kValue, nullptr, &type, reinterpret_cast<BYTE*>(data), &size));
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(L"\"" + std::wstring(program) + L"\" /startup", std::wstring(data));
  EXPECT_NE(std::string::npos, log.Text().find("utils::SetRunOnWindowsStartup: Successfully set registry value 'HKLM\\"));

  bool enabled = false, canChange = false;
  EXPECT_TRUE(utils::GetRunOnWindowsStartup(enabled, canChange));
}

TEST_F(RunAtStartup, DisablingDeletesTheValueAndFailsWhenItIsAlreadyGone) {
  ScratchLog log;
  PutString(REG_SZ, L"\"C:\\x\\wickerlyn.exe\" /startup");
  EXPECT_TRUE(utils::SetRunOnWindowsStartup(false));
  DWORD type = 0;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(mKey, kValue, nullptr, &type, nullptr, nullptr));

  EXPECT_FALSE(utils::SetRunOnWindowsStartup(false));
  const std::string text = log.Text();
  EXPECT_NE(std::string::npos, text.find("utils::SetRunOnWindowsStartup: Successfully deleted registry value 'HKLM\\" +
                                         KeyPathUtf8() + "\\Zandor Wickerlyn'.\r\n"));
  EXPECT_NE(std::string::npos, text.find("utils::SetRunOnWindowsStartup: Deleting registry value 'HKLM\\" +
                                         KeyPathUtf8() + "\\Zandor Wickerlyn' failed with error code 0x00000002.\r\n"))
      << text;
}

TEST_F(RunAtStartup, WithoutWriteAccessTheValueIsStillReadButCannotBeChanged) {
  ScratchLog log;
  PutString(REG_SZ, L"\"C:\\x\\wickerlyn.exe\" /startup");
  utils::SetRunKeyForTesting(HKEY_CURRENT_USER, mSubKey.c_str(), true);

  bool enabled = false, canChange = true;
  EXPECT_TRUE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_TRUE(enabled);
  EXPECT_FALSE(canChange);
  EXPECT_FALSE(utils::SetRunOnWindowsStartup(false));
  DWORD type = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(mKey, kValue, nullptr, &type, nullptr, nullptr)) << "value untouched";

  const std::string text = log.Text();
  EXPECT_NE(std::string::npos, text.find("utils::GetRunOnWindowsStartup: Failed to open 'HKLM\\" + KeyPathUtf8() +
                                         "\\Zandor Wickerlyn' for write access with error code 0x00000005. Assuming "
                                         "that user is non-admin and/or UAC is enabled.\r\n"))
      << text;
  EXPECT_NE(std::string::npos, text.find("utils::SetRunOnWindowsStartup: Failed to open HKLM\\" + KeyPathUtf8() +
                                         "\\Zandor Wickerlyn for write access with error code 0x00000005."));
}

TEST_F(RunAtStartup, MissingKeyIsLoggedAndDisabled) {
  ScratchLog log;
  const std::wstring absent = mSubKey + L"\\Absent";
  utils::SetRunKeyForTesting(HKEY_CURRENT_USER, absent.c_str(), false);
  bool enabled = true, canChange = true;
  EXPECT_FALSE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(canChange);
  EXPECT_NE(std::string::npos, log.Text().find("for read access with error code 0x00000002.\r\n")) << log.Text();
}

}  // namespace
