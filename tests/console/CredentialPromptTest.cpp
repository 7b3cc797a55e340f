// utils::PromptForCredentials with the system's credential dialog, answered from a helper
// thread: user name edit inside the ComboBoxEx32 (101), password edit 102, OK 1, Cancel 2.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "services/ConsoleLauncher.h"
#include "services/TextConversion.h"
#include "tests/console/ConsoleTestSupport.h"

namespace {

std::string Text(const std::vector<char>& buffer) { return buffer.empty() ? std::string("<empty>") : buffer.data(); }

TEST(PromptForCredentials, AnAnswerComesBackWithoutItsDomainAndCancelLeavesEverythingAsItWas) {
  const struct {
    const char* what;
    std::wstring user, password;
    bool tickSave, cancel;
    bool result;
    std::string userOut, passwordOut;
    bool saveOut;
  } cases[] = {
      {"a domain prefix is stripped", L"CORP\\alice", L"p\u00e4ss", true, false, true, "alice", "p\xC3\xA4ss", true},
      {"name@domain is kept", L"alice@corp.example", L"pw", false, false, true, "alice@corp.example", "pw", false},
      {"cancel", L"", L"", false, true, false, "old", "kept", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::wstring shown;  // the texts of the dialog's static controls
    std::thread user([&] {
      HWND dialog = dialogs::WaitForDialog(L"Zandor Wickerlyn", 20000);
      if (!dialog) return;
      for (HWND child = nullptr; (child = FindWindowExW(dialog, child, L"Static", nullptr)) != nullptr;)
        shown += dialogs::TextOf(child) + L"\n";
      if (!c.cancel) {
        HWND combo = GetDlgItem(dialog, 101);
        HWND edit = reinterpret_cast<HWND>(SendMessageW(combo, CBEM_GETEDITCONTROL, 0, 0));
        if (!edit) edit = FindWindowExW(FindWindowExW(combo, nullptr, L"ComboBox", nullptr), nullptr, L"Edit", nullptr);
        SetWindowTextW(edit, c.user.c_str());
        SetDlgItemTextW(dialog, 102, c.password.c_str());
        for (HWND box = nullptr; c.tickSave && (box = FindWindowExW(dialog, box, L"Button", nullptr)) != nullptr;) {
          const LONG style = GetWindowLongW(box, GWL_STYLE) & BS_TYPEMASK;
          if (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX) SendMessageW(box, BM_CLICK, 0, 0);
        }
      }
      dialogs::Click(dialog, c.cancel ? IDCANCEL : IDOK);
    });
    std::vector<char> userName = {'o', 'l', 'd', '\0'};
    std::vector<char> password = {'k', 'e', 'p', 't', '\0'};
    bool save = !c.saveOut;
    if (c.cancel) save = true;
    EXPECT_EQ(utils::PromptForCredentials(nullptr, "srv01.example.com", userName, password, save), c.result);
    user.join();
    EXPECT_EQ(Text(userName), c.userOut);
    EXPECT_EQ(Text(password), c.passwordOut);
    EXPECT_EQ(password.size(), c.passwordOut.size() + 1) << "UTF-8 with its terminating zero";
    EXPECT_EQ(save, c.saveOut);
    EXPECT_NE(shown.find(L"Please enter your credentials for 'srv01.example.com'."), std::wstring::npos)
        << utils::ToUtf8String(shown);
  }
}

}  // namespace
