// utils::PromptForCredentials with the system's credential dialog, answered from a helper
// thread: user name edit inside the ComboBoxEx32 (101), password edit 102, OK 1, Cancel 2.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "services/ConsoleLauncher.h"
#include "tests/console/ConsoleTestSupport.h"

namespace {

const wchar_t kCaption[] = L"Zandor Wickerlyn";

HWND UserNameEdit(HWND dialog) {
  HWND combo = GetDlgItem(dialog, 101);
  HWND edit = reinterpret_cast<HWND>(SendMessageW(combo, CBEM_GETEDITCONTROL, 0, 0));
  return edit ? edit : FindWindowExW(FindWindowExW(combo, nullptr, L"ComboBox", nullptr), nullptr, L"Edit", nullptr);
}

BOOL CALLBACK FindCheckBox(HWND child, LPARAM found) {
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  LONG style = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
  if (_wcsicmp(className, L"Button") == 0 && (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX)) {
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
  }
  return TRUE;
}

struct Answer {
  std::wstring user;
  std::wstring password;
  bool tickSave = false;
  bool cancel = false;
  std::wstring message;  // what the dialog showed
};

void AnswerPrompt(Answer* answer) {
  HWND dialog = consoletest::WaitForDialog(kCaption, consoletest::ThisProcess());
  if (!dialog) return;
  Sleep(100);
  std::vector<HWND> statics;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM all) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") == 0) {
          wchar_t text[256] = {};
          GetWindowTextW(child, text, 256);
          reinterpret_cast<std::wstring*>(all)->append(text).append(L"\n");
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&answer->message));
  if (answer->cancel) {
    consoletest::Click(dialog, IDCANCEL);
    return;
  }
  consoletest::SetControlText(UserNameEdit(dialog), answer->user);
  consoletest::SetControlText(GetDlgItem(dialog, 102), answer->password);
  if (answer->tickSave) {
    HWND box = nullptr;
    EnumChildWindows(dialog, FindCheckBox, reinterpret_cast<LPARAM>(&box));
    if (box) SendMessageW(box, BM_CLICK, 0, 0);
  }
  consoletest::Click(dialog, IDOK);
}

bool Prompt(Answer& answer, std::vector<char>& user, std::vector<char>& password, bool& save) {
  std::thread driver(AnswerPrompt, &answer);
  bool result = utils::PromptForCredentials(nullptr, "srv01.example.com", user, password, save);
  driver.join();
  return result;
}

std::string Text(const std::vector<char>& buffer) { return buffer.empty() ? std::string("<empty>") : buffer.data(); }

}  // namespace

TEST(PromptForCredentials, DomainPrefixIsStrippedAndTheSaveBoxIsReported) {
  Answer answer{L"CORP\\alice", L"p\u00e4ss", true};
  std::vector<char> user, password;
  bool save = false;
  ASSERT_TRUE(Prompt(answer, user, password, save));
  EXPECT_EQ(Text(user), "alice");
  EXPECT_EQ(Text(password), "p\xC3\xA4ss");
  EXPECT_EQ(password.size(), 6u) << "UTF-8 with its terminating zero";
  EXPECT_TRUE(save);
  EXPECT_NE(answer.message.find(L"Please enter your credentials for 'srv01.example.com'."), std::wstring::npos)
      << consoletest::Narrow(answer.message);
}

TEST(PromptForCredentials, NameAtDomainReachesTheServerUnchanged) {
  Answer answer{L"alice@corp.example", L"pw"};
  std::vector<char> user, password;
  bool save = true;
  ASSERT_TRUE(Prompt(answer, user, password, save));
  EXPECT_EQ(Text(user), "alice@corp.example");
  EXPECT_EQ(Text(password), "pw");
  EXPECT_FALSE(save);
}

TEST(PromptForCredentials, CancelLeavesEverythingAsItWas) {
  Answer answer;
  answer.cancel = true;
  std::vector<char> user = {'o', 'l', 'd', '\0'};
  std::vector<char> password = {'k', 'e', 'p', 't', '\0'};
  bool save = true;
  EXPECT_FALSE(Prompt(answer, user, password, save));
  EXPECT_EQ(Text(user), "old");
  EXPECT_EQ(Text(password), "kept");
  EXPECT_TRUE(save);
}
