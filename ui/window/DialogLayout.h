// Moving and growing a dialog's controls when a part of it is shown or closed up.
#pragma once
#include <windows.h>

namespace ui {

// The control's rectangle in its dialog's client coordinates.
RECT ControlRect(HWND dialog, HWND control);
// Moves the control down by dy pixels (up when negative).
void MoveControlBy(HWND dialog, HWND control, int dy);
// Makes the control dy pixels taller (shorter when negative), its top left in place.
void GrowControlBy(HWND dialog, HWND control, int dy);
// Makes the window itself dy pixels taller.
void GrowWindowBy(HWND window, int dy);

}  // namespace ui
