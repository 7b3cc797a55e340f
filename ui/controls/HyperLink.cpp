#include "ui/controls/HyperLink.h"

#include <commctrl.h>

#include "log/Log.h"
#include "ui/window/Module.h"

namespace ui {
namespace {

constexpr UINT_PTR kToolId = 1;
const wchar_t kColorsKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

// "r,g,b": three decimal numbers 0..255, blanks allowed around each.
bool ParseColor(const wchar_t* text, COLORREF& color) {
  int parts[3] = {};
  const wchar_t* p = text;
  for (int i = 0; i < 3; ++i) {
    while (*p == L' ') ++p;
    if (*p < L'0' || *p > L'9') return false;
    int value = 0, digits = 0;
    while (*p >= L'0' && *p <= L'9') {
      value = value * 10 + (*p++ - L'0');
      if (++digits > 3) return false;
    }
    if (value > 255) return false;
    parts[i] = value;
    while (*p == L' ') ++p;
    if (i < 2 && *p++ != L',') return false;
  }
  if (*p != L'\0') return false;
  color = RGB(parts[0], parts[1], parts[2]);
  return true;
}

bool ReadColor(HKEY key, const wchar_t* name, COLORREF& color) {
  wchar_t buffer[64] = {};
  DWORD type = 0;
  DWORD size = sizeof(buffer) - sizeof(wchar_t);  // room for a terminator
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  buffer[size / sizeof(wchar_t)] = L'\0';
  return ParseColor(buffer, color);
}

POINT PointFrom(LPARAM lParam) {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool PaintsLabel(DWORD style) {
  const DWORD type = style & SS_TYPEMASK;
  // Icons, rectangles, frames, owner-drawn, bitmaps and metafiles have no text to show.
  return !((type >= SS_ICON && type <= SS_WHITEFRAME) || (type >= SS_OWNERDRAW && type <= SS_ENHMETAFILE));
}

}  // namespace

CHyperLink::CHyperLink() = default;

CHyperLink::~CHyperLink() {
  if (IsSubclassed()) {
    // The window is someone else's: give it back as a plain static.
    HWND hwnd = Hwnd();
    DestroyToolTip();
    mReady = false;
    UnsubclassWindow();
    InvalidateRect(hwnd, nullptr, TRUE);
  } else {
    // Now, while the handlers still exist.
    DestroyWindow();
  }
  DestroyToolTip();
  if (mOwnLinkFont && mLinkFont != nullptr) DeleteObject(mLinkFont);
}

void CHyperLink::OnSubclassed() {
  mFocused = GetFocus() == Hwnd();
  Setup();
  InvalidateRect(Hwnd(), nullptr, TRUE);
}

HWND CHyperLink::CreateLink(HWND parent, const RECT& rect, DWORD style, UINT controlId) {
  HWND hwnd = Create(parent, mLabel.c_str(), style, 0, rect, controlId);
  if (hwnd == nullptr) return nullptr;
  Setup();
  return hwnd;
}

void CHyperLink::Setup() {
  HWND hwnd = Hwnd();
  wchar_t className[16] = {};
  GetClassNameW(hwnd, className, 16);
  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  if (lstrcmpiW(className, L"static") == 0) {
    // Without it a static lets the mouse through to its parent.
    style |= SS_NOTIFY;
    SetWindowLongPtrW(hwnd, GWL_STYLE, style);
  }
  mPaintLabel = PaintsLabel(static_cast<DWORD>(style));

  if (mPaintLabel) {
    mNormalFont = reinterpret_cast<HFONT>(SendMessageW(GetParent(hwnd), WM_GETFONT, 0, 0));
    if (mNormalFont == nullptr) mNormalFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (mLinkFont == nullptr) {
      LOGFONTW lf = {};
      if (GetObjectW(mNormalFont, sizeof(lf), &lf) != 0) {
        lf.lfUnderline = TRUE;
        mLinkFont = CreateFontIndirectW(&lf);
        mOwnLinkFont = mLinkFont != nullptr;
      }
    }
  }


  if (mLabel.empty()) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], length + 1)));
    mLabel = text;
  }
  CalcLabelRect();
  if (mPaintLabel) ReadRegistryColor();
  mReady = true;
  UpdateTool();
}

void CHyperLink::ReadRegistryColor() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kColorsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  ReadColor(key, L"Anchor Color", mLinkColor);
  RegCloseKey(key);
}

UINT CHyperLink::TextFormat() const {
  UINT format = mSingleLine ? (DT_SINGLELINE | DT_END_ELLIPSIS) : DT_WORDBREAK;
  const LONG_PTR style = GetWindowLongPtrW(Hwnd(), GWL_STYLE);
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER; break;
    case SS_RIGHT: format |= DT_RIGHT; break;
    default: break;
  }
  return format;
}

void CHyperLink::CalcLabelRect() {
  SetRectEmpty(&mLabelRect);
  if (Hwnd() == nullptr) return;
  const std::wstring& text = DisplayText();
  if (text.empty()) return;
  RECT client;
  GetClientRect(Hwnd(), &client);
  HDC dc = GetDC(Hwnd());
  if (dc == nullptr) return;
  HFONT font = mLinkFont ? mLinkFont
                         : (mNormalFont ? mNormalFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  HGDIOBJ oldFont = SelectObject(dc, font);
  RECT rc = client;
  const UINT format = TextFormat();
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc,
            DT_CALCRECT | (format & (DT_NOPREFIX | DT_WORDBREAK | DT_SINGLELINE)));
  SelectObject(dc, oldFont);
  ReleaseDC(Hwnd(), dc);

  const LONG clientWidth = client.right - client.left;
  LONG width = rc.right - rc.left;
  if (width > clientWidth) width = clientWidth;
  LONG left = client.left;
  if (format & DT_CENTER) {
    left = client.left + (clientWidth - width) / 2;
  } else if (format & DT_RIGHT) {
    left = client.right - width;
  }
  mLabelRect = {left, client.top, left + width, client.top + (rc.bottom - rc.top)};
}

bool CHyperLink::MakeToolTip() {
  if (mToolTip != nullptr) return true;
  if (!mReady || Hwnd() == nullptr) return false;
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  mToolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(), nullptr, Module::Instance(), nullptr);
  if (mToolTip == nullptr) {
    Log("%s: The tooltip window was not created (error %lu).\n", "CHyperLink::MakeToolTip", GetLastError());
    return false;
  }
  if (mToolTipDelay >= 0) SendMessageW(mToolTip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(mToolTipDelay, 0));
  UpdateTool();
  return true;
}

void CHyperLink::UpdateTool() {
  if (mToolTip == nullptr || Hwnd() == nullptr) return;
  TOOLINFOW ti = {};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by every comctl32 version
  ti.hwnd = Hwnd();
  ti.uId = kToolId;
  SendMessageW(mToolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  ti.uFlags = 0;
  ti.rect = mLabelRect;
  ti.lpszText = const_cast<wchar_t*>(mHyperLink.c_str());
  SendMessageW(mToolTip, TTM_ACTIVATE, TRUE, 0);
  SendMessageW(mToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CHyperLink::DestroyToolTip() {
  if (mToolTip != nullptr && ::IsWindow(mToolTip)) ::DestroyWindow(mToolTip);
  mToolTip = nullptr;
}

bool CHyperLink::SetLabel(const wchar_t* text) {
  mLabel = text ? text : L"";
  if (Hwnd() == nullptr) return true;
  mSettingLabel = true;
  const BOOL set = SetWindowTextW(Hwnd(), mLabel.c_str());
  mSettingLabel = false;
  CalcLabelRect();
  UpdateTool();
  InvalidateRect(Hwnd(), nullptr, TRUE);
  return set != FALSE;
}

bool CHyperLink::SetHyperLink(const wchar_t* text) {
  mHyperLink = text ? text : L"";
  if (Hwnd() == nullptr || !mReady) return true;
  if (mLabel.empty()) {
    CalcLabelRect();
    InvalidateRect(Hwnd(), nullptr, TRUE);
  }
  UpdateTool();
  return true;
}

void CHyperLink::SetLinkFont(HFONT font) {
  if (mOwnLinkFont && mLinkFont != nullptr && mLinkFont != font) DeleteObject(mLinkFont);
  mLinkFont = font;
  mOwnLinkFont = false;
  if (mReady) {
    CalcLabelRect();
    UpdateTool();
    InvalidateRect(Hwnd(), nullptr, TRUE);
  }
}

void CHyperLink::SetLinkColor(COLORREF link) {
  mLinkColor = link;
  if (mReady) InvalidateRect(Hwnd(), nullptr, TRUE);
}

void CHyperLink::SetToolTipDelay(int ms) {
  mToolTipDelay = ms;
  if (mToolTip != nullptr) {
    SendMessageW(mToolTip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(ms, 0));
  }
}

bool CHyperLink::IsOverLabel(POINT pt) const { return PtInRect(&mLabelRect, pt) != FALSE; }

void CHyperLink::Paint(HDC dc) {
  RECT client;
  GetClientRect(Hwnd(), &client);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(Hwnd()), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(Hwnd())));
  if (brush != nullptr) FillRect(dc, &client, brush);

  const std::wstring& text = DisplayText();
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, mLinkColor);
  HGDIOBJ oldFont = mLinkFont ? SelectObject(dc, mLinkFont) : nullptr;
  RECT rc = mLabelRect;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, TextFormat());
  if (oldFont != nullptr) SelectObject(dc, oldFont);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  if (mFocused) {
    // One pixel clear of the text where the control has room, so the dots never touch it.
    RECT client, focus = mLabelRect;
    GetClientRect(Hwnd(), &client);
    InflateRect(&focus, 1, 1);
    IntersectRect(&focus, &focus, &client);
    DrawFocusRect(dc, &focus);
  }
}

void CHyperLink::Navigate() {
  HWND hwnd = Hwnd();
  // The parent may destroy this control while it handles the command: nothing after it.
  SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), 0), reinterpret_cast<LPARAM>(hwnd));
}

LRESULT CHyperLink::OnRelayMouse(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  handled = FALSE;
  // The tooltip is made when the mouse first comes: a list makes dozens of links, and each
  // tooltip is a top-level window.
  if (MakeToolTip()) {
    MSG m = {Hwnd(), msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    m.pt = PointFrom(static_cast<LPARAM>(GetMessagePos()));
    SendMessageW(mToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
  }
  return 0;
}

LRESULT CHyperLink::OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  if (!mPaintLabel) {
    handled = FALSE;
    return 0;
  }
  if (msg == WM_PRINTCLIENT || wParam != 0) {
    Paint(reinterpret_cast<HDC>(wParam));
    return 0;
  }
  // Drawn whole, so the update region is only validated: BeginPaint's hiding and showing
  // of a caret a link never has costs two round trips under Wine, for every link row a
  // search shows again.
  (void)lParam;
  ValidateRect(Hwnd(), nullptr);
  HDC dc = GetDC(Hwnd());
  if (dc != nullptr) Paint(dc);
  ReleaseDC(Hwnd(), dc);
  return 0;
}

LRESULT CHyperLink::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL& handled) {
  if (!mPaintLabel) handled = FALSE;
  return 1;  // the paint fills the background itself
}

LRESULT CHyperLink::OnSetText(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  // A static paints its own text straight away on WM_SETTEXT: store it without that.
  const LRESULT result = mPaintLabel ? DefWindowProcW(Hwnd(), msg, wParam, lParam)
                                     : DefaultProc(msg, wParam, lParam);
  if (!mSettingLabel && result) {
    // Text set from outside still names the label, so both stay the same.
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    mLabel = text ? text : L"";
    CalcLabelRect();
    UpdateTool();
  }
  if (mPaintLabel) InvalidateRect(Hwnd(), nullptr, TRUE);
  return result;
}

LRESULT CHyperLink::OnSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  const LRESULT result = DefaultProc(msg, wParam, lParam);
  CalcLabelRect();
  UpdateTool();
  InvalidateRect(Hwnd(), nullptr, TRUE);
  return result;
}

LRESULT CHyperLink::OnSetCursor(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  if (reinterpret_cast<HWND>(wParam) == Hwnd() && LOWORD(lParam) == HTCLIENT) {
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(Hwnd(), &pt);
    if (IsOverLabel(pt)) {
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    }
  }
  handled = FALSE;
  return 0;
}

LRESULT CHyperLink::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  POINT pt = PointFrom(lParam);
  if (IsOverLabel(pt)) SetCursor(LoadCursorW(nullptr, IDC_HAND));
  handled = FALSE;
  return 0;
}

// A static with SS_NOTIFY would report STN_CLICKED (also code 0) on its own: the button
// messages never reach it, so the parent hears only the command sent by Navigate.
LRESULT CHyperLink::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&) {
  POINT pt = PointFrom(lParam);
  if (IsOverLabel(pt)) {
    SetFocus(Hwnd());
    SetCapture(Hwnd());
  }
  return 0;
}

LRESULT CHyperLink::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&) {
  if (GetCapture() != Hwnd()) return 0;
  ReleaseCapture();
  POINT pt = PointFrom(lParam);
  if (IsOverLabel(pt)) Navigate();
  return 0;
}

LRESULT CHyperLink::OnChar(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if ((wParam == VK_RETURN || wParam == VK_SPACE) && GetFocus() == Hwnd()) {
    Navigate();
    return 0;
  }
  handled = FALSE;
  return 0;
}

LRESULT CHyperLink::OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTCHARS; }

LRESULT CHyperLink::OnFocusChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  mFocused = msg == WM_SETFOCUS;
  const LRESULT result = DefaultProc(msg, wParam, lParam);
  InvalidateRect(Hwnd(), nullptr, TRUE);  // the focus rectangle comes or goes
  return result;
}

LRESULT CHyperLink::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  // The tooltip's owner is the top-level window, which outlives this control.
  DestroyToolTip();
  handled = FALSE;
  return 0;
}

LRESULT CHyperLink::OnNcDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  DestroyToolTip();
  mReady = false;
  handled = FALSE;  // the base lets go of the window
  return 0;
}

}  // namespace ui
