// The Add Server dialog: the server, port and SSL boxes kept in step, Connect with the
// probe and the DNS-suffix retries, the login part and its growth, Login with its failure
// messages, Enter routing, a host already in the list, closing while a probe runs, and the
// probe job that outlives its dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/AddServerDlg.h"
#include "app/DnsSearchList.h"
#include "app/ServerProbeJob.h"
#include "res/resource.h"
#include "services/TextConversion.h"
#include "state/State.h"
#include "tests/support/ClassWindow.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/ServerTestSupport.h"
#include "tests/support/PopupTestSupport.h"
#include "tests/support/DialogLayout.h"
#include "tests/services/LogOrder.h"
#include "ui/window/DialogPlacement.h"

namespace {

using dialogs::FocusOf;

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

// Moves the focus as Tab or a click would (the dialog's own thread sets it).
void FocusOn(HWND dialog, int id) {
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
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
  std::unique_ptr<State> state;
  HKEY mSearchKey = nullptr;
};

// Each step acts on the dialog, then the boxes must read "server|port|ssl|connect".
TEST_F(AddServerDlgTest, ServerPortAndSslBoxesStayInStep) {
  auto server = [](const wchar_t* text) { return [text](HWND d) { SetText(d, IDC_SERVER_EDIT, text); }; };
  auto type = [](const wchar_t* keys) {  // at the end of the box, as key presses would
    return [keys](HWND d) {
      HWND edit = GetDlgItem(d, IDC_SERVER_EDIT);
      for (const wchar_t* k = keys; *k; ++k) {
        SendMessageW(edit, EM_SETSEL, GetWindowTextLengthW(edit), GetWindowTextLengthW(edit));
        SendMessageW(edit, WM_CHAR, *k, 1);
      }
    };
  };
  auto port = [](const wchar_t* text) { return [text](HWND d) { SetText(d, IDC_PORT_EDIT, text); }; };
  auto ssl = [](HWND d) { dialogs::Click(d, IDC_SSL_CHECK); };
  using Act = std::function<void(HWND)>;
  const struct {
    const char* what;
    std::vector<Act> acts;
    std::wstring boxes;
  } steps[] = {
      {"at start", {}, L"||ssl|-"},
      {"digits typed after a colon fill the port box", {server(L"esx-01"), type(L":902")}, L"esx-01:902|902|ssl|connect"},
      {"a sixth digit is taken back", {server(L"esx-01:12345"), type(L"6")}, L"esx-01:12345|12345|ssl|connect"},
      {"the port box rewrites the server box", {server(L"esx-01:902"), port(L"443")}, L"esx-01:443|443|ssl|connect"},
      {"an emptied port box takes the port away", {port(L"")}, L"esx-01||ssl|connect"},
      {"a colon just typed leaves the port box alone", {port(L"8443"), server(L"esx-01"), type(L":")},
       L"esx-01:|8443|ssl|connect"},
      {"the last digit deleted takes the port with it", {server(L"esx-01:902"), type(L"\b\b\b")},
       L"esx-01:||ssl|connect"},
      {"then the colon goes", {type(L"\b")}, L"esx-01||ssl|connect"},
      {"unticking SSL rewrites a given scheme", {server(L"https://esx-01:902"), ssl}, L"http://esx-01:902|902|-|connect"},
      {"ticking it again", {ssl}, L"https://esx-01:902|902|ssl|connect"},
      {"an http scheme unticks SSL", {server(L"http://esx-01")}, L"http://esx-01||-|connect"},
      {"without a scheme the box alone changes", {server(L"esx-01"), ssl}, L"esx-01||-|connect"},
      {"the next edit ticks it again", {type(L"b")}, L"esx-01b||ssl|connect"},
      {"blanks alone are no name", {server(L"    ")}, L"||ssl|-"},
      {"a name is trimmed", {server(L"  esx-02 ")}, L"esx-02||ssl|connect"},
  };
  std::vector<std::wstring> seen;
  bool loginAtStart = true;
  const INT_PTR result = Run([&](HWND dialog) {
    loginAtStart = Enabled(dialog, IDC_LOGIN);
    popuptest::SaveScreenshot(dialog, "dialogs/add_server_start");
    for (const auto& step : steps) {
      for (const Act& act : step.acts) act(dialog);
      seen.push_back(Text(dialog, IDC_SERVER_EDIT) + L"|" + Text(dialog, IDC_PORT_EDIT) + L"|" +
                     (Checked(dialog, IDC_SSL_CHECK) ? L"ssl" : L"-") + L"|" +
                     (Enabled(dialog, IDC_CONNECT) ? L"connect" : L"-"));
    }
    dialogs::Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(loginAtStart);
  ASSERT_EQ(seen.size(), std::size(steps));
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], steps[i].boxes) << steps[i].what;
}

// One dialog: a bare name found through the DNS suffixes by Enter, the grown login part,
// each refused login, then Enter logs in and the server is added with its password kept.
// Checked on the driving thread as it goes (gtest is thread-safe here).
TEST_F(AddServerDlgTest, AFoundServerGrowsTheLoginPartAndEnterLogsInAfterTheRefusals) {
  // "127" alone is no server; with the suffixes it becomes 127.0.0.x, and only 127.0.0.1 answers.
  SetSearchList(L"0.0.3,,0.0.1,0.0.2");
  auto isDefault = [](HWND d, int id) {
    return (GetWindowLongW(GetDlgItem(d, id), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
  };
  auto refusedWith = [&](HWND d, const wchar_t* password, const wchar_t* message) {
    SCOPED_TRACE(utils::ToUtf8String(message));
    SetText(d, IDC_PASSWORD_EDIT, password);
    dialogs::Click(d, IDC_LOGIN);
    EXPECT_EQ(Text(d, IDC_LOGIN_MESSAGE), message);
    EXPECT_EQ(Text(d, IDC_USERNAME_EDIT), L"root");
    EXPECT_EQ(Text(d, IDC_PASSWORD_EDIT), password);
    EXPECT_TRUE(Enabled(d, IDCANCEL));
    EXPECT_TRUE(Enabled(d, IDC_LOGIN));
    EXPECT_EQ(FocusOf(d), GetDlgItem(d, IDC_USERNAME_EDIT));
  };
  AddServerDlg dialog(*state);
  const INT_PTR result = Run(dialog, [&](HWND hwnd) {
    const dialogs::Layout before = dialogs::Measure(hwnd);
    const RECT message = before.at.at(IDC_LOGIN_MESSAGE);
    RECT units = {0, 0, 0, 72};  // the template's (184 + 20) - (112 + 20)
    MapDialogRect(hwnd, &units);
    const LONG d = message.bottom - before.at.at(IDC_CONNECT_STATUS).bottom;
    EXPECT_NEAR(d, units.bottom, 1) << "the distance is measured from the template";
    EXPECT_FALSE(dialogs::IsShown(hwnd, IDC_USERNAME_EDIT));

    SetText(hwnd, IDC_PORT_EDIT, Port());
    SetText(hwnd, IDC_SERVER_EDIT, L"127");
    FocusOn(hwnd, IDC_SERVER_EDIT);
    PressEnter(hwnd);
    EXPECT_TRUE(WaitForConnectEnd(hwnd));
    EXPECT_EQ(Text(hwnd, IDC_CONNECT_STATUS), L"'127.0.0.1'" + std::wstring(kFound));
    EXPECT_EQ(Text(hwnd, IDC_SERVER_EDIT), L"127");
    dialogs::Layout after = dialogs::Measure(hwnd);
    EXPECT_EQ(after.height - before.height, d);
    EXPECT_EQ(Height(after.at[IDC_ADD_SERVER_GROUP]) - Height(before.at.at(IDC_ADD_SERVER_GROUP)), d);
    for (int id : {IDC_LOGIN, IDCANCEL}) EXPECT_EQ(after.at[id].top - before.at.at(id).top, d) << id;
    EXPECT_GE(dialogs::ClientRectOf(hwnd, IDC_LOGIN).top, message.bottom) << "the buttons sit below the message";
    for (int id : {IDC_USERNAME_EDIT, IDC_REMEMBER_CHECK, IDC_WHATS_THIS}) EXPECT_TRUE(dialogs::IsShown(hwnd, id));
    EXPECT_EQ(Text(hwnd, IDC_WHATS_THIS), L"What's This?");
    EXPECT_EQ(FocusOf(hwnd), GetDlgItem(hwnd, IDC_USERNAME_EDIT));
    EXPECT_FALSE(Enabled(hwnd, IDC_LOGIN));
    // No user name yet: Login is disabled and Enter does nothing.
    PressEnter(hwnd);
    Sleep(300);
    EXPECT_EQ(Text(hwnd, IDC_LOGIN_MESSAGE), L"");
    SetText(hwnd, IDC_USERNAME_EDIT, L"root");
    EXPECT_TRUE(Enabled(hwnd, IDC_LOGIN));
    EXPECT_TRUE(isDefault(hwnd, IDC_LOGIN));
    EXPECT_FALSE(isDefault(hwnd, IDC_CONNECT));
    SetText(hwnd, IDC_PASSWORD_EDIT, L"secret");
    popuptest::SaveScreenshot(hwnd, "dialogs/add_server_found");
    RECT grown = {};
    GetWindowRect(hwnd, &grown);
    const RECT work = ui::WorkAreaFor(grown);
    // Login and Cancel stay on the work area; on a screen too small for it (200% on
    // 1024 x 768), its top stays in view.
    if (Height(grown) > Height(work)) EXPECT_EQ(grown.top, work.top);
    else EXPECT_TRUE(grown.top >= work.top && grown.bottom <= work.bottom);

    refusedWith(hwnd, L"not-the-password", L"Login failed. Invalid username or password.");
    popuptest::SaveScreenshot(hwnd, "dialogs/add_server_login_failed");
    sim.Admin("unlicensed", R"({"on":true})");
    refusedWith(hwnd, L"wickerlyn", L"Login failed. Wickerlyn does not support unlicensed Pellor servers.");
    sim.Admin("unlicensed", R"({"on":false})");

    CheckDlgButton(hwnd, IDC_REMEMBER_CHECK, BST_CHECKED);
    FocusOn(hwnd, IDC_PASSWORD_EDIT);
    PressEnter(hwnd);
    if (!polling::WaitUntil([&] { return !IsWindow(hwnd); }, 15000)) dialogs::Click(hwnd, IDCANCEL);
  });
  const std::string text = log->Text();
  EXPECT_TRUE(AppearInOrder(text, {"AddServerDlg::Connect: Attempting to connect to hostname '127'.",
                                   "AddServerDlg::Connect: Retrying hostname as '127.0.0.3'.",
                                   "AddServerDlg::Connect: Retrying hostname as '127.0.0.1'.",
                                   "AddServerDlg::Connect: Appending DNS suffix worked. Qualified server name "
                                   "is '127.0.0.1'."}))
      << text;
  EXPECT_EQ(text.find("Retrying hostname as '127.0.0.2'"), std::string::npos) << "no retry after one answered";

  EXPECT_EQ(result, IDOK);
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

// Connects that cannot lead to a login, one after another in one dialog: each shows its
// status, keeps the login part hidden and leaves Connect usable. Only a bare name is
// retried with the DNS suffix.
TEST_F(AddServerDlgTest, ConnectsThatCannotLeadToALoginLeaveTheDialogUsable) {
  SetSearchList(L"invalid");
  int error = 0;
  ASSERT_TRUE(state->AddServer(1, "127.0.0.1", static_cast<unsigned>(sim.Port()), true, kUser, kPassword, false,
                               error));
  const std::wstring failed = L"Failed to connect to server.";
  const struct {
    const char* what;
    std::wstring address, status;
    const char* screenshot;
  } cases[] = {
      {"a closed port", L"127.0.0.1:1", failed, "dialogs/add_server_connect_failed"},
      {"plain HTTP to a TLS port", L"http://127.0.0.1:" + Port(), failed, nullptr},
      {"a port above 65535", L"127.0.0.1:99999", failed, nullptr},
      {"a 2,000-character name", std::wstring(2000, L'a') + L".example.invalid", failed, nullptr},
      {"a name with spaces", L"my server", failed, nullptr},
      {"an unknown name", L"no-such-server.invalid", failed, nullptr},
      {"a name with non-ASCII letters", L"B\u00fcro-Server.invalid:1", failed, nullptr},
      {"a host already in the list", Address(), L"'127.0.0.1' is already in your list of servers.",
       "dialogs/add_server_already_added"},
  };
  const INT_PTR result = Run([&](HWND dialog) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.what);
      SetText(dialog, IDC_SERVER_EDIT, c.address);
      dialogs::Click(dialog, IDC_CONNECT);
      WaitForConnectEnd(dialog);
      EXPECT_EQ(Text(dialog, IDC_CONNECT_STATUS), c.status);
      EXPECT_TRUE(Enabled(dialog, IDC_CONNECT));
      EXPECT_FALSE(dialogs::IsShown(dialog, IDC_USERNAME_EDIT));
      EXPECT_FALSE(Enabled(dialog, IDC_LOGIN));
      EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_SERVER_EDIT));
      if (c.screenshot) popuptest::SaveScreenshot(dialog, c.screenshot);
    }
    dialogs::Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(state->GetServers().size(), 1u);
  const std::string text = log->Text();
  EXPECT_NE(text.find("Attempting to connect to hostname 'no-such-server.invalid'."), std::string::npos) << text;
  EXPECT_NE(text.find("Retrying hostname as 'my server.invalid'."), std::string::npos) << text;
  EXPECT_EQ(text.find("Retrying hostname as '127.0.0.1.invalid'"), std::string::npos) << "a name with a dot";
  EXPECT_EQ(text.find("Retrying hostname as 'no-such-server.invalid.invalid'"), std::string::npos) << text;
}

// A probe that hangs does not hold the close: the worker outlives the dialog harmlessly.
// (A login whose server vanished gets LoginErrorText's plain failure, with Cancel usable as
// after the refusals.)
TEST_F(AddServerDlgTest, ASilentServerLeavesTheDialogClosable) {
  // The probe of a silent server ends only at the library's time-out (3 s here); the close
  // waits less than that, so the worker runs on after the dialog is gone.
  AddServerDlg::SetCloseWaitForTesting(300);
  sim.Admin("silent", R"({"on":true})");
  std::wstring status;
  {
    AddServerDlg dialog(*state);
    const INT_PTR result = Run(dialog, [&](HWND hwnd) {
      SetText(hwnd, IDC_SERVER_EDIT, Address());
      dialogs::Click(hwnd, IDC_CONNECT);
      status = Text(hwnd, IDC_CONNECT_STATUS);
      dialogs::Click(hwnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
  }
  AddServerDlg::SetCloseWaitForTesting(0);
  EXPECT_EQ(status, L"Connecting...");
  EXPECT_TRUE(log->Contains("AddServerDlg::OnDestroy: The connect thread is still running after 300 ms"))
      << log->Text();
  // The worker finishes after the dialog is gone, with nothing to post to, and does no harm
  // (that a revoked job posts nothing is ServerProbeJob's case).
  popuptest::PumpUntil([] { return false; }, 4000);
  sim.Admin("silent", R"({"on":false})");
}

// The probe job a closing dialog leaves behind: once revoked it posts nothing, so a worker
// that outlives its dialog cannot reach a window that is gone or reused.
TEST(ServerProbeJob, PostsItsAnswerOnlyWhileTheWindowHoldsIt) {
  ScratchLog log;
  ClassWindow window(L"ZwTest Probe Window", DefWindowProcW);
  ASSERT_NE(window.Hwnd(), nullptr);
  const auto takeConnectDone = [&] {
    MSG msg;
    return PeekMessageW(&msg, window.Hwnd(), WM_CONNECT_DONE, WM_CONNECT_DONE, PM_REMOVE) != FALSE;
  };

  auto held = std::make_shared<ServerProbeJob>("127.0.0.1", 1, true, window.Hwnd());
  held->Run();
  EXPECT_TRUE(takeConnectDone());
  EXPECT_FALSE(held->Found());
  EXPECT_EQ(held->FoundHost(), "127.0.0.1");

  auto revoked = std::make_shared<ServerProbeJob>("127.0.0.1", 1, true, window.Hwnd());
  revoked->Revoke();
  HANDLE thread = ServerProbeJob::Start(revoked);
  ASSERT_NE(thread, nullptr);
  revoked.reset();  // the worker holds the job on its own
  EXPECT_EQ(WaitForSingleObject(thread, 15000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_FALSE(takeConnectDone());
  EXPECT_TRUE(log.Contains("AddServerDlg::Connect: Attempting to connect to hostname '127.0.0.1'."));
}

}  // namespace
