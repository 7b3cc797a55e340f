// The update check bound to the preferences: the automatic rule on the program's clock,
// the Preferences dialog's check, and the renewed last-check time.
#include <gtest/gtest.h>
#include <windows.h>

#include "backend/RecentUse.h"
#include "res/resource.h"
#include "services/InfoService.h"
#include "app/UpdateCheckWithPrefs.h"
#include "services/UpdateCheck.h"
#include "state/Prefs.h"
#include "tests/dialogs/DialogDriver.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScratchLog.h"
#include "tests/update/DialogWatch.h"
#include "tests/web/InternetSettingsGuard.h"
#include "tests/web/TestServers.h"

namespace {

constexpr int64_t kNow = 1767225600;  // 2026-01-01 00:00 UTC
constexpr int64_t kDay = 86400;

int64_t FixedNow() { return kNow; }

// Preferences in a scratch data folder, the program's clock stopped at kNow, and the web
// information service pointed at a local server.
class AutomaticCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Prefs::CreateInstance(mFolder.Path());
    utils::SetTimeSource(FixedNow);
    settings.SetEnable(0);
    ASSERT_TRUE(server.Start());
    SetEnvironmentVariableW(utils::kInfoServiceHostVariable,
                            (L"127.0.0.1:" + std::to_wstring(server.Port())).c_str());
  }
  void TearDown() override {
    Prefs::DestroyInstance();
    SetEnvironmentVariableW(utils::kInfoServiceHostVariable, nullptr);
    utils::SetTimeSource(nullptr);
  }

  InternetSettingsGuard settings;
  LocalHttpServer server;
  ScratchLog log;
  testfs::ScratchFolder mFolder{L"update-prefs"};
};

}  // namespace

TEST_F(AutomaticCheckTest, ChecksOneSecondAfterTheIntervalAndNotAtIt) {
  server.Serve("/info", "update = 0");
  Prefs& prefs = Prefs::Instance();
  prefs.mUpdateInterval = 3;
  prefs.mLastUpdateCheck = kNow - 3 * kDay;
  DialogWatch watch(CloseAnything);
  EXPECT_FALSE(utils::RunAutomaticUpdateCheck(nullptr));
  EXPECT_EQ(server.RequestCount(), 0);
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kNow - 3 * kDay));

  prefs.mLastUpdateCheck = kNow - 3 * kDay - 1;
  EXPECT_TRUE(utils::RunAutomaticUpdateCheck(nullptr));
  EXPECT_EQ(server.RequestCount(), 1);
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kNow));
  watch.Stop();
  EXPECT_TRUE(watch.Seen().empty());  // automatic and nothing new: silent
}

TEST_F(AutomaticCheckTest, TheFirstRunWithDefaultSettingsChecksAtOnce) {
  server.Serve("/info", "update = 0");
  EXPECT_EQ(Prefs::Instance().mLastUpdateCheck, 0u);
  EXPECT_TRUE(utils::RunAutomaticUpdateCheck(nullptr));
  EXPECT_EQ(server.RequestCount(), 1);
  EXPECT_EQ(Prefs::Instance().mLastUpdateCheck, static_cast<uint64_t>(kNow));
}

TEST_F(AutomaticCheckTest, NoAutomaticCheckWhenSwitchedOffOrLastCheckedInTheFuture) {
  server.Serve("/info", "update = 1");
  Prefs& prefs = Prefs::Instance();
  prefs.mCheckForUpdates = false;
  prefs.mLastUpdateCheck = 0;
  EXPECT_FALSE(utils::RunAutomaticUpdateCheck(nullptr));
  prefs.mCheckForUpdates = true;
  prefs.mLastUpdateCheck = kNow + 60;
  EXPECT_FALSE(utils::RunAutomaticUpdateCheck(nullptr));
  EXPECT_EQ(server.RequestCount(), 0);
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kNow + 60));
}

TEST_F(AutomaticCheckTest, ThePreferencesButtonChecksEvenWithAutomaticChecksOff) {
  server.Serve("/info", "nothing new: update = 0");
  Prefs& prefs = Prefs::Instance();
  prefs.mCheckForUpdates = false;
  std::wstring message;
  DialogWatch watch([&](HWND dialog, const std::wstring& caption) {
    message = dialogs::MessageBoxText(dialog);
    CloseAnything(dialog, caption);
  });
  utils::CheckForUpdates(nullptr, true);
  watch.Stop();
  EXPECT_EQ(server.RequestCount(), 1);
  EXPECT_EQ(message, L"There are no updates currently available.");
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kNow));
  EXPECT_FALSE(prefs.mCheckForUpdates);
}

TEST_F(AutomaticCheckTest, TickingTheBoxSwitchesThePreferenceOff) {
  server.Serve("/info", "update = 1");
  DialogWatch watch([](HWND dialog, const std::wstring&) {
    dialogs::Click(dialog, IDC_DONT_CHECK_UPDATES);
    dialogs::Click(dialog, IDCANCEL);
  });
  EXPECT_TRUE(utils::RunAutomaticUpdateCheck(nullptr));
  watch.Stop();
  EXPECT_EQ(watch.Seen(), std::vector<std::wstring>{L"Update Available"});
  EXPECT_FALSE(Prefs::Instance().mCheckForUpdates);
  EXPECT_EQ(Prefs::Instance().mLastUpdateCheck, static_cast<uint64_t>(kNow));
}
