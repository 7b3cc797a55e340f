// Putting the real cursor somewhere for tests that read it back (hover, cursor shape).
#pragma once

#include <windows.h>

namespace cursor {

// The cursor reaches its place through the display server, and a late motion event (say,
// from a window just created under the old position) can still move it back: place it,
// dispatching what arrives, until it stays. Whether it did.
inline bool PlaceCursor(POINT at) {
  auto pumpFor = [](DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    MSG msg;
    do {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount64() < end);
  };
  for (int attempt = 0; attempt < 20; ++attempt) {
    SetCursorPos(at.x, at.y);
    bool stayed = true;
    for (int check = 0; check < 3 && stayed; ++check) {
      pumpFor(20);
      POINT now;
      stayed = GetCursorPos(&now) && now.x == at.x && now.y == at.y;
    }
    if (stayed) return true;
  }
  return false;
}

}  // namespace cursor
