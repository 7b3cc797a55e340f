// The Add Server dialog: the server, port and SSL boxes kept in step, Connect with the
// probe and the DNS-suffix retries, the login part and its growth, Login with its failure
// messages, Enter routing, a host already in the list, and closing while a probe runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>

#include "app/AddServerDlg.h"
#include "app/DnsSearchList.h"
#include "res/resource.h"
#include "services/TextConversion.h"
#include "state/State.h"
#include "tests/dialogs/DialogDriver.h"
#include "tests/model_server/ServerTestSupport.h"
#include "tests/popup/PopupTestSupport.h"
#include "ui/window/DialogPlacement.h"

namespace {

const wchar_t kCaption[] = L"Add a Server";
const wchar_t kFound[] = L" is an Olvark or Castellan server";

std::wstring SearchListKeyPath() {
  return L"Software\\Zandor Wickerlyn Tests\\SearchList" + std::to_wstring(GetCurrentProcessId());
}

std::wstring Text(HWND dialog, int id) { return dialogs::TextOf(GetDlgItem(dialog, id)); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetText(HWND dialog, int id, const std::wstring& text) {
  SetWindowTextW(GetDlgItem(dialog, id), text.c_str());
}

// Types one character at the end of an edit box, as a key press would.
void TypeAtEnd(HWND dialog, int id, wchar_t c) {
  HWND edit = GetDlgItem(dialog, id);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
  const LRESULT length = GetWindowTextLengthW(edit);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(length), length);
  SendMessageW(edit, WM_CHAR, c, 1);
}

// Moves the focus as Tab or a click would (the dialog's own thread sets it).
void FocusOn(HWND dialog, int id) {
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

HWND FocusOf(HWND dialog) {
  GUITHREADINFO info = {sizeof(info)};
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  return info.hwndFocus;
}

// Enter as the keyboard gives it: through the dialog manager of the modal loop.
void PressEnter(HWND dialog) {
  HWND focus = FocusOf(dialog);
  PostMessageW(focus ? focus : dialog, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(focus ? focus : dialog, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

// The probe has answered: Connecting... is gone from the status.
bool WaitForConnectEnd(HWND dialog, DWORD timeoutMs = 20000) {
  return polling::WaitUntil(
      [&] {
        const std::wstring status = Text(dialog, IDC_CONNECT_STATUS);
        return !status.empty() && status != L"Connecting...";
      },
      timeoutMs);
}

LONG Height(const RECT& rect) { return rect.bottom - rect.top; }

class AddServerDlgTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    state = std::make_unique<State>(SevenDays);
    RegCreateKeyExW(HKEY_CURRENT_USER, SearchListKeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &mSearchKey, nullptr);
    ASSERT_NE(mSearchKey, nullptr);
    utils::SetDnsSearchListKeyForTesting(HKEY_CURRENT_USER, SearchListKeyPath().c_str());
  }
  void TearDown() override {
    utils::SetDnsSearchListKeyForTesting(nullptr, nullptr);
    if (mSearchKey) RegCloseKey(mSearchKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, SearchListKeyPath().c_str());
    state.reset();
    ServerTest::TearDown();
  }

  void SetSearchList(const wchar_t* list) {
    RegSetValueExW(mSearchKey, L"SearchList", 0, REG_SZ, reinterpret_cast<const BYTE*>(list),
                   static_cast<DWORD>((wcslen(list) + 1) * sizeof(wchar_t)));
  }
  std::wstring Port() const { return std::to_wstring(sim.Port()); }
  // The simulator's address as a user types it.
  std::wstring Address() const { return L"127.0.0.1:" + Port(); }

  template <class Drive>
  INT_PTR Run(AddServerDlg& dialog, Drive drive) {
    return dialogs::RunDriven(dialog, kCaption, drive);
  }
  template <class Drive>
  INT_PTR Run(Drive drive) {
    AddServerDlg dialog(*state);
    return Run(dialog, drive);
  }

  // Connect to `address` and wait for the answer.
  static bool ConnectTo(HWND dialog, const std::wstring& address) {
    SetText(dialog, IDC_SERVER_EDIT, address);
    dialogs::Click(dialog, IDC_CONNECT);
    return WaitForConnectEnd(dialog);
  }

  std::unique_ptr<State> state;
  HKEY mSearchKey = nullptr;
};

TEST_F(AddServerDlgTest, ServerPortAndSslBoxesStayInStep) {
  struct Seen {
    bool connectAtStart = true, loginAtStart = true, sslAtStart = false;
    std::wstring portFromServer, serverAfterSixthDigit, portAfterSixthDigit;
    std::wstring serverAfterPortEdit, serverAfterPortEmptied, colonKept, portBackspacedAway;
    std::wstring httpsUnchecked, httpRechecked, bareUnchecked;
    bool sslAfterBareUnchecked = true, sslAfterNextEdit = false, sslAfterHttp = true;
    std::wstring blanks;
    bool connectAfterBlanks = true, connectAfterName = false;
    std::wstring trimmedName;
  } seen;
  const INT_PTR result = Run([&](HWND dialog) {
    seen.connectAtStart = Enabled(dialog, IDC_CONNECT);
    seen.loginAtStart = Enabled(dialog, IDC_LOGIN);
    seen.sslAtStart = Checked(dialog, IDC_SSL_CHECK);
    popuptest::SaveScreenshot(dialog, "dialogs/add_server_start");

    SetText(dialog, IDC_SERVER_EDIT, L"esx-01");
    for (wchar_t c : std::wstring(L":902")) TypeAtEnd(dialog, IDC_SERVER_EDIT, c);
    seen.portFromServer = Text(dialog, IDC_PORT_EDIT);
    SetText(dialog, IDC_SERVER_EDIT, L"esx-01:12345");
    TypeAtEnd(dialog, IDC_SERVER_EDIT, L'6');
    seen.serverAfterSixthDigit = Text(dialog, IDC_SERVER_EDIT);
    seen.portAfterSixthDigit = Text(dialog, IDC_PORT_EDIT);

    SetText(dialog, IDC_SERVER_EDIT, L"esx-01:902");
    SetText(dialog, IDC_PORT_EDIT, L"443");
    seen.serverAfterPortEdit = Text(dialog, IDC_SERVER_EDIT);
    SetText(dialog, IDC_PORT_EDIT, L"");
    seen.serverAfterPortEmptied = Text(dialog, IDC_SERVER_EDIT);
    SetText(dialog, IDC_PORT_EDIT, L"8443");
    SetText(dialog, IDC_SERVER_EDIT, L"esx-01");
    TypeAtEnd(dialog, IDC_SERVER_EDIT, L':');
    seen.colonKept = Text(dialog, IDC_SERVER_EDIT) + L"|" + Text(dialog, IDC_PORT_EDIT);
    SetText(dialog, IDC_SERVER_EDIT, L"esx-01:902");
    for (int i = 0; i < 3; ++i) TypeAtEnd(dialog, IDC_SERVER_EDIT, L'\b');
    seen.portBackspacedAway = Text(dialog, IDC_SERVER_EDIT) + L"|" + Text(dialog, IDC_PORT_EDIT);
    TypeAtEnd(dialog, IDC_SERVER_EDIT, L'\b');
    seen.portBackspacedAway += L" " + Text(dialog, IDC_SERVER_EDIT) + L"|" + Text(dialog, IDC_PORT_EDIT);

    SetText(dialog, IDC_SERVER_EDIT, L"https://esx-01:902");
    dialogs::Click(dialog, IDC_SSL_CHECK);
    seen.httpsUnchecked = Text(dialog, IDC_SERVER_EDIT);
    dialogs::Click(dialog, IDC_SSL_CHECK);
    seen.httpRechecked = Text(dialog, IDC_SERVER_EDIT);
    SetText(dialog, IDC_SERVER_EDIT, L"http://esx-01");
    seen.sslAfterHttp = Checked(dialog, IDC_SSL_CHECK);

    SetText(dialog, IDC_SERVER_EDIT, L"esx-01");
    if (!Checked(dialog, IDC_SSL_CHECK)) dialogs::Click(dialog, IDC_SSL_CHECK);
    dialogs::Click(dialog, IDC_SSL_CHECK);
    seen.bareUnchecked = Text(dialog, IDC_SERVER_EDIT);
    seen.sslAfterBareUnchecked = Checked(dialog, IDC_SSL_CHECK);
    TypeAtEnd(dialog, IDC_SERVER_EDIT, L'b');
    seen.sslAfterNextEdit = Checked(dialog, IDC_SSL_CHECK);

    SetText(dialog, IDC_SERVER_EDIT, L"    ");
    seen.blanks = Text(dialog, IDC_SERVER_EDIT);
    seen.connectAfterBlanks = Enabled(dialog, IDC_CONNECT);
    SetText(dialog, IDC_SERVER_EDIT, L"  esx-02 ");
    seen.trimmedName = Text(dialog, IDC_SERVER_EDIT);
    seen.connectAfterName = Enabled(dialog, IDC_CONNECT);
    dialogs::Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(seen.connectAtStart);
  EXPECT_FALSE(seen.loginAtStart);
  EXPECT_TRUE(seen.sslAtStart);
  EXPECT_EQ(seen.portFromServer, L"902");
  EXPECT_EQ(seen.serverAfterSixthDigit, L"esx-01:12345");
  EXPECT_EQ(seen.portAfterSixthDigit, L"12345");
  EXPECT_EQ(seen.serverAfterPortEdit, L"esx-01:443");
  EXPECT_EQ(seen.serverAfterPortEmptied, L"esx-01");
  EXPECT_EQ(seen.colonKept, L"esx-01:|8443") << "a colon just typed neither empties the port box nor goes";
  EXPECT_EQ(seen.portBackspacedAway, L"esx-01:| esx-01|") << "the last digit deleted takes the port with it";
  EXPECT_EQ(seen.httpsUnchecked, L"http://esx-01:902");
  EXPECT_EQ(seen.httpRechecked, L"https://esx-01:902");
  EXPECT_FALSE(seen.sslAfterHttp);
  EXPECT_EQ(seen.bareUnchecked, L"esx-01");
  EXPECT_FALSE(seen.sslAfterBareUnchecked);
  EXPECT_TRUE(seen.sslAfterNextEdit);
  EXPECT_EQ(seen.blanks, L"");
  EXPECT_FALSE(seen.connectAfterBlanks);
  EXPECT_EQ(seen.trimmedName, L"esx-02");
  EXPECT_TRUE(seen.connectAfterName);
}

TEST_F(AddServerDlgTest, AFoundServerGrowsTheLoginPartByTheMeasuredDistance) {
  struct Seen {
    RECT dialogBefore = {}, dialogAfter = {}, groupBefore = {}, groupAfter = {};
    RECT loginBefore = {}, loginAfter = {}, cancelBefore = {}, cancelAfter = {};
    RECT status = {}, message = {};
    LONG templateDistance = 0;
    bool userShownBefore = true, userShown = false, rememberShown = false, linkShown = false, grownOnScreen = false;
    std::wstring status1, linkText;
    bool focusOnUser = false, loginEnabledEmpty = true, loginEnabledTyped = false;
    bool loginIsDefault = false, connectIsDefault = true;
  } seen;
  Run([&](HWND dialog) {
    seen.dialogBefore = [&] { RECT r; GetWindowRect(dialog, &r); return r; }();
    seen.groupBefore = dialogs::ClientRectOf(dialog, IDC_ADD_SERVER_GROUP);
    seen.loginBefore = dialogs::ClientRectOf(dialog, IDC_LOGIN);
    seen.cancelBefore = dialogs::ClientRectOf(dialog, IDCANCEL);
    seen.status = dialogs::ClientRectOf(dialog, IDC_CONNECT_STATUS);
    seen.message = dialogs::ClientRectOf(dialog, IDC_LOGIN_MESSAGE);
    RECT units = {0, 0, 0, 72};  // the template's (184 + 20) - (112 + 20)
    MapDialogRect(dialog, &units);
    seen.templateDistance = units.bottom;
    seen.userShownBefore = dialogs::IsShown(dialog, IDC_USERNAME_EDIT);

    if (!ConnectTo(dialog, Address())) return;
    seen.status1 = Text(dialog, IDC_CONNECT_STATUS);
    seen.dialogAfter = [&] { RECT r; GetWindowRect(dialog, &r); return r; }();
    seen.groupAfter = dialogs::ClientRectOf(dialog, IDC_ADD_SERVER_GROUP);
    seen.loginAfter = dialogs::ClientRectOf(dialog, IDC_LOGIN);
    seen.cancelAfter = dialogs::ClientRectOf(dialog, IDCANCEL);
    seen.userShown = dialogs::IsShown(dialog, IDC_USERNAME_EDIT);
    seen.rememberShown = dialogs::IsShown(dialog, IDC_REMEMBER_CHECK);
    seen.linkShown = dialogs::IsShown(dialog, IDC_WHATS_THIS);
    seen.linkText = Text(dialog, IDC_WHATS_THIS);
    seen.focusOnUser = FocusOf(dialog) == GetDlgItem(dialog, IDC_USERNAME_EDIT);
    seen.loginEnabledEmpty = Enabled(dialog, IDC_LOGIN);
    SetText(dialog, IDC_USERNAME_EDIT, L"root");
    seen.loginEnabledTyped = Enabled(dialog, IDC_LOGIN);
    seen.loginIsDefault = (GetWindowLongW(GetDlgItem(dialog, IDC_LOGIN), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
    seen.connectIsDefault =
        (GetWindowLongW(GetDlgItem(dialog, IDC_CONNECT), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
    SetText(dialog, IDC_PASSWORD_EDIT, L"secret");
    popuptest::SaveScreenshot(dialog, "dialogs/add_server_found");
    RECT grown = {};
    GetWindowRect(dialog, &grown);
    const RECT work = ui::WorkAreaFor(grown);
    // On a screen too small for it (200% on 1024 x 768), its top stays in view.
    seen.grownOnScreen = grown.bottom - grown.top > work.bottom - work.top
                             ? grown.top == work.top
                             : grown.top >= work.top && grown.bottom <= work.bottom;
    dialogs::Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(seen.status1, L"'127.0.0.1'" + std::wstring(kFound));
  const LONG d = seen.message.bottom - seen.status.bottom;
  EXPECT_GT(d, 0);
  EXPECT_NEAR(d, seen.templateDistance, 1) << "the distance is measured from the template";
  EXPECT_EQ(Height(seen.dialogAfter) - Height(seen.dialogBefore), d);
  EXPECT_EQ(Height(seen.groupAfter) - Height(seen.groupBefore), d);
  EXPECT_EQ(seen.loginAfter.top - seen.loginBefore.top, d);
  EXPECT_EQ(seen.cancelAfter.top - seen.cancelBefore.top, d);
  EXPECT_GE(seen.loginAfter.top, seen.message.bottom) << "the buttons sit below the login message";
  EXPECT_FALSE(seen.userShownBefore);
  EXPECT_TRUE(seen.userShown);
  EXPECT_TRUE(seen.rememberShown);
  EXPECT_TRUE(seen.linkShown);
  EXPECT_TRUE(seen.grownOnScreen) << "Login and Cancel stay on the work area";
  EXPECT_EQ(seen.linkText, L"What's This?");
  EXPECT_TRUE(seen.focusOnUser);
  EXPECT_FALSE(seen.loginEnabledEmpty);
  EXPECT_TRUE(seen.loginEnabledTyped);
  EXPECT_TRUE(seen.loginIsDefault);
  EXPECT_FALSE(seen.connectIsDefault);
}

TEST_F(AddServerDlgTest, WhatDoesNotAnswerFailsToConnectAndTheDialogStaysUsable) {
  SetSearchList(L"invalid");
  const std::wstring longName = std::wstring(2000, L'a') + L".example.invalid";
  const struct {
    const wchar_t* what;
    std::wstring address;
    bool uncheckSsl;
  } cases[] = {
      {L"a closed port", L"127.0.0.1:1", false},
      {L"plain HTTP to a TLS port", L"http://127.0.0.1:" + Port(), true},
      {L"a port above 65535", L"127.0.0.1:99999", false},
      {L"a 2,000-character name", longName, false},
      {L"a name with spaces", L"my server", false},
      {L"an unknown name", L"no-such-server.invalid", false},
      {L"a name with non-ASCII letters", L"B\u00fcro-Server.invalid:1", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << utils::ToUtf8String(c.what));
    std::wstring status, portBox;
    bool connectEnabled = false, loginShown = true, loginEnabled = true, focusOnServer = false;
    DWORD took = 0;
    Run([&](HWND dialog) {
      SetText(dialog, IDC_SERVER_EDIT, c.address);
      if (c.uncheckSsl && Checked(dialog, IDC_SSL_CHECK)) dialogs::Click(dialog, IDC_SSL_CHECK);
      portBox = Text(dialog, IDC_PORT_EDIT);
      const ULONGLONG start = GetTickCount64();
      dialogs::Click(dialog, IDC_CONNECT);
      WaitForConnectEnd(dialog);
      took = static_cast<DWORD>(GetTickCount64() - start);
      status = Text(dialog, IDC_CONNECT_STATUS);
      connectEnabled = Enabled(dialog, IDC_CONNECT);
      loginShown = dialogs::IsShown(dialog, IDC_USERNAME_EDIT);
      loginEnabled = Enabled(dialog, IDC_LOGIN);
      focusOnServer = FocusOf(dialog) == GetDlgItem(dialog, IDC_SERVER_EDIT);
      if (c.address == L"127.0.0.1:1") popuptest::SaveScreenshot(dialog, "dialogs/add_server_connect_failed");
      dialogs::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(status, L"Failed to connect to server.") << "after " << took << " ms";
    EXPECT_TRUE(connectEnabled);
    EXPECT_FALSE(loginShown);
    EXPECT_FALSE(loginEnabled);
    EXPECT_TRUE(focusOnServer);
  }
  EXPECT_TRUE(state->GetServers().empty());
}

TEST_F(AddServerDlgTest, ABareNameIsRetriedWithEachSuffixInOrderAndTheFirstThatAnswersIsTheHost) {
  // "127" alone is no server; with the suffixes it becomes 127.0.0.x, and only 127.0.0.1 answers.
  SetSearchList(L"0.0.3,,0.0.1,0.0.2");
  std::wstring status, serverBox;
  const INT_PTR result = Run([&](HWND dialog) {
    SetText(dialog, IDC_PORT_EDIT, Port());
    if (!ConnectTo(dialog, L"127")) return;
    status = Text(dialog, IDC_CONNECT_STATUS);
    serverBox = Text(dialog, IDC_SERVER_EDIT);
    SetText(dialog, IDC_USERNAME_EDIT, L"root");
    SetText(dialog, IDC_PASSWORD_EDIT, L"wickerlyn");
    dialogs::Click(dialog, IDC_LOGIN);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(status, L"'127.0.0.1'" + std::wstring(kFound));
  EXPECT_EQ(serverBox, L"127");
  const std::string text = log->Text();
  const size_t attempt = text.find("AddServerDlg::Connect: Attempting to connect to hostname '127'.");
  const size_t first = text.find("AddServerDlg::Connect: Retrying hostname as '127.0.0.3'.");
  const size_t second = text.find("AddServerDlg::Connect: Retrying hostname as '127.0.0.1'.");
  const size_t worked =
      text.find("AddServerDlg::Connect: Appending DNS suffix worked. Qualified server name is '127.0.0.1'.");
  ASSERT_NE(attempt, std::string::npos) << text;
  ASSERT_NE(first, std::string::npos) << text;
  ASSERT_NE(second, std::string::npos) << text;
  ASSERT_NE(worked, std::string::npos) << text;
  EXPECT_LT(attempt, first);
  EXPECT_LT(first, second);
  EXPECT_LT(second, worked);
  EXPECT_EQ(text.find("Retrying hostname as '127.0.0.2'"), std::string::npos) << "no retry after one answered";
  EXPECT_TRUE(state->FindServer("127.0.0.1") != nullptr);
}

TEST_F(AddServerDlgTest, ANameWithADotIsNotRetried) {
  SetSearchList(L"example,invalid");
  for (const wchar_t* address : {L"127.0.0.1:1", L"esx.invalid:1"}) {
    std::wstring status;
    Run([&](HWND dialog) {
      ConnectTo(dialog, address);
      status = Text(dialog, IDC_CONNECT_STATUS);
      dialogs::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(status, L"Failed to connect to server.");
  }
  const std::string text = log->Text();
  EXPECT_NE(text.find("Attempting to connect to hostname 'esx.invalid'."), std::string::npos) << text;
  EXPECT_EQ(text.find("Retrying hostname"), std::string::npos) << text;
}

TEST_F(AddServerDlgTest, LoginFailuresShowTheirMessageAndKeepWhatWasTyped) {
  struct Outcome {
    std::wstring message, userName, password;
    bool cancelEnabled = false, loginEnabled = false, focusOnUser = false;
  };
  auto attempt = [&](const wchar_t* password, const char* screenshot, const std::function<void()>& beforeLogin) {
    Outcome outcome;
    const INT_PTR result = Run([&](HWND dialog) {
      if (!ConnectTo(dialog, Address())) return;
      SetText(dialog, IDC_USERNAME_EDIT, L"root");
      SetText(dialog, IDC_PASSWORD_EDIT, password);
      if (beforeLogin) beforeLogin();
      dialogs::Click(dialog, IDC_LOGIN);
      outcome.message = Text(dialog, IDC_LOGIN_MESSAGE);
      outcome.userName = Text(dialog, IDC_USERNAME_EDIT);
      outcome.password = Text(dialog, IDC_PASSWORD_EDIT);
      outcome.cancelEnabled = Enabled(dialog, IDCANCEL);
      outcome.loginEnabled = Enabled(dialog, IDC_LOGIN);
      outcome.focusOnUser = FocusOf(dialog) == GetDlgItem(dialog, IDC_USERNAME_EDIT);
      if (screenshot) popuptest::SaveScreenshot(dialog, screenshot);
      dialogs::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    return outcome;
  };

  const Outcome wrong = attempt(L"not-the-password", "dialogs/add_server_login_failed", nullptr);
  EXPECT_EQ(wrong.message, L"Login failed. Invalid username or password.");
  EXPECT_EQ(wrong.userName, L"root");
  EXPECT_EQ(wrong.password, L"not-the-password");
  EXPECT_TRUE(wrong.cancelEnabled);
  EXPECT_TRUE(wrong.loginEnabled);
  EXPECT_TRUE(wrong.focusOnUser);

  const Outcome unlicensed = attempt(L"wickerlyn", nullptr, [&] { sim.Admin("unlicensed", R"({"on":true})"); });
  EXPECT_EQ(unlicensed.message, L"Login failed. Wickerlyn does not support unlicensed Pellor servers.");
  EXPECT_EQ(unlicensed.userName, L"root");
  sim.Admin("unlicensed", R"({"on":false})");

  // The server goes away between the probe and the login: neither of the two known errors.
  const Outcome gone = attempt(L"wickerlyn", nullptr, [&] { sim.Stop(); });
  EXPECT_EQ(gone.message, L"Login failed.");
  EXPECT_EQ(gone.userName, L"root");
  EXPECT_TRUE(gone.cancelEnabled);
  EXPECT_TRUE(state->GetServers().empty());
}

TEST_F(AddServerDlgTest, EnterConnectsFromTheServerPartAndLogsInFromTheLoginPart) {
  std::wstring afterEnterInServer, afterEnterWithEmptyUser;
  bool loginPartShown = false;
  AddServerDlg dialog(*state);
  const INT_PTR result = Run(dialog, [&](HWND hwnd) {
    SetText(hwnd, IDC_SERVER_EDIT, Address());
    FocusOn(hwnd, IDC_SERVER_EDIT);
    PressEnter(hwnd);
    WaitForConnectEnd(hwnd);
    afterEnterInServer = Text(hwnd, IDC_CONNECT_STATUS);
    loginPartShown = dialogs::IsShown(hwnd, IDC_USERNAME_EDIT);
    // No user name yet: Login is disabled and Enter does nothing.
    PressEnter(hwnd);
    Sleep(300);
    afterEnterWithEmptyUser = Text(hwnd, IDC_LOGIN_MESSAGE);
    SetText(hwnd, IDC_USERNAME_EDIT, L"root");
    SetText(hwnd, IDC_PASSWORD_EDIT, L"wickerlyn");
    CheckDlgButton(hwnd, IDC_REMEMBER_CHECK, BST_CHECKED);
    FocusOn(hwnd, IDC_PASSWORD_EDIT);
    PressEnter(hwnd);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(afterEnterInServer, L"'127.0.0.1'" + std::wstring(kFound));
  EXPECT_TRUE(loginPartShown);
  EXPECT_EQ(afterEnterWithEmptyUser, L"");
  ASSERT_TRUE(dialog.NewServer());
  EXPECT_EQ(dialog.NewServer()->GetName(), "127.0.0.1");
  EXPECT_EQ(dialog.NewServer()->GetUser(), "root");
  EXPECT_EQ(state->FindServer("127.0.0.1"), dialog.NewServer());
  EXPECT_TRUE(WaitForState(dialog.NewServer(), VMCollection::STATE_ENUMERATED));
  // Remembered: the State hands the protected password on to the preferences.
  const std::vector<LiveServer> saved = state->GetServersForPrefs();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_TRUE(saved[0].saveCredentials);
  EXPECT_EQ(saved[0].username, "root");
  EXPECT_FALSE(saved[0].password.empty());
  EXPECT_EQ(saved[0].password.find("wickerlyn"), std::string::npos);
}

TEST_F(AddServerDlgTest, AHostAlreadyInTheListGetsAClearMessageAndNoSecondServer) {
  int error = 0;
  ASSERT_TRUE(state->AddServer(1, "127.0.0.1", static_cast<unsigned>(sim.Port()), true, kUser, kPassword, false,
                               error));
  std::wstring status;
  bool loginShown = true, loginEnabled = true;
  const INT_PTR result = Run([&](HWND dialog) {
    ConnectTo(dialog, Address());
    status = Text(dialog, IDC_CONNECT_STATUS);
    loginShown = dialogs::IsShown(dialog, IDC_USERNAME_EDIT);
    loginEnabled = Enabled(dialog, IDC_LOGIN);
    popuptest::SaveScreenshot(dialog, "dialogs/add_server_already_added");
    dialogs::Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(status, L"'127.0.0.1' is already in your list of servers.");
  EXPECT_FALSE(loginShown);
  EXPECT_FALSE(loginEnabled);
  EXPECT_EQ(state->GetServers().size(), 1u);
}

TEST_F(AddServerDlgTest, CancelWhileTheProbeHangsClosesTheDialogAndTheWorkerOutlivesItHarmlessly) {
  // The probe of a silent server ends only at the library's time-out (3 s here); the close
  // waits less than that, so the worker runs on after the dialog is gone.
  AddServerDlg::SetCloseWaitForTesting(300);
  sim.Admin("silent", R"({"on":true})");
  std::wstring status;
  DWORD took = 0;
  {
    AddServerDlg dialog(*state);
    const INT_PTR result = Run(dialog, [&](HWND hwnd) {
      SetText(hwnd, IDC_SERVER_EDIT, Address());
      dialogs::Click(hwnd, IDC_CONNECT);
      status = Text(hwnd, IDC_CONNECT_STATUS);
      const ULONGLONG start = GetTickCount64();
      dialogs::Click(hwnd, IDCANCEL);
      polling::WaitUntil([&] { return !IsWindow(hwnd); }, 10000);
      took = static_cast<DWORD>(GetTickCount64() - start);
    });
    EXPECT_EQ(result, IDCANCEL);
  }
  AddServerDlg::SetCloseWaitForTesting(0);
  EXPECT_EQ(status, L"Connecting...");
  EXPECT_LT(took, 2500u) << "the close waited for the probe";
  EXPECT_TRUE(log->Contains("AddServerDlg::OnDestroy: The connect thread is still running after 300 ms"))
      << log->Text();
  // The worker finishes with nothing to post to; this thread's queue stays empty of it.
  popuptest::PumpUntil([] { return false; }, 4000);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_CONNECT_DONE, WM_CONNECT_DONE, PM_REMOVE));
  sim.Admin("silent", R"({"on":false})");
  EXPECT_TRUE(state->GetServers().empty());
}

}  // namespace
