#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "test_dialog.h"
#include "ui/Messages.h"
#include "ui/ModalDialog.h"
#include "ui/UiThread.h"

namespace {

class EchoDialog : public ui::ModalDialog {
 public:
  EchoDialog() : ui::ModalDialog(IDD_TEST_DIALOG) {}
  std::wstring initialText = L"start";
  std::wstring textAtOk;
  bool sawInit = false;

 protected:
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  ZW_END_MSG_MAP()

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    sawInit = true;
    SetDlgItemTextW(Hwnd(), IDC_TEST_EDIT, initialText.c_str());
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

HWND WaitForDialog(const wchar_t* caption) {
  for (int i = 0; i < 500; ++i) {
    HWND h = FindWindowW(L"#32770", caption);
    if (h != nullptr && IsWindowVisible(h)) return h;
    Sleep(10);
  }
  return nullptr;
}

}  // namespace

TEST(ModalDialog, RunsTheTemplateAndReturnsTheEndValue) {
  EchoDialog dlg;
  std::atomic<bool> found{false};
  std::thread driver([&] {
    HWND h = WaitForDialog(L"Framework Test");
    if (h == nullptr) return;
    found = true;
    SendMessageW(GetDlgItem(h, IDC_TEST_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    SendMessageW(GetDlgItem(h, IDOK), BM_CLICK, 0, 0);
  });
  INT_PTR result = dlg.DoModal(nullptr);
  driver.join();
  ASSERT_TRUE(found);
  EXPECT_TRUE(dlg.sawInit);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dlg.textAtOk, L"typed");
  EXPECT_EQ(dlg.Hwnd(), nullptr);
}

TEST(ModalDialog, CancelEndsTheDialogWithoutAHandler) {
  EchoDialog dlg;
  std::thread driver([&] {
    HWND h = WaitForDialog(L"Framework Test");
    if (h != nullptr) SendMessageW(GetDlgItem(h, IDCANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dlg.DoModal(nullptr), IDCANCEL);
  driver.join();
  EXPECT_TRUE(dlg.textAtOk.empty());
}

TEST(ModalDialog, MissingTemplateFailsWithoutShowingAnything) {
  class Missing : public ui::ModalDialog {
   public:
    Missing() : ui::ModalDialog(12345) {}
   protected:
    ZW_BEGIN_MSG_MAP()
    ZW_END_MSG_MAP()
  } dlg;
  EXPECT_EQ(dlg.DoModal(nullptr), -1);
}

TEST(ModalDialog, PostedSlotRunsInsideTheDialogsLoop) {
  EchoDialog dlg;
  int runs = 0;
  std::thread driver([&] {
    HWND h = WaitForDialog(L"Framework Test");
    if (h == nullptr) return;
    ui::PostToWindow(h, sigc::slot<void>([&] {
      ++runs;
      dlg.EndDialog(IDCANCEL);
    }));
  });
  EXPECT_EQ(dlg.DoModal(nullptr), IDCANCEL);
  driver.join();
  EXPECT_EQ(runs, 1);
}
