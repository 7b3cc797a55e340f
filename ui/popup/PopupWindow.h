// The program's only top-level window: the popup docked beside the taskbar with its title
// band and search box, the list of servers and the add-server row, and the tray icon with
// its menu. What only the shell can do is handed in as PopupActions.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "backend/OlvarkServer.h"
#include "ui/controls/HintEdit.h"
#include "ui/popup/GlobalHotkey.h"
#include "ui/popup/ContentViewer.h"
#include "ui/popup/FavoriteWatch.h"
#include "ui/popup/LinkItem.h"
#include "ui/popup/PopupPlacement.h"
#include "ui/window/Messages.h"
#include "ui/window/Window.h"

class Prefs;
class State;

namespace ui {

struct PopupActions {
  // The automatic update check, run once with the start-up work (the shell decides if due).
  std::function<void(HWND owner)> automaticUpdateCheck;
  // The Preferences dialog; true when it ended with OK. It may try hotkeys itself, so that
  // a combination Windows refuses is told while the user can still choose another.
  std::function<bool(HWND owner, GlobalHotkey& hotkey)> showPreferences;
  // The server the user added, or null when nothing was added.
  std::function<OlvarkServerPtr(HWND owner)> addServer;
};

class PopupWindow : public WindowImpl {
 public:
  // Other instances find the running one by this name.
  static constexpr wchar_t kClassName[] = L"Zandor Wickerlyn Popup Window";
  static constexpr UINT_PTR kStartupTimer = 1;
  static constexpr UINT kStartupDelayMs = 15000;
  static constexpr UINT_PTR kClickTimer = 2;
  static constexpr UINT kTrayIconId = 0;
  // At logon the notification area may not take the icon yet: it is tried again, for a while.
  static constexpr UINT_PTR kTrayRetryTimer = 3;
  static constexpr UINT kTrayRetryMs = 2000;
  static constexpr UINT kTrayRetries = 150;  // five minutes

  // startHidden: started with Windows; the start-up work then waits for the first tray
  // click or the start-up delay, and the popup stays hidden.
  PopupWindow(bool startHidden, State& state, Prefs& prefs, PopupActions actions);
  ~PopupWindow() override;

  // Creates the window (hidden at the screen's origin), the tray icon and the children.
  HWND CreatePopup();

  void ShowBesideTaskbar();
  void ShowNearClick(POINT click);
  // Puts the settings into effect after Preferences ended with OK: the hotkey from Prefs.
  void ApplyPreferences();

  // The favorites' state marks and notices as the preferences have them now.
  void ApplyPowerSettings();
  // A notice in the notification area; a click on it shows the popup at its VM.
  void ShowPowerNotice(const PowerNotice& notice);

  // For tests.
  ContentViewer* Viewer() const { return mViewer.get(); }
  FavoriteWatch* Watch() const { return mWatch.get(); }
  HWND SearchBox() const { return mSearch.Hwnd(); }
  HWND AddServerLink() const { return mLink.Hwnd(); }
  HMENU TrayMenu() const { return mTrayMenu; }
  HICON AppIcon() const { return mAppIcon; }
  bool StartupWorkPending() const { return mStartHidden; }
  const std::wstring& TrayTip() const { return mTrayTip; }
  const PopupGeometry& Geometry() const { return mGeometry; }
  const GlobalHotkey& Hotkey() const { return mHotkey; }

 protected:
  const wchar_t* ClassName() const override;
  WindowClassInfo GetClassInfo() const override;

  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_CREATE, OnCreate)
    ZW_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    ZW_MESSAGE_HANDLER(WM_CLOSE, OnClose)
    ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
    ZW_MESSAGE_HANDLER(WM_SIZE, OnSize)
    ZW_MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
    ZW_MESSAGE_HANDLER(WM_SHOWWINDOW, OnShowWindow)
    ZW_MESSAGE_HANDLER(WM_TIMER, OnTimer)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    ZW_MESSAGE_HANDLER(WM_TRAYICON, OnTrayIcon)
    ZW_MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
    ZW_MESSAGE_HANDLER(WM_QUITAPP, OnQuitApp)
    ZW_MESSAGE_HANDLER(WM_HIDE_POPUP, OnHidePopup)
    ZW_MESSAGE_HANDLER(WM_SHOWPOPUP, OnShowPopup)
    ZW_MESSAGE_HANDLER(WM_ACTIVATEAPP, OnActivateApp)
    ZW_MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
    ZW_MESSAGE_HANDLER(WM_DWMCOMPOSITIONCHANGED, OnCompositionChanged)
    ZW_MESSAGE_HANDLER(WM_LINK_CLICKED, OnLinkClicked)
    ZW_MESSAGE_HANDLER(WM_SEARCH_CHANGED, OnSearchChanged)
    ZW_MESSAGE_HANDLER(WM_SEARCH_DONE, OnSearchDone)
    ZW_MESSAGE_HANDLER(WM_HOTKEY, OnHotkey)
    // Registered at creation; 0 (WM_NULL) until then.
    if (mTaskbarCreatedMessage != 0) {
      ZW_MESSAGE_HANDLER(mTaskbarCreatedMessage, OnTaskbarCreated)
    }
    ZW_REFLECT_NOTIFICATIONS()
  ZW_END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnShowWindow(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTrayIcon(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEndSession(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnQuitApp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnHidePopup(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnShowPopup(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnActivateApp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCompositionChanged(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLinkClicked(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSearchChanged(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSearchDone(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnHotkey(UINT, WPARAM, LPARAM, BOOL&);

  void RestoreSavedServers();
  void RunStartupWork();
  // Started hidden and the work still waits: it runs now, once.
  void RunWaitingStartupWork();
  // Started hidden and the work still waits: it runs once the show is painted.
  void RunStartupWorkAfterShow();
  void OnTrayLeftUp();
  void OnTrayKeySelect(POINT anchor);
  // Beside the taskbar when the point is on it, else near the point (an overflow area).
  void ShowAtTrayPoint(POINT point);
  // As the public ones, with the taskbar's place already asked.
  void ShowBesideTaskbar(const APPBARDATA& taskbar);
  void ShowNearClick(POINT click, const APPBARDATA& taskbar);
  void ShowTrayMenu(POINT at);
  void ConfirmExit();
  // Topmost at topLeft and shown, or only brought forward when topLeft is null.
  void ShowAt(const POINT* topLeft, bool show);
  // Sizes the popup to fit area and returns that size.
  SIZE FitTo(const RECT& area);
  // One attempt; false when the shell did not take the icon.
  bool AddTrayIcon();
  // Adds the icon, or retries on timer 3 until the shell takes it.
  void AddTrayIconOrRetry();
  void OnTrayRetryTimer();
  void SetTrayTip(const std::wstring& text);
  void FocusViewer();
  // The notice was clicked: the popup shows with its VM focused in Favorites.
  void OnNoticeClicked();
  void FocusSearch();

  bool mStartHidden;
  // Set by the destructor: only then is the window's end expected.
  bool mTearingDown = false;
  State& mState;
  Prefs& mPrefs;
  const PopupActions mActions;
  const PopupGeometry mGeometry;
  const bool mIsOldWindows;

  HMENU mTrayMenu = nullptr;
  LinkItem mLink;
  HintEdit mSearch;
  GlobalHotkey mHotkey;
  std::unique_ptr<ContentViewer> mViewer;
  std::unique_ptr<FavoriteWatch> mWatch;
  std::weak_ptr<VM> mNoticeVM;  // of the last notice shown
  HPEN mBandPen = nullptr;
  HBRUSH mBandBrush = nullptr;
  HFONT mTitleFont = nullptr;
  // At the system's small-icon size: the tray, the window and the title band. Owned.
  HICON mAppIcon = nullptr;
  int mAppIconSize = 16;
  HICON mSearchIcon = nullptr;  // shared: never destroyed
  std::wstring mTitle;
  std::wstring mTrayTip;
  UINT mTaskbarCreatedMessage = 0;
  UINT mTrayRetriesLeft = 0;
  // The shell took NOTIFYICON_VERSION_4: callbacks carry the event's point and the keyboard.
  bool mTrayVersion4 = false;
  bool mClickPending = false;
  POINT mClickPoint = {};
};

}  // namespace ui
