#include "app/PrefsDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <ctime>
#include <string>

#include "app/RunAtStartup.h"
#include "app/UpdateCheckWithPrefs.h"
#include "res/resource.h"
#include "services/StringResource.h"
#include "state/Prefs.h"
#include "state/State.h"
#include "ui/window/DialogLayout.h"
#include "ui/window/DialogPlacement.h"

namespace {

constexpr int kFirstDays = 1;
constexpr int kLastDays = 14;

void FillDays(HWND list) {
  for (int days = kFirstDays; days <= kLastDays; ++days) {
    const LRESULT index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(days).c_str()));
    if (index >= 0) SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(index), days);
  }
}

// Selects the entry nearest to value; the entry's number.
int SelectNearest(HWND list, int value) {
  const int shown = std::clamp(value, kFirstDays, kLastDays);
  const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == shown) {
      SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      break;
    }
  }
  return shown;
}

// The selected entry's number, or 0 without a selection.
int SelectedDays(HWND list) {
  const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return 0;
  return static_cast<int>(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

// "Last check: <ctime text>", or empty when the time cannot be converted.
std::wstring LastCheckLine(uint64_t lastUpdateCheck, bool neverWhenUnknown) {
  std::wstring when;
  if (lastUpdateCheck != 0) {
    const time_t t = static_cast<time_t>(lastUpdateCheck);
    if (const wchar_t* text = _wctime(&t)) when = text;
  }
  if (when.empty()) {
    if (!neverWhenUnknown) return std::wstring();
    when = utils::LoadStringResource(IDS_NEVER);
  }
  return utils::FormatStringResource(IDS_LAST_CHECK, when);
}

}  // namespace

PrefsDlg::PrefsDlg(ui::GlobalHotkey& hotkey) : ui::ModalDialog(IDD_PREFERENCES), mHotkey(hotkey) {
  // The template holds a hotkey control: its class must exist before the dialog is made.
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&icc);
}

LRESULT PrefsDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  HWND dialog = Hwnd();
  mMruList = GetDlgItem(dialog, IDC_MRU_DAYS);
  mIntervalList = GetDlgItem(dialog, IDC_UPDATE_INTERVAL);
  mCheckUpdatesBox = GetDlgItem(dialog, IDC_CHECK_UPDATES);
  mRunAtStartupBox = GetDlgItem(dialog, IDC_RUN_ON_STARTUP);
  mHotkeyControl = GetDlgItem(dialog, IDC_HOTKEY);
  mStartupChanged = false;
  mHotkeyNoteShown = true;

  bool enabled = false;
  bool canChange = false;
  utils::GetRunOnWindowsStartup(enabled, canChange);
  CheckDlgButton(dialog, IDC_RUN_ON_STARTUP, enabled ? BST_CHECKED : BST_UNCHECKED);
  if (canChange) {
    RemoveAdminNote();
  } else {
    EnableWindow(mRunAtStartupBox, FALSE);
  }

  const Prefs& prefs = Prefs::Instance();
  FillDays(mMruList);
  FillDays(mIntervalList);
  mShownMruDays = SelectNearest(mMruList, prefs.mMruDurationDays);
  mShownInterval = SelectNearest(mIntervalList, prefs.mUpdateInterval);

  ShowLastCheck(true);
  CheckDlgButton(dialog, IDC_CHECK_UPDATES, prefs.mCheckForUpdates ? BST_CHECKED : BST_UNCHECKED);
  ApplyUpdateCheckBox();

  CheckDlgButton(dialog, IDC_SHOW_STATE_MARKS, prefs.mShowStateMarks ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_NOTIFY_STATE_CHANGES, prefs.mNotifyStateChanges ? BST_CHECKED : BST_UNCHECKED);
  ApplyStateMarksBox();
  // A combination without Ctrl or Alt would take keys from every program: Ctrl+Alt is added.
  SendMessageW(mHotkeyControl, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
               MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
  mShownHotkey = prefs.mHotkey;
  SendMessageW(mHotkeyControl, HKM_SETHOTKEY, mShownHotkey, 0);
  ShowHotkeyNote(mShownHotkey != 0 && mHotkey.Refused() == mShownHotkey);

  ui::PlaceDialog(dialog);
  return TRUE;  // default focus
}

void PrefsDlg::RemoveAdminNote() {
  HWND dialog = Hwnd();
  HWND note = GetDlgItem(dialog, IDC_ADMIN_NOTE);
  if (!note || !mRunAtStartupBox) return;
  const LONG dy = ui::ControlRect(dialog, mRunAtStartupBox).bottom - ui::ControlRect(dialog, note).bottom;
  ShowWindow(note, SW_HIDE);
  if (dy >= 0) return;
  for (int id : {IDC_MRU_DAYS, IDC_MRU_LABEL, IDC_MRU_DAYS_UNIT, IDC_UPDATES_GROUP, IDC_CHECK_UPDATES,
                 IDC_UPDATE_INTERVAL, IDC_UPDATE_INTERVAL_UNIT, IDC_LAST_CHECK, IDC_CHECK_NOW, IDC_POPUP_GROUP,
                 IDC_SHOW_STATE_MARKS, IDC_NOTIFY_STATE_CHANGES, IDC_HOTKEY_LABEL, IDC_HOTKEY, IDC_HOTKEY_NOTE,
                 IDC_ABOUT, IDOK, IDCANCEL}) {
    ui::MoveControlBy(dialog, GetDlgItem(dialog, id), dy);
  }
  ui::GrowControlBy(dialog, GetDlgItem(dialog, IDC_GENERAL_GROUP), dy);
  ui::GrowWindowBy(dialog, dy);
}

void PrefsDlg::ShowHotkeyNote(bool show) {
  if (show == mHotkeyNoteShown) return;
  HWND dialog = Hwnd();
  HWND note = GetDlgItem(dialog, IDC_HOTKEY_NOTE);
  if (!note || !mHotkeyControl) return;
  const LONG gap = ui::ControlRect(dialog, note).bottom - ui::ControlRect(dialog, mHotkeyControl).bottom;
  const int dy = show ? gap : -gap;
  ShowWindow(note, show ? SW_SHOWNA : SW_HIDE);
  mHotkeyNoteShown = show;
  if (gap <= 0) return;
  for (int id : {IDC_ABOUT, IDOK, IDCANCEL}) ui::MoveControlBy(dialog, GetDlgItem(dialog, id), dy);
  ui::GrowControlBy(dialog, GetDlgItem(dialog, IDC_POPUP_GROUP), dy);
  ui::GrowWindowBy(dialog, dy);
}

bool PrefsDlg::TryChosenHotkey() {
  const WORD chosen = LOWORD(SendMessageW(mHotkeyControl, HKM_GETHOTKEY, 0, 0));
  // An unchanged one is tried again by the popup; the note already told of a refusal.
  if (chosen == mShownHotkey || mHotkey.Register(chosen)) return true;
  ShowHotkeyNote(true);
  SendMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(mHotkeyControl), TRUE);
  return false;
}

void PrefsDlg::ShowLastCheck(bool neverWhenUnknown) {
  const std::wstring line = LastCheckLine(Prefs::Instance().mLastUpdateCheck, neverWhenUnknown);
  if (!line.empty()) SetDlgItemTextW(Hwnd(), IDC_LAST_CHECK, line.c_str());
}

void PrefsDlg::ApplyUpdateCheckBox() {
  EnableWindow(mIntervalList, IsDlgButtonChecked(Hwnd(), IDC_CHECK_UPDATES) == BST_CHECKED);
}

// The notices come from the favorites opened for the marks: without the marks there are none.
void PrefsDlg::ApplyStateMarksBox() {
  EnableWindow(GetDlgItem(Hwnd(), IDC_NOTIFY_STATE_CHANGES),
               IsDlgButtonChecked(Hwnd(), IDC_SHOW_STATE_MARKS) == BST_CHECKED);
}

void PrefsDlg::StoreAndSave() {
  if (mStartupChanged) {
    utils::SetRunOnWindowsStartup(IsDlgButtonChecked(Hwnd(), IDC_RUN_ON_STARTUP) == BST_CHECKED);
  }
  Prefs& prefs = Prefs::Instance();
  const int mruDays = SelectedDays(mMruList);
  if (mruDays != 0 && mruDays != mShownMruDays) {
    prefs.SetMruDurationDays(mruDays);
    // VMs leave or return to Recently Used now, as the file will have them.
    State::Instance().GetRecent()->Refresh();
  }
  prefs.mCheckForUpdates = IsDlgButtonChecked(Hwnd(), IDC_CHECK_UPDATES) == BST_CHECKED;
  const int interval = SelectedDays(mIntervalList);
  if (interval != 0 && interval != mShownInterval) prefs.mUpdateInterval = interval;
  prefs.mShowStateMarks = IsDlgButtonChecked(Hwnd(), IDC_SHOW_STATE_MARKS) == BST_CHECKED;
  prefs.mNotifyStateChanges = IsDlgButtonChecked(Hwnd(), IDC_NOTIFY_STATE_CHANGES) == BST_CHECKED;
  prefs.mHotkey = LOWORD(SendMessageW(mHotkeyControl, HKM_GETHOTKEY, 0, 0));
  prefs.Save();
}

LRESULT PrefsDlg::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  switch (id) {
    case IDC_RUN_ON_STARTUP:
      mStartupChanged = true;
      return 0;
    case IDC_CHECK_UPDATES:
      if (code == BN_CLICKED) ApplyUpdateCheckBox();
      return 0;
    case IDC_SHOW_STATE_MARKS:
      if (code == BN_CLICKED) ApplyStateMarksBox();
      return 0;
    case IDC_CHECK_NOW:
      if (code != BN_CLICKED) break;
      utils::CheckForUpdates(Hwnd(), true);
      // The check may fail to renew the time: then the line stays as it was.
      ShowLastCheck(false);
      return 0;
    case IDC_ABOUT:
      if (code != BN_CLICKED) break;
      MessageBoxW(Hwnd(), utils::LoadStringResource(IDS_ABOUT).c_str(),
                  utils::LoadStringResource(IDS_APP_TITLE).c_str(), MB_OK);
      return 0;
    case IDOK:
      if (code != BN_CLICKED) break;
      if (!TryChosenHotkey()) return 0;
      StoreAndSave();
      EndDialog(IDOK);
      return 0;
    case IDCANCEL:
      EndDialog(IDCANCEL);
      return 0;
    default:
      break;
  }
  handled = FALSE;
  return 0;
}
