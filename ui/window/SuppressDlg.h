// A modal hint with an OK button and the box "&Do not show this hint again" (dialog 210).
// It stays open until OK; the caller then reads DoNotShowAgain().
#pragma once
#include <windows.h>

#include <string>

#include "ui/window/ModalDialog.h"

class SuppressDlg : public ui::ModalDialog {
 public:
  explicit SuppressDlg(std::wstring hint);

  // The box's state when OK was pressed (false until then).
  bool DoNotShowAgain() const { return mDoNotShowAgain; }

 protected:
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  ZW_END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

  std::wstring mHint;
  bool mDoNotShowAgain = false;
};
