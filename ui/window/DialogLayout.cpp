#include "ui/window/DialogLayout.h"

namespace ui {

RECT ControlRect(HWND dialog, HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void MoveControlBy(HWND dialog, HWND control, int dy) {
  if (!control) return;
  const RECT rect = ControlRect(dialog, control);
  SetWindowPos(control, nullptr, rect.left, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GrowControlBy(HWND dialog, HWND control, int dy) {
  if (!control) return;
  const RECT rect = ControlRect(dialog, control);
  SetWindowPos(control, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top + dy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GrowWindowBy(HWND window, int dy) {
  RECT own = {};
  GetWindowRect(window, &own);
  SetWindowPos(window, nullptr, 0, 0, own.right - own.left, own.bottom - own.top + dy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui
