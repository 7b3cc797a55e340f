// The hint dialog: shows its text, stays until OK, and returns the box's state at OK.
#include <gtest/gtest.h>
#include <windows.h>

#include "res/resource.h"
#include "tests/dialogs/DialogDriver.h"
#include "tests/popup/PopupTestSupport.h"
#include "ui/window/SuppressDlg.h"

namespace {

const wchar_t kCaption[] = L"Zandor Wickerlyn";
const wchar_t kHint[] = L"The console on this machine is old and will ask for your credentials itself.";

}  // namespace

TEST(SuppressDlg, ShowsTheHintAndReturnsTheTickedBoxAtOk) {
  SuppressDlg dialog(kHint);
  std::wstring shownText;
  EXPECT_FALSE(dialog.DoNotShowAgain());
  const INT_PTR result = dialogs::RunDriven(dialog, kCaption, [&](HWND found) {
    shownText = dialogs::TextOf(GetDlgItem(found, IDC_HINT_TEXT));
    popuptest::SaveScreenshot(found, "dialogs/hint");
    dialogs::Click(found, IDC_DONT_SHOW_AGAIN);
    dialogs::Click(found, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(shownText, kHint);
  EXPECT_TRUE(dialog.DoNotShowAgain());
}

TEST(SuppressDlg, TheResultIsTheBoxAsItIsWhenOkIsPressed) {
  SuppressDlg dialog(kHint);
  const INT_PTR result = dialogs::RunDriven(dialog, kCaption, [](HWND found) {
    dialogs::Click(found, IDC_DONT_SHOW_AGAIN);  // ticked ...
    dialogs::Click(found, IDC_DONT_SHOW_AGAIN);  // ... and unticked again
    dialogs::Click(found, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_FALSE(dialog.DoNotShowAgain());
}

TEST(SuppressDlg, EscapeAndCloseDoNotAnswerTheHint) {
  SuppressDlg dialog(kHint);
  bool visibleAfterEscape = false;
  bool visibleAfterClose = false;
  const INT_PTR result = dialogs::RunDriven(dialog, kCaption, [&](HWND found) {
    dialogs::Click(found, IDC_DONT_SHOW_AGAIN);
    SendMessageW(found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    visibleAfterEscape = IsWindowVisible(found) != FALSE;
    SendMessageW(found, WM_CLOSE, 0, 0);
    visibleAfterClose = IsWindowVisible(found) != FALSE;
    dialogs::Click(found, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(visibleAfterEscape);
  EXPECT_TRUE(visibleAfterClose);
  EXPECT_TRUE(dialog.DoNotShowAgain());
}
