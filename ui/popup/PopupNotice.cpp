// The popup's part in the favorites' power state: the marks and the background opening
// follow the preferences, and a change made elsewhere shows as a tray notice.
#include "ui/popup/PopupWindow.h"

#include <shellapi.h>

#include "log/Log.h"
#include "state/Prefs.h"

namespace ui {

void PopupWindow::ApplyPowerSettings() {
  // Notices need the favorites open: they come with the marks.
  const bool marks = mPrefs.mShowStateMarks;
  if (mViewer) mViewer->SetPowerMarksShown(marks);
  if (!mWatch) return;
  mWatch->SetOpening(marks);
  mWatch->SetNotifying(marks && mPrefs.mNotifyStateChanges);
}

void PopupWindow::ShowPowerNotice(const PowerNotice& notice) {
  if (notice.title.empty()) return;
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = Hwnd();
  data.uID = kTrayIconId;
  data.uFlags = NIF_INFO;
  // Not during the user's quiet time (the first hour of a new account, presentations).
  data.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
  lstrcpynW(data.szInfoTitle, notice.title.c_str(), static_cast<int>(ARRAYSIZE(data.szInfoTitle)));
  lstrcpynW(data.szInfo, notice.text.c_str(), static_cast<int>(ARRAYSIZE(data.szInfo)));
  if (!Shell_NotifyIconW(NIM_MODIFY, &data)) {
    Log("%s: Shell_NotifyIconW(NIM_MODIFY, NIF_INFO) failed; the notice '%S' is not shown.\n",
        "PopupWindow::ShowPowerNotice", notice.title.c_str());
    return;
  }
  Log("%s: Showing the notice '%S'.\n", "PopupWindow::ShowPowerNotice", notice.title.c_str());
  mNoticeVM = notice.vm;
}

void PopupWindow::OnNoticeClicked() {
  RunWaitingStartupWork();
  // The VM must be in view: a search that hides it is emptied.
  if (GetWindowTextLengthW(mSearch.Hwnd()) > 0) {
    SetWindowTextW(mSearch.Hwnd(), L"");
    if (mViewer) mViewer->SetFilter(std::wstring());  // now, not when the box's message comes
  }
  ShowBesideTaskbar();
  const std::shared_ptr<VM> vm = mNoticeVM.lock();
  if (vm && mViewer && !mViewer->FocusFavorite(vm.get())) {
    Log("%s: VM '%s' is no longer listed under Favorites; the popup shows without it.\n",
        "PopupWindow::OnNoticeClicked", vm->GetName().c_str());
  }
}

}  // namespace ui
