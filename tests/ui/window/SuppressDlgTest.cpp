// The hint dialog: shows its text, stays until OK (Escape and Close do not answer it), and
// returns the box's state at OK.
#include <gtest/gtest.h>
#include <windows.h>

#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/PopupTestSupport.h"
#include "ui/window/SuppressDlg.h"

TEST(SuppressDlg, ShowsTheHintUntilOkAndReturnsTheBoxAsItIsThen) {
  const wchar_t kHint[] = L"The console on this machine is old and will ask for your credentials itself.";
  for (int clicks : {1, 2}) {
    SCOPED_TRACE(clicks == 1 ? "ticked" : "ticked and unticked again");
    SuppressDlg dialog(kHint);
    EXPECT_FALSE(dialog.DoNotShowAgain());
    std::wstring shownText;
    bool visibleAfterEscape = false, visibleAfterClose = false;
    const INT_PTR result = dialogs::RunDriven(dialog, L"Zandor Wickerlyn", [&](HWND found) {
      shownText = dialogs::TextOf(GetDlgItem(found, IDC_HINT_TEXT));
      if (clicks == 1) popuptest::SaveScreenshot(found, "dialogs/hint");
      for (int i = 0; i < clicks; ++i) dialogs::Click(found, IDC_DONT_SHOW_AGAIN);
      SendMessageW(found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      visibleAfterEscape = IsWindowVisible(found) != FALSE;
      SendMessageW(found, WM_CLOSE, 0, 0);
      visibleAfterClose = IsWindowVisible(found) != FALSE;
      dialogs::Click(found, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shownText, kHint);
    EXPECT_TRUE(visibleAfterEscape);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_EQ(dialog.DoNotShowAgain(), clicks == 1);
  }
}
