// Reading the Run value, on a scratch key under HKCU (writing it through the Preferences
// dialog: PrefsDlgTest.TheStartupValueIsWrittenAtOkOnlyWhenTheBoxWasClicked).
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "app/RunAtStartup.h"
#include "tests/support/ScratchLog.h"
#include "tests/support/ScratchRunKey.h"

namespace {

const wchar_t kCommand[] = L"\"C:\\x\\wickerlyn.exe\" /startup";

class RunAtStartup : public ::testing::Test {
 protected:
  // How the log names the scratch key (as the program would name HKLM's Run key).
  std::string KeyInLog() const { return "HKLM\\" + std::string(run.Path().begin(), run.Path().end()); }

  ScratchRunKey run;
  ScratchLog log;
  bool enabled = false;
  bool canChange = false;
};

// What a read gives (its result, enabled, can change) and logs, for each value found.
TEST_F(RunAtStartup, ReadingTellsWhetherItRunsAndWhetherThatCanBeChanged) {
  const DWORD one = 1;
  const std::wstring absent = run.Path() + L"\\Absent";
  const struct {
    const char* what;
    std::function<void()> arrange;
    bool result, enabled, canChange;
    std::string logged;  // empty: nothing about the read
  } cases[] = {
      {"a string", [&] { run.Put(kCommand); }, true, true, true, ""},
      {"an expandable string", [&] { run.Put(L"\"%ProgramFiles%\\w.exe\" /startup", REG_EXPAND_SZ); }, true,
       true, true, ""},
      {"no value", [&] { run.Remove(); }, false, false, true, ""},
      {"a number",
       [&] { RegSetValueExW(run.Key(), ScratchRunKey::kName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one); }, false,
       false, true,
       "utils::GetRunOnWindowsStartup: Unexpected error code 0x0000000d when trying to read '" + KeyInLog() +
           "\\Zandor Wickerlyn'.\r\n"},
      {"no write access",
       [&] {
         run.Put(kCommand);
         run.UseWithWriteAccess(false);
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

}  // namespace
