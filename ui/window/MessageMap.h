// Message-map macros for WindowImpl and ModalDialog: they define the class's
// ProcessWindowMessage. A handler has the form
//   LRESULT OnSomething(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
// and clears `handled` to let the message go on.
#pragma once

#define ZW_BEGIN_MSG_MAP()                                                                  \
  bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,             \
                            LRESULT& lResult) override {                                    \
    BOOL bHandled = TRUE;                                                                   \
    (void)hWnd;                                                                             \
    (void)bHandled;

#define ZW_MESSAGE_HANDLER(msg, handler)                                                    \
  if (uMsg == (msg)) {                                                                      \
    bHandled = TRUE;                                                                        \
    lResult = handler(uMsg, wParam, lParam, bHandled);                                      \
    if (bHandled) return true;                                                              \
  }

#define ZW_MESSAGE_RANGE_HANDLER(first, last, handler)                                      \
  if (uMsg >= (first) && uMsg <= (last)) {                                                  \
    bHandled = TRUE;                                                                        \
    lResult = handler(uMsg, wParam, lParam, bHandled);                                      \
    if (bHandled) return true;                                                              \
  }

#define ZW_CHAIN_MSG_MAP(Base)                                                              \
  if (Base::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) return true;

#define ZW_REFLECT_NOTIFICATIONS()                                                          \
  if (::ui::WindowImpl::ReflectNotifications(hWnd, uMsg, wParam, lParam, lResult)) return true;

#define ZW_END_MSG_MAP()                                                                    \
  return false;                                                                             \
  }
