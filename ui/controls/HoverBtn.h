// A 16 x 16 icon button with a toggled state and a hover look, used by headers and rows.
// Only a completed click (press and release over it) toggles it and tells the parent.
#pragma once
#include <windows.h>

#include "ui/window/Window.h"

namespace ui {

class HoverBtn : public WindowImpl {
 public:
  HoverBtn() = default;
  ~HoverBtn() override { DestroyWindow(); }

  // Icon resource ids: toggled and hovered, toggled, untoggled and hovered, untoggled.
  void SetIcons(int toggledHover, int toggled, int untoggledHover, int untoggled);
  void SetBackground(HBRUSH brush);
  bool IsToggled() const { return mToggled; }
  void SetToggled(bool toggled);
  bool Toggle();
  bool IsHovered() const { return mHovered; }
  // A visible child that clips siblings and children, 16 x 16 at (x, y).
  HWND CreateButton(HWND parent, UINT id, int x, int y, DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);

 protected:
  const wchar_t* ClassName() const override { return L"Zandor Wickerlyn Hover Button Class"; }
  WindowClassInfo GetClassInfo() const override {
    WindowClassInfo info;
    info.style = CS_OWNDC;  // repainted with its row, so no cache DC to find each time
    return info;
  }

  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
    ZW_MESSAGE_HANDLER(WM_PRINTCLIENT, OnPrintClient)
    ZW_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    ZW_MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
    ZW_MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
    ZW_MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLeftButtonDown)
    ZW_MESSAGE_HANDLER(WM_LBUTTONUP, OnLeftButtonUp)
  ZW_END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&);
  void Draw(HDC dc);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&);
  void Repaint();

  HICON mToggledHover = nullptr;
  HICON mToggledIcon = nullptr;
  HICON mUntoggledHover = nullptr;
  HICON mUntoggledIcon = nullptr;
  HBRUSH mBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  bool mHovered = false;
  bool mToggled = false;
};

// A shared 16 x 16 icon of the program's resources (never freed).
HICON LoadSharedIcon(int id);

}  // namespace ui
