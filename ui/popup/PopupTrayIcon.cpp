// The popup's tray icon: adding it, again after a shell restart and, while the shell is not
// ready, on a timer; its tip; and what the mouse and the keyboard do on it.
#include "ui/popup/PopupWindow.h"

#include <shellapi.h>
#include <windowsx.h>

#include "log/Log.h"
#include "res/resource.h"
#include "services/StringResource.h"

namespace ui {

LRESULT PopupWindow::OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&) {
  AddTrayIconOrRetry();  // the shell (re)started: it has no icon of ours
  return 0;
}

void PopupWindow::AddTrayIconOrRetry() {
  KillTimer(Hwnd(), kTrayRetryTimer);
  mTrayRetriesLeft = 0;
  if (AddTrayIcon()) return;
  Log("%s: Shell_NotifyIconW(NIM_ADD) failed; the notification area may not be ready yet. Retrying every "
      "%u ms, %u times.\n",
      "PopupWindow::AddTrayIconOrRetry", kTrayRetryMs, kTrayRetries);
  mTrayRetriesLeft = kTrayRetries;
  SetTimer(Hwnd(), kTrayRetryTimer, kTrayRetryMs, nullptr);
}

void PopupWindow::OnTrayRetryTimer() {
  const char* const kName = "PopupWindow::OnTrayRetryTimer";
  if (mTrayRetriesLeft == 0) {
    KillTimer(Hwnd(), kTrayRetryTimer);
    return;
  }
  --mTrayRetriesLeft;
  if (AddTrayIcon()) {
    KillTimer(Hwnd(), kTrayRetryTimer);
    Log("%s: The tray icon was added on retry %u.\n", kName, kTrayRetries - mTrayRetriesLeft);
    mTrayRetriesLeft = 0;
  } else if (mTrayRetriesLeft == 0) {
    KillTimer(Hwnd(), kTrayRetryTimer);
    Log("%s: The shell did not take the tray icon in %u retries; giving up until it announces "
        "\"TaskbarCreated\".\n",
        kName, kTrayRetries);
  }
}

bool PopupWindow::AddTrayIcon() {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = Hwnd();
  data.uID = kTrayIconId;
  // Version 4 shows the standard tip only when asked to.
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP | NIF_STATE;
  data.uCallbackMessage = WM_TRAYICON;
  data.hIcon = mAppIcon;
  data.dwState = 0;
  data.dwStateMask = NIS_HIDDEN;
  // A shell that timed out on an earlier add may have taken it after all: it then only
  // needs its data again.
  if (!Shell_NotifyIconW(NIM_ADD, &data) && !Shell_NotifyIconW(NIM_MODIFY, &data)) return false;
  // Every add starts at the legacy callback: only version 4 reports the keyboard (Enter,
  // Space, the menu key) and the point each event happened at.
  data.uVersion = NOTIFYICON_VERSION_4;
  mTrayVersion4 = Shell_NotifyIconW(NIM_SETVERSION, &data) != FALSE;
  if (!mTrayVersion4)
    Log("%s: Shell_NotifyIconW(NIM_SETVERSION, NOTIFYICON_VERSION_4) failed; the tray icon answers the mouse "
        "only.\n",
        "PopupWindow::AddTrayIcon");
  SetTrayTip(utils::LoadStringResource(IDS_TRAY_TIP));
  return true;
}

void PopupWindow::SetTrayTip(const std::wstring& text) {
  mTrayTip = TruncateTrayTip(text);
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = Hwnd();
  data.uID = kTrayIconId;
  data.uFlags = NIF_TIP | NIF_SHOWTIP;
  lstrcpynW(data.szTip, mTrayTip.c_str(), static_cast<int>(ARRAYSIZE(data.szTip)));
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

LRESULT PopupWindow::OnTrayIcon(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  // Version 4: the event in the low word of lParam, where it happened in wParam. The legacy
  // callback has the mouse message there and no point.
  POINT at = {GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)};
  if (!mTrayVersion4) GetCursorPos(&at);
  switch (LOWORD(lParam)) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      mClickPoint = at;
      mClickPending = true;
      break;
    case WM_LBUTTONUP:
      OnTrayLeftUp();
      break;
    case WM_RBUTTONUP:
      // With version 4 the WM_CONTEXTMENU that follows opens the menu: not twice.
      if (!mTrayVersion4 && mClickPending) {
        mClickPending = false;
        ShowTrayMenu(mClickPoint);
      }
      break;
    case WM_CONTEXTMENU:  // a right click, Shift+F10 or the menu key on the icon
      mClickPending = false;
      ShowTrayMenu(at);
      break;
    case NIN_KEYSELECT:  // Enter or Space on the icon
      OnTrayKeySelect(at);
      break;
    case NIN_BALLOONUSERCLICK:
      OnNoticeClicked();
      break;
    default:  // NIN_SELECT after a left click: its button messages have done the work
      break;
  }
  return 0;
}

void PopupWindow::OnTrayLeftUp() {
  if (!mClickPending) {
    RunWaitingStartupWork();
    return;
  }
  ShowAtTrayPoint(mClickPoint);
  RunStartupWorkAfterShow();
  // A second click of a double click is not another show.
  SetTimer(Hwnd(), kClickTimer, GetDoubleClickTime(), nullptr);
}

// Shows rather than toggles, as a click does: the shell may report one Enter twice.
void PopupWindow::OnTrayKeySelect(POINT anchor) {
  ShowAtTrayPoint(anchor);  // the list has the keyboard then
  RunStartupWorkAfterShow();
}

void PopupWindow::ShowAtTrayPoint(POINT point) {
  APPBARDATA taskbar = {};
  taskbar.cbSize = sizeof taskbar;
  if (!SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar)) return;
  // The shell is asked once per show: each question is a round trip to it.
  if (PtInRect(&taskbar.rc, point))
    ShowBesideTaskbar(taskbar);
  else
    ShowNearClick(point, taskbar);
}

void PopupWindow::ShowTrayMenu(POINT at) {
  SetForegroundWindow(Hwnd());
  TrackPopupMenu(mTrayMenu, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, at.x, at.y, 0, Hwnd(), nullptr);
  // The menu then closes when the user clicks elsewhere.
  PostMessageW(Hwnd(), WM_NULL, 0, 0);
}

}  // namespace ui
