#include "ui/controls/HoverBtn.h"

#include "ui/controls/IconPrints.h"
#include "ui/window/Module.h"

namespace ui {

HICON LoadSharedIcon(int id) {
  return static_cast<HICON>(LoadImageW(Module::Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_SHARED));
}

void HoverBtn::SetIcons(int toggledHover, int toggled, int untoggledHover, int untoggled) {
  mToggledHover = LoadSharedIcon(toggledHover);
  mToggledIcon = LoadSharedIcon(toggled);
  mUntoggledHover = LoadSharedIcon(untoggledHover);
  mUntoggledIcon = LoadSharedIcon(untoggled);
}

HWND HoverBtn::CreateButton(HWND parent, UINT id, int x, int y, DWORD style) {
  RECT rect = {x, y, x + 16, y + 16};
  return Create(parent, nullptr, style, 0, rect, id);
}

void HoverBtn::Repaint() {
  if (!IsWindow()) return;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  UpdateWindow(Hwnd());
}

// Rows set both on every rebinding and hover change: a look that stays costs no paint.
void HoverBtn::SetBackground(HBRUSH brush) {
  if (brush == mBackground) return;
  mBackground = brush;
  Repaint();
}

void HoverBtn::SetToggled(bool toggled) {
  if (toggled == mToggled) return;
  mToggled = toggled;
  Repaint();
}

bool HoverBtn::Toggle() {
  mToggled = !mToggled;
  Repaint();
  return mToggled;
}

LRESULT HoverBtn::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PaintWhole([this](HDC dc) { Draw(dc); });
  return 0;
}

LRESULT HoverBtn::OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&) {
  Draw(reinterpret_cast<HDC>(wParam));
  return 0;
}

void HoverBtn::Draw(HDC dc) {
  RECT client;
  GetClientRect(Hwnd(), &client);
  HBRUSH background = mBackground ? mBackground : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  FillRect(dc, &client, background);
  FrameRect(dc, &client, background);
  HICON icon = mToggled ? (mHovered ? mToggledHover : mToggledIcon) : (mHovered ? mUntoggledHover : mUntoggledIcon);
  DrawIconOver(dc, 0, 0, icon, background);
}

LRESULT HoverBtn::OnMouseMove(UINT, WPARAM, LPARAM, BOOL&) {
  if (!mHovered) {
    mHovered = true;
    Repaint();
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, Hwnd(), 0};
    TrackMouseEvent(&track);
  }
  return 0;
}

LRESULT HoverBtn::OnMouseLeave(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  if (mHovered) {
    mHovered = false;
    Repaint();
  }
  // The row under the button checks its own hover.
  HWND parent = GetParent(Hwnd());
  if (parent) SendMessageW(parent, msg, wParam, lParam);
  handled = FALSE;
  return 0;
}

LRESULT HoverBtn::OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&) {
  SetCapture(Hwnd());
  return 0;
}

LRESULT HoverBtn::OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&) {
  const bool captured = GetCapture() == Hwnd();
  ReleaseCapture();
  POINT cursor;
  if (!captured || !GetCursorPos(&cursor) || WindowFromPoint(cursor) != Hwnd()) return 0;
  Toggle();
  HWND parent = GetParent(Hwnd());
  if (parent) {
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Hwnd()), 0), reinterpret_cast<LPARAM>(Hwnd()));
  }
  return 0;
}

}  // namespace ui
