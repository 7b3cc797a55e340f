// A hidden top-level window of a class registered for it, as another program would have:
// found by its class name before others of it (topmost); the window and the class go at
// the end of its scope.
#pragma once

#include <windows.h>

class ClassWindow {
 public:
  ClassWindow(const wchar_t* className, WNDPROC proc) : mClass(className) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    mHwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                            nullptr, wc.hInstance, nullptr);
  }
  ~ClassWindow() {
    DestroyWindow(mHwnd);
    UnregisterClassW(mClass, GetModuleHandleW(nullptr));
  }
  HWND Hwnd() const { return mHwnd; }

 private:
  const wchar_t* mClass;
  HWND mHwnd = nullptr;
};
