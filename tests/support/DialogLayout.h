// What a test reads back from a dialog driven from another thread: where its controls sit
// and in what state, and which one has the keyboard focus.
#pragma once

#include <windows.h>

#include <map>

#include "tests/support/DialogDriver.h"

namespace dialogs {

// The window with the keyboard focus in the dialog's thread.
inline HWND FocusOf(HWND dialog) {
  GUITHREADINFO info = {sizeof(info)};
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  return info.hwndFocus;
}

// Each control's place (client coordinates) and state, by id, and the dialog's height.
struct Layout {
  std::map<int, RECT> at;
  std::map<int, bool> shown, enabled, checked;
  LONG height = 0;
  int focus = 0;
};

inline Layout Measure(HWND dialog) {
  Layout layout;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    layout.at[id] = ClientRectOf(dialog, id);
    layout.shown[id] = IsShown(dialog, id);
    layout.enabled[id] = IsWindowEnabled(child) != FALSE;
    layout.checked[id] = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
  }
  RECT window = {};
  GetWindowRect(dialog, &window);
  layout.height = window.bottom - window.top;
  layout.focus = GetDlgCtrlID(FocusOf(dialog));
  return layout;
}

}  // namespace dialogs
