#include "ui/window/DialogPlacement.h"

namespace ui {
namespace {

// Pulled back over the far edge first, then over the near one, so that a window larger
// than the area keeps its top-left corner (and its caption) on screen.
LONG Clamp(LONG position, LONG size, LONG low, LONG high) {
  if (position + size > high) position = high - size;
  if (position < low) position = low;
  return position;
}

void MoveTo(HWND dialog, POINT topLeft) {
  SetWindowPos(dialog, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

POINT ComputeDialogPosition(const RECT& window, const RECT& reference, const RECT& workArea) {
  const LONG width = window.right - window.left;
  const LONG height = window.bottom - window.top;
  POINT at;
  at.x = (reference.left + reference.right) / 2 - width / 2;
  at.y = (reference.top + reference.bottom) / 2 - height / 2;
  at.x = Clamp(at.x, width, workArea.left, workArea.right);
  at.y = Clamp(at.y, height, workArea.top, workArea.bottom);
  return at;
}

RECT WorkAreaFor(const RECT& rect) {
  // The nearest monitor's area, so a dialog opened on a second monitor stays there.
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
  if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

void PlaceDialog(HWND dialog) {
  RECT own;
  if (!GetWindowRect(dialog, &own)) return;
  MoveTo(dialog, ComputeDialogPosition(own, own, WorkAreaFor(own)));
}

void CentreDialog(HWND dialog, HWND over) {
  RECT own;
  if (!GetWindowRect(dialog, &own)) return;
  RECT reference;
  if (over && IsWindowVisible(over) && !IsIconic(over) && GetWindowRect(over, &reference)) {
    MoveTo(dialog, ComputeDialogPosition(own, reference, WorkAreaFor(reference)));
    return;
  }
  RECT area = WorkAreaFor(own);
  MoveTo(dialog, ComputeDialogPosition(own, area, area));
}

}  // namespace ui
