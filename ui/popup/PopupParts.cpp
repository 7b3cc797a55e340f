#include "ui/popup/PopupParts.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "services/StringResource.h"
#include "ui/window/Display.h"
#include "ui/window/Module.h"
#include "ui/window/Window.h"

namespace ui {

HFONT CreatePopupFont() {
  return CreateFontW(-utils::PointsToPixels(10), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     L"MS Shell Dlg 2");
}

HWND SharedTooltip(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  if (!root) return nullptr;
  // Per thread: a tooltip serves the windows of its own thread.
  thread_local std::vector<std::pair<HWND, HWND>> shared;
  shared.erase(std::remove_if(shared.begin(), shared.end(),
                              [](const std::pair<HWND, HWND>& entry) { return !IsWindow(entry.second); }),
               shared.end());
  for (const auto& [owner, tooltip] : shared) {
    if (owner == root && GetWindow(tooltip, GW_OWNER) == root) return tooltip;
  }
  HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, root, nullptr, Module::Instance(), nullptr);
  if (tooltip) shared.emplace_back(root, tooltip);
  return tooltip;
}

void RemoveTools(HWND tooltip, HWND window) {
  if (!tooltip || !IsWindow(tooltip)) return;
  std::vector<TOOLINFOW> gone;
  for (UINT i = 0;; ++i) {
    TOOLINFOW info = {};  // no text buffer: the enumeration would copy the text into it
    info.cbSize = sizeof info;
    if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info))) break;
    if (info.hwnd == window || IsChild(window, info.hwnd)) gone.push_back(info);
  }
  for (TOOLINFOW& tool : gone) SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void AddTool(HWND tooltip, HWND tool, UINT toolId, const RECT& rect, UINT textId) {
  if (!tooltip || !tool) return;
  TOOLINFOW info = {};
  info.cbSize = sizeof info;
  // Our own windows relay their mouse messages; a system control is subclassed by the tip.
  WindowImpl* own = WindowImpl::FromHandle(tool);
  if (own) own->RelayMouseTo(tooltip);
  info.uFlags = (own ? 0 : TTF_SUBCLASS) | TTF_TRANSPARENT;
  info.hwnd = tool;
  info.uId = toolId;
  info.rect = rect;
  info.hinst = Module::Instance();
  info.lpszText = textId ? MAKEINTRESOURCEW(textId) : const_cast<wchar_t*>(L"");
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void SetToolText(HWND tooltip, HWND tool, UINT toolId, const std::wstring& text) {
  if (!tooltip || !tool) return;
  TOOLINFOW info = {};
  info.cbSize = sizeof info;
  info.hwnd = tool;
  info.uId = toolId;
  info.lpszText = const_cast<wchar_t*>(text.c_str());  // the tooltip keeps its own copy
  SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void UpdateToolText(HWND tooltip, HWND tool, UINT toolId, UINT textId) {
  if (!tooltip || !tool) return;
  TOOLINFOW info = {};
  info.cbSize = sizeof info;
  info.hwnd = tool;
  info.uId = toolId;
  info.hinst = Module::Instance();
  info.lpszText = MAKEINTRESOURCEW(textId);
  SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

bool AskYesNo(HWND owner, const std::wstring& question) {
  const std::wstring caption = utils::LoadStringResource(IDS_APP_TITLE);
  return MessageBoxW(owner, question.c_str(), caption.c_str(), MB_YESNO | MB_SETFOREGROUND) == IDYES;
}

int MeasureTextLine(HWND window, HFONT font, const std::wstring& text) {
  HDC dc = GetDC(window);
  if (!dc) return 0;
  HGDIOBJ old = SelectObject(dc, font);
  RECT rect = {0, 0, 0, 0};
  // An empty title still takes a line.
  const std::wstring measured = text.empty() ? std::wstring(L" ") : text;
  DrawTextW(dc, measured.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return rect.bottom - rect.top;
}

bool HasVisibleStyle(HWND control) { return control && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE); }

namespace {
// Set while a window is placed undrawn: its children's layout, run from its WM_SIZE, moves
// them undrawn too, since the placer draws the window whole with its children.
thread_local bool gPlacingUndrawn = false;

RECT RectInParent(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool Is(const RECT& rect, int x, int y, int width, int height) {
  return rect.left == x && rect.top == y && rect.right - rect.left == width && rect.bottom - rect.top == height;
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT overlap;
  return IntersectRect(&overlap, &a, &b) != FALSE;
}
}  // namespace

bool PlacingUndrawn() { return gPlacingUndrawn; }

bool IsAt(HWND child, int x, int y, int width, int height) {
  return Is(RectInParent(child), x, y, width, height);
}

bool ShowsIn(HWND child, const RECT& view) {
  return child && HasVisibleStyle(child) && Overlap(RectInParent(child), view);
}

bool PlaceChild(HWND child, int x, int y, int width, int height, bool show) {
  if (!child) return false;
  if (IsAt(child, x, y, width, height) && (!show || HasVisibleStyle(child))) return false;
  // Painted afresh where it lands: bits copied from where it was can hold what a sibling
  // or the parent drew there. The parent's erase waits for its next paint, which the
  // layouts calling this run at their end, rather than coming once per child moved.
  const UINT showing = show && !HasVisibleStyle(child) ? SWP_SHOWWINDOW : 0;
  SetWindowPos(child, nullptr, x, y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_DEFERERASE | showing |
                   (gPlacingUndrawn ? SWP_NOREDRAW : 0));
  return true;
}

Placed PlaceChildUndrawn(HWND child, int x, int y, int width, int height, const RECT& view) {
  if (!child) return Placed::kUnmoved;
  const RECT now = RectInParent(child);
  const bool shown = HasVisibleStyle(child);
  if (Is(now, x, y, width, height) && shown) return Placed::kUnmoved;
  const bool showedNothing = !shown || !Overlap(now, view);
  const bool outer = gPlacingUndrawn;
  gPlacingUndrawn = showedNothing;
  SetWindowPos(child, nullptr, x, y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_DEFERERASE | (shown ? 0 : SWP_SHOWWINDOW) |
                   (showedNothing ? SWP_NOREDRAW : 0));
  gPlacingUndrawn = outer;
  return showedNothing ? Placed::kUndrawn : Placed::kInvalidated;
}

void HideChild(HWND child) {
  if (HasVisibleStyle(child)) HideChild(child, GetFocus());
}

bool HideChild(HWND child, HWND focus) {
  if (!HasVisibleStyle(child)) return false;
  if (focus && (focus == child || IsChild(child, focus))) {
    ShowWindow(child, SW_HIDE);  // which hands the focus on
    return true;
  }
  // What ShowWindow does, less its focus checks and the parent's erase at once.
  SendMessageW(child, WM_SHOWWINDOW, FALSE, 0);
  SetWindowPos(child, nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_DEFERERASE);
  return false;
}

void InvalidatePlacedControl(HWND control, Placed how) {
  if (how == Placed::kUndrawn && HasVisibleStyle(control)) InvalidateRect(control, nullptr, TRUE);
}

void MakeOwnDCNow(HWND window) { ReleaseDC(window, GetDC(window)); }

bool IsOldWindows() {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  version.dwMajorVersion = 5;
  version.dwMinorVersion = 1;
  DWORDLONG condition = 0;
  condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_LESS_EQUAL);
  condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_LESS_EQUAL);
  return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

void PaintEditBackground(HWND window, HDC dc, const RECT& rect) {
  HTHEME theme = OpenThemeData(window, L"Edit");
  if (!theme) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return;
  }
  DrawThemeBackground(theme, dc, EP_BACKGROUND, ETS_NORMAL, &rect, nullptr);
  CloseThemeData(theme);
}

RECT PaintWhiteClient(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  FillRect(dc, &client, white);
  FrameRect(dc, &client, white);
  return client;
}

void RepaintNow(HWND window) {
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

bool IsListNavigationKey(UINT key) {
  switch (key) {
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_UP:
    case VK_DOWN: return true;
    default: return false;
  }
}

HWND CreatePushButton(HWND parent, UINT id, UINT textId, HFONT font, DWORD extraStyle) {
  const std::wstring text = utils::LoadStringResource(textId);
  HWND button = CreateWindowExW(0, L"BUTTON", text.c_str(), WS_CHILD | BS_PUSHBUTTON | extraStyle, 0, 0, 10, 10,
                                parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), Module::Instance(),
                                nullptr);
  if (button && font) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return button;
}

}  // namespace ui
