// Reading and writing the Run value, on a scratch key under HKCU.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/RunAtStartup.h"
#include "tests/support/ScratchLog.h"

namespace {

const wchar_t kValue[] = L"Zandor Wickerlyn";
const wchar_t kCommand[] = L"\"C:\\x\\wickerlyn.exe\" /startup";

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
  LSTATUS QueryValue() const { return RegQueryValueExW(mKey, kValue, nullptr, nullptr, nullptr, nullptr); }
  // How the log names the scratch key (as the program would name HKLM's Run key).
  std::string KeyInLog() const { return "HKLM\\" + std::string(mSubKey.begin(), mSubKey.end()); }

  std::wstring mSubKey;
  HKEY mKey = nullptr;
  ScratchLog log;
  bool enabled = false;
  bool canChange = false;
};

TEST_F(RunAtStartup, StringValuesOfEitherKindCountAsEnabled) {
  PutString(REG_SZ, kCommand);
  EXPECT_TRUE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_TRUE(enabled);
  EXPECT_TRUE(canChange);

  PutString(REG_EXPAND_SZ, L"\"%ProgramFiles%\\wickerlyn.exe\" /startup");
  enabled = false;
  EXPECT_TRUE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_TRUE(enabled);
}

TEST_F(RunAtStartup, AbsentValueIsDisabledWithoutALogLine) {
  enabled = true;
  EXPECT_FALSE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_FALSE(enabled);
  EXPECT_TRUE(canChange);
  EXPECT_FALSE(log.Contains("utils::GetRunOnWindowsStartup"));
}

TEST_F(RunAtStartup, NumberValueIsDisabledAndLoggedAsInvalidData) {
  const DWORD one = 1;
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(mKey, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one)));
  enabled = true;
  EXPECT_FALSE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_FALSE(enabled);
  EXPECT_TRUE(log.Contains("utils::GetRunOnWindowsStartup: Unexpected error code 0x0000000d when trying to read '" +
                           KeyInLog() + "\\Zandor Wickerlyn'.\r\n"))
      << log.Text();
}

TEST_F(RunAtStartup, EnablingWritesTheQuotedProgramPathAndTheStartupOption) {
  ASSERT_TRUE(utils::SetRunOnWindowsStartup(true));

  wchar_t data[1024] = {};
  DWORD type = 0, size = sizeof(data);
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(mKey, kValue, nullptr, &type, reinterpret_cast<BYTE*>(data), &size));
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(L"\"" + std::wstring(program) + L"\" /startup", std::wstring(data));
  EXPECT_TRUE(log.Contains("utils::SetRunOnWindowsStartup: Successfully set registry value 'HKLM\\"));
  EXPECT_TRUE(utils::GetRunOnWindowsStartup(enabled, canChange));
}

TEST_F(RunAtStartup, DisablingDeletesTheValueAndFailsWhenItIsAlreadyGone) {
  PutString(REG_SZ, kCommand);
  EXPECT_TRUE(utils::SetRunOnWindowsStartup(false));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryValue());

  EXPECT_FALSE(utils::SetRunOnWindowsStartup(false));
  EXPECT_TRUE(log.Contains("utils::SetRunOnWindowsStartup: Successfully deleted registry value '" + KeyInLog() +
                           "\\Zandor Wickerlyn'.\r\n"));
  EXPECT_TRUE(log.Contains("utils::SetRunOnWindowsStartup: Deleting registry value '" + KeyInLog() +
                           "\\Zandor Wickerlyn' failed with error code 0x00000002.\r\n"))
      << log.Text();
}

TEST_F(RunAtStartup, WithoutWriteAccessTheValueIsStillReadButCannotBeChanged) {
  PutString(REG_SZ, kCommand);
  utils::SetRunKeyForTesting(HKEY_CURRENT_USER, mSubKey.c_str(), true);

  canChange = true;
  EXPECT_TRUE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_TRUE(enabled);
  EXPECT_FALSE(canChange);
  EXPECT_FALSE(utils::SetRunOnWindowsStartup(false));
  EXPECT_EQ(ERROR_SUCCESS, QueryValue()) << "value untouched";

  EXPECT_TRUE(log.Contains("utils::GetRunOnWindowsStartup: Failed to open '" + KeyInLog() +
                           "\\Zandor Wickerlyn' for write access with error code 0x00000005. Assuming "
                           "that user is non-admin and/or UAC is enabled.\r\n"))
      << log.Text();
  EXPECT_TRUE(log.Contains("utils::SetRunOnWindowsStartup: Failed to open " + KeyInLog() +
                           "\\Zandor Wickerlyn for write access with error code 0x00000005."));
}

TEST_F(RunAtStartup, MissingKeyIsLoggedAndDisabled) {
  const std::wstring absent = mSubKey + L"\\Absent";
  utils::SetRunKeyForTesting(HKEY_CURRENT_USER, absent.c_str(), false);
  enabled = canChange = true;
  EXPECT_FALSE(utils::GetRunOnWindowsStartup(enabled, canChange));
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(canChange);
  EXPECT_TRUE(log.Contains("for read access with error code 0x00000002.\r\n")) << log.Text();
}

}  // namespace
