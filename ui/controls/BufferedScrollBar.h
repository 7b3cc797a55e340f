// A system scroll bar control that paints through a bitmap of its own: the themed bar is
// drawn in some twenty stretched and transparent blits, and under Wine each blit onto a
// window's device context asks the server for the display's layout (three round trips
// each). Into memory they cost nothing more; one copy shows the result.
#pragma once
#include <windows.h>

#include "ui/window/Window.h"

namespace ui {

class BufferedScrollBar : public WindowImpl {
 public:
  BufferedScrollBar() = default;
  ~BufferedScrollBar() override;

  // A vertical scroll bar control, hidden until placed.
  HWND CreateVertical(HWND parent);

 protected:
  // A superclass, not a subclass: the list asks its bar for its position a dozen times a
  // step, and a subclass looks itself up in a window property on every message.
  const wchar_t* ClassName() const override { return L"Zandor Wickerlyn Scroll Bar Class"; }
  WindowClassInfo GetClassInfo() const override {
    WindowClassInfo info;
    info.superclassOf = L"SCROLLBAR";
    return info;
  }

  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  ZW_END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  // A memory context holding a bitmap of the control's size, made again when that changes.
  HDC Buffer(HDC like, int width, int height);
  void FreeBuffer();

  HDC mBuffer = nullptr;
  HBITMAP mBitmap = nullptr;
  HGDIOBJ mOldBitmap = nullptr;
  SIZE mBufferSize = {0, 0};
};

}  // namespace ui
