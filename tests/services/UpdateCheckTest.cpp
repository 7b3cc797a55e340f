// The update check against a real server, with its dialog and message boxes driven from a
// helper thread: utils::CheckForUpdates itself, then bound to the preferences (the automatic
// rule on the program's clock, the renewed last-check time, the box switching it off).
#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>
#include <memory>

#include "app/UpdateCheckWithPrefs.h"
#include "res/resource.h"
#include "services/Clock.h"
#include "services/InfoService.h"
#include "services/UpdateCheck.h"
#include "state/Prefs.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/DialogLayout.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScratchLog.h"
#include "tests/services/DialogWatch.h"
#include "tests/services/InternetSettingsGuard.h"
#include "tests/support/TestServers.h"

namespace {

const wchar_t kCheckFailed[] =
    L"Checking for updates failed. Verify that you have an active network connection.";

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.SetEnable(0);
    ASSERT_TRUE(server.Start());
    context.documentUrl = server.Url("/info?id=1073");
    context.downloadUrl = server.Url("/info?id=1048");
    context.checkForUpdates = &checkForUpdates;
    context.lastUpdateCheck = &lastUpdateCheck;
    context.openPage = [this](HWND owner, const std::wstring& url) {
      opened.push_back(url);
      openedOwner = owner;
      return true;
    };
  }

  struct Outcome {
    utils::UpdateCheckResult result;
    std::vector<std::wstring> seen;  // captions of the dialogs shown, in order
    std::wstring message;            // the text of the last message box
  };
  // Runs a check and answers what appears; expects lastUpdateCheck to be renewed.
  Outcome Check(bool interactive, DialogWatch::Answer answer = CloseAnything) {
    std::wstring message;
    DialogWatch watch([&](HWND dialog, const std::wstring& caption) {
      if (caption != L"Update Available") message = dialogs::MessageBoxText(dialog);
      answer(dialog, caption);
    });
    const uint64_t before = static_cast<uint64_t>(std::time(nullptr));
    utils::UpdateCheckResult result = utils::CheckForUpdates(nullptr, interactive, context);
    const uint64_t after = static_cast<uint64_t>(std::time(nullptr));
    watch.Stop();
    EXPECT_GE(lastUpdateCheck, before);
    EXPECT_LE(lastUpdateCheck, after);
    return {result, watch.Seen(), message};
  }

  InternetSettingsGuard settings;
  LocalHttpServer server;
  ScratchLog log;
  bool checkForUpdates = true;
  uint64_t lastUpdateCheck = 0;
  std::vector<std::wstring> opened;
  HWND openedOwner = nullptr;
  utils::UpdateCheckContext context;
};

}  // namespace

// Automatic, the dialog offers to stop checking; interactive, it has no such box and its
// buttons move up into its place. Only Download opens the page, and the box, when ticked,
// switches checks off with either button.
TEST_F(UpdateCheckTest, TheUpdateDialogOffersToStopOnlyAutomaticChecksAndOnlyDownloadOpensThePage) {
  server.Serve("/info", "Zandor Wickerlyn 1.2.0 is out; update = 1; see the download page\r\n");
  dialogs::Layout automatic, interactive;
  Outcome outcome = Check(false, [&](HWND dialog, const std::wstring& caption) {
    automatic = dialogs::Measure(dialog);
    CloseAnything(dialog, caption);
  });
  EXPECT_EQ(outcome.result, utils::UpdateCheckResult::kUpdateAvailable) << "a marker inside a longer line";
  EXPECT_EQ(outcome.seen, std::vector<std::wstring>{L"Update Available"});
  EXPECT_TRUE(opened.empty());  // closed, not downloaded
  Check(true, [&](HWND dialog, const std::wstring&) {
    interactive = dialogs::Measure(dialog);
    // Even ticked behind the user's back, a hidden box changes nothing.
    SendMessageW(GetDlgItem(dialog, IDC_DONT_CHECK_UPDATES), BM_SETCHECK, BST_CHECKED, 0);
    dialogs::Click(dialog, IDC_DOWNLOAD);
  });
  EXPECT_TRUE(checkForUpdates);
  EXPECT_EQ(opened, std::vector<std::wstring>{context.downloadUrl});
  EXPECT_EQ(server.RequestCount(), 2);

  ASSERT_TRUE(automatic.shown[IDC_DONT_CHECK_UPDATES]);
  EXPECT_EQ(automatic.focus, IDC_DOWNLOAD);
  EXPECT_FALSE(interactive.shown[IDC_DONT_CHECK_UPDATES]);
  const LONG distance = automatic.at[IDC_DOWNLOAD].bottom - automatic.at[IDC_DONT_CHECK_UPDATES].bottom;
  ASSERT_GT(distance, 0);
  // The buttons take the box's place.
  EXPECT_EQ(interactive.at[IDC_DOWNLOAD].bottom, automatic.at[IDC_DONT_CHECK_UPDATES].bottom);
  for (int id : {IDC_DOWNLOAD, IDCANCEL}) {
    EXPECT_EQ(interactive.at[id].top, automatic.at[id].top - distance) << id;
    EXPECT_EQ(interactive.at[id].left, automatic.at[id].left) << id;
  }
  EXPECT_EQ(interactive.height, automatic.height - distance);
  EXPECT_EQ(interactive.focus, IDC_DOWNLOAD);

  // Every way out of the dialog, with the box ticked first (Escape sends the command Close sends).
  const struct {
    const char* name;
    void (*close)(HWND);
    bool opens;
  } ways[] = {
      {"Download", [](HWND d) { dialogs::Click(d, IDC_DOWNLOAD); }, true},
      {"Close", [](HWND d) { dialogs::Click(d, IDCANCEL); }, false},
      {"close box", [](HWND d) { SendMessageW(d, WM_CLOSE, 0, 0); }, false},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    checkForUpdates = true;
    opened.clear();
    HWND dialogWindow = nullptr;
    Check(false, [&](HWND dialog, const std::wstring&) {
      dialogWindow = dialog;
      dialogs::Click(dialog, IDC_DONT_CHECK_UPDATES);
      way.close(dialog);
    });
    EXPECT_FALSE(checkForUpdates);
    EXPECT_EQ(opened, way.opens ? std::vector<std::wstring>{server.Url("/info?id=1048")} : std::vector<std::wstring>{});
    if (way.opens) EXPECT_EQ(openedOwner, dialogWindow);
  }
}

// An automatic check says nothing unless there is an update; an interactive one reports a
// failure, and an error page is a failure too, not "no updates".
TEST_F(UpdateCheckTest, OnlyAnInteractiveCheckReportsNoUpdateOrAFailure) {
  server.Serve("/info", "update = 0");
  const std::wstring refused = L"http://127.0.0.1:" + std::to_wstring(UnusedLocalPort()) + L"/info?id=1073";
  const struct {
    const char* what;
    bool interactive;
    std::wstring url;
    utils::UpdateCheckResult result;
    const wchar_t* message;  // null: no message box
  } cases[] = {
      {"automatic, nothing new", false, server.Url("/info?id=1073"), utils::UpdateCheckResult::kNoUpdate, nullptr},
      {"automatic, refused", false, refused, utils::UpdateCheckResult::kFailed, nullptr},
      {"interactive, refused", true, refused, utils::UpdateCheckResult::kFailed, kCheckFailed},
      {"interactive, an error page", true, server.Url("/missing"), utils::UpdateCheckResult::kFailed, kCheckFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    context.documentUrl = c.url;
    lastUpdateCheck = 0;
    const Outcome outcome = Check(c.interactive);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.seen.size(), c.message ? 1u : 0u);
    if (c.message) EXPECT_EQ(outcome.message, c.message);
  }
  EXPECT_TRUE(log.Contains("utils::CheckForUpdates: Checking '" + std::string("http://127.0.0.1:")));
}

namespace {

constexpr int64_t kCheckNow = 1767225600;  // 2026-01-01 00:00 UTC
constexpr int64_t kCheckDay = 86400;

int64_t FixedNow() { return kCheckNow; }

// Preferences in a scratch data folder, the program's clock stopped at kCheckNow, and the web
// information service pointed at the local server.
class AutomaticCheckTest : public UpdateCheckTest {
 protected:
  void SetUp() override {
    UpdateCheckTest::SetUp();
    Prefs::CreateInstance(mFolder.Path());
    utils::SetTimeSource(FixedNow);
    infoHost = std::make_unique<EnvironmentGuard>(utils::kInfoServiceHostVariable,
                                                  L"127.0.0.1:" + std::to_wstring(server.Port()));
  }
  void TearDown() override {
    Prefs::DestroyInstance();
    utils::SetTimeSource(nullptr);
  }

  std::unique_ptr<EnvironmentGuard> infoHost;
  testfs::ScratchFolder mFolder{L"update-prefs"};
};

}  // namespace

TEST_F(AutomaticCheckTest, ChecksOnTheFirstRunThenWhenDueSilentlyUnlessAnUpdateWhoseBoxSwitchesItOff) {
  server.Serve("/info", "update = 0");
  DialogWatch watch(CloseAnything);
  Prefs& prefs = Prefs::Instance();
  EXPECT_TRUE(utils::RunAutomaticUpdateCheck(nullptr)) << "default settings, never checked";
  EXPECT_EQ(server.RequestCount(), 1);
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kCheckNow));

  const struct {
    const char* what;
    bool on;
    int64_t lastCheck;
    bool checks;
  } cases[] = {
      {"a second more", true, kCheckNow - 3 * kCheckDay - 1, true},
      {"switched off", false, 0, false},
  };
  prefs.mUpdateInterval = 3;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int requests = server.RequestCount();
    prefs.mCheckForUpdates = c.on;
    prefs.mLastUpdateCheck = static_cast<uint64_t>(c.lastCheck);
    EXPECT_EQ(utils::RunAutomaticUpdateCheck(nullptr), c.checks);
    EXPECT_EQ(server.RequestCount() - requests, c.checks ? 1 : 0);
    EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(c.checks ? kCheckNow : c.lastCheck));
  }
  watch.Stop();
  EXPECT_TRUE(watch.Seen().empty());  // automatic and nothing new: silent

  // An update offered: ticking the box switches the preference off.
  server.Serve("/info", "update = 1");
  prefs.mCheckForUpdates = true;
  prefs.mLastUpdateCheck = 0;
  DialogWatch ticking([](HWND dialog, const std::wstring&) {
    dialogs::Click(dialog, IDC_DONT_CHECK_UPDATES);
    dialogs::Click(dialog, IDCANCEL);
  });
  EXPECT_TRUE(utils::RunAutomaticUpdateCheck(nullptr));
  ticking.Stop();
  EXPECT_EQ(ticking.Seen(), std::vector<std::wstring>{L"Update Available"});
  EXPECT_FALSE(prefs.mCheckForUpdates);
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kCheckNow));
}
