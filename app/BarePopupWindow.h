// The popup's window until the full popup interface lands: the popup's class, so that other
// instances find it, and the two messages they send it.
#pragma once

#include "ui/Window.h"

namespace shell {

class BarePopupWindow : public ui::WindowImpl {
 public:
  explicit BarePopupWindow(bool startedWithWindows) : mStartedWithWindows(startedWithWindows) {}

  bool StartedWithWindows() const { return mStartedWithWindows; }

 protected:
  const wchar_t* ClassName() const override;
  ui::WindowClassInfo GetClassInfo() const override;
  bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                            LRESULT& result) override;

 private:
  void ShowDocked();
  void RunStartupWorkOnce();

  bool mStartedWithWindows;
  bool mStartupWorkDone = false;
};

}  // namespace shell
