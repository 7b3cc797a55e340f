#include "console/ConsoleWindow.h"

#include "console/ConsoleIds.h"

namespace lumacon {

ConsoleWindow::~ConsoleWindow() {
  if (mHwnd) DestroyWindow(mHwnd);
  if (mFont) DeleteObject(mFont);
}

bool ConsoleWindow::Create(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = LUMACON_WINDOW_CLASS;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  HDC screen = GetDC(nullptr);
  int height = -MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  mFont = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Shell Dlg 2");

  mHwnd = CreateWindowExW(0, LUMACON_WINDOW_CLASS, LUMACON_DEFAULT_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                          CW_USEDEFAULT, 520, 160, nullptr, nullptr, instance, this);
  if (!mHwnd) return false;
  mServerLine = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, mHwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LUMACON_SERVER)), instance, nullptr);
  mStatus = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, mHwnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LUMACON_STATUS)), instance, nullptr);
  if (mFont) {
    SendMessageW(mServerLine, WM_SETFONT, reinterpret_cast<WPARAM>(mFont), FALSE);
    SendMessageW(mStatus, WM_SETFONT, reinterpret_cast<WPARAM>(mFont), FALSE);
  }
  Layout();
  return mServerLine && mStatus;
}

void ConsoleWindow::SetTitle(const std::wstring& title) { SetWindowTextW(mHwnd, title.c_str()); }
void ConsoleWindow::SetServerLine(const std::wstring& text) { SetWindowTextW(mServerLine, text.c_str()); }
void ConsoleWindow::SetStatus(const std::wstring& text) { SetWindowTextW(mStatus, text.c_str()); }

void ConsoleWindow::Layout() {
  if (!mServerLine || !mStatus) return;
  RECT client;
  GetClientRect(mHwnd, &client);
  int width = client.right - client.left - 24;
  MoveWindow(mServerLine, 12, 12, width, 22, TRUE);
  MoveWindow(mStatus, 12, 42, width, client.bottom - 54, TRUE);
}

LRESULT CALLBACK ConsoleWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<ConsoleWindow*>(create->lpCreateParams)->mHwnd = hwnd;
  }
  auto* self = reinterpret_cast<ConsoleWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT ConsoleWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_CTLCOLORSTATIC:
      // The lines sit on the window's own background.
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_DESTROY:
      SetWindowLongPtrW(mHwnd, GWLP_USERDATA, 0);
      mHwnd = mServerLine = mStatus = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      if (message >= WM_APP && message <= 0xBFFF && onAppMessage) {
        onAppMessage(message, wParam, lParam);
        return 0;
      }
      return DefWindowProcW(mHwnd, message, wParam, lParam);
  }
}

}  // namespace lumacon
