// Driving a modal dialog from a helper thread while the test thread runs it: find it by
// caption, wait until it is visible (its controls exist then), then click or read.
#pragma once
#include <windows.h>

#include <string>
#include <thread>

#include "tests/support/Polling.h"

namespace dialogs {

// A visible dialog (#32770) of this process with this caption, or null. Only this
// process's: tests running side by side show dialogs with the same captions.
inline HWND FindOwnDialog(const wchar_t* caption) {
  return polling::FindTopLevel(L"#32770", caption, GetCurrentProcessId(), true);
}

// The visible dialog of this process with this caption, or null after timeoutMs.
inline HWND WaitForDialog(const wchar_t* caption, DWORD timeoutMs = 10000) {
  return polling::WaitForTopLevel(L"#32770", caption, GetCurrentProcessId(), true, timeoutMs);
}

// Runs `dialog` modally on this thread while `drive` acts on it from a helper thread once
// it is visible; DoModal's result.
template <class Dialog, class Drive>
INT_PTR RunDriven(Dialog& dialog, const wchar_t* caption, Drive drive) {
  std::thread driver([&] {
    if (HWND found = WaitForDialog(caption)) drive(found);
  });
  const INT_PTR result = dialog.DoModal(nullptr);
  driver.join();
  return result;
}

inline void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Asked by message (with a time-out), so that it also reads a control of another process.
inline std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, nullptr);
  return text;
}

// A control's rectangle in its dialog's client coordinates.
inline RECT ClientRectOf(HWND dialog, int id) {
  RECT rect = {};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

inline bool IsShown(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

// The text of a message box (its message is the static control 0xFFFF).
inline std::wstring MessageBoxText(HWND box) { return TextOf(GetDlgItem(box, 0xFFFF)); }

// Presses a message box's only button (OK).
inline void PressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (ok) {
    SendMessageW(ok, BM_CLICK, 0, 0);
  } else {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
}

}  // namespace dialogs
