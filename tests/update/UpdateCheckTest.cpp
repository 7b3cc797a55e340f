// utils::CheckForUpdates against a real server, with its dialog and message boxes driven
// from a helper thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>

#include "res/resource.h"
#include "services/UpdateCheck.h"
#include "services/UpdateDlg.h"
#include "tests/dialogs/DialogDriver.h"
#include "tests/support/ScratchLog.h"
#include "tests/update/DialogWatch.h"
#include "tests/web/InternetSettingsGuard.h"
#include "tests/web/TestServers.h"

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
  static std::wstring RefusedUrl() {
    return L"http://127.0.0.1:" + std::to_wstring(UnusedLocalPort()) + L"/info?id=1073";
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

struct DialogLayout {
  bool boxShown = false;
  RECT box = {};
  RECT download = {};
  RECT close = {};
  LONG height = 0;
  bool downloadHasFocus = false;
};

DialogLayout MeasureUpdateDialog(HWND dialog) {
  DialogLayout layout;
  layout.boxShown = dialogs::IsShown(dialog, IDC_DONT_CHECK_UPDATES);
  layout.box = dialogs::ClientRectOf(dialog, IDC_DONT_CHECK_UPDATES);
  layout.download = dialogs::ClientRectOf(dialog, IDC_DOWNLOAD);
  layout.close = dialogs::ClientRectOf(dialog, IDCANCEL);
  RECT window;
  GetWindowRect(dialog, &window);
  layout.height = window.bottom - window.top;
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  layout.downloadHasFocus = info.hwndFocus == GetDlgItem(dialog, IDC_DOWNLOAD);
  return layout;
}

}  // namespace

TEST_F(UpdateCheckTest, AMarkerInsideALongerLineOffersTheUpdate) {
  server.Serve("/info", "Zandor Wickerlyn 1.2.0 is out; update = 1; see the download page\r\n");
  DialogLayout layout;
  Outcome outcome = Check(false, [&](HWND dialog, const std::wstring& caption) {
    if (caption == L"Update Available") layout = MeasureUpdateDialog(dialog);
    CloseAnything(dialog, caption);
  });
  EXPECT_EQ(outcome.result, utils::UpdateCheckResult::kUpdateAvailable);
  ASSERT_EQ(outcome.seen, std::vector<std::wstring>{L"Update Available"});
  EXPECT_TRUE(layout.boxShown);  // an automatic check offers to stop checking
  EXPECT_TRUE(layout.downloadHasFocus);
  EXPECT_TRUE(opened.empty());  // closed, not downloaded
  EXPECT_TRUE(checkForUpdates);
  EXPECT_EQ(server.RequestCount(), 1);
}

TEST_F(UpdateCheckTest, AnAutomaticCheckSaysNothingWhenThereIsNoUpdateOrItFails) {
  server.Serve("/info", "update = 0");
  Outcome outcome = Check(false);
  EXPECT_EQ(outcome.result, utils::UpdateCheckResult::kNoUpdate);
  EXPECT_TRUE(outcome.seen.empty());

  context.documentUrl = RefusedUrl();
  lastUpdateCheck = 0;
  outcome = Check(false);
  EXPECT_EQ(outcome.result, utils::UpdateCheckResult::kFailed);
  EXPECT_TRUE(outcome.seen.empty());
  EXPECT_TRUE(log.Contains("utils::CheckForUpdates: Checking '" + std::string("http://127.0.0.1:")));
}

TEST_F(UpdateCheckTest, AnInteractiveCheckReportsAFailure) {
  context.documentUrl = RefusedUrl();
  Outcome outcome = Check(true);
  EXPECT_EQ(outcome.result, utils::UpdateCheckResult::kFailed);
  EXPECT_EQ(outcome.seen, std::vector<std::wstring>{L"Zandor Wickerlyn"});
  EXPECT_EQ(outcome.message, kCheckFailed);

  // An error page is a failure too, not "no updates".
  context.documentUrl = server.Url("/missing");
  outcome = Check(true);
  EXPECT_EQ(outcome.result, utils::UpdateCheckResult::kFailed);
  EXPECT_EQ(outcome.message, kCheckFailed);
}

TEST_F(UpdateCheckTest, TheInteractiveDialogHasNoCheckBoxAndItsButtonsMoveUp) {
  server.Serve("/info", "update = 1");
  DialogLayout automatic;
  DialogLayout interactive;
  Check(false, [&](HWND dialog, const std::wstring& caption) {
    automatic = MeasureUpdateDialog(dialog);
    CloseAnything(dialog, caption);
  });
  Check(true, [&](HWND dialog, const std::wstring& caption) {
    interactive = MeasureUpdateDialog(dialog);
    // Even ticked behind the user's back, a hidden box changes nothing.
    SendMessageW(GetDlgItem(dialog, IDC_DONT_CHECK_UPDATES), BM_SETCHECK, BST_CHECKED, 0);
    dialogs::Click(dialog, IDC_DOWNLOAD);
  });

  ASSERT_TRUE(automatic.boxShown);
  EXPECT_FALSE(interactive.boxShown);
  const LONG distance = automatic.download.bottom - automatic.box.bottom;
  ASSERT_GT(distance, 0);
  EXPECT_EQ(interactive.download.bottom, automatic.box.bottom);  // the buttons take the box's place
  EXPECT_EQ(interactive.download.top, automatic.download.top - distance);
  EXPECT_EQ(interactive.close.top, automatic.close.top - distance);
  EXPECT_EQ(interactive.download.left, automatic.download.left);
  EXPECT_EQ(interactive.close.left, automatic.close.left);
  EXPECT_EQ(interactive.height, automatic.height - distance);
  EXPECT_TRUE(interactive.downloadHasFocus);

  EXPECT_TRUE(checkForUpdates);
  EXPECT_EQ(opened, std::vector<std::wstring>{context.downloadUrl});
}

TEST_F(UpdateCheckTest, DoNotCheckSwitchesChecksOffWithEitherButtonAndOnlyDownloadOpensThePage) {
  server.Serve("/info", "update = 1");
  for (int button : {IDC_DOWNLOAD, IDCANCEL}) {
    SCOPED_TRACE(button == IDC_DOWNLOAD ? "Download" : "Close");
    checkForUpdates = true;
    opened.clear();
    HWND dialogWindow = nullptr;
    Check(false, [&](HWND dialog, const std::wstring&) {
      dialogWindow = dialog;
      dialogs::Click(dialog, IDC_DONT_CHECK_UPDATES);
      dialogs::Click(dialog, button);
    });
    EXPECT_FALSE(checkForUpdates);
    if (button == IDCANCEL) {
      EXPECT_TRUE(opened.empty());
    } else {
      EXPECT_EQ(opened, std::vector<std::wstring>{server.Url("/info?id=1048")});
      EXPECT_EQ(openedOwner, dialogWindow);
    }
  }
}

TEST(UpdateDlg, EndsWithOneForDownloadAndTwoForCloseOrEscape) {
  bool checkForUpdates = true;
  int opens = 0;
  auto opener = [&](HWND, const std::wstring&) { return ++opens, true; };
  struct Case {
    const char* name;
    std::function<void(HWND)> act;
    INT_PTR expected;
    int opens;
  } cases[] = {
      {"Download", [](HWND d) { dialogs::Click(d, IDC_DOWNLOAD); }, UpdateDlg::kDownload, 1},
      {"Close", [](HWND d) { dialogs::Click(d, IDCANCEL); }, UpdateDlg::kClose, 0},
      {"Escape", [](HWND d) { SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0); }, UpdateDlg::kClose, 0},
      {"close box", [](HWND d) { SendMessageW(d, WM_CLOSE, 0, 0); }, UpdateDlg::kClose, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    opens = 0;
    UpdateDlg dialog(true, checkForUpdates, L"http://example.invalid/info?id=1048", opener);
    EXPECT_EQ(dialogs::RunDriven(dialog, L"Update Available", c.act), c.expected);
    EXPECT_EQ(opens, c.opens);
    EXPECT_TRUE(checkForUpdates);  // the box was never ticked
  }
}
