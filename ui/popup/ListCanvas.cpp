#include "ui/popup/ListCanvas.h"

namespace ui {

HWND ListCanvas::CreateCanvas(HWND list) {
  mList = list;
  return Create(list, nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, RECT{0, 0, 10, 10});
}

HDC ListCanvas::DCOverRows() const {
  // Without DCX_CLIPCHILDREN, which GetDC would take from the canvas's style.
  return GetDCEx(Hwnd(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
}

LRESULT ListCanvas::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  // Only what no row covers shows: white, as the list's own background.
  PaintWhole([this](HDC dc) {
    RECT client;
    GetClientRect(Hwnd(), &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  });
  return 0;
}

LRESULT ListCanvas::OnSetFocus(UINT, WPARAM, LPARAM, BOOL&) {
  // A focused row hidden hands the focus to its parent: the list takes the keys.
  SetFocus(mList);
  return 0;
}

LRESULT ListCanvas::OnRowMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  // What the rows tell their parent (posted or sent) is the list's, in the same order.
  return SendMessageW(mList, msg, wParam, lParam);
}

}  // namespace ui
