// Where a dialog goes when it opens: centred over a reference rectangle and kept inside
// the work area, without changing its size or z-order and without activating it.
#pragma once
#include <windows.h>

namespace ui {

// Top-left corner for a window of the size of `window`, centred over `reference` and then
// moved inside `workArea` (left and top win when the window is larger than the area).
POINT ComputeDialogPosition(const RECT& window, const RECT& reference, const RECT& workArea);

// The work area of the monitor nearest to rect (the whole system work area when the
// monitor cannot be asked).
RECT WorkAreaFor(const RECT& rect);

// The placement a dialog runs at the end of WM_INITDIALOG. The dialog is not visible
// yet, so the reference is its own window rectangle: in effect it is kept on screen.
void PlaceDialog(HWND dialog);

// Centres the dialog over `over` when that window is visible, else over the work area,
// and keeps it inside the work area.
void CentreDialog(HWND dialog, HWND over);

}  // namespace ui
