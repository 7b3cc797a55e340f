#include "ui/popup/PlacedDrawing.h"

namespace ui {

void PlacedDrawing::Paint(HWND window, Placed how, const std::vector<HWND>& leftAlone) const {
  if (how == Placed::kUnmoved || !HasVisibleStyle(window)) return;
  if (how == Placed::kInvalidated) ValidateRect(window, nullptr);
  Draw(window, leftAlone);
}

void PlacedDrawing::Draw(HWND window, const std::vector<HWND>& leftAlone) const {
  if (mDC) {
    DrawThroughParent(window, leftAlone);
    return;
  }
  // Its own DC clips its children (the window has WS_CLIPCHILDREN).
  HDC dc = GetDC(window);
  if (!dc) return;
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  ReleaseDC(window, dc);
}

RECT PlacedDrawing::PlaceInParent(HWND window) const {
  RECT place;
  GetClientRect(window, &place);
  MapWindowPoints(window, mParent, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

void PlacedDrawing::DrawThroughParent(HWND window, const std::vector<HWND>& leftAlone) const {
  const RECT place = PlaceInParent(window);
  const int saved = SaveDC(mDC);
  SetViewportOrgEx(mDC, place.left, place.top, nullptr);
  IntersectClipRect(mDC, 0, 0, place.right - place.left, place.bottom - place.top);
  for (HWND child : leftAlone) {
    if (!HasVisibleStyle(child)) continue;
    RECT part = PlaceInParent(child);
    OffsetRect(&part, -place.left, -place.top);
    ExcludeClipRect(mDC, part.left, part.top, part.right, part.bottom);
  }
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mDC), PRF_CLIENT);
  RestoreDC(mDC, saved);
}

}  // namespace ui
