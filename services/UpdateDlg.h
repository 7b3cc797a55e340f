// "Update Available" (dialog 200): offers the download page; after an automatic check it
// also offers to switch automatic checks off.
#pragma once
#include <windows.h>

#include <string>

#include "services/BrowserLauncher.h"
#include "ui/window/ModalDialog.h"

class UpdateDlg : public ui::ModalDialog {
 public:
  // automatic: the check started by itself; only then is "Do not check for updates" shown.
  // checkForUpdates: the setting that box clears. downloadUrl: the page Download opens.
  UpdateDlg(bool automatic, bool& checkForUpdates, std::wstring downloadUrl,
            utils::PageOpener openPage = utils::OpenInBrowser);

  static constexpr INT_PTR kDownload = 1;
  static constexpr INT_PTR kClose = 2;

 protected:
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  ZW_END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  // Without the check box the buttons move up into its place and the dialog shrinks.
  void RemoveCheckBox();
  void ApplyCheckBox();

  bool mAutomatic;
  bool& mCheckForUpdates;
  std::wstring mDownloadUrl;
  utils::PageOpener mOpenPage;
};
