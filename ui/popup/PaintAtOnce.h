// Painting a window with its descendants in one pass. Under Wine every window painted on
// its own costs several round trips to the window server (its update region, its visible
// region, the copy to the screen): the popup's thirty windows took 20 to 40 ms. Windows
// of this framework that draw their whole client on WM_PRINTCLIENT (PrintsClient) are
// drawn here into one bitmap, copied to the screen at once and validated; other windows
// (system controls) keep their update regions and paint themselves as before. Paint
// handlers take their DC from ui/window/PaintDC.h.
#pragma once
#include <windows.h>

namespace ui {

// Draws root and every visible descendant that prints its client, copies the result over
// their places on the screen, and validates them. Nothing is drawn when root is hidden.
void PaintAtOnce(HWND root);

}  // namespace ui
