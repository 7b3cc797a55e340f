#include "ui/popup/PopupWindow.h"

#include <shellapi.h>

#include <utility>

#include "log/Log.h"
#include "res/resource.h"
#include "services/StringResource.h"
#include "state/Prefs.h"
#include "state/State.h"
#include "ui/popup/PopupParts.h"
#include "ui/window/DialogPlacement.h"
#include "ui/window/Display.h"
#include "ui/window/Module.h"

namespace ui {
namespace {

constexpr COLORREF kBandLine = RGB(204, 217, 234);
constexpr COLORREF kBandFill = RGB(241, 245, 251);
constexpr int kIconSize = 16;
constexpr UINT kSearchBoxId = 1;

// The row-sized icons: 16 x 16 at any scaling.
HICON LoadSmallIcon(UINT id) {
  return static_cast<HICON>(
      LoadImageW(Module::Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, kIconSize, kIconSize, LR_SHARED));
}

// The program icon at the system's small-icon size (20, 24, 32 pixels at 125, 150, 200%),
// picked from the sizes the icon holds rather than stretched; the caller destroys it.
HICON LoadAppIcon(int size) {
  HICON icon = static_cast<HICON>(
      LoadImageW(Module::Instance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (!icon)
    Log("%s: LoadImageW(%u, %dx%d) failed with error code 0x%08x; the tray icon has no image.\n", "ui::LoadAppIcon",
        static_cast<unsigned>(IDI_APP), size, size, static_cast<unsigned>(GetLastError()));
  return icon;
}

void AppendMenuString(HMENU menu, UINT command, UINT textId) {
  AppendMenuW(menu, MF_STRING, command, utils::LoadStringResource(textId).c_str());
}

RECT ClientRect(HWND hwnd) {
  RECT client = {};
  GetClientRect(hwnd, &client);
  return client;
}

}  // namespace

PopupWindow::PopupWindow(bool startHidden, State& state, Prefs& prefs, PopupActions actions)
    : mStartHidden(startHidden),
      mState(state),
      mPrefs(prefs),
      mActions(std::move(actions)),
      mGeometry(PopupGeometryFor(utils::GetDpiScale())),
      mIsOldWindows(IsOldWindows()),
      mLink(utils::LoadStringResource(IDS_ADD_SERVER_LINK), true) {
  mTrayMenu = CreatePopupMenu();
  AppendMenuString(mTrayMenu, IDM_SHOW, IDS_MENU_SHOW);
  AppendMenuString(mTrayMenu, IDM_PREFERENCES, IDS_MENU_PREFERENCES);
  AppendMenuW(mTrayMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuString(mTrayMenu, IDM_EXIT, IDS_MENU_EXIT);
  SetMenuDefaultItem(mTrayMenu, IDM_SHOW, FALSE);

  mBandPen = CreatePen(PS_SOLID, 0, kBandLine);
  mBandBrush = CreateSolidBrush(kBandFill);
  mTitleFont = CreateFontW(-utils::PointsToPixels(10), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           L"MS Shell Dlg 2");
  mAppIconSize = GetSystemMetrics(SM_CXSMICON);
  mAppIcon = LoadAppIcon(mAppIconSize);
  mSearchIcon = LoadSmallIcon(IDI_SEARCH);
  mTitle = utils::LoadStringResource(IDS_APP_TITLE);
}

PopupWindow::~PopupWindow() {
  mTearingDown = true;
  // While every member is still alive: the window's messages reach them.
  DestroyWindow();
  if (mTrayMenu) DestroyMenu(mTrayMenu);
  // Normally gone with WM_DESTROY; not when the window was never created.
  if (mBandPen) DeleteObject(mBandPen);
  if (mBandBrush) DeleteObject(mBandBrush);
  if (mTitleFont) DeleteObject(mTitleFont);
  // Only now that the window, and with it the tray icon, is gone.
  if (mAppIcon) DestroyIcon(mAppIcon);
}

const wchar_t* PopupWindow::ClassName() const { return kClassName; }

WindowClassInfo PopupWindow::GetClassInfo() const {
  WindowClassInfo info;
  info.style = CS_OWNDC;  // as the rows (see Item): no cache DC to find at each paint
  info.background = nullptr;  // WM_PAINT fills everything
  info.cursor = IDC_ARROW;
  return info;
}

HWND PopupWindow::CreatePopup() {
  const DWORD style = PopupFrameStyle(WS_POPUP, utils::IsDwmCompositionEnabled());
  const RECT rect = {0, 0, mGeometry.width, mGeometry.height};
  return Create(nullptr, mTitle.c_str(), style, WS_EX_TOOLWINDOW, rect);
}

LRESULT PopupWindow::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  HWND hwnd = Hwnd();
  mTaskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
  // Run elevated, the popup still hears a start with the user's normal rights and the shell.
  for (const UINT message : {static_cast<UINT>(WM_SHOWPOPUP), mTaskbarCreatedMessage}) {
    if (!ChangeWindowMessageFilterEx(hwnd, message, MSGFLT_ALLOW, nullptr))
      Log("%s: ChangeWindowMessageFilterEx(0x%04x) failed with error code 0x%08x.\n", "PopupWindow::OnCreate",
          message, static_cast<unsigned>(GetLastError()));
  }
  AddTrayIconOrRetry();
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(mAppIcon));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(mAppIcon));

  mLink.SetBackgroundBrush(mBandBrush);
  mLink.SetTopLinePen(mBandPen);

  const RECT client = ClientRect(hwnd);
  const int band = mGeometry.bandHeight;
  const DWORD searchStyle =
      WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | (mIsOldWindows ? ES_MULTILINE : 0);
  mSearch.Create(hwnd, L"", searchStyle, 0,
                 SearchBoxRect(mGeometry, client.right), kSearchBoxId);
  SendMessageW(mSearch.Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(mTitleFont), FALSE);
  mSearch.SetHintText(utils::LoadStringResource(IDS_SEARCH_HINT));

  mViewer = std::make_unique<ContentViewer>(mState);
  mViewer->CreateViewer(hwnd, RECT{0, band, client.right, client.bottom - band});
  mLink.CreateRow(hwnd, RECT{0, client.bottom - band, client.right, client.bottom});

  RestoreSavedServers();
  mHotkey.SetOwner(hwnd);
  mHotkey.Register(mPrefs.mHotkey);
  mWatch = std::make_unique<FavoriteWatch>(mState, [this](const PowerNotice& notice) { ShowPowerNotice(notice); });
  mWatch->CreateWatch();
  ApplyPowerSettings();

  if (mStartHidden) {
    SetTimer(hwnd, kStartupTimer, kStartupDelayMs, nullptr);
  } else {
    RunStartupWork();
    ShowBesideTaskbar();
  }
  return 0;
}

void PopupWindow::RestoreSavedServers() {
  const auto& records = mPrefs.mServers;
  // Record order; a record that makes no server is logged by the State and skipped.
  const std::vector<OlvarkServerPtr> servers = mState.RestoreSavedServers(records);
  Log("%s: Restored %u of %u saved server(s).\n", "PopupWindow::RestoreSavedServers",
      static_cast<unsigned>(servers.size()), static_cast<unsigned>(records.size()));
  for (const OlvarkServerPtr& server : servers) mViewer->AddServerSection(server, !server->GetUser().empty());
  mState.GetFavorites()->Refresh();
  mState.GetRecent()->Refresh();
}

void PopupWindow::RunWaitingStartupWork() {
  if (!mStartHidden) return;
  KillTimer(Hwnd(), kStartupTimer);
  mStartHidden = false;
  RunStartupWork();
}

void PopupWindow::RunStartupWorkAfterShow() {
  // The logins start their requests and write the log: the popup shows and paints first,
  // and the work follows on the start-up timer, due at once.
  if (mStartHidden) SetTimer(Hwnd(), kStartupTimer, 0, nullptr);
}

void PopupWindow::RunStartupWork() {
  for (const OlvarkServerPtr& server : mState.GetServers()) {
    if (server->HasUserName()) server->Login("", "", false);
  }
  if (mActions.automaticUpdateCheck) mActions.automaticUpdateCheck(Hwnd());
}

LRESULT PopupWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  if (!mTearingDown) {
    // Without its window the program has no tray icon and cannot be reached: end it
    // through the normal tear-down rather than linger holding the single-instance mutex.
    Log("%s: The popup window was destroyed while the program runs; ending the program.\n",
        "PopupWindow::OnDestroy");
    PostQuitMessage(0);
  }
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = Hwnd();
  data.uID = kTrayIconId;
  data.uFlags = NIF_STATE;
  data.dwState = NIS_HIDDEN;
  data.dwStateMask = NIS_HIDDEN;
  Shell_NotifyIconW(NIM_DELETE, &data);
  mHotkey.Unregister();

  mWatch.reset();
  mLink.DestroyWindow();
  // The search box uses the title font: it goes before the font.
  mSearch.DestroyWindow();
  DeleteObject(mBandPen);
  DeleteObject(mBandBrush);
  DeleteObject(mTitleFont);
  mBandPen = nullptr;
  mBandBrush = nullptr;
  mTitleFont = nullptr;
  return 0;
}

LRESULT PopupWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Hwnd(), &paint);
  const RECT client = PaintWhiteClient(Hwnd(), dc);
  const int band = mGeometry.bandHeight;
  const int m = mGeometry.margin;

  const RECT bandRect = {0, 0, client.right, band};
  FillRect(dc, &bandRect, mBandBrush);
  FrameRect(dc, &bandRect, mBandBrush);

  HGDIOBJ oldPen = SelectObject(dc, mBandPen);
  for (int y = band - 2; y < band; ++y) {
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, client.right, y);
  }
  SelectObject(dc, oldPen);

  RECT search = SearchBoxRect(mGeometry, client.right);
  if (mSearch.IsWindow()) {
    GetWindowRect(mSearch.Hwnd(), &search);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&search), 2);
  }
  if (mIsOldWindows) PaintEditBackground(Hwnd(), dc, search);
  const int appIconY = search.top + (search.bottom - search.top - mAppIconSize) / 2;
  if (mAppIcon) DrawIconEx(dc, m, appIconY, mAppIcon, mAppIconSize, mAppIconSize, 0, nullptr, DI_NORMAL);

  RECT title = {(3 * m) / 2 + mAppIconSize, search.top, client.right, search.bottom};
  HGDIOBJ oldFont = SelectObject(dc, mTitleFont);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, RGB(0, 0, 0));
  DrawTextW(dc, mTitle.c_str(), static_cast<int>(mTitle.size()), &title,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);

  const int iconY = search.top + (search.bottom - search.top - kIconSize) / 2;
  DrawIconEx(dc, search.left - m / 2 - kIconSize, iconY, mSearchIcon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
  EndPaint(Hwnd(), &paint);
  return 0;
}

LRESULT PopupWindow::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
  const int width = LOWORD(lParam), height = HIWORD(lParam);
  const int band = mGeometry.bandHeight;
  if (mViewer) PlaceChild(mViewer->Hwnd(), 0, band, width, height - 2 * band);
  PlaceChild(mLink.Hwnd(), 0, height - band, width, band);
  const RECT search = SearchBoxRect(mGeometry, width);
  PlaceChild(mSearch.Hwnd(), search.left, search.top, search.right - search.left, search.bottom - search.top);
  return 0;
}

void PopupWindow::FocusViewer() {
  if (mViewer && mViewer->IsWindow()) SetFocus(mViewer->Hwnd());
}

LRESULT PopupWindow::OnSetFocus(UINT, WPARAM, LPARAM, BOOL&) {
  FocusViewer();
  return 0;
}

LRESULT PopupWindow::OnShowWindow(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (!wParam && mViewer) mViewer->ClearHot();
  handled = FALSE;
  return 0;
}

LRESULT PopupWindow::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (wParam == kTrayRetryTimer) {
    OnTrayRetryTimer();
    return 0;
  }
  if (wParam != kStartupTimer && wParam != kClickTimer) {
    handled = FALSE;
    return 0;
  }
  KillTimer(Hwnd(), wParam);
  if (wParam == kStartupTimer) {
    RunWaitingStartupWork();  // the popup stays hidden
  } else {
    mClickPending = false;
  }
  return 0;
}

LRESULT PopupWindow::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  // Controls' notifications go on to reflection; the tray menu's commands come without one.
  if (lParam != 0) {
    handled = FALSE;
    return 0;
  }
  switch (LOWORD(wParam)) {
    case IDM_SHOW:
      ShowBesideTaskbar();
      break;
    case IDM_PREFERENCES:
      if (mActions.showPreferences && mActions.showPreferences(GetActiveWindow(), mHotkey)) ApplyPreferences();
      break;
    case IDM_EXIT:
      ConfirmExit();
      break;
    default:
      handled = FALSE;
      break;
  }
  return 0;
}

void PopupWindow::ConfirmExit() {
  if (AskYesNo(Hwnd(), utils::LoadStringResource(IDS_CONFIRM_EXIT))) PostQuitMessage(0);
}

void PopupWindow::ShowAt(const POINT* topLeft, bool show) {
  HWND hwnd = Hwnd();
  if (show) {
    const POINT at = topLeft ? *topLeft : POINT{0, 0};
    SetWindowPos(hwnd, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  }
  RepaintNow(hwnd);
  SetForegroundWindow(hwnd);
  FocusViewer();
}

namespace {
SIZE OuterSize(HWND hwnd) {
  RECT window = {};
  GetWindowRect(hwnd, &window);
  return SIZE{window.right - window.left, window.bottom - window.top};
}
}  // namespace

SIZE PopupWindow::FitTo(const RECT& area) {
  const SIZE size = FitPopupSize(SIZE{mGeometry.width, mGeometry.height}, area);
  const SIZE now = OuterSize(Hwnd());
  if (size.cx != now.cx || size.cy != now.cy)
    SetWindowPos(Hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return size;
}

void PopupWindow::ShowBesideTaskbar() {
  APPBARDATA taskbar = {};
  taskbar.cbSize = sizeof taskbar;
  if (!SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar)) {
    ShowAt(nullptr, true);
    return;
  }
  ShowBesideTaskbar(taskbar);
}

void PopupWindow::ShowBesideTaskbar(const APPBARDATA& taskbar) {
  const RECT area = AreaBesideTaskbar(taskbar.uEdge, taskbar.rc, WorkAreaFor(taskbar.rc));
  const SIZE size = FitTo(area);
  POINT topLeft;
  const bool known = PlaceBesideTaskbar(taskbar.uEdge, taskbar.rc, size, topLeft);
  if (known) topLeft = KeepInWorkArea(topLeft, size, area);
  ShowAt(&topLeft, known);
}

void PopupWindow::ShowNearClick(POINT click) {
  APPBARDATA taskbar = {};
  taskbar.cbSize = sizeof taskbar;
  if (SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar)) ShowNearClick(click, taskbar);
}

void PopupWindow::ShowNearClick(POINT click, const APPBARDATA& taskbar) {
  const RECT area = AreaBesideTaskbar(taskbar.uEdge, taskbar.rc, WorkAreaFor(taskbar.rc));
  const SIZE size = FitTo(area);
  POINT topLeft;
  const bool known = PlaceNearClick(taskbar.uEdge, taskbar.rc, click, size, topLeft);
  if (known) topLeft = KeepInWorkArea(topLeft, size, area);
  ShowAt(&topLeft, known);
}

LRESULT PopupWindow::OnEndSession(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  const char* const kName = "PopupWindow::OnEndSession";
  if (lParam == ENDSESSION_CLOSEAPP && wParam == 0) {
    Log("%s: Received WM_ENDSESSION but we don't really need to close.\n", kName);
    return 0;
  }
  Log("%s: Received WM_ENDSESSION with lParam=%s and wParam=0x%08x. Saving prefs.\n", kName,
      lParam ? "TRUE" : "FALSE", static_cast<unsigned>(wParam));
  mPrefs.Save();
  return 0;
}

LRESULT PopupWindow::OnQuitApp(UINT, WPARAM, LPARAM, BOOL&) {
  Log("%s: Asked to quit by another instance.\n", "PopupWindow::OnQuitApp");
  PostQuitMessage(0);
  return 0;
}

// Alt+F4 and SC_CLOSE end here: a flyout only hides, as on Escape.
LRESULT PopupWindow::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
  ShowWindow(Hwnd(), SW_HIDE);
  return 0;
}

LRESULT PopupWindow::OnHidePopup(UINT, WPARAM, LPARAM, BOOL&) {
  ShowWindow(Hwnd(), SW_HIDE);
  return 0;
}

LRESULT PopupWindow::OnShowPopup(UINT, WPARAM, LPARAM, BOOL&) {
  if (IsWindowVisible(Hwnd()))
    SetForegroundWindow(Hwnd());
  else
    ShowBesideTaskbar();
  return 0;
}

LRESULT PopupWindow::OnActivateApp(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (!wParam) ShowWindow(Hwnd(), SW_HIDE);
  handled = FALSE;
  return 0;
}

LRESULT PopupWindow::OnNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  const LRESULT hit = DefaultProc(msg, wParam, lParam);
  // The thick frame is only there for the shadow: it never sizes.
  return hit >= HTSIZEFIRST && hit <= HTSIZELAST ? HTBORDER : hit;
}

LRESULT PopupWindow::OnCompositionChanged(UINT, WPARAM, LPARAM, BOOL&) {
  HWND hwnd = Hwnd();
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const DWORD wanted = PopupFrameStyle(style, utils::IsDwmCompositionEnabled());
  if (wanted != style) {
    SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return 0;
}

LRESULT PopupWindow::OnLinkClicked(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  if (reinterpret_cast<HWND>(lParam) != mLink.Hwnd() || !mLink.IsWindow()) {
    handled = FALSE;
    return 0;
  }
  OlvarkServerPtr server = mActions.addServer ? mActions.addServer(GetActiveWindow()) : nullptr;
  if (server && mViewer) mViewer->AddServerSection(server, false);
  RepaintNow(mLink.Hwnd());
  return 0;
}

LRESULT PopupWindow::OnSearchChanged(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  HWND search = mSearch.Hwnd();
  if (reinterpret_cast<HWND>(wParam) != search || !search) {
    handled = FALSE;
    return 0;
  }
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(search)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(search, &text[0], static_cast<int>(text.size()))));
  if (mViewer) mViewer->SetFilter(text);
  return 0;
}

LRESULT PopupWindow::OnSearchDone(UINT, WPARAM, LPARAM, BOOL&) {
  FocusViewer();
  return 0;
}

void PopupWindow::ApplyPreferences() {
  mHotkey.Register(mPrefs.mHotkey);
  ApplyPowerSettings();
}

void PopupWindow::FocusSearch() {
  HWND search = mSearch.Hwnd();
  if (!search) return;
  SetFocus(search);
  // What is typed next replaces the last search.
  SendMessageW(search, EM_SETSEL, 0, -1);
}

// The hotkey toggles: a person presses it, types part of a name and presses Enter.
LRESULT PopupWindow::OnHotkey(UINT, WPARAM, LPARAM, BOOL&) {
  if (IsWindowVisible(Hwnd())) {
    ShowWindow(Hwnd(), SW_HIDE);
    return 0;
  }
  ShowBesideTaskbar();
  if (IsWindowVisible(Hwnd())) FocusSearch();
  RunStartupWorkAfterShow();
  return 0;
}

}  // namespace ui
