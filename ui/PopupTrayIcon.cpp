// The popup's tray icon: adding it, again after a shell restart and, while the shell is not
// ready, on a timer; and its tip.
#include "ui/PopupWindow.h"

#include <shellapi.h>

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
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_STATE;
  data.uCallbackMessage = WM_TRAYICON;
  data.hIcon = mTrayIcon;
  data.dwState = 0;
  data.dwStateMask = NIS_HIDDEN;
  // A shell that timed out on an earlier add may have taken it after all: it then only
  // needs its data again.
  if (!Shell_NotifyIconW(NIM_ADD, &data) && !Shell_NotifyIconW(NIM_MODIFY, &data)) return false;
  SetTrayTip(utils::LoadStringResource(IDS_TRAY_TIP));
  return true;
}

void PopupWindow::SetTrayTip(const std::wstring& text) {
  mTrayTip = TruncateTrayTip(text);
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = Hwnd();
  data.uID = kTrayIconId;
  data.uFlags = NIF_TIP;
  lstrcpynW(data.szTip, mTrayTip.c_str(), static_cast<int>(ARRAYSIZE(data.szTip)));
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

}  // namespace ui
