// A modal dialog over a dialog template resource, with the same message map as
// WindowImpl (ZW_BEGIN_MSG_MAP ... ZW_END_MSG_MAP).
//
// A handled message's result goes to the dialog manager as DWLP_MSGRESULT, except for
// the messages whose answer is the procedure's return value (WM_INITDIALOG, the
// WM_CTLCOLOR family and a few others). OK and Cancel end the dialog with their id
// unless the map handles them.
#pragma once
#include <windows.h>

#include <sigc++/trackable.h>

#include "ui/window/MessageMap.h"

namespace ui {

class ModalDialog : public sigc::trackable {
 public:
  explicit ModalDialog(int templateId) : mTemplateId(templateId) {}
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;
  virtual ~ModalDialog() = default;

  // Runs the dialog; returns the value given to EndDialog, or -1 when it could not be shown.
  INT_PTR DoModal(HWND parent);
  HWND Hwnd() const { return mHwnd; }
  int TemplateId() const { return mTemplateId; }
  bool EndDialog(INT_PTR result);

 protected:
  virtual bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result) = 0;

 private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);

  int mTemplateId;
  HWND mHwnd = nullptr;
};

}  // namespace ui
