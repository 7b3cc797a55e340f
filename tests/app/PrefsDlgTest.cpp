// The Preferences dialog: the administrator note and the start-up box with and without
// write access, what OK stores and saves, what Cancel leaves, Check Now and About.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <ctime>
#include <string>

#include "app/PrefsDlg.h"
#include "res/resource.h"
#include "services/Clock.h"
#include "services/InfoService.h"
#include "services/StringResource.h"
#include "backend/RecentUse.h"
#include "state/Prefs.h"
#include "state/State.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/PopupTestSupport.h"
#include "tests/support/DialogLayout.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScratchLog.h"
#include "tests/support/ScratchRunKey.h"
#include "tests/services/DialogWatch.h"
#include "tests/services/InternetSettingsGuard.h"
#include "tests/support/TestServers.h"

namespace {

using dialogs::FocusOf;
using dialogs::Layout;
using dialogs::Measure;

const wchar_t kCaption[] = L"Zandor Wickerlyn Preferences";
constexpr int64_t kNow = 1767225600;  // 2026-01-01 00:00 UTC

int64_t FixedNow() { return kNow; }

std::wstring SelectedText(HWND list) {
  const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return L"(none)";
  wchar_t text[64] = {};
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return text;
}

// Picks the entry "days" as a user does: selection, then the list's notification.
void Choose(HWND dialog, int id, int days) {
  HWND list = GetDlgItem(dialog, id);
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(days - 1), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Preferences in a scratch data folder and the run-at-start-up value in a scratch key.
class PrefsDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { Prefs::CreateInstance(mFolder.Path()); }
  void TearDown() override {
    Prefs::DestroyInstance();
    utils::SetTimeSource(nullptr);
  }

  std::string PrefsBytes() const { return testfs::ReadFileBytes(Prefs::Instance().mPath); }

  // Runs the dialog with `drive` acting on it; the dialog's result.
  template <class Drive>
  INT_PTR Run(Drive drive) {
    PrefsDlg dialog(mHotkey);
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
  ScratchRunKey run;
  ui::GlobalHotkey mHotkey;  // for this thread, as the popup's is for its window
};

}  // namespace

TEST_F(PrefsDlgTest, WithoutWriteAccessTheNoteShowsAndWithItTheDialogClosesUp) {
  run.Put(L"\"C:\\wickerlyn.exe\" /startup");
  run.UseWithWriteAccess(false);
  Layout withNote = RunAndMeasure(IDCANCEL, "dialogs/prefs_admin_note");
  EXPECT_TRUE(withNote.shown[IDC_ADMIN_NOTE]);
  EXPECT_FALSE(withNote.enabled[IDC_RUN_ON_STARTUP]);
  EXPECT_TRUE(withNote.checked[IDC_RUN_ON_STARTUP]);  // still shows the value
  // The note sits between the box and the Recently Used line, inside the group.
  EXPECT_GT(withNote.at[IDC_ADMIN_NOTE].top, withNote.at[IDC_RUN_ON_STARTUP].bottom - 1);
  EXPECT_LT(withNote.at[IDC_ADMIN_NOTE].bottom, withNote.at[IDC_GENERAL_GROUP].bottom);

  run.Remove();
  run.UseWithWriteAccess(true);
  Layout closed = RunAndMeasure(IDCANCEL, "dialogs/prefs_closed_up");
  EXPECT_FALSE(closed.shown[IDC_ADMIN_NOTE]);
  EXPECT_TRUE(closed.enabled[IDC_RUN_ON_STARTUP]);
  EXPECT_FALSE(closed.checked[IDC_RUN_ON_STARTUP]);
  const LONG gap = withNote.at[IDC_ADMIN_NOTE].bottom - withNote.at[IDC_RUN_ON_STARTUP].bottom;
  ASSERT_GT(gap, 0);
  EXPECT_EQ(withNote.height - closed.height, gap);
  for (int id : {IDOK, IDC_CHECK_NOW, IDC_LAST_CHECK, IDC_HOTKEY, IDC_POPUP_GROUP})
    EXPECT_EQ(withNote.at[id].top - closed.at[id].top, gap) << "control " << id;
  for (int id : {IDC_POPUP_GROUP, IDC_GENERAL_GROUP}) EXPECT_EQ(withNote.at[id].bottom - closed.at[id].bottom, gap) << id;
  for (int id : {IDC_GENERAL_GROUP, IDC_RUN_ON_STARTUP}) EXPECT_EQ(withNote.at[id].top, closed.at[id].top) << id;
  for (Layout* layout : {&withNote, &closed}) {
    // Without a refused hotkey its note is hidden and closed up: the buttons follow the group.
    EXPECT_FALSE(layout->shown[IDC_HOTKEY_NOTE]);
    EXPECT_GT(layout->at[IDC_POPUP_GROUP].top, layout->at[IDC_UPDATES_GROUP].bottom);
    EXPECT_GT(layout->at[IDC_POPUP_GROUP].bottom, layout->at[IDC_HOTKEY].bottom);
    EXPECT_LT(layout->at[IDC_POPUP_GROUP].bottom, layout->at[IDC_HOTKEY_NOTE].bottom);
    EXPECT_GT(layout->at[IDOK].top, layout->at[IDC_POPUP_GROUP].bottom);
  }
  EXPECT_LT(closed.at[IDOK].bottom, closed.height) << "the buttons stay inside the smaller dialog";
}

// Only a click on the box writes the value, and only at OK.
TEST_F(PrefsDlgTest, TheStartupValueIsWrittenAtOkOnlyWhenTheBoxWasClicked) {
  run.Put(L"\"C:\\elsewhere.exe\" /startup");
  // The value goes while the dialog is open: the box no longer matches it.
  Run([&](HWND dialog) {
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RUN_ON_STARTUP), BST_CHECKED);
    run.Remove();
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_FALSE(run.Has());

  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const struct {
    int button;
    bool valueAfter;
  } clicks[] = {{IDOK, true}, {IDCANCEL, true}, {IDOK, false}};
  for (const auto& c : clicks) {
    EXPECT_EQ(Run([&](HWND dialog) {
                dialogs::Click(dialog, IDC_RUN_ON_STARTUP);
                dialogs::Click(dialog, c.button);
              }),
              c.button);
    EXPECT_EQ(run.Has(), c.valueAfter);
    if (c.valueAfter) {
      EXPECT_EQ(run.Value(), L"\"" + std::wstring(path) + L"\" /startup");
    }
  }
}

// Out-of-range values show as the nearest entry; OK stores a list's entry only when it was
// changed, so what was not touched is kept and the file is written the same.
TEST_F(PrefsDlgTest, TheListsOfferOneToFourteenDaysAndOkStoresOnlyWhatChanged) {
  Prefs& prefs = Prefs::Instance();
  prefs.mMruDurationDays = 0;
  prefs.mUpdateInterval = 99;
  prefs.mLastUpdateCheck = kNow - 1000;
  ASSERT_TRUE(prefs.Save());
  const std::string before = PrefsBytes();
  ASSERT_FALSE(before.empty());

  Run([&](HWND dialog) {
    for (int id : {IDC_MRU_DAYS, IDC_UPDATE_INTERVAL}) {
      std::wstring items;
      HWND list = GetDlgItem(dialog, id);
      for (LRESULT i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[16] = {};
        SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items += text + std::wstring(L"=") +
                 std::to_wstring(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) + L" ";
      }
      EXPECT_EQ(items, L"1=1 2=2 3=3 4=4 5=5 6=6 7=7 8=8 9=9 10=10 11=11 12=12 13=13 14=14 ");
    }
    Layout start = Measure(dialog);
    EXPECT_EQ(SelectedText(GetDlgItem(dialog, IDC_MRU_DAYS)), L"1");
    EXPECT_EQ(SelectedText(GetDlgItem(dialog, IDC_UPDATE_INTERVAL)), L"14");
    EXPECT_TRUE(start.checked[IDC_CHECK_UPDATES] && start.enabled[IDC_UPDATE_INTERVAL]);
    dialogs::Click(dialog, IDC_CHECK_UPDATES);
    EXPECT_FALSE(Measure(dialog).enabled[IDC_UPDATE_INTERVAL]) << "unchecked updates grey the interval";
    dialogs::Click(dialog, IDC_CHECK_UPDATES);
    EXPECT_TRUE(Measure(dialog).enabled[IDC_UPDATE_INTERVAL]);
    // Going away from the shown entry and back again is no change.
    Choose(dialog, IDC_UPDATE_INTERVAL, 5);
    Choose(dialog, IDC_UPDATE_INTERVAL, 14);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_EQ(PrefsBytes(), before);
  EXPECT_EQ(prefs.mMruDurationDays, 0);
  EXPECT_EQ(prefs.mUpdateInterval, 99);
  EXPECT_TRUE(prefs.mCheckForUpdates);
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kNow - 1000));
  EXPECT_FALSE(run.Has());

  // A new duration applies at once: a VM used four days ago leaves Recently Used.
  utils::SetTimeSource(&FixedNow);
  utils::SetRecentDurationDays(7);
  ServerRecord record;
  record.url = "https://recent-test";
  record.type = ServerRecord::TYPE_SERVER;
  record.recent.push_back(
      RecentRecord{"vm-1", "web", "[ds] web/web.cfx", static_cast<uint64_t>(kNow - 4 * 86400)});
  State& state = State::Instance();
  const std::vector<OlvarkServerPtr> servers = state.RestoreSavedServers({record});
  ASSERT_EQ(servers.size(), 1u);
  state.GetRecent()->Refresh();
  ASSERT_EQ(state.GetRecent()->GetVMs().size(), 1u);
  Run([](HWND dialog) {
    Choose(dialog, IDC_MRU_DAYS, 3);
    dialogs::Click(dialog, IDC_CHECK_UPDATES);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_EQ(prefs.mMruDurationDays, 3);
  EXPECT_EQ(utils::RecentDurationDays(), 3);
  EXPECT_TRUE(state.GetRecent()->GetVMs().empty()) << "the list drops what the file drops";
  EXPECT_NE(PrefsBytes().find("mruDurationDays = \"3\""), std::string::npos);
  state.RemoveServer(servers[0].get());
  EXPECT_EQ(prefs.mUpdateInterval, 99);
  EXPECT_FALSE(prefs.mCheckForUpdates);

  // Opened with updates off, the list starts greyed; a greyed list still stores its entry.
  prefs.mMruDurationDays = 0;
  Run([](HWND dialog) {
    Layout start = Measure(dialog);
    EXPECT_FALSE(start.checked[IDC_CHECK_UPDATES]);
    EXPECT_FALSE(start.enabled[IDC_UPDATE_INTERVAL]);
    Choose(dialog, IDC_UPDATE_INTERVAL, 9);
    dialogs::Click(dialog, IDOK);
  });
  EXPECT_EQ(prefs.mMruDurationDays, 0);
  EXPECT_EQ(prefs.mUpdateInterval, 9);
  EXPECT_FALSE(prefs.mCheckForUpdates);
}

// Check Now works with automatic checks off and renews only the last check; About shows a
// plain message box; Cancel then keeps everything else.
TEST_F(PrefsDlgTest, CheckNowAndAboutAnswerInMessageBoxesAndCancelKeepsAllButTheLastCheck) {
  InternetSettingsGuard settings;
  settings.SetEnable(0);
  LocalHttpServer server;
  ASSERT_TRUE(server.Start());
  server.Serve("/info", "update = 0");
  EnvironmentGuard infoHost(utils::kInfoServiceHostVariable, L"127.0.0.1:" + std::to_wstring(server.Port()));
  utils::SetTimeSource(FixedNow);

  Prefs& prefs = Prefs::Instance();
  prefs.mMruDurationDays = 4;
  prefs.mUpdateInterval = 6;
  prefs.mCheckForUpdates = false;
  prefs.mLastUpdateCheck = 0;
  ASSERT_TRUE(prefs.Save());
  const std::string before = PrefsBytes();

  struct Box {
    std::wstring text;
    HWND owner;
    bool hasCancel, hasIcon;
  };
  std::vector<Box> boxes;
  DialogWatch watch([&](HWND box, const std::wstring& caption) {
    bool hasIcon = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const LONG style = GetWindowLongW(child, GWL_STYLE);
      hasIcon |= (style & WS_VISIBLE) && (style & SS_TYPEMASK) == SS_ICON && SendMessageW(child, STM_GETICON, 0, 0);
    }
    boxes.push_back({dialogs::MessageBoxText(box), GetWindow(box, GW_OWNER),
                     GetDlgItem(box, IDCANCEL) && dialogs::IsShown(box, IDCANCEL), hasIcon});
    CloseAnything(box, caption);
  });
  HWND shown = nullptr;
  const INT_PTR result = Run([&](HWND dialog) {
    shown = dialog;
    Choose(dialog, IDC_MRU_DAYS, 13);
    Choose(dialog, IDC_UPDATE_INTERVAL, 1);
    dialogs::Click(dialog, IDC_RUN_ON_STARTUP);
    EXPECT_EQ(dialogs::TextOf(GetDlgItem(dialog, IDC_LAST_CHECK)), L"Last check: Never");
    dialogs::Click(dialog, IDC_CHECK_NOW);  // returns once the message box is answered
    const time_t now = kNow;
    EXPECT_EQ(dialogs::TextOf(GetDlgItem(dialog, IDC_LAST_CHECK)), L"Last check: " + std::wstring(_wctime(&now)));
    dialogs::Click(dialog, IDC_ABOUT);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "About leaves the dialog open";
    dialogs::Click(dialog, IDC_CHECK_UPDATES);
    dialogs::Click(dialog, IDCANCEL);
  });
  watch.Stop();

  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(server.RequestCount(), 1);
  ASSERT_EQ(watch.Seen(), (std::vector<std::wstring>{L"Zandor Wickerlyn", L"Zandor Wickerlyn"}));
  EXPECT_EQ(boxes[0].text, L"There are no updates currently available.");
  EXPECT_EQ(boxes[1].text, L"Zandor Wickerlyn version 1.1.0\n\nThis program is provided without any type of warranty.");
  EXPECT_EQ(boxes[1].text, utils::LoadStringResource(IDS_ABOUT));
  for (const Box& box : boxes) EXPECT_EQ(box.owner, shown);
  EXPECT_FALSE(boxes[1].hasCancel);
  EXPECT_FALSE(boxes[1].hasIcon);
  EXPECT_EQ(prefs.mLastUpdateCheck, static_cast<uint64_t>(kNow));
  EXPECT_EQ(prefs.mMruDurationDays, 4);
  EXPECT_EQ(prefs.mUpdateInterval, 6);
  EXPECT_FALSE(prefs.mCheckForUpdates);
  EXPECT_FALSE(run.Has());
  EXPECT_EQ(PrefsBytes(), before);  // Cancel saves nothing
}

namespace {

// A key as the keyboard gives it, through the modal loop's dialog manager: Alt+letter (a
// mnemonic) or a plain key, to the control that has the focus.
void Press(HWND dialog, UINT key, bool alt) {
  HWND focus = FocusOf(dialog);
  if (alt) {
    PostMessageW(focus, WM_SYSCHAR, key, 1 << 29);
  } else {
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
  }
}

bool Unchecked(HWND dialog, int id) {
  return polling::WaitUntil([&] { return IsDlgButtonChecked(dialog, id) == BST_UNCHECKED; }, 5000);
}
bool FocusReaches(HWND dialog, int id) {
  return polling::WaitUntil([&] { return FocusOf(dialog) == GetDlgItem(dialog, id); }, 5000);
}

WORD ShownHotkey(HWND dialog) { return LOWORD(SendMessageW(GetDlgItem(dialog, IDC_HOTKEY), HKM_GETHOTKEY, 0, 0)); }
void ChooseHotkey(HWND dialog, WORD hotkey) {
  SendMessageW(GetDlgItem(dialog, IDC_HOTKEY), HKM_SETHOTKEY, hotkey, 0);
}

// Combinations nothing else in the test display uses.
constexpr WORD kFree = MAKEWORD(VK_F8, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT);
constexpr WORD kTaken = MAKEWORD(VK_F7, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT);

}  // namespace

// The popup's settings: reached by their mnemonics and Tab; OK stores them, Cancel does not.
// A hotkey another program holds is refused while the dialog is open: the note shows, the
// dialog stays and keeps what the user chose until another one, or none, is taken.
TEST_F(PrefsDlgTest, ThePopupSettingsAreKeyboardReachableAndAHotkeyWindowsRefusesKeepsTheDialogOpen) {
  Prefs& prefs = Prefs::Instance();
  ASSERT_TRUE(prefs.Save());
  const std::string before = PrefsBytes();
  ASSERT_TRUE(RegisterHotKey(nullptr, 0x7000, ui::GlobalHotkey::Modifiers(kTaken), LOBYTE(kTaken)))
      << "another program's hotkey";

  EXPECT_EQ(Run([&](HWND dialog) {
              EXPECT_EQ(ShownHotkey(dialog), 0x065A) << "Ctrl+Alt+Z";
              EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOW_STATE_MARKS), BST_CHECKED);
              EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_NOTIFY_STATE_CHANGES), BST_CHECKED);
              Press(dialog, 's', true);
              EXPECT_TRUE(Unchecked(dialog, IDC_SHOW_STATE_MARKS)) << "Alt+S";
              EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_NOTIFY_STATE_CHANGES))) << "no notices without marks";
              Press(dialog, 's', true);
              EXPECT_TRUE(polling::WaitUntil(
                  [&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_NOTIFY_STATE_CHANGES)) != FALSE; }, 5000));
              Press(dialog, 'n', true);
              EXPECT_TRUE(Unchecked(dialog, IDC_NOTIFY_STATE_CHANGES)) << "Alt+N";
              EXPECT_TRUE(FocusReaches(dialog, IDC_NOTIFY_STATE_CHANGES));
              Press(dialog, VK_TAB, false);
              EXPECT_TRUE(FocusReaches(dialog, IDC_HOTKEY)) << "Tab";
              Press(dialog, VK_TAB, false);
              EXPECT_TRUE(FocusReaches(dialog, IDC_ABOUT));
              Press(dialog, 'o', true);
              EXPECT_TRUE(FocusReaches(dialog, IDC_HOTKEY)) << "Alt+O, the label's mnemonic";
              ChooseHotkey(dialog, kFree);
              dialogs::Click(dialog, IDCANCEL);
            }),
            IDCANCEL);
  EXPECT_TRUE(prefs.mShowStateMarks);
  EXPECT_TRUE(prefs.mNotifyStateChanges);
  EXPECT_EQ(prefs.mHotkey, 0x065A);
  EXPECT_EQ(mHotkey.Registered(), 0) << "Cancel tries nothing";
  EXPECT_EQ(PrefsBytes(), before);

  Layout closed, noted;
  EXPECT_EQ(Run([&](HWND dialog) {
              closed = Measure(dialog);
              dialogs::Click(dialog, IDC_SHOW_STATE_MARKS);
              ChooseHotkey(dialog, kTaken);
              dialogs::Click(dialog, IDOK);
              EXPECT_TRUE(IsWindowVisible(dialog)) << "a refused hotkey keeps the dialog open";
              noted = Measure(dialog);
              popuptest::SaveScreenshot(dialog, "dialogs/prefs_hotkey_refused");
              EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_HOTKEY));
              EXPECT_EQ(ShownHotkey(dialog), kTaken);
              EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOW_STATE_MARKS), BST_UNCHECKED);
              ChooseHotkey(dialog, kFree);
              dialogs::Click(dialog, IDOK);
            }),
            IDOK);
  EXPECT_FALSE(closed.shown[IDC_HOTKEY_NOTE]);
  EXPECT_TRUE(noted.shown[IDC_HOTKEY_NOTE]);
  const LONG gap = noted.at[IDC_HOTKEY_NOTE].bottom - noted.at[IDC_HOTKEY].bottom;
  EXPECT_EQ(noted.height - closed.height, gap);
  EXPECT_EQ(noted.at[IDOK].top - closed.at[IDOK].top, gap);
  EXPECT_LT(noted.at[IDC_HOTKEY_NOTE].bottom, noted.at[IDC_POPUP_GROUP].bottom);
  EXPECT_LT(noted.at[IDC_POPUP_GROUP].bottom, noted.at[IDOK].top);
  EXPECT_TRUE(log.Contains("ui::GlobalHotkey::Register: Windows refused the hotkey Ctrl+Shift+Alt+F7"));
  EXPECT_FALSE(prefs.mShowStateMarks);
  EXPECT_TRUE(prefs.mNotifyStateChanges);
  EXPECT_EQ(prefs.mHotkey, kFree);
  EXPECT_EQ(mHotkey.Registered(), kFree) << "taken while the dialog was open";
  EXPECT_NE(PrefsBytes().find("showStateMarks = \"false\"\r\nhotkey = \"" + std::to_string(kFree) + "\"\r\n"),
            std::string::npos);

  // A hotkey refused at start shows the note at once; clearing it is always taken.
  prefs.mHotkey = kTaken;
  EXPECT_FALSE(mHotkey.Register(kTaken));
  EXPECT_EQ(mHotkey.Registered(), kFree) << "the one before stays";
  EXPECT_EQ(Run([&](HWND dialog) {
              EXPECT_TRUE(Measure(dialog).shown[IDC_HOTKEY_NOTE]);
              ChooseHotkey(dialog, 0);
              dialogs::Click(dialog, IDOK);
            }),
            IDOK);
  EXPECT_EQ(prefs.mHotkey, 0);
  EXPECT_EQ(mHotkey.Registered(), 0);
  EXPECT_NE(PrefsBytes().find("hotkey = \"0\"\r\n"), std::string::npos);
  UnregisterHotKey(nullptr, 0x7000);
}
