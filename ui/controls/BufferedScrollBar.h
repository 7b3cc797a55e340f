// A system scroll bar control that paints through a bitmap of its own: the themed bar is
// drawn in some twenty stretched and transparent blits, and under Wine each blit onto a
// window's device context asks the server for the display's layout (three round trips
// each). Into memory they cost nothing more; one copy shows the result.
//
// Its arrows are most of that drawing (about a millisecond each under Wine), and while
// the list scrolls or its length changes only the part between them changes. So at rest
// (enabled, nothing pressed, not under the cursor, whose hover the control draws on its
// own) the bar draws that part itself, with the theme's parts as the control does, over
// the arrows of the control's last paint. Each paint of the control's own checks that
// drawing against it; where they differ, the control paints every time.
#pragma once
#include <windows.h>
#include <uxtheme.h>

#include "ui/controls/MemoryBitmap.h"
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
    ZW_MESSAGE_HANDLER(WM_THEMECHANGED, OnLookChanged)
    ZW_MESSAGE_HANDLER(WM_SYSCOLORCHANGE, OnLookChanged)
    ZW_MESSAGE_HANDLER(WM_SETTINGCHANGE, OnLookChanged)
    ZW_MESSAGE_HANDLER(WM_DPICHANGED_AFTERPARENT, OnLookChanged)
  ZW_END_MSG_MAP()

 private:
  // What the control's last paint left around the part between the arrows.
  struct Frame {
    bool atRest = false;  // and themed: only then is the rest of the frame known
    HTHEME theme = nullptr;
    SIZE size = {0, 0};
    DWORD upArrow = 0, downArrow = 0;  // their states
    bool interiorMatches = false;      // the bar's drawing of the part equalled the control's
  };

  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLookChanged(UINT, WPARAM, LPARAM, BOOL& handled);
  bool AtRest(SCROLLBARINFO& info) const;
  bool CanDrawInterior(const SCROLLBARINFO& info, const RECT& client) const;
  // The tracks, the thumb and its gripper, as the themed control draws them at rest.
  void DrawInterior(HDC dc, const SCROLLBARINFO& info, const RECT& client) const;
  // The control paints the whole bar; at rest, the bar's own drawing is checked against it.
  void PaintWhole(HDC buffer, const RECT& client, const SCROLLBARINFO* atRest);

  MemoryBitmap mBuffer;
  MemoryBitmap mCheck;  // the control's paint with the bar's drawing of the part over it
  Frame mFrame;
  bool mMismatchLogged = false;
};

}  // namespace ui
