// The update check bound to the preferences: the automatic rule on the program's clock and
// the renewed last-check time, and the dialog's box switching the preference off.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/UpdateCheckWithPrefs.h"
#include "res/resource.h"
#include "services/Clock.h"
#include "services/InfoService.h"
#include "state/Prefs.h"
#include "tests/support/EnvironmentGuard.h"
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
    infoHost = std::make_unique<EnvironmentGuard>(utils::kInfoServiceHostVariable,
                                                  L"127.0.0.1:" + std::to_wstring(server.Port()));
  }
  void TearDown() override {
    Prefs::DestroyInstance();
    utils::SetTimeSource(nullptr);
  }

  InternetSettingsGuard settings;
  LocalHttpServer server;
  std::unique_ptr<EnvironmentGuard> infoHost;
  ScratchLog log;
  testfs::ScratchFolder mFolder{L"update-prefs"};
};

}  // namespace

TEST_F(AutomaticCheckTest, ChecksAtOnceOnTheFirstRunThenOnlyWhenDueAndSilentlyWhenNothingIsNew) {
  server.Serve("/info", "update = 0");
  DialogWatch watch(CloseAnything);
  Prefs& prefs = Prefs::Instance();
  EXPECT_TRUE(utils::RunAutomaticUpdateCheck(nullptr)) << "default settings, never checked";
  EXPECT_EQ(server.RequestCount(), 1);
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kNow));

  const struct {
    const char* what;
    bool on;
    int64_t lastCheck;
    bool checks;
  } cases[] = {
      {"exactly the interval ago", true, kNow - 3 * kDay, false},
      {"a second more", true, kNow - 3 * kDay - 1, true},
      {"switched off", false, 0, false},
      {"last checked in the future", true, kNow + 60, false},
  };
  prefs.mUpdateInterval = 3;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int requests = server.RequestCount();
    prefs.mCheckForUpdates = c.on;
    prefs.mLastUpdateCheck = static_cast<uint64_t>(c.lastCheck);
    EXPECT_EQ(utils::RunAutomaticUpdateCheck(nullptr), c.checks);
    EXPECT_EQ(server.RequestCount() - requests, c.checks ? 1 : 0);
    EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(c.checks ? kNow : c.lastCheck));
  }
  watch.Stop();
  EXPECT_TRUE(watch.Seen().empty());  // automatic and nothing new: silent
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
