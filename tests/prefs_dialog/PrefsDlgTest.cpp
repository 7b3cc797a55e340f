// The Preferences dialog: the administrator note and the start-up box with and without
// write access, what OK stores and saves, what Cancel leaves, the last-check line, the
// check on request and the about text.
#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>
#include <string>
#include <thread>

#include "app/PrefsDlg.h"
#include "app/RunAtStartup.h"
#include "res/resource.h"
#include "services/Clock.h"
#include "services/InfoService.h"
#include "services/StringResource.h"
#include "backend/RecentUse.h"
#include "state/Prefs.h"
#include "state/State.h"
#include "tests/dialogs/DialogDriver.h"
#include "tests/popup/PopupTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScratchLog.h"
#include "tests/update/DialogWatch.h"
#include "tests/web/InternetSettingsGuard.h"
#include "tests/web/TestServers.h"

namespace {

const wchar_t kCaption[] = L"Zandor Wickerlyn Preferences";
const wchar_t kValueName[] = L"Zandor Wickerlyn";
constexpr int64_t kNow = 1767225600;  // 2026-01-01 00:00 UTC

int64_t FixedNow() { return kNow; }

std::wstring RunKeyPath() {
  return L"Software\\Zandor Wickerlyn Tests\\PrefsDialogRun" + std::to_wstring(GetCurrentProcessId());
}

struct Layout {
  bool noteShown = false;
  bool startupBoxEnabled = false;
  bool startupBoxChecked = false;
  RECT startupBox = {};
  RECT note = {};
  RECT generalGroup = {};
  RECT ok = {};
  RECT checkNow = {};
  RECT lastCheck = {};
  LONG height = 0;
  bool intervalEnabled = false;
  bool checkUpdatesChecked = false;
  std::wstring mruText;
  std::wstring intervalText;
  std::wstring lastCheckText;
};

std::wstring SelectedText(HWND list) {
  const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return L"(none)";
  wchar_t text[64] = {};
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return text;
}

Layout Measure(HWND dialog) {
  Layout layout;
  layout.noteShown = dialogs::IsShown(dialog, IDC_ADMIN_NOTE);
  layout.startupBoxEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_RUN_ON_STARTUP)) != FALSE;
  layout.startupBoxChecked = IsDlgButtonChecked(dialog, IDC_RUN_ON_STARTUP) == BST_CHECKED;
  layout.startupBox = dialogs::ClientRectOf(dialog, IDC_RUN_ON_STARTUP);
  layout.note = dialogs::ClientRectOf(dialog, IDC_ADMIN_NOTE);
  layout.generalGroup = dialogs::ClientRectOf(dialog, IDC_GENERAL_GROUP);
  layout.ok = dialogs::ClientRectOf(dialog, IDOK);
  layout.checkNow = dialogs::ClientRectOf(dialog, IDC_CHECK_NOW);
  layout.lastCheck = dialogs::ClientRectOf(dialog, IDC_LAST_CHECK);
  RECT window = {};
  GetWindowRect(dialog, &window);
  layout.height = window.bottom - window.top;
  layout.intervalEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_UPDATE_INTERVAL)) != FALSE;
  layout.checkUpdatesChecked = IsDlgButtonChecked(dialog, IDC_CHECK_UPDATES) == BST_CHECKED;
  layout.mruText = SelectedText(GetDlgItem(dialog, IDC_MRU_DAYS));
  layout.intervalText = SelectedText(GetDlgItem(dialog, IDC_UPDATE_INTERVAL));
  layout.lastCheckText = dialogs::TextOf(GetDlgItem(dialog, IDC_LAST_CHECK));
  return layout;
}

// Picks the entry "days" as a user does: selection, then the list's notification.
void Choose(HWND dialog, int id, int days) {
  HWND list = GetDlgItem(dialog, id);
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(days - 1), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::wstring ExpectedLastCheck(uint64_t when) {
  const time_t t = static_cast<time_t>(when);
  return L"Last check: " + std::wstring(_wctime(&t));
}

// Preferences in a scratch data folder and the run-at-start-up value in a scratch key.
class PrefsDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Prefs::CreateInstance(mFolder.Path());
    RegCreateKeyExW(HKEY_CURRENT_USER, RunKeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &mRunKey,
                    nullptr);
    ASSERT_NE(mRunKey, nullptr);
    UseRunKey(true);
  }
  void TearDown() override {
    utils::SetRunKeyForTesting(nullptr, nullptr, false);
    if (mRunKey) RegCloseKey(mRunKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, RunKeyPath().c_str());
    Prefs::DestroyInstance();
    utils::SetTimeSource(nullptr);
  }

  void UseRunKey(bool writable) {
    utils::SetRunKeyForTesting(HKEY_CURRENT_USER, RunKeyPath().c_str(), !writable);
  }
  void SetRunValue(const wchar_t* data) {
    RegSetValueExW(mRunKey, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t)));
  }
  bool HasRunValue() const {
    return RegQueryValueExW(mRunKey, kValueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }
  std::wstring RunValue() const {
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegQueryValueExW(mRunKey, kValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS) {
      return std::wstring();
    }
    return data;
  }
  std::string PrefsBytes() const { return testfs::ReadFileBytes(Prefs::Instance().mPath); }

  // Runs the dialog with `drive` acting on it; the dialog's result.
  template <class Drive>
  INT_PTR Run(Drive drive) {
    PrefsDlg dialog;
    return dialogs::RunDriven(dialog, kCaption, drive);
  }
  Layout RunAndMeasure(int button, const char* screenshot = nullptr) {
    Layout layout;
    const INT_PTR result = Run([&](HWND dialog) {
      layout = Measure(dialog);
      if (screenshot) popuptest::SaveScreenshot(dialog, screenshot);
      dialogs::Click(dialog, button);
    });
    EXPECT_EQ(result, button);
    return layout;
  }

  ScratchLog log;
  testfs::ScratchFolder mFolder{L"prefs-dialog"};
  HKEY mRunKey = nullptr;
};

}  // namespace

TEST_F(PrefsDlgTest, WithoutWriteAccessTheNoteShowsAndTheStartupBoxIsGreyed) {
  SetRunValue(L"\"C:\\wickerlyn.exe\" /startup");
  UseRunKey(false);
  const Layout layout = RunAndMeasure(IDCANCEL, "dialogs/prefs_admin_note");
  EXPECT_TRUE(layout.noteShown);
  EXPECT_FALSE(layout.startupBoxEnabled);
  EXPECT_TRUE(layout.startupBoxChecked);  // still shows the value
  // The note sits between the box and the Recently Used line, inside the group.
  EXPECT_GT(layout.note.top, layout.startupBox.bottom - 1);
  EXPECT_LT(layout.note.bottom, layout.generalGroup.bottom);
}

TEST_F(PrefsDlgTest, WithWriteAccessTheNoteGoesAndTheDialogClosesUp) {
  UseRunKey(false);
  const Layout withNote = RunAndMeasure(IDCANCEL);
  UseRunKey(true);
  const Layout closed = RunAndMeasure(IDCANCEL, "dialogs/prefs_closed_up");
  EXPECT_FALSE(closed.noteShown);
  EXPECT_TRUE(closed.startupBoxEnabled);
  EXPECT_FALSE(closed.startupBoxChecked);

  const LONG gap = withNote.note.bottom - withNote.startupBox.bottom;
  ASSERT_GT(gap, 0);
  EXPECT_EQ(withNote.height - closed.height, gap);
  EXPECT_EQ(withNote.ok.top - closed.ok.top, gap);
  EXPECT_EQ(withNote.checkNow.top - closed.checkNow.top, gap);
  EXPECT_EQ(withNote.lastCheck.top - closed.lastCheck.top, gap);
  EXPECT_EQ(withNote.generalGroup.top, closed.generalGroup.top);
  EXPECT_EQ(withNote.generalGroup.bottom - closed.generalGroup.bottom, gap);
  EXPECT_EQ(withNote.startupBox.top, closed.startupBox.top);
  // The buttons stay inside the smaller dialog.
  EXPECT_LT(closed.ok.bottom, closed.height);
}

TEST_F(PrefsDlgTest, OkWithoutTouchingTheStartupBoxDoesNotWriteIt) {
  SetRunValue(L"\"C:\\elsewhere.exe\" /startup");
  bool shownChecked = false;
  // The value goes while the dialog is open: the box no longer matches it.
  const INT_PTR result = Run([&](HWND dialog) {
    shownChecked = IsDlgButtonChecked(dialog, IDC_RUN_ON_STARTUP) == BST_CHECKED;
    RegDeleteValueW(mRunKey, kValueName);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(shownChecked);
  EXPECT_FALSE(HasRunValue());
}

TEST_F(PrefsDlgTest, TickingAndUntickingTheStartupBoxWritesTheValueAtOk) {
  Run([](HWND dialog) {
    dialogs::Click(dialog, IDC_RUN_ON_STARTUP);
    dialogs::Click(dialog, IDOK);
  });
  ASSERT_TRUE(HasRunValue());
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_EQ(RunValue(), L"\"" + std::wstring(path) + L"\" /startup");

  // Cancel writes nothing, even after a click.
  Run([](HWND dialog) {
    dialogs::Click(dialog, IDC_RUN_ON_STARTUP);
    dialogs::Click(dialog, IDCANCEL);
  });
  EXPECT_TRUE(HasRunValue());

  Run([](HWND dialog) {
    dialogs::Click(dialog, IDC_RUN_ON_STARTUP);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_FALSE(HasRunValue());
}

TEST_F(PrefsDlgTest, OkWithoutTouchingAnythingWritesNothingNew) {
  Prefs& prefs = Prefs::Instance();
  prefs.mMruDurationDays = 5;
  prefs.mUpdateInterval = 11;
  prefs.mCheckForUpdates = false;
  prefs.mLastUpdateCheck = kNow - 1000;
  ASSERT_TRUE(prefs.Save());
  const std::string before = PrefsBytes();
  ASSERT_FALSE(before.empty());

  const Layout layout = RunAndMeasure(IDOK);
  EXPECT_EQ(layout.mruText, L"5");
  EXPECT_EQ(layout.intervalText, L"11");
  EXPECT_FALSE(layout.checkUpdatesChecked);
  EXPECT_EQ(PrefsBytes(), before);
  EXPECT_EQ(prefs.mMruDurationDays, 5);
  EXPECT_EQ(prefs.mUpdateInterval, 11);
  EXPECT_FALSE(prefs.mCheckForUpdates);
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kNow - 1000));
  EXPECT_FALSE(HasRunValue());
}

TEST_F(PrefsDlgTest, TheListsOfferOneToFourteenDays) {
  std::wstring mruItems, intervalItems;
  Run([&](HWND dialog) {
    for (auto [id, out] : {std::pair{IDC_MRU_DAYS, &mruItems}, std::pair{IDC_UPDATE_INTERVAL, &intervalItems}}) {
      HWND list = GetDlgItem(dialog, id);
      const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
      for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[16] = {};
        SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        *out += text + std::wstring(L"=") +
                std::to_wstring(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) + L" ";
      }
    }
    dialogs::Click(dialog, IDCANCEL);
  });
  const std::wstring expected = L"1=1 2=2 3=3 4=4 5=5 6=6 7=7 8=8 9=9 10=10 11=11 12=12 13=13 14=14 ";
  EXPECT_EQ(mruItems, expected);
  EXPECT_EQ(intervalItems, expected);
}

// The new duration applies at once: to the Recently Used list, the VMs and the file alike.
TEST_F(PrefsDlgTest, ChangingTheRecentlyUsedListAppliesAtOnceAndIsSaved) {
  utils::SetTimeSource(&FixedNow);
  ServerRecord record;
  record.url = "https://recent-test";
  record.type = ServerRecord::TYPE_SERVER;
  record.recent.push_back(RecentRecord{"vm-1", "web", "[ds] web/web.cfx", static_cast<uint64_t>(kNow - 3 * 86400)});
  State& state = State::Instance();
  const std::vector<OlvarkServerPtr> servers = state.RestoreSavedServers({record});
  ASSERT_EQ(servers.size(), 1u);
  state.GetRecent()->Refresh();
  ASSERT_EQ(state.GetRecent()->GetVMs().size(), 1u);

  const INT_PTR result = Run([](HWND dialog) {
    Choose(dialog, IDC_MRU_DAYS, 1);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  Prefs& prefs = Prefs::Instance();
  EXPECT_EQ(prefs.mMruDurationDays, 1);
  EXPECT_EQ(utils::RecentDurationDays(), 1);
  EXPECT_TRUE(state.GetRecent()->GetVMs().empty()) << "the list drops what the file drops";
  EXPECT_EQ(prefs.mUpdateInterval, PrefsSettings::kDefaultUpdateInterval);
  prefs.Load();  // what the file holds
  EXPECT_EQ(prefs.mMruDurationDays, 1);
  state.RemoveServer(servers[0].get());
}

TEST_F(PrefsDlgTest, OutOfRangeValuesShowAsTheNearestEntryAndAreKeptUnlessChanged) {
  Prefs& prefs = Prefs::Instance();
  prefs.mMruDurationDays = 0;
  prefs.mUpdateInterval = 99;
  const Layout layout = RunAndMeasure(IDOK);
  EXPECT_EQ(layout.mruText, L"1");
  EXPECT_EQ(layout.intervalText, L"14");
  EXPECT_EQ(prefs.mMruDurationDays, 0);
  EXPECT_EQ(prefs.mUpdateInterval, 99);

  // Changed, each list stores its entry; the other keeps its value.
  Run([](HWND dialog) {
    Choose(dialog, IDC_MRU_DAYS, 3);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_EQ(prefs.mMruDurationDays, 3);
  EXPECT_EQ(prefs.mUpdateInterval, 99);

  Run([](HWND dialog) {
    Choose(dialog, IDC_UPDATE_INTERVAL, 2);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_EQ(prefs.mMruDurationDays, 3);
  EXPECT_EQ(prefs.mUpdateInterval, 2);

  // Going away from the shown entry and back again is no change.
  prefs.mUpdateInterval = 99;
  Run([](HWND dialog) {
    Choose(dialog, IDC_UPDATE_INTERVAL, 5);
    Choose(dialog, IDC_UPDATE_INTERVAL, 14);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_EQ(prefs.mUpdateInterval, 99);
}

TEST_F(PrefsDlgTest, UncheckingUpdatesGreysTheIntervalListAndOkStillStoresIt) {
  Layout start, unchecked, rechecked;
  const INT_PTR result = Run([&](HWND dialog) {
    start = Measure(dialog);
    dialogs::Click(dialog, IDC_CHECK_UPDATES);
    unchecked = Measure(dialog);
    dialogs::Click(dialog, IDC_CHECK_UPDATES);
    rechecked = Measure(dialog);
    dialogs::Click(dialog, IDC_CHECK_UPDATES);
    Choose(dialog, IDC_UPDATE_INTERVAL, 9);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(start.checkUpdatesChecked);
  EXPECT_TRUE(start.intervalEnabled);
  EXPECT_FALSE(unchecked.checkUpdatesChecked);
  EXPECT_FALSE(unchecked.intervalEnabled);
  EXPECT_TRUE(rechecked.intervalEnabled);
  Prefs& prefs = Prefs::Instance();
  EXPECT_FALSE(prefs.mCheckForUpdates);
  EXPECT_EQ(prefs.mUpdateInterval, 9);

  // Opened with updates off, the list starts greyed.
  const Layout reopened = RunAndMeasure(IDCANCEL);
  EXPECT_FALSE(reopened.checkUpdatesChecked);
  EXPECT_FALSE(reopened.intervalEnabled);
  EXPECT_EQ(reopened.intervalText, L"9");
}

TEST_F(PrefsDlgTest, TheLastCheckLineSaysNeverOrTheTime) {
  Prefs& prefs = Prefs::Instance();
  prefs.mLastUpdateCheck = 0;
  EXPECT_EQ(RunAndMeasure(IDCANCEL).lastCheckText, L"Last check: Never");

  prefs.mLastUpdateCheck = kNow;
  const std::wstring line = RunAndMeasure(IDCANCEL).lastCheckText;
  EXPECT_EQ(line, ExpectedLastCheck(kNow));
  EXPECT_NE(line.find(L"2026"), std::wstring::npos) << line;
}

TEST_F(PrefsDlgTest, CancelAfterCheckForUpdatesKeepsEverythingButTheLastCheck) {
  InternetSettingsGuard settings;
  settings.SetEnable(0);
  LocalHttpServer server;
  ASSERT_TRUE(server.Start());
  server.Serve("/info", "update = 0");
  SetEnvironmentVariableW(utils::kInfoServiceHostVariable,
                          (L"127.0.0.1:" + std::to_wstring(server.Port())).c_str());
  utils::SetTimeSource(FixedNow);

  Prefs& prefs = Prefs::Instance();
  prefs.mMruDurationDays = 4;
  prefs.mUpdateInterval = 6;
  prefs.mCheckForUpdates = true;
  prefs.mLastUpdateCheck = 0;
  ASSERT_TRUE(prefs.Save());
  const std::string before = PrefsBytes();

  std::wstring message;
  HWND messageOwner = nullptr;
  DialogWatch watch([&](HWND box, const std::wstring& caption) {
    message = dialogs::MessageBoxText(box);
    messageOwner = GetWindow(box, GW_OWNER);
    CloseAnything(box, caption);
  });
  std::wstring lineBefore, lineAfter;
  HWND shown = nullptr;
  const INT_PTR result = Run([&](HWND dialog) {
    shown = dialog;
    Choose(dialog, IDC_MRU_DAYS, 13);
    Choose(dialog, IDC_UPDATE_INTERVAL, 1);
    dialogs::Click(dialog, IDC_RUN_ON_STARTUP);
    lineBefore = dialogs::TextOf(GetDlgItem(dialog, IDC_LAST_CHECK));
    dialogs::Click(dialog, IDC_CHECK_NOW);  // returns once the message box is answered
    lineAfter = dialogs::TextOf(GetDlgItem(dialog, IDC_LAST_CHECK));
    dialogs::Click(dialog, IDC_CHECK_UPDATES);
    dialogs::Click(dialog, IDCANCEL);
  });
  watch.Stop();
  SetEnvironmentVariableW(utils::kInfoServiceHostVariable, nullptr);

  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(server.RequestCount(), 1);
  EXPECT_EQ(message, L"There are no updates currently available.");
  EXPECT_EQ(messageOwner, shown);
  EXPECT_EQ(lineBefore, L"Last check: Never");
  EXPECT_EQ(lineAfter, ExpectedLastCheck(kNow));
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kNow));
  EXPECT_EQ(prefs.mMruDurationDays, 4);
  EXPECT_EQ(prefs.mUpdateInterval, 6);
  EXPECT_TRUE(prefs.mCheckForUpdates);
  EXPECT_FALSE(HasRunValue());
  EXPECT_EQ(PrefsBytes(), before);  // Cancel saves nothing
}

TEST_F(PrefsDlgTest, AboutShowsTheAboutTextInAPlainMessageBox) {
  std::wstring text, caption;
  HWND owner = nullptr, shown = nullptr;
  bool hasOk = false, hasCancel = true, hasIcon = true, prefsStillOpen = false;
  const INT_PTR result = Run([&](HWND dialog) {
    shown = dialog;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ABOUT)));
    HWND box = dialogs::WaitForDialog(L"Zandor Wickerlyn");
    if (box) {
      text = dialogs::MessageBoxText(box);
      wchar_t title[256] = {};
      GetWindowTextW(box, title, 256);
      caption = title;
      owner = GetWindow(box, GW_OWNER);
      hasOk = GetDlgItem(box, IDOK) != nullptr;
      hasCancel = GetDlgItem(box, IDCANCEL) != nullptr && dialogs::IsShown(box, IDCANCEL);
      hasIcon = false;
      for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & WS_VISIBLE) && (style & SS_TYPEMASK) == SS_ICON &&
            SendMessageW(child, STM_GETICON, 0, 0) != 0) {
          hasIcon = true;
        }
      }
      dialogs::PressOk(box);
      polling::WaitUntil([&] { return !IsWindow(box); }, 5000);
    }
    prefsStillOpen = IsWindowVisible(dialog) != FALSE;
    dialogs::Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(text, utils::LoadStringResource(IDS_ABOUT));
  EXPECT_EQ(text, L"Zandor Wickerlyn version 1.1.0\n\nThis program is provided without any type of warranty.");
  EXPECT_EQ(caption, utils::LoadStringResource(IDS_APP_TITLE));
  EXPECT_EQ(owner, shown);
  EXPECT_TRUE(hasOk);
  EXPECT_FALSE(hasCancel);
  EXPECT_FALSE(hasIcon);
  EXPECT_TRUE(prefsStillOpen);
}
