#include "app/BarePopupWindow.h"

#include "app/ShellNames.h"
#include "app/StartupWork.h"
#include "log/Log.h"
#include "ui/Messages.h"

namespace shell {

const wchar_t* BarePopupWindow::ClassName() const { return kPopupClassName; }

ui::WindowClassInfo BarePopupWindow::GetClassInfo() const {
  ui::WindowClassInfo info;
  info.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  return info;
}

namespace {
constexpr UINT_PTR kStartupDelayTimer = 1;
constexpr UINT kStartupDelayMs = 15000;
}  // namespace

bool BarePopupWindow::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_CREATE:
      RestoreSavedServers();
      if (mStartedWithWindows)
        SetTimer(Hwnd(), kStartupDelayTimer, kStartupDelayMs, nullptr);
      else
        RunStartupWorkOnce();
      result = 0;
      return true;
    case WM_TIMER:
      KillTimer(Hwnd(), wParam);
      if (wParam == kStartupDelayTimer) RunStartupWorkOnce();
      result = 0;
      return true;
    case WM_SHOWPOPUP:
      if (!IsWindowVisible(Hwnd())) ShowDocked();
      result = 0;
      return true;
    case WM_QUITAPP:
      Log("%s: Asked to quit by another instance.\n", "BarePopupWindow::ProcessWindowMessage");
      PostQuitMessage(0);
      result = 0;
      return true;
    case WM_CLOSE:
      // The program lives on in the background; closing only hides the popup.
      ShowWindow(Hwnd(), SW_HIDE);
      result = 0;
      return true;
    default:
      return false;
  }
}

void BarePopupWindow::RunStartupWorkOnce() {
  if (mStartupWorkDone) return;
  mStartupWorkDone = true;
  RunStartupWork(Hwnd());
}

void BarePopupWindow::ShowDocked() {
  RECT work;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
    SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  RECT window;
  GetWindowRect(Hwnd(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(Hwnd(), HWND_TOPMOST, work.right - width, work.bottom - height, 0, 0,
               SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(Hwnd());
}

}  // namespace shell
