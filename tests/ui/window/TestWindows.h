// Small windows built on the framework, shared by its tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui/window/Window.h"

namespace testwin {

// A top-level window with a map of its own that counts its final messages.
class Recorder : public ui::WindowImpl {
 public:
  int finalMessages = 0;
  bool reflect = true;

  HWND CreateTopLevel() {
    RECT rc = {0, 0, 200, 100};
    return Create(nullptr, L"recorder", WS_OVERLAPPEDWINDOW, 0, rc);
  }

 protected:
  const wchar_t* ClassName() const override { return L"ZwTest Recorder"; }
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_APP + 50, OnCustom)
    if (reflect) {
      ZW_REFLECT_NOTIFICATIONS()
    }
  ZW_END_MSG_MAP()

  LRESULT OnCustom(UINT, WPARAM w, LPARAM, BOOL&) {
    return static_cast<LRESULT>(w * 2);
  }
  void OnFinalMessage(HWND) override { ++finalMessages; }
};

// A superclass of the system edit control that records reflected notifications.
class ReflectedEdit : public ui::WindowImpl {
 public:
  std::vector<WORD> reflectedCodes;

 protected:
  const wchar_t* ClassName() const override { return L"ZwTest Reflected Edit"; }
  ui::WindowClassInfo GetClassInfo() const override {
    ui::WindowClassInfo info;
    info.superclassOf = L"edit";
    return info;
  }
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(0x2000 + WM_COMMAND, OnReflectedCommand)
  ZW_END_MSG_MAP()

  LRESULT OnReflectedCommand(UINT, WPARAM w, LPARAM, BOOL& handled) {
    reflectedCodes.push_back(HIWORD(w));
    handled = FALSE;
    return 0;
  }
};

}  // namespace testwin
