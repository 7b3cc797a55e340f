// Reading and writing the Run value, on a scratch key under HKCU.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
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

// What a read gives (its result, enabled, can change) and logs, for each value found.
TEST_F(RunAtStartup, ReadingTellsWhetherItRunsAndWhetherThatCanBeChanged) {
  const DWORD one = 1;
  const std::wstring absent = mSubKey + L"\\Absent";
  const struct {
    const char* what;
    std::function<void()> arrange;
    bool result, enabled, canChange;
    std::string logged;  // empty: nothing about the read
  } cases[] = {
      {"a string", [&] { PutString(REG_SZ, kCommand); }, true, true, true, ""},
      {"an expandable string", [&] { PutString(REG_EXPAND_SZ, L"\"%ProgramFiles%\\w.exe\" /startup"); }, true,
       true, true, ""},
      {"no value", [&] { RegDeleteValueW(mKey, kValue); }, false, false, true, ""},
      {"a number",
       [&] { RegSetValueExW(mKey, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one); }, false,
       false, true,
       "utils::GetRunOnWindowsStartup: Unexpected error code 0x0000000d when trying to read '" + KeyInLog() +
           "\\Zandor Wickerlyn'.\r\n"},
      {"no write access",
       [&] {
         PutString(REG_SZ, kCommand);
         utils::SetRunKeyForTesting(HKEY_CURRENT_USER, mSubKey.c_str(), true);
       },
       true, true, false,
       "utils::GetRunOnWindowsStartup: Failed to open '" + KeyInLog() +
           "\\Zandor Wickerlyn' for write access with error code 0x00000005. Assuming that user is non-admin "
           "and/or UAC is enabled.\r\n"},
      {"no key", [&] { utils::SetRunKeyForTesting(HKEY_CURRENT_USER, absent.c_str(), false); }, false, false,
       false, "for read access with error code 0x00000002.\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t from = log.Text().size();
    c.arrange();
    enabled = !c.enabled;
    canChange = !c.canChange;
    EXPECT_EQ(utils::GetRunOnWindowsStartup(enabled, canChange), c.result);
    EXPECT_EQ(enabled, c.enabled);
    EXPECT_EQ(canChange, c.canChange);
    const std::string logged = log.Text().substr(from);
    EXPECT_EQ(logged.find(c.logged.empty() ? "utils::GetRunOnWindowsStartup" : c.logged) != std::string::npos,
              !c.logged.empty())
        << logged;
  }
}

TEST_F(RunAtStartup, EnablingWritesTheQuotedProgramPathAndDisablingDeletesItWithWriteAccessOnly) {
  ASSERT_TRUE(utils::SetRunOnWindowsStartup(true));
  wchar_t data[1024] = {};
  DWORD type = 0, size = sizeof(data);
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(mKey, kValue, nullptr, &type, reinterpret_cast<BYTE*>(data), &size));
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(L"\"" + std::wstring(program) + L"\" /startup", std::wstring(data));
  EXPECT_TRUE(log.Contains("utils::SetRunOnWindowsStartup: Successfully set registry value 'HKLM\\"));

  utils::SetRunKeyForTesting(HKEY_CURRENT_USER, mSubKey.c_str(), true);
  EXPECT_FALSE(utils::SetRunOnWindowsStartup(false));
  EXPECT_EQ(ERROR_SUCCESS, QueryValue()) << "value untouched without write access";
  EXPECT_TRUE(log.Contains("utils::SetRunOnWindowsStartup: Failed to open " + KeyInLog() +
                           "\\Zandor Wickerlyn for write access with error code 0x00000005."));

  utils::SetRunKeyForTesting(HKEY_CURRENT_USER, mSubKey.c_str(), false);
  EXPECT_TRUE(utils::SetRunOnWindowsStartup(false));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryValue());
  EXPECT_FALSE(utils::SetRunOnWindowsStartup(false));
  EXPECT_TRUE(log.Contains("utils::SetRunOnWindowsStartup: Successfully deleted registry value '" + KeyInLog() +
                           "\\Zandor Wickerlyn'.\r\n"));
  EXPECT_TRUE(log.Contains("utils::SetRunOnWindowsStartup: Deleting registry value '" + KeyInLog() +
                           "\\Zandor Wickerlyn' failed with error code 0x00000002.\r\n"))
      << log.Text();
}

}  // namespace
