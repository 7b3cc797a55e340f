#include "ui/controls/BufferedScrollBar.h"

#include <vssym32.h>
#include <windowsx.h>

#include "log/Log.h"

namespace ui {

BufferedScrollBar::~BufferedScrollBar() { DestroyWindow(); }

HWND BufferedScrollBar::CreateVertical(HWND parent) {
  HWND bar = Create(parent, nullptr, WS_CHILD | SBS_VERT, 0, RECT{0, 0, 10, 10});
  if (!bar) Log("%s: The list's scroll bar could not be created (error %lu).\n", "BufferedScrollBar", GetLastError());
  return bar;
}

LRESULT BufferedScrollBar::OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  if (wParam) {  // painting into a given context already
    handled = FALSE;
    return 0;
  }
  // The whole bar is drawn and copied, so its update region is only validated (BeginPaint
  // would hide and show a caret it does not have).
  ValidateRect(Hwnd(), nullptr);
  HDC dc = GetDC(Hwnd());
  RECT client;
  GetClientRect(Hwnd(), &client);
  HDC buffer = mBuffer.Ensure(dc, client.right, client.bottom);
  if (!buffer) {
    if (mFrame.size.cx != client.right || mFrame.size.cy != client.bottom) {
      Log("%s: No %ld x %ld bitmap for the scroll bar (error %lu); it paints unbuffered.\n", "BufferedScrollBar::OnPaint",
          client.right, client.bottom, GetLastError());
    }
    mFrame = Frame();
    mFrame.size = {client.right, client.bottom};
    // The control paints into the context a WM_PAINT hands it, as the standard controls do.
    DefaultProc(msg, reinterpret_cast<WPARAM>(dc), lParam);
  } else {
    SCROLLBARINFO info = {sizeof info};
    const bool atRest = AtRest(info);
    if (atRest && CanDrawInterior(info, client)) {
      DrawInterior(buffer, info, client);
    } else {
      PaintWhole(buffer, client, atRest ? &info : nullptr);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  }
  ReleaseDC(Hwnd(), dc);
  return 0;
}

LRESULT BufferedScrollBar::OnLookChanged(UINT, WPARAM, LPARAM, BOOL& handled) {
  mFrame = Frame();  // the control draws anew, with what changed
  handled = FALSE;
  return 0;
}

bool BufferedScrollBar::AtRest(SCROLLBARINFO& info) const {
  if (!GetScrollBarInfo(Hwnd(), OBJID_CLIENT, &info)) return false;
  if (info.rgstate[0] & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE)) return false;
  for (int part = 1; part <= 5; ++part) {
    if (info.rgstate[part] & STATE_SYSTEM_PRESSED) return false;
  }
  // Where the cursor was at the last message: a hover comes and goes with mouse messages.
  const DWORD at = GetMessagePos();
  const POINT cursor = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  return !PtInRect(&info.rcScrollBar, cursor);
}

bool BufferedScrollBar::CanDrawInterior(const SCROLLBARINFO& info, const RECT& client) const {
  return mFrame.atRest && mFrame.interiorMatches && mFrame.size.cx == client.right &&
         mFrame.size.cy == client.bottom && mFrame.upArrow == info.rgstate[1] && mFrame.downArrow == info.rgstate[5];
}

void BufferedScrollBar::DrawInterior(HDC dc, const SCROLLBARINFO& info, const RECT& client) const {
  const int arrow = GetSystemMetrics(SM_CYVSCROLL);
  const int end = client.bottom - arrow;
  // The parent's brush for the track, as the control asks for it (it may set the colours
  // of a patterned brush in the context).
  const HBRUSH brush = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(Hwnd()), WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Hwnd())));
  const auto track = [&](int part, int from, int to) {
    if (to <= from) return;
    const RECT rect = {0, from, client.right, to};
    if (brush) {
      FillRect(dc, &rect, brush);
    } else {
      DrawThemeBackground(mFrame.theme, dc, part, SCRBS_NORMAL, &rect, nullptr);
    }
  };
  if (info.xyThumbBottom <= info.xyThumbTop) {
    track(SBP_LOWERTRACKVERT, arrow, end);
    return;
  }
  track(SBP_UPPERTRACKVERT, arrow, info.xyThumbTop);
  RECT thumb = {0, info.xyThumbTop, client.right, info.xyThumbBottom};
  DrawThemeBackground(mFrame.theme, dc, SBP_THUMBBTNVERT, SCRBS_NORMAL, &thumb, nullptr);
  SIZE gripper;
  MARGINS margins;
  if (SUCCEEDED(GetThemePartSize(mFrame.theme, dc, SBP_GRIPPERVERT, SCRBS_NORMAL, nullptr, TS_DRAW, &gripper)) &&
      SUCCEEDED(GetThemeMargins(mFrame.theme, dc, SBP_THUMBBTNVERT, SCRBS_NORMAL, TMT_CONTENTMARGINS, &thumb, &margins)) &&
      gripper.cy <= info.xyThumbBottom - info.xyThumbTop - margins.cyTopHeight - margins.cyBottomHeight) {
    DrawThemeBackground(mFrame.theme, dc, SBP_GRIPPERVERT, SCRBS_NORMAL, &thumb, nullptr);
  }
  track(SBP_LOWERTRACKVERT, info.xyThumbBottom, end);
}

void BufferedScrollBar::PaintWhole(HDC buffer, const RECT& client, const SCROLLBARINFO* atRest) {
  // The control paints into the context a WM_PAINT hands it, as the standard controls do.
  DefaultProc(WM_PAINT, reinterpret_cast<WPARAM>(buffer), 0);
  mFrame = Frame();
  mFrame.size = {client.right, client.bottom};
  const HTHEME theme = atRest ? GetWindowTheme(Hwnd()) : nullptr;
  // Too short for a thumb between the arrows, the control shrinks them.
  if (!theme || client.bottom < 3 * GetSystemMetrics(SM_CYVSCROLL)) return;
  mFrame.atRest = true;
  mFrame.theme = theme;
  mFrame.upArrow = atRest->rgstate[1];
  mFrame.downArrow = atRest->rgstate[5];
  HDC check = mCheck.Ensure(buffer, client.right, client.bottom);
  if (!check) return;  // never checked: the control keeps painting
  BitBlt(check, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  DrawInterior(check, *atRest, client);
  mFrame.interiorMatches = mCheck.SamePixels(mBuffer);
  if (!mFrame.interiorMatches && !mMismatchLogged) {
    mMismatchLogged = true;
    Log("%s: The scroll bar's own drawing between its arrows differs from the control's; the control paints it "
        "whole each time.\n",
        "BufferedScrollBar::PaintWhole");
  }
}

}  // namespace ui
