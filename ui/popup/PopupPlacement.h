// The popup's geometry and where it goes beside the taskbar, as plain computations, and the
// tray tip's length limit.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

// Pixel sizes of the popup at a DPI scale, from the layout metrics (LayoutMetrics.h).
struct PopupGeometry {
  int margin;
  int bandHeight;  // the title band and the add-server row
  int width;
  int height;
  int searchWidth;
  int searchHeight;  // its text line and its unscaled edges
};
PopupGeometry PopupGeometryFor(double scale);

// The search box in the title band of a client area clientWidth wide.
RECT SearchBoxRect(const PopupGeometry& geometry, int clientWidth);

// The popup's top-left corner beside a taskbar on edge (ABE_LEFT...ABE_BOTTOM) with the
// popup's outer size; false for an unknown edge.
bool PlaceBesideTaskbar(UINT edge, const RECT& taskbar, SIZE popup, POINT& topLeft);
// The same when the tray click was outside the taskbar's rectangle (the notification area
// overflow): the popup keeps 10 pixels away from the click.
bool PlaceNearClick(UINT edge, const RECT& taskbar, POINT click, SIZE popup, POINT& topLeft);

// The popup's size cut to the work area, and its top-left corner moved inside it: at 200%
// on a small screen the designed height is more than the screen has.
// The work area's part on the taskbar's side, which the popup must not cover: the work
// area need not leave the taskbar out (an auto-hidden one, or a shell that does not).
RECT AreaBesideTaskbar(UINT edge, const RECT& taskbar, const RECT& workArea);
SIZE FitPopupSize(SIZE popup, const RECT& workArea);
POINT KeepInWorkArea(POINT topLeft, SIZE popup, const RECT& workArea);

// The tip's buffer holds 127 characters: a longer text keeps its first 124 and "...".
constexpr size_t kTrayTipLimit = 127;
std::wstring TruncateTrayTip(const std::wstring& text);

// The popup's style for desktop composition on or off: a thick frame draws the shadow
// under composition, a thin border without it.
DWORD PopupFrameStyle(DWORD style, bool composition);

}  // namespace ui
