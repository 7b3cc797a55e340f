// The popup window under the test display: its window and children, the tray icon's
// messages, the menu commands, the search box keys and the saved servers it restores.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>

#include "res/resource.h"
#include "services/StringResource.h"
#include "state/Prefs.h"
#include "state/State.h"
#include "tests/support/ClassWindow.h"
#include "tests/support/PopupTestSupport.h"
#include "tests/support/QorLibraryEnvironment.h"
#include "tests/support/ScratchFolder.h"
#include "ui/popup/PopupWindow.h"
#include "ui/window/Messages.h"

namespace {

const auto* const kQor = ::testing::AddGlobalTestEnvironment(new QorLibraryEnvironment);

using popuptest::ChildRect;
using popuptest::MessageBoxAnswer;
using popuptest::PumpFor;
using popuptest::PumpUntil;

RECT WindowRect(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  return rect;
}

// A rectangle's edges, left, top, right, bottom, to compare whole rectangles readably.
std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

RECT Taskbar() {
  APPBARDATA data = {};
  data.cbSize = sizeof data;
  SHAppBarMessage(ABM_GETTASKBARPOS, &data);
  return data.rc;
}

// The exit code of the WM_QUIT that reaches this thread's queue within the time (-1: none
// came), as the program's loop would end; dispatches everything else.
int QuitCode(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  MSG msg;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return -1;
}

// The width of the icon's own image (0 without one).
int IconWidth(HICON icon) {
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap = {};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

ServerRecord Record(const std::string& url, const std::string& user = std::string()) {
  ServerRecord record;
  record.url = url;
  record.type = ServerRecord::TYPE_SERVER;
  record.username = user;
  return record;
}

class PopupWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mPrefs = std::make_unique<Prefs>(mData.Path());
    mPrefs->mCheckForUpdates = false;
  }
  void TearDown() override {
    mPopup.reset();
    mPrefs.reset();
    mState.reset();
  }

  ui::PopupActions Actions() {
    ui::PopupActions actions;
    actions.automaticUpdateCheck = [this](HWND owner) {
      ++mUpdateChecks;
      mUpdateOwner = owner;
    };
    actions.showPreferences = [this](HWND, ui::GlobalHotkey&) {
      ++mPreferences;
      return false;
    };
    return actions;
  }

  HWND Start(bool hidden) {
    mPopup = std::make_unique<ui::PopupWindow>(hidden, *mState, *mPrefs, Actions());
    HWND hwnd = mPopup->CreatePopup();
    PumpFor(50);
    return hwnd;
  }

  // As the shell reports to a version-4 icon: the event and the icon's id in lParam, the
  // point (the cursor's, or the icon's for a key) in wParam.
  void SendTray(UINT event, POINT at) {
    SendMessageW(mPopup->Hwnd(), WM_TRAYICON, MAKEWPARAM(at.x, at.y), MAKELPARAM(event, ui::PopupWindow::kTrayIconId));
  }
  void TrayLeftClick(POINT at) {
    for (const UINT event : {UINT{WM_LBUTTONDOWN}, UINT{WM_LBUTTONUP}, UINT{NIN_SELECT}}) SendTray(event, at);
    PumpFor(30);
  }

  testfs::ScratchFolder mData{L"popup-prefs"};
  std::unique_ptr<State> mState = std::make_unique<State>(nullptr);
  std::unique_ptr<Prefs> mPrefs;
  std::unique_ptr<ui::PopupWindow> mPopup;
  int mUpdateChecks = 0;
  HWND mUpdateOwner = nullptr;
  int mPreferences = 0;
};

TEST_F(PopupWindowTest, ShownAtStartBesideTheTaskbarWithItsBandSearchBoxListAndLink) {
  HWND popup = Start(false);
  ASSERT_TRUE(popup);
  EXPECT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(1, mUpdateChecks) << "the start-up work runs at once";
  EXPECT_EQ(popup, mUpdateOwner);
  EXPECT_FALSE(mPopup->StartupWorkPending());

  EXPECT_EQ(L"Zandor Wickerlyn", popuptest::TextOf(popup));
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(popup, GWL_STYLE));
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_BORDER), style & ~(WS_VISIBLE | WS_CLIPSIBLINGS)) << std::hex << style;
  EXPECT_TRUE(GetWindowLongPtrW(popup, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongPtrW(popup, GWL_EXSTYLE) & WS_EX_TOPMOST);

  // Every length scales with the logical DPI, truncated.
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const auto S = [dpi](int length) { return length * dpi / 96; };
  // Wine's taskbar: a one-pixel bar on the bottom edge.
  const RECT taskbar = Taskbar();
  const RECT rect = WindowRect(popup);
  // Cut to the screen above the taskbar where it is too small (200% on 1024 x 768).
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const LONG room = std::min(work.bottom, taskbar.top) - work.top;
  EXPECT_EQ(std::min<LONG>(S(320), work.right - work.left), rect.right - rect.left);
  EXPECT_EQ(std::min<LONG>(S(445), room), rect.bottom - rect.top);
  EXPECT_GE(rect.top, work.top);
  EXPECT_EQ(taskbar.right, rect.right);
  EXPECT_EQ(taskbar.top, rect.bottom);

  // The band holds the search box at its right; the list and the link share the rest.
  RECT client;
  GetClientRect(popup, &client);
  const int searchHeight = S(16) + 6, searchTop = (S(35) - searchHeight) / 2 - 1;
  EXPECT_EQ(Edges({client.right - S(8) - S(100), searchTop, client.right - S(8), searchTop + searchHeight}),
            Edges(ChildRect(mPopup->SearchBox())));
  const DWORD searchStyle = static_cast<DWORD>(GetWindowLongPtrW(mPopup->SearchBox(), GWL_STYLE));
  // Multi-line only where Windows says it is 5.1 or older (a themed run claims XP).
  OSVERSIONINFOW version = {sizeof version};
  GetVersionExW(&version);
  const bool old = version.dwMajorVersion < 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion <= 1);
  EXPECT_EQ(old, (searchStyle & ES_MULTILINE) != 0) << version.dwMajorVersion << "." << version.dwMinorVersion;
  // (The edit takes WS_BORDER off its style and draws the border itself: the screenshot shows it.)
  EXPECT_EQ(Edges({0, S(35), client.right, client.bottom - S(35)}), Edges(ChildRect(mPopup->Viewer()->Hwnd())));
  EXPECT_EQ(Edges({0, client.bottom - S(35), client.right, client.bottom}), Edges(ChildRect(mPopup->AddServerLink())));
  EXPECT_EQ(L"Add a Server...", popuptest::TextOf(mPopup->AddServerLink()));
  EXPECT_EQ(mPopup->Viewer()->Hwnd(), GetFocus()) << "the list has the focus";

  EXPECT_EQ(utils::LoadStringResource(IDS_TRAY_TIP), mPopup->TrayTip());

  // The program icon of the tray, the window and the band: the image made for the small-icon
  // size of the scaling, not the 16-pixel one stretched.
  const int small = GetSystemMetrics(SM_CXSMICON);
  EXPECT_EQ(S(16), small) << "the prefix does not scale its small icons: the check below proves nothing";
  EXPECT_EQ(small, IconWidth(mPopup->AppIcon()));
  EXPECT_EQ(mPopup->AppIcon(), reinterpret_cast<HICON>(SendMessageW(popup, WM_GETICON, ICON_SMALL, 0)));

  const std::string shot = popuptest::SaveScreenshot(popup, "popup/shown");
  EXPECT_FALSE(shot.empty());

  // Under composition the frame is thick, yet its borders do not size the popup; a change of
  // composition sets the frame to what the desktop reports (Wine: none, so a thin border).
  SetWindowLongPtrW(popup, GWL_STYLE, (GetWindowLongPtrW(popup, GWL_STYLE) & ~WS_BORDER) | WS_THICKFRAME);
  SetWindowPos(popup, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  const LONG midX = (rect.left + rect.right) / 2, midY = (rect.top + rect.bottom) / 2;
  const POINT edges[] = {{rect.left, midY}, {rect.right - 1, midY}, {midX, rect.top}, {midX, rect.bottom - 1},
                         {rect.left, rect.top}, {rect.right - 1, rect.bottom - 1}};
  for (const POINT& p : edges) {
    EXPECT_EQ(HTBORDER, SendMessageW(popup, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y))) << p.x << "," << p.y;
  }
  EXPECT_EQ(HTCLIENT, SendMessageW(popup, WM_NCHITTEST, 0, MAKELPARAM(rect.left + 50, rect.top + 20)));
  SendMessageW(popup, WM_DWMCOMPOSITIONCHANGED, 0, 0);
  const LONG_PTR frame = GetWindowLongPtrW(popup, GWL_STYLE);
  EXPECT_FALSE(frame & WS_THICKFRAME);
  EXPECT_TRUE(frame & WS_BORDER);
}

// Started hidden (with Windows), the first tray event runs the start-up work, once; a click
// or a key on the icon shows the popup docked to the taskbar, or ten pixels above an icon in
// an overflow area, wherever the cursor is by the time it is handled.
TEST_F(PopupWindowTest, StartedHiddenTheFirstTrayEventRunsTheStartupWorkAndTheIconShowsThePopupAtItsPoint) {
  HWND popup = Start(true);
  ASSERT_TRUE(popup);
  EXPECT_FALSE(IsWindowVisible(popup));
  EXPECT_EQ(0, mUpdateChecks);
  EXPECT_TRUE(mPopup->StartupWorkPending());
  const RECT taskbar = Taskbar();
  const POINT onTaskbar = {taskbar.right - 20, taskbar.top}, overflow = {taskbar.right - 30, taskbar.top - 300};
  SendTray(WM_LBUTTONUP, onTaskbar);
  EXPECT_EQ(1, mUpdateChecks) << "the first tray event starts the work";
  EXPECT_FALSE(mPopup->StartupWorkPending());
  EXPECT_FALSE(IsWindowVisible(popup)) << "a button up without a down shows nothing";
  SendMessageW(popup, WM_TIMER, ui::PopupWindow::kStartupTimer, 0);

  TrayLeftClick(onTaskbar);
  ASSERT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(taskbar.top, WindowRect(popup).bottom);
  EXPECT_EQ(1, mUpdateChecks) << "the start-up work runs once";
  SendMessageW(popup, WM_HIDE_POPUP, 0, 0);
  TrayLeftClick(overflow);
  ASSERT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(overflow.y - 10, WindowRect(popup).bottom);
  EXPECT_EQ(taskbar.right, WindowRect(popup).right);

  // Enter or Space on the icon (at the icon's point) may be reported twice: it shows, it does
  // not toggle, and the keyboard goes on in the list.
  SendMessageW(popup, WM_HIDE_POPUP, 0, 0);
  SendTray(NIN_KEYSELECT, onTaskbar);
  SendTray(NIN_KEYSELECT, onTaskbar);
  PumpFor(30);
  ASSERT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(taskbar.top, WindowRect(popup).bottom);
  EXPECT_EQ(mPopup->Viewer()->Hwnd(), GetFocus());
  SendMessageW(popup, WM_HIDE_POPUP, 0, 0);
  SendTray(NIN_KEYSELECT, overflow);
  ASSERT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(overflow.y - 10, WindowRect(popup).bottom);

  // The menu's commands and the messages of the session; Exit asks first. (A second instance's
  // WM_SHOWPOPUP and /kill's WM_QUITAPP: ShellProcess.SecondInstanceShowsTheWaitingPopup...)
  SendMessageW(popup, WM_HIDE_POPUP, 0, 0);
  SendMessageW(popup, WM_COMMAND, IDM_PREFERENCES, 0);
  EXPECT_EQ(1, mPreferences);
  EXPECT_FALSE(IsWindowVisible(popup));
  SendMessageW(popup, WM_COMMAND, IDM_SHOW, 0);
  EXPECT_TRUE(IsWindowVisible(popup));
  SendMessageW(popup, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(IsWindowVisible(popup)) << "hidden when it loses the activation";
  // The end of the session saves the prefs, unless only this program is asked to close.
  const std::wstring file = mData / L"prefs.txt";
  DeleteFileW(file.c_str());
  SendMessageW(popup, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP);
  EXPECT_FALSE(testfs::FileExists(file));
  SendMessageW(popup, WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(testfs::FileExists(file));

  for (const bool yes : {false, true}) {
    MessageBoxAnswer answer(yes);
    PostMessageW(popup, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(yes ? 0 : -1, QuitCode(yes ? 10000 : 1500)) << "answered " << (yes ? "Yes" : "No");
    EXPECT_EQ(utils::LoadStringResource(IDS_CONFIRM_EXIT), answer.Text());
  }

  // Without a tray event, the start-up delay runs the work and the popup stays hidden.
  mPopup.reset();
  popup = Start(true);
  SendMessageW(popup, WM_TIMER, ui::PopupWindow::kStartupTimer, 0);
  EXPECT_EQ(2, mUpdateChecks);
  EXPECT_FALSE(IsWindowVisible(popup));
}

// Counts the openings of the menus a window owns, and where the last one showed, closing each
// as soon as its loop waits for the user; the first is saved as a screenshot.
class MenuWatch {
 public:
  explicit MenuWatch(HWND owner) : mOwner(owner) {
    sWatch = this;
    mHook = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
  }
  ~MenuWatch() {
    if (mHook) UnhookWindowsHookEx(mHook);
    sWatch = nullptr;
  }
  bool Hooked() const { return mHook != nullptr; }
  int Opened() const { return mOpened; }
  const RECT& Last() const { return mLast; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sWatch && sent->hwnd == sWatch->mOwner && sent->message == WM_ENTERIDLE &&
        sent->wParam == MSGF_MENU) {
      ++sWatch->mOpened;
      HWND menu = reinterpret_cast<HWND>(sent->lParam);
      GetWindowRect(menu, &sWatch->mLast);
      // The first menu as a person sees it, for the screenshot sets.
      if (sWatch->mOpened == 1) popuptest::SaveScreenshot(menu, "popup/tray-menu");
      EndMenu();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static MenuWatch* sWatch;
  HWND mOwner;
  HHOOK mHook = nullptr;
  int mOpened = 0;
  RECT mLast = {};
};
MenuWatch* MenuWatch::sWatch = nullptr;

TEST_F(PopupWindowTest, TheTrayMenuOpensOnceForARightClickAndForTheMenuKeyAtTheirPoints) {
  HWND popup = Start(true);
  ASSERT_TRUE(mPopup->TrayMenu());
  EXPECT_EQ(static_cast<UINT>(IDM_SHOW), GetMenuDefaultItem(mPopup->TrayMenu(), FALSE, 0));

  MenuWatch menus(popup);
  ASSERT_TRUE(menus.Hooked());
  // A right click: both buttons, then WM_CONTEXTMENU; the menu's corner at the click.
  const POINT click = {600, 500};
  for (const UINT event : {UINT{WM_RBUTTONDOWN}, UINT{WM_RBUTTONUP}, UINT{WM_CONTEXTMENU}}) SendTray(event, click);
  EXPECT_EQ(1, menus.Opened()) << "a right click is one menu";
  EXPECT_EQ(click.x, menus.Last().right);
  EXPECT_EQ(click.y, menus.Last().bottom);
  // Shift+F10 or the menu key on the icon: no button at all, the icon's point.
  const POINT icon = {620, 560};
  SendTray(WM_CONTEXTMENU, icon);
  EXPECT_EQ(2, menus.Opened());
  EXPECT_EQ(icon.x, menus.Last().right);
  EXPECT_EQ(icon.y, menus.Last().bottom);
}

// A notification area that is not ready: the shell finds its window by this class and hands
// it the icon, which it refuses. Gone at the end of its scope, and the real one answers again.
LRESULT CALLBACK RefusingNotificationArea(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == WM_COPYDATA ? FALSE : DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Whether the notification area holds the popup's icon (only an existing icon can be modified).
bool TrayIconShown(HWND popup) {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = popup;
  data.uID = ui::PopupWindow::kTrayIconId;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

TEST_F(PopupWindowTest, TheTrayIconIsAddedOnceTheShellTakesItAndAgainAfterTheShellRestarts) {
  HWND popup;
  {
    ClassWindow unready(L"Shell_TrayWnd", RefusingNotificationArea);
    ASSERT_EQ(unready.Hwnd(), FindWindowW(L"Shell_TrayWnd", nullptr));
    popup = Start(true);  // started with Windows, before the shell is up
    ASSERT_TRUE(popup);
  }
  EXPECT_FALSE(TrayIconShown(popup));
  SendMessageW(popup, WM_TIMER, ui::PopupWindow::kTrayRetryTimer, 0);
  EXPECT_TRUE(TrayIconShown(popup)) << "not retried";
  EXPECT_EQ(utils::LoadStringResource(IDS_TRAY_TIP), mPopup->TrayTip());

  // A restarted shell has lost every icon and announces itself.
  NOTIFYICONDATAW lost = {};
  lost.cbSize = sizeof lost;
  lost.hWnd = popup;
  lost.uID = ui::PopupWindow::kTrayIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &lost));
  ASSERT_FALSE(TrayIconShown(popup));
  SendMessageW(popup, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(TrayIconShown(popup)) << "not re-added";
}

}  // namespace

// Saved servers get sections (the records themselves: PrefsRoundTrip). A notice of a favorite's
// change shows at the tray icon; its click shows the popup with that favorite focused, even
// when a search had hidden it.
TEST_F(PopupWindowTest, SavedServersGetSectionsAndANoticeClickShowsThePopupAtItsFavorite) {
  ServerRecord withFavorites = Record("https://srv-b.example:8443", "alice");
  withFavorites.favorites.push_back({"vm-3", "web-frontend-03", "[ds1] web-frontend-03/web-frontend-03.vmx"});
  withFavorites.favorites.push_back({"vm-4", "db-main", "[ds1] db-main/db-main.vmx"});
  mPrefs->mServers = {withFavorites, Record("srv-b.example"), Record("http://srv-a.example")};
  HWND popup = Start(true);  // hidden: nobody logs in
  const auto servers = mState->GetServers();
  ASSERT_EQ(2u, servers.size()) << "one server per host";
  // In record order after Favorites and Recently Used.
  std::vector<const VMCollection*> sectionServers;
  for (const auto& section : mPopup->Viewer()->Sections()) {
    const VMCollection* collection = section->header->GetCollection().get();
    if (collection == servers[0].get() || collection == servers[1].get()) sectionServers.push_back(collection);
  }
  EXPECT_EQ((std::vector<const VMCollection*>{servers[1].get(), servers[0].get()}), sectionServers);

  // What Preferences leaves: notices only with the marks.
  const struct {
    bool marks, notices, opening, notifying;
  } settings[] = {{false, true, false, false}, {true, false, true, false}, {true, true, true, true}};
  for (const auto& s : settings) {
    mPrefs->mShowStateMarks = s.marks;
    mPrefs->mNotifyStateChanges = s.notices;
    mPopup->ApplyPreferences();
    EXPECT_EQ(s.opening, mPopup->Watch()->IsOpening());
    EXPECT_EQ(s.notifying, mPopup->Watch()->IsNotifying()) << "marks " << s.marks << ", notices " << s.notices;
  }
  SetWindowTextW(mPopup->SearchBox(), L"db");
  PumpFor(50);
  const VMList favorites = mState->GetFavoriteVMs();
  ASSERT_EQ(2u, favorites.size());
  const VMPtr vm = favorites[1];
  ASSERT_EQ("web-frontend-03", vm->GetName());

  ui::PowerNotice notice;
  notice.title = L"web-frontend-03: Powered off";
  notice.text = L"On server srv-b.example. Click to show it.";
  notice.vm = vm;
  mPopup->ShowPowerNotice(notice);
  // The shell shows it as a balloon of its own (a tooltip window of another process).
  HWND balloon = nullptr;
  PumpUntil([&] {
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, TOOLTIPS_CLASSW, nullptr)) != nullptr;) {
      DWORD process = 0;
      GetWindowThreadProcessId(h, &process);
      if (process != GetCurrentProcessId() && IsWindowVisible(h)) balloon = h;
    }
    return balloon != nullptr;
  }, 5000);
  EXPECT_TRUE(balloon) << "no balloon showed";
  if (balloon) popuptest::SaveScreenshot(GetDesktopWindow(), "popup/notice");
  EXPECT_FALSE(IsWindowVisible(popup));

  // What the shell reports for a click on it (Wine's balloon does not report clicks).
  SendTray(NIN_BALLOONUSERCLICK, POINT{});
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(popup) != FALSE; }, 5000));
  EXPECT_EQ(0, GetWindowTextLengthW(mPopup->SearchBox())) << "the search that hid it is emptied";
  EXPECT_EQ(vm.get(), mPopup->Viewer()->FocusVM());
  EXPECT_EQ(mPopup->Viewer()->Sections()[0]->header.get(), mPopup->Viewer()->FocusHeader());
}

// The hotkey (taken at start and as Preferences leave it: ShellProcess.PlainStart...), pressed,
// shows the hidden popup (running the waiting start-up work) with the search box ready for
// typing, where Escape empties the search and the list's filter with it (the box's own keys:
// HintEdit); pressed again it hides the popup.
TEST_F(PopupWindowTest, TheHotkeyTogglesThePopupWithTheFocusInTheSearchBox) {
  mPrefs->mHotkey = MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT);
  HWND popup = Start(true);
  HWND search = mPopup->SearchBox();
  SetWindowTextW(search, L"old");
  EXPECT_TRUE(PumpUntil([&] { return mPopup->Viewer()->SearchText() == L"old"; }, 2000)) << "typing filters the list";

  SendMessageW(popup, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F9));
  ASSERT_TRUE(IsWindowVisible(popup));
  PumpFor(30);  // after the show's paint
  EXPECT_EQ(1, mUpdateChecks) << "the waiting start-up work runs, as for a tray click";
  EXPECT_EQ(Taskbar().top, WindowRect(popup).bottom);
  EXPECT_EQ(search, GetFocus());
  DWORD start = 1, end = 0;
  SendMessageW(search, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(0u, start);
  EXPECT_EQ(3u, end) << "what is typed replaces the last search";
  SendMessageW(search, WM_CHAR, VK_ESCAPE, 0);
  PumpFor(100);
  EXPECT_EQ(L"", popuptest::TextOf(search));
  EXPECT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(L"", mPopup->Viewer()->SearchText());
  SendMessageW(popup, WM_HOTKEY, 1, 0);
  EXPECT_FALSE(IsWindowVisible(popup));
  SendMessageW(popup, WM_HOTKEY, 1, 0);
  EXPECT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(1, mUpdateChecks);
}
