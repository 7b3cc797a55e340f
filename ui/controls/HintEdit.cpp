#include "ui/controls/HintEdit.h"

#include "ui/window/Display.h"

namespace ui {

HintEdit::HintEdit() {
  mFont = CreateFontW(-utils::PointsToPixels(10), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg 2");
}

HintEdit::~HintEdit() {
  // The window may still use the font: destroy it first.
  DestroyWindow();
  if (mFont != nullptr) DeleteObject(mFont);
}

WindowClassInfo HintEdit::GetClassInfo() const {
  WindowClassInfo info;
  info.superclassOf = L"edit";
  return info;
}

void HintEdit::SetHintText(const std::wstring& text) {
  mHint = text;
  if (IsWindow()) InvalidateRect(Hwnd(), nullptr, TRUE);
}

LRESULT HintEdit::OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  LRESULT result = DefaultProc(msg, wParam, lParam);
  if (result != -1 && mFont != nullptr) {
    SendMessageW(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(mFont), FALSE);
  }
  return result;
}

LRESULT HintEdit::OnChar(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  HWND hwnd = Hwnd();
  switch (wParam) {
    case VK_RETURN:
      SendMessageW(GetParent(hwnd), WM_SEARCH_DONE, reinterpret_cast<WPARAM>(hwnd), 0);
      return 0;
    case VK_ESCAPE:
      // The first Escape clears the search, the second closes the popup.
      if (GetWindowTextLengthW(hwnd) == 0) {
        PostMessageW(GetParent(hwnd), WM_HIDE_POPUP, 0, 0);
      } else {
        SetWindowTextW(hwnd, L"");
      }
      return 0;
    case VK_TAB:
      return 0;  // the edit would beep
    default:
      handled = FALSE;
      return 0;
  }
}

LRESULT HintEdit::OnSetText(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  LRESULT result = DefaultProc(msg, wParam, lParam);
  HWND hwnd = Hwnd();
  // A text set by the program filters the list just as a typed one does.
  SendMessageW(GetParent(hwnd), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(hwnd), EN_CHANGE), reinterpret_cast<LPARAM>(hwnd));
  return result;
}

LRESULT HintEdit::OnReflectedCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  handled = FALSE;
  if (HIWORD(wParam) == EN_CHANGE) {
    HWND hwnd = Hwnd();
    InvalidateRect(hwnd, nullptr, TRUE);  // the hint comes or goes with the text
    PostMessageW(GetParent(hwnd), WM_SEARCH_CHANGED, reinterpret_cast<WPARAM>(hwnd), 0);
  }
  return 0;
}

LRESULT HintEdit::OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  LRESULT result = DefaultProc(msg, wParam, lParam);
  HWND hwnd = Hwnd();
  if (GetWindowTextLengthW(hwnd) == 0 && !mHint.empty() && GetFocus() != hwnd) DrawHint();
  return result;
}

LRESULT HintEdit::OnFocusChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  LRESULT result = DefaultProc(msg, wParam, lParam);
  InvalidateRect(Hwnd(), nullptr, TRUE);
  return result;
}

void HintEdit::DrawHint() {
  HWND hwnd = Hwnd();
  HDC dc = GetDC(hwnd);
  if (dc == nullptr) return;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  if (font == nullptr) font = mFont;
  HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, RGB(87, 87, 87));
  RECT rc;
  GetClientRect(hwnd, &rc);
  rc.left += 5;
  rc.top += 2;
  rc.right -= 3;
  rc.bottom -= 2;
  UINT format = DT_NOPREFIX;
  if (GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_MULTILINE) format |= DT_WORDBREAK;
  DrawTextW(dc, mHint.c_str(), static_cast<int>(mHint.size()), &rc, format);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
  ReleaseDC(hwnd, dc);
}

}  // namespace ui
