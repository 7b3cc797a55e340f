// The window the list's headers, links and rows sit on: as wide as the rows and several
// views tall, it moves as a whole when the list scrolls, so a wheel notch moves one window
// with its pixels rather than each row in view (a round trip each under Wine).
#pragma once
#include <windows.h>

#include "ui/window/MessageMap.h"
#include "ui/window/Window.h"

namespace ui {

class ListCanvas : public WindowImpl {
 public:
  ListCanvas() = default;
  ~ListCanvas() override { DestroyWindow(); }

  // A hidden child of the list, which receives what its rows tell their parent.
  HWND CreateCanvas(HWND list);
  // A DC over the canvas's whole client, its rows' places included, for the list to draw
  // the rows it placed; handed back with ReleaseDC.
  HDC DCOverRows() const;

 protected:
  const wchar_t* ClassName() const override { return L"Zandor Wickerlyn List Canvas"; }

  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
    ZW_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    ZW_MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
    ZW_MESSAGE_RANGE_HANDLER(WM_APP, 0xBFFF, OnRowMessage)
    ZW_REFLECT_NOTIFICATIONS()
  ZW_END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnRowMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&);

  HWND mList = nullptr;
};

}  // namespace ui
