#include "ui/popup/Item.h"

#include <oleacc.h>
#include <windowsx.h>

#include "ui/popup/DescribedAccessible.h"
#include "ui/popup/PopupParts.h"
#include "ui/window/Messages.h"

namespace ui {
namespace {

constexpr COLORREF kRowText = RGB(0, 102, 204);

HBRUSH White() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }
HBRUSH OrWhite(HBRUSH brush) { return brush ? brush : White(); }

}  // namespace

Item::Item() = default;

Item::~Item() { mSignalLinks.CutAll(); }

WindowClassInfo Item::GetClassInfo() const {
  WindowClassInfo info;
  // A DC of its own: rows repaint at every keystroke, and a cache DC is found, reset and
  // given back at each paint (round trips under Wine). The paint restores what it selects.
  // Redrawn whole when its size changes, with the change itself: what a row draws depends
  // on its width and height throughout (an invalidation of its own would be a round trip).
  info.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  info.cursor = IDC_ARROW;
  return info;
}

void Item::SetColors(HFONT font, HBRUSH hoverFrame, HBRUSH hoverFill, HBRUSH selectionFrame, HBRUSH selectionFill) {
  mFont = font;
  mHoverFrame = hoverFrame;
  mHoverFill = hoverFill;
  mSelectionFrame = selectionFrame;
  mSelectionFill = selectionFill;
}

void Item::ClearHover() {
  mHovered = false;
  SetBackground(White());
}

void Item::ClearFlags() {
  mSelected = false;
  mExpanded = false;
  mHovered = false;
}

void Item::UpdateWindowText() {
  if (!IsWindow()) return;
  const std::wstring name = GetName();
  // Rows are rebound on every step: an unchanged text costs no window operation.
  wchar_t now[256];
  const int length = GetWindowTextW(Hwnd(), now, 256);
  if (name.size() < 255 && static_cast<size_t>(length) == name.size() && name.compare(0, name.size(), now, length) == 0)
    return;
  SetWindowTextW(Hwnd(), name.c_str());
}

void Item::PostToParent(UINT msg, WPARAM wParam, LPARAM lParam) const {
  HWND parent = GetParent(Hwnd());
  if (parent) PostMessageW(parent, msg, wParam, lParam);
}

void Item::PostFocused() const { PostToParent(WM_ITEM_FOCUSED, mTag, reinterpret_cast<LPARAM>(Hwnd())); }

void Item::RepaintNow() { ui::RepaintNow(Hwnd()); }

HBRUSH Item::RestingBrush() const { return mHovered ? OrWhite(mHoverFill) : White(); }

bool Item::CursorOverRow() const {
  if (!IsWindowVisible(Hwnd())) return false;
  POINT cursor;
  if (!GetCursorPos(&cursor)) return false;
  HWND under = WindowFromPoint(cursor);
  return under == Hwnd() || (under && GetParent(under) == Hwnd());
}

void Item::ChangeExpanded(bool expanded) {
  mExpanded = expanded;
  OnExpandedChanged();
}

LRESULT Item::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  mSignalLinks.SetWindow(Hwnd());
  CreateChildren();
  Layout();
  UpdateWindowText();
  return 0;
}

LRESULT Item::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  mSignalLinks.CutAll();
  KillTimer(Hwnd(), kHoverTimer);
  DestroyChildren();
  return 0;
}

LRESULT Item::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PaintWhole([this](HDC dc) { Draw(dc); });
  return 0;
}

LRESULT Item::OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&) {
  Draw(reinterpret_cast<HDC>(wParam));
  return 0;
}

void Item::Invalidate(const RECT* part) {
  if (mPaintHeld) {
    mPaintDue = true;
    return;
  }
  InvalidateRect(Hwnd(), part, FALSE);
}

void Item::ReleasePaint(HeldPaint how, const PlacedDrawing& drawing) {
  mPaintHeld = false;
  if (!mPaintDue) return;
  mPaintDue = false;
  if (how == HeldPaint::kLeftToTheSystem) return;
  if (how == HeldPaint::kInvalidated || !IsWindowVisible(Hwnd())) {
    InvalidateRect(Hwnd(), nullptr, FALSE);
    return;
  }
  drawing.Draw(Hwnd(), ChildWindows());
}

void Item::PaintPlaced(Placed how, const PlacedDrawing& drawing) {
  drawing.Paint(Hwnd(), how, SystemControls());
  PaintPlacedChildren(how, drawing);
}

void Item::Draw(HDC dc) {
  RECT client;
  GetClientRect(Hwnd(), &client);
  HBRUSH fill = White(), frame = White();
  if (mSelected && IsExpandable()) {
    fill = OrWhite(mSelectionFill);
    frame = OrWhite(mSelectionFrame);
  } else if (mHovered) {
    fill = OrWhite(mHoverFill);
    frame = OrWhite(mHoverFrame);
  }
  FillRect(dc, &client, fill);
  FrameRect(dc, &client, frame);
  const int saved = SaveDC(dc);
  SelectObject(dc, fill);
  if (mFont) SelectObject(dc, mFont);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kRowText);
  DrawContent(dc, client);
  RestoreDC(dc, saved);
}

LRESULT Item::OnSize(UINT, WPARAM, LPARAM, BOOL&) {
  // Not painted here: the scroll bar coming narrows every row at once, and the class has
  // the window system invalidate a row resized, for the list or the message loop to paint.
  Layout();
  return 0;
}

LRESULT Item::OnShowWindow(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (!wParam) {
    mHovered = false;
    if (!mSelected) SetBackground(White());
  }
  handled = FALSE;
  return 0;
}

LRESULT Item::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& handled) {
  if (!mHovered) {
    mHovered = true;
    if (!mSelected) SetBackground(OrWhite(mHoverFill));
    RepaintNow();
  }
  TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, Hwnd(), 0};
  TrackMouseEvent(&track);
  KillTimer(Hwnd(), kHoverTimer);
  handled = FALSE;
  return 0;
}

LRESULT Item::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  if (CursorOverRow()) {
    // Over one of the row's buttons: keep the highlight and watch for the cursor leaving.
    SetTimer(Hwnd(), kHoverTimer, 100, nullptr);
    handled = TRUE;
    return 0;
  }
  if (mHovered) {
    mHovered = false;
    if (!mSelected) SetBackground(White());
    RepaintNow();
  }
  return 0;
}

LRESULT Item::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL&) {
  if (wParam != kHoverTimer) {
    HandleTimer(wParam);
    return 0;
  }
  if (!CursorOverRow()) {
    KillTimer(Hwnd(), kHoverTimer);
    SendMessageW(Hwnd(), WM_MOUSELEAVE, 0, 0);
  }
  return 0;
}

LRESULT Item::OnLeftButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&) {
  if (!IsExpandable()) {
    RepaintNow();
    return 0;
  }
  POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (!CanToggleAt(point)) return 0;
  ChangeExpanded(!mExpanded);
  RepaintNow();
  if (GetFocus() == Hwnd()) {
    PostFocused();
  } else {
    SetFocus(Hwnd());
  }
  return 0;
}

LRESULT Item::OnCommandMessage(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  if (HIWORD(wParam) != 0) {
    handled = FALSE;  // other notifications go on to reflection
    return 0;
  }
  OnCommand(wParam, lParam);
  if (!IsWindow() || !IsExpandable()) return 0;
  if (!mExpanded) ChangeExpanded(true);
  if (GetFocus() != Hwnd()) {
    SetFocus(Hwnd());
  } else {
    PostFocused();
  }
  return 0;
}

LRESULT Item::OnKeyDownMessage(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  const UINT key = static_cast<UINT>(wParam);
  switch (key) {
    case VK_RETURN:
    case VK_RIGHT:
      if (!mExpanded) {
        ChangeExpanded(true);
        RepaintNow();
        PostFocused();
        return 0;
      }
      break;
    case VK_LEFT:
      if (mExpanded) {
        ChangeExpanded(false);
        RepaintNow();
        PostFocused();
      } else {
        PostToParent(WM_NAVIGATE_KEY, key, lParam);
      }
      return 0;
    default:
      if (IsListNavigationKey(key)) {
        PostToParent(WM_NAVIGATE_KEY, key, lParam);
        return 0;
      }
      break;
  }
  if (OnKeyDown(key)) return 0;
  handled = FALSE;
  return 0;
}

LRESULT Item::OnChar(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  PostToParent(WM_CHAR, wParam, lParam);
  return 0;
}

LRESULT Item::OnSetFocus(UINT, WPARAM, LPARAM, BOOL&) {
  if (mSelected || !IsExpandable()) return 0;
  mSelected = true;
  SetBackground(OrWhite(mSelectionFill));
  RepaintNow();
  if (!mNotifySuppressed) {
    HWND parent = GetParent(Hwnd());
    if (parent) SendMessageW(parent, WM_ITEM_FOCUSED, mTag, reinterpret_cast<LPARAM>(Hwnd()));
  }
  return 0;
}

LRESULT Item::OnKillFocus(UINT, WPARAM wParam, LPARAM, BOOL&) {
  HWND next = reinterpret_cast<HWND>(wParam);
  if (next && GetParent(next) == Hwnd()) return 0;  // the user works the row's own buttons
  if (!IsExpandable()) return 0;
  if (mSelected) {
    mSelected = false;
    SetBackground(RestingBrush());
    RepaintNow();
  }
  if (mExpanded) ChangeExpanded(false);
  HWND parent = GetParent(Hwnd());
  if (parent) SendMessageW(parent, WM_ITEM_UNFOCUSED, mTag, reinterpret_cast<LPARAM>(Hwnd()));
  return 0;
}

LRESULT Item::OnGetObject(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  const LRESULT answer = static_cast<LONG>(lParam) == OBJID_CLIENT ? AnswerWithDescription(Hwnd(), wParam, AccessibleDescription()) : 0;
  handled = answer != 0;
  return answer;
}

}  // namespace ui
