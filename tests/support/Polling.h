// Polling for a condition, and finding top-level windows, for tests that wait on another
// thread or process.
#pragma once

#include <windows.h>

namespace polling {

// Polls until the predicate holds; whether it did within the time.
template <typename Predicate>
bool WaitUntil(Predicate predicate, DWORD milliseconds = 15000) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    if (predicate()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(10);
  }
}

// A top-level window of this class and, when given, caption, that belongs to the process
// (0: any) and, when asked, is visible; null when there is none.
inline HWND FindTopLevel(const wchar_t* className, const wchar_t* caption, DWORD processId, bool visibleOnly) {
  struct Search {
    const wchar_t* className;
    const wchar_t* caption;
    DWORD processId;
    bool visibleOnly;
    HWND found;
  } search = {className, caption, processId, visibleOnly, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((s->processId && owner != s->processId) || (s->visibleOnly && !IsWindowVisible(window))) return TRUE;
        wchar_t text[256] = {};
        if (!GetClassNameW(window, text, 256) || lstrcmpW(text, s->className) != 0) return TRUE;
        GetWindowTextW(window, text, 256);
        if (s->caption && lstrcmpW(text, s->caption) != 0) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls for such a window; null when none appeared in time.
inline HWND WaitForTopLevel(const wchar_t* className, const wchar_t* caption, DWORD processId, bool visibleOnly,
                            DWORD milliseconds) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(className, caption, processId, visibleOnly)) != nullptr; },
            milliseconds);
  return found;
}

}  // namespace polling
