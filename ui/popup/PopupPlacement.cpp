#include "ui/popup/PopupPlacement.h"

#include <shellapi.h>

#include <algorithm>

#include "ui/window/LayoutMetrics.h"

namespace ui {
namespace {
constexpr int kClickDistance = 10;
// The search box's borders and padding, above and below its text line: not scaled.
constexpr int kSearchBoxEdges = 6;
}  // namespace

PopupGeometry PopupGeometryFor(double scale) {
  const utils::LayoutMetrics m = utils::LayoutMetricsFor(scale);
  return PopupGeometry{m.margin,     m.bandHeight, m.popupWidth, m.popupHeight,
                       m.comboWidth, m.searchTextHeight + kSearchBoxEdges};
}

RECT SearchBoxRect(const PopupGeometry& g, int clientWidth) {
  RECT rect;
  rect.right = clientWidth - g.margin;
  rect.left = rect.right - g.searchWidth;
  rect.top = (g.bandHeight - g.searchHeight) / 2 - 1;
  rect.bottom = rect.top + g.searchHeight;
  return rect;
}

bool PlaceBesideTaskbar(UINT edge, const RECT& t, SIZE popup, POINT& topLeft) {
  const int w = popup.cx, h = popup.cy;
  switch (edge) {
    case ABE_LEFT: topLeft = {t.right, t.bottom - h}; return true;
    case ABE_TOP: topLeft = {t.right - w, t.bottom}; return true;
    case ABE_RIGHT: topLeft = {t.left - w, t.bottom - h}; return true;
    case ABE_BOTTOM: topLeft = {t.right - w, t.top - h}; return true;
    default: return false;
  }
}

bool PlaceNearClick(UINT edge, const RECT& t, POINT click, SIZE popup, POINT& topLeft) {
  const int w = popup.cx, h = popup.cy;
  const int above = click.y - kClickDistance, below = click.y + kClickDistance;
  switch (edge) {
    case ABE_LEFT: topLeft = {t.right, std::min<int>(t.bottom, above) - h}; return true;
    case ABE_TOP: topLeft = {t.right - w, std::max<int>(t.bottom, below)}; return true;
    case ABE_RIGHT: topLeft = {t.left - w, std::min<int>(t.bottom, above) - h}; return true;
    case ABE_BOTTOM: topLeft = {t.right - w, std::min<int>(t.top, above) - h}; return true;
    default: return false;
  }
}

RECT AreaBesideTaskbar(UINT edge, const RECT& t, const RECT& work) {
  RECT area = work;
  switch (edge) {
    case ABE_LEFT: area.left = std::max(area.left, t.right); break;
    case ABE_TOP: area.top = std::max(area.top, t.bottom); break;
    case ABE_RIGHT: area.right = std::min(area.right, t.left); break;
    case ABE_BOTTOM: area.bottom = std::min(area.bottom, t.top); break;
    default: break;
  }
  return area;
}

SIZE FitPopupSize(SIZE popup, const RECT& area) {
  return SIZE{std::min<LONG>(popup.cx, area.right - area.left), std::min<LONG>(popup.cy, area.bottom - area.top)};
}

POINT KeepInWorkArea(POINT topLeft, SIZE popup, const RECT& area) {
  topLeft.x = std::max<LONG>(area.left, std::min<LONG>(topLeft.x, area.right - popup.cx));
  topLeft.y = std::max<LONG>(area.top, std::min<LONG>(topLeft.y, area.bottom - popup.cy));
  return topLeft;
}

std::wstring TruncateTrayTip(const std::wstring& text) {
  if (text.size() <= kTrayTipLimit) return text;
  return text.substr(0, kTrayTipLimit - 3) + L"...";
}

DWORD PopupFrameStyle(DWORD style, bool composition) {
  style &= ~(WS_THICKFRAME | WS_BORDER);
  return style | (composition ? WS_THICKFRAME : WS_BORDER);
}

}  // namespace ui
