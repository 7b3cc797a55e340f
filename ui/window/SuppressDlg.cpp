#include "ui/window/SuppressDlg.h"

#include <utility>

#include "res/resource.h"
#include "ui/window/DialogPlacement.h"

SuppressDlg::SuppressDlg(std::wstring hint) : ui::ModalDialog(IDD_HINT), mHint(std::move(hint)) {}

LRESULT SuppressDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  SetDlgItemTextW(Hwnd(), IDC_HINT_TEXT, mHint.c_str());
  ui::PlaceDialog(Hwnd());
  return TRUE;  // default focus: OK
}

LRESULT SuppressDlg::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  switch (LOWORD(wParam)) {
    case IDOK:
      mDoNotShowAgain = IsDlgButtonChecked(Hwnd(), IDC_DONT_SHOW_AGAIN) == BST_CHECKED;
      EndDialog(IDOK);
      return 0;
    case IDCANCEL:
      return 0;  // Escape does not close the hint: only OK answers it
    default:
      handled = FALSE;
      return 0;
  }
}
