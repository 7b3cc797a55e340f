#include "services/UpdateDlg.h"

#include <utility>

#include "res/resource.h"
#include "ui/window/DialogLayout.h"
#include "ui/window/DialogPlacement.h"

UpdateDlg::UpdateDlg(bool automatic, bool& checkForUpdates, std::wstring downloadUrl, utils::PageOpener openPage)
    : ui::ModalDialog(IDD_UPDATE_AVAILABLE),
      mAutomatic(automatic),
      mCheckForUpdates(checkForUpdates),
      mDownloadUrl(std::move(downloadUrl)),
      mOpenPage(std::move(openPage)) {}

LRESULT UpdateDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  if (!mAutomatic) RemoveCheckBox();
  ui::CentreDialog(Hwnd(), GetWindow(Hwnd(), GW_OWNER));
  SetFocus(GetDlgItem(Hwnd(), IDC_DOWNLOAD));
  return FALSE;  // the focus is set
}

void UpdateDlg::RemoveCheckBox() {
  HWND dialog = Hwnd();
  HWND box = GetDlgItem(dialog, IDC_DONT_CHECK_UPDATES);
  HWND download = GetDlgItem(dialog, IDC_DOWNLOAD);
  if (!box || !download) return;
  const LONG distance = ui::ControlRect(dialog, download).bottom - ui::ControlRect(dialog, box).bottom;
  ShowWindow(box, SW_HIDE);
  if (distance <= 0) return;
  ui::MoveControlBy(dialog, download, -distance);
  ui::MoveControlBy(dialog, GetDlgItem(dialog, IDCANCEL), -distance);
  ui::GrowWindowBy(dialog, -distance);
}

void UpdateDlg::ApplyCheckBox() {
  HWND box = GetDlgItem(Hwnd(), IDC_DONT_CHECK_UPDATES);
  // The box's own style: the dialog itself may not be visible yet.
  const bool shown = box && (GetWindowLongW(box, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown && IsDlgButtonChecked(Hwnd(), IDC_DONT_CHECK_UPDATES) == BST_CHECKED) mCheckForUpdates = false;
}

LRESULT UpdateDlg::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  switch (LOWORD(wParam)) {
    case IDC_DOWNLOAD:
      ApplyCheckBox();
      if (mOpenPage) mOpenPage(Hwnd(), mDownloadUrl);
      EndDialog(kDownload);
      return 0;
    case IDCANCEL:  // Close, Escape and the close box
      ApplyCheckBox();
      EndDialog(kClose);
      return 0;
    default:
      handled = FALSE;
      return 0;
  }
}
