#include "ui/window/Window.h"

#include <commctrl.h>

#include <map>
#include <string>

#include "ui/window/Messages.h"
#include "ui/window/Module.h"
#include "ui/window/UiThread.h"

namespace ui {
namespace {

const wchar_t kWindowObjectProp[] = L"ZandorWickerlyn.WindowImpl";
constexpr UINT_PTR kSubclassId = 1;

// The object whose window is being created on this thread; bound at its first message.
thread_local WindowImpl* tCreating = nullptr;

// A border, caption, menu or scroll bar: something drawn outside the client area.
bool HasFrame(HWND hwnd) {
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  return window.right - window.left != client.right || window.bottom - window.top != client.bottom;
}

// Registered classes (UI thread only): name -> procedure of the superclassed class.
std::map<std::wstring, WNDPROC>& RegisteredClasses() {
  static std::map<std::wstring, WNDPROC> classes;
  return classes;
}

HWND SourceControl(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lParam);  // 0 for menus and accelerators
    case WM_NOTIFY:
      return lParam ? reinterpret_cast<NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_PARENTNOTIFY:
      switch (LOWORD(wParam)) {
        case WM_CREATE:
        case WM_DESTROY:
          return reinterpret_cast<HWND>(lParam);
        default:
          return GetDlgItem(hwnd, HIWORD(wParam));
      }
    case WM_DRAWITEM:
      return wParam ? reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_MEASUREITEM:
      return wParam ? GetDlgItem(hwnd, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID)
                    : nullptr;
    case WM_COMPAREITEM:
      return wParam ? reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_DELETEITEM:
      return wParam ? reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<HWND>(lParam);
    default:
      return nullptr;
  }
}

}  // namespace

WindowImpl::~WindowImpl() {
  if (mSubclassed) {
    UnsubclassWindow();  // the window is someone else's
  } else if (mHwnd != nullptr && ::IsWindow(mHwnd)) {
    // The derived object is gone already: the window's last messages (WM_DESTROY and on)
    // go to its default procedure, not to a message map that no longer exists.
    const HWND hwnd = mHwnd;
    DiscardPostedSlots(hwnd);
    RemovePropW(hwnd, kWindowObjectProp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(mSuperProc != nullptr ? mSuperProc : DefWindowProcW));
    mHwnd = nullptr;
    ::DestroyWindow(hwnd);
  }
}

WNDPROC WindowImpl::RegisterClassOnce() {
  auto& classes = RegisteredClasses();
  const wchar_t* name = ClassName();
  auto it = classes.find(name);
  if (it != classes.end()) return it->second;

  WindowClassInfo info = GetClassInfo();
  WNDCLASSEXW wc = {sizeof(wc)};
  WNDPROC superProc = nullptr;
  if (info.superclassOf != nullptr) {
    WNDCLASSEXW base = {sizeof(base)};
    if (!GetClassInfoExW(nullptr, info.superclassOf, &base)) return nullptr;
    superProc = base.lpfnWndProc;
    wc = base;
    wc.cbSize = sizeof(wc);
  } else {
    wc.style = info.style;
    wc.hbrBackground = info.background;
    wc.hCursor = LoadCursorW(nullptr, info.cursor);
    wc.hIcon = info.icon;
  }
  wc.lpfnWndProc = StartWindowProc;
  wc.hInstance = Module::Instance();
  wc.lpszClassName = name;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  classes[name] = superProc;
  return superProc;
}

HWND WindowImpl::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                        const RECT& rect, UINT controlId) {
  if (mHwnd != nullptr) return nullptr;
  const bool known = RegisteredClasses().count(ClassName()) != 0;
  WNDPROC superProc = RegisterClassOnce();
  if (!known && RegisteredClasses().count(ClassName()) == 0) return nullptr;
  mSuperProc = superProc;
  tCreating = this;
  HWND hwnd = CreateWindowExW(exStyle, ClassName(), title, style, rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                              Module::Instance(), nullptr);
  tCreating = nullptr;
  if (hwnd == nullptr) mHwnd = nullptr;
  return hwnd;
}

bool WindowImpl::SubclassWindow(HWND hwnd) {
  if (mHwnd != nullptr || hwnd == nullptr || !::IsWindow(hwnd) || FromHandle(hwnd) != nullptr) return false;
  if (!SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
  mHwnd = hwnd;
  mSubclassed = true;
  SetPropW(hwnd, kWindowObjectProp, this);
  OnSubclassed();
  return true;
}

void WindowImpl::UnsubclassWindow() {
  if (!mSubclassed) return;
  // Slots posted to this object would reach a procedure that does not know them.
  DiscardPostedSlots(mHwnd);
  RemovePropW(mHwnd, kWindowObjectProp);
  RemoveWindowSubclass(mHwnd, SubclassProc, kSubclassId);
  mSubclassed = false;
  mMouseRelay = nullptr;
  mHwnd = nullptr;
}

bool WindowImpl::DestroyWindow() {
  return mHwnd != nullptr && ::DestroyWindow(mHwnd) != FALSE;
}

WindowImpl* WindowImpl::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<WindowImpl*>(GetPropW(hwnd, kWindowObjectProp)) : nullptr;
}

LRESULT WindowImpl::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (mSubclassed) return DefSubclassProc(mHwnd, msg, wParam, lParam);
  if (mSuperProc != nullptr) return CallWindowProcW(mSuperProc, mHwnd, msg, wParam, lParam);
  return DefWindowProcW(mHwnd, msg, wParam, lParam);
}

LRESULT CALLBACK WindowImpl::StartWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowImpl* self = tCreating;
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  tCreating = nullptr;
  self->mHwnd = hwnd;
  // The property lets FromHandle know any window; the user data is what every message reads,
  // without a round trip to the window server.
  SetPropW(hwnd, kWindowObjectProp, self);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
  return self->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK WindowImpl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<WindowImpl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK WindowImpl::SubclassProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR object) {
  return reinterpret_cast<WindowImpl*>(object)->Dispatch(msg, wParam, lParam);
}

LRESULT WindowImpl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = mHwnd;
  if (mMouseRelay != nullptr && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    MSG relayed = {hwnd, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    SendMessageW(mMouseRelay, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  LRESULT result = 0;
  bool handled = ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
  if (!handled) {
    if (msg == WM_NCPAINT && !HasFrame(hwnd)) {
      // Nothing lies outside the client area, yet the default handling takes and releases
      // a window DC for it: a round trip each, under Wine, on every first paint after a show.
      result = 0;
    } else if (msg == WM_RUN_ON_UI_THREAD) {
      RunPostedSlot(wParam);
      result = 0;
    } else {
      result = DefaultProc(msg, wParam, lParam);
    }
  }
  if (msg == WM_NCDESTROY) {
    DiscardPostedSlots(hwnd);
    RemovePropW(hwnd, kWindowObjectProp);
    if (mSubclassed) {
      RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
      mSubclassed = false;
    } else {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    mMouseRelay = nullptr;  // the tooltip goes with the window; a later one gets its own
    if (mSuperProc != nullptr) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mSuperProc));
    }
    mHwnd = nullptr;
    OnFinalMessage(hwnd);  // last: the object may be gone afterwards
  }
  return result;
}

bool WindowImpl::ReflectNotifications(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
  HWND control = SourceControl(hwnd, msg, wParam, lParam);
  if (control == nullptr || control == hwnd || !::IsWindow(control)) return false;
  result = SendMessageW(control, OCM_BASE + msg, wParam, lParam);
  return true;
}

}  // namespace ui
