// The modal dialog base: a template run modally, its end value, and slots posted meanwhile.
#include <gtest/gtest.h>

#include "test_dialog.h"
#include "tests/support/DialogDriver.h"
#include "ui/window/ModalDialog.h"
#include "ui/window/UiThread.h"

namespace {

class EchoDialog : public ui::ModalDialog {
 public:
  EchoDialog() : ui::ModalDialog(IDD_TEST_DIALOG) {}
  std::wstring textAtOk;
  bool sawInit = false;

 protected:
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  ZW_END_MSG_MAP()

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    sawInit = true;
    return TRUE;
  }
  LRESULT OnCommand(UINT, WPARAM w, LPARAM, BOOL& handled) {
    if (LOWORD(w) != IDOK) {
      handled = FALSE;  // Cancel falls through to the base's default
      return 0;
    }
    wchar_t text[64] = {};
    GetDlgItemTextW(Hwnd(), IDC_TEST_EDIT, text, 64);
    textAtOk = text;
    EndDialog(IDOK);
    return 0;
  }
};

const wchar_t kCaption[] = L"Framework Test";

}  // namespace

// A slot posted meanwhile runs inside the dialog's loop.
TEST(ModalDialog, RunsTheTemplateAndItsPostedSlotsAndReturnsTheButtonThatEndedIt) {
  for (int button : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(button == IDOK ? "OK" : "Cancel, which has no handler");
    EchoDialog dlg;
    const INT_PTR result = dialogs::RunDriven(dlg, kCaption, [&](HWND h) {
      SendMessageW(GetDlgItem(h, IDC_TEST_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
      dialogs::Click(h, button);
    });
    EXPECT_TRUE(dlg.sawInit);
    EXPECT_EQ(result, button);
    EXPECT_EQ(dlg.textAtOk, button == IDOK ? L"typed" : L"");
    EXPECT_EQ(dlg.Hwnd(), nullptr);
  }
  EchoDialog dlg;
  int runs = 0;
  EXPECT_EQ(dialogs::RunDriven(dlg, kCaption, [&](HWND h) {
              ui::PostToWindow(h, sigc::slot<void>([&] {
                ++runs;
                dlg.EndDialog(IDCANCEL);
              }));
            }),
            IDCANCEL);
  EXPECT_EQ(runs, 1);

  class Missing : public ui::ModalDialog {
   public:
    Missing() : ui::ModalDialog(12345) {}
   protected:
    ZW_BEGIN_MSG_MAP()
    ZW_END_MSG_MAP()
  } missing;
  EXPECT_EQ(missing.DoModal(nullptr), -1) << "a missing template fails without showing anything";
}
