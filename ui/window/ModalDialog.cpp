#include "ui/window/ModalDialog.h"

#include "ui/window/Messages.h"
#include "ui/window/Module.h"
#include "ui/window/UiThread.h"

namespace ui {
namespace {

const wchar_t kDialogObjectProp[] = L"ZandorWickerlyn.ModalDialog";

// Messages whose answer is the dialog procedure's own return value.
bool ReturnsDirectly(UINT msg) {
  switch (msg) {
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
    case WM_COMPAREITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

}  // namespace

INT_PTR ModalDialog::DoModal(HWND parent) {
  return DialogBoxParamW(Module::Instance(), MAKEINTRESOURCEW(mTemplateId), parent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

bool ModalDialog::EndDialog(INT_PTR result) {
  return mHwnd != nullptr && ::EndDialog(mHwnd, result) != FALSE;
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ModalDialog* self;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<ModalDialog*>(lParam);
    self->mHwnd = hwnd;
    SetPropW(hwnd, kDialogObjectProp, self);
  } else {
    self = static_cast<ModalDialog*>(GetPropW(hwnd, kDialogObjectProp));
  }
  if (self == nullptr) return FALSE;

  LRESULT result = 0;
  bool handled = self->ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
  if (msg == WM_NCDESTROY) {
    DiscardPostedSlots(hwnd);
    RemovePropW(hwnd, kDialogObjectProp);
    self->mHwnd = nullptr;
  }
  if (!handled) {
    if (msg == WM_INITDIALOG) return TRUE;  // default focus
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
      ::EndDialog(hwnd, LOWORD(wParam));
      return TRUE;
    }
    if (msg == WM_RUN_ON_UI_THREAD) {
      RunPostedSlot(wParam);
      return TRUE;
    }
    return FALSE;
  }
  if (ReturnsDirectly(msg)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace ui
