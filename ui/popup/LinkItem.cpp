#include "ui/popup/LinkItem.h"

#include <algorithm>

#include "ui/popup/PopupParts.h"
#include "ui/window/LayoutMetrics.h"
#include "ui/window/Messages.h"

namespace ui {
namespace {

constexpr COLORREF kLinkColour = RGB(0, 102, 204);

int TextHeight(HDC dc, HFONT font) {
  HGDIOBJ old = SelectObject(dc, font);
  RECT rect = {0, 0, 1000, 0};
  DrawTextW(dc, L"NS", -1, &rect, DT_CALCRECT | DT_WORDBREAK);
  SelectObject(dc, old);
  return rect.bottom - rect.top;
}

}  // namespace

namespace {
// Bindings are unique for the process's life; the UI thread alone makes them.
UINT_PTR NewBinding() {
  static UINT_PTR last = 0;
  return ++last;
}
}  // namespace

LinkItem::LinkItem(const std::wstring& text, bool centred) : mText(text), mCentred(centred), mBinding(NewBinding()) {}

LinkItem::~LinkItem() {
  Links().CutAll();
  DestroyWindow();
}

HWND LinkItem::CreateRow(HWND parent, const RECT& rect) {
  return Create(parent, mText.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, rect);
}

void LinkItem::SetText(const std::wstring& text) {
  mBinding = NewBinding();
  // The same text needs no window operation: a rebuild of an unchanged list only renews
  // the binding.
  if (text == mText) return;
  mText = text;
  if (!IsWindow()) return;
  mLink.SetLabel(mText.c_str());
  UpdateWindowText();
  Layout();
}

void LinkItem::CreateChildren() {
  mFont = CreatePopupFont();
  mLink.SetSingleLine(true);
  const DWORD style = WS_CHILD | WS_VISIBLE | (mCentred ? SS_CENTER : 0);
  mLink.CreateLink(Hwnd(), RECT{0, 0, 50, 50}, style, IDC_LINK);
  // The row's font, not underlined.
  mLink.SetLinkFont(mFont);
  mLink.SetLabel(mText.c_str());
  ShowWindow(mLink.Hwnd(), SW_HIDE);
  mLink.SetLinkColor(kLinkColour);
}

void LinkItem::DestroyChildren() {
  mLink.DestroyWindow();
  mTextHeight = 0;
  if (mFont) DeleteObject(mFont);
  mFont = nullptr;
}

void LinkItem::PaintPlacedChildren(Placed how, const PlacedDrawing& drawing) { drawing.Paint(mLink.Hwnd(), how); }

void LinkItem::Layout() {
  if (!mLink.IsWindow()) return;
  RECT client;
  GetClientRect(Hwnd(), &client);
  if (mTextHeight == 0) {
    // The fonts never change, so neither does the height of one line of them.
    HDC dc = GetDC(mLink.Hwnd());
    HFONT normal = reinterpret_cast<HFONT>(SendMessageW(mLink.Hwnd(), WM_GETFONT, 0, 0));
    if (!normal) normal = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    mTextHeight = std::max(TextHeight(dc, mLink.GetLinkFont()), TextHeight(dc, normal));
    ReleaseDC(mLink.Hwnd(), dc);
  }
  const int left = mCentred ? 0 : 2 * utils::MARGIN;
  // The same place (a new text in the same row) needs no move, only the repaint the new
  // label asks for.
  PlaceChild(mLink.Hwnd(), left, (client.bottom - mTextHeight) / 2, client.right - left, mTextHeight, true);
}

void LinkItem::DrawContent(HDC dc, const RECT& client) {
  if (mBackground) {
    FillRect(dc, &client, mBackground);
    FrameRect(dc, &client, mBackground);
  }
  if (mTopLine) {
    HGDIOBJ old = SelectObject(dc, mTopLine);
    for (int y = client.top; y < client.top + 2; ++y) {
      MoveToEx(dc, client.left, y, nullptr);
      LineTo(dc, client.right, y);
    }
    SelectObject(dc, old);
  }
}

void LinkItem::OnCommand(WPARAM, LPARAM) {
  InvalidateRect(Hwnd(), nullptr, FALSE);
  PostToParent(WM_LINK_CLICKED, mBinding, reinterpret_cast<LPARAM>(Hwnd()));
}

}  // namespace ui
