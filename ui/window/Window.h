// A small window framework: a C++ object bound to its HWND, a message map, and
// notification reflection.
//
//   class Counter : public ui::WindowImpl {
//     const wchar_t* ClassName() const override { return L"Counter"; }
//     ZW_BEGIN_MSG_MAP()
//       ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
//       ZW_REFLECT_NOTIFICATIONS()
//     ZW_END_MSG_MAP()
//     LRESULT OnPaint(UINT msg, WPARAM w, LPARAM l, BOOL& handled);
//   };
//
// A handler that clears `handled` lets the message go on down the map and finally to
// the default procedure. WM_RUN_ON_UI_THREAD (see UiThread.h) is run by the base when
// the map leaves it alone.
#pragma once
#include <windows.h>

#include <sigc++/trackable.h>

#include "ui/window/MessageMap.h"

// <windowsx.h> has a macro of this name that would break the member below.
#ifdef SubclassWindow
#undef SubclassWindow
#endif

namespace ui {

struct WindowClassInfo {
  UINT style = 0;
  HBRUSH background = nullptr;
  LPCWSTR cursor = IDC_ARROW;
  HICON icon = nullptr;
  // Name of a system class (for example L"edit") whose window procedure this class
  // takes over; default processing then goes to that procedure.
  const wchar_t* superclassOf = nullptr;
};

class WindowImpl : public sigc::trackable {
 public:
  WindowImpl() = default;
  WindowImpl(const WindowImpl&) = delete;
  WindowImpl& operator=(const WindowImpl&) = delete;
  // Destroys the window if it still exists.
  virtual ~WindowImpl();

  // Registers the class on first use and creates the window bound to this object.
  HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect,
              UINT controlId = 0);
  // Takes over an existing window (a dialog's control, say): its messages go through this
  // object's map first, and default processing to the window's own procedure. False when
  // this object has a window already or the window belongs to another object.
  bool SubclassWindow(HWND hwnd);
  // Gives a taken-over window back to its own procedure; the window stays.
  void UnsubclassWindow();
  bool IsSubclassed() const { return mSubclassed; }

  HWND Hwnd() const { return mHwnd; }
  bool IsWindow() const { return mHwnd != nullptr && ::IsWindow(mHwnd); }
  bool DestroyWindow();

  // The object bound to a window created by this framework, or null.
  static WindowImpl* FromHandle(HWND hwnd);

  // The window's mouse messages go to this tooltip as well (TTM_RELAYEVENT), in place of
  // the tooltip subclassing the window, which adds a look-up to every message.
  void RelayMouseTo(HWND tooltip) { mMouseRelay = tooltip; }

  // Sends a control's notification back to the control that caused it as
  // OCM_BASE + msg. True when a source control was found and the message sent.
  static bool ReflectNotifications(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                   LRESULT& result);

 protected:
  virtual const wchar_t* ClassName() const = 0;
  virtual WindowClassInfo GetClassInfo() const { return {}; }
  // The message map. Returns true when the message was handled; `result` is then the
  // window procedure's answer.
  virtual bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result) = 0;
  // Called after the last message (WM_NCDESTROY); the object may delete itself here.
  virtual void OnFinalMessage(HWND) {}
  // Called once SubclassWindow has taken a window over.
  virtual void OnSubclassed() {}

  // Default processing: the superclassed procedure or DefWindowProcW.
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

  // For a window drawn whole at each paint: validates it, then draws it into its DC.
  // BeginPaint would hide and show a caret such a window never has: two round trips under
  // Wine, for each row, star and header a keystroke repaints.
  template <typename Draw>
  void PaintWhole(Draw draw) {
    ValidateRect(mHwnd, nullptr);
    HDC dc = GetDC(mHwnd);
    if (dc) draw(dc);
    ReleaseDC(mHwnd, dc);
  }

 private:
  static LRESULT CALLBACK StartWindowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  WNDPROC RegisterClassOnce();

  HWND mHwnd = nullptr;
  WNDPROC mSuperProc = nullptr;
  bool mSubclassed = false;
  HWND mMouseRelay = nullptr;
};

}  // namespace ui
