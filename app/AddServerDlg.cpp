#include "app/AddServerDlg.h"

#include <cwctype>
#include <vector>

#include "app/ServerProbeJob.h"
#include "backend/LoginErrorText.h"
#include "backend/ServerAddress.h"
#include "log/Log.h"
#include "res/resource.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"
#include "state/State.h"
#include "ui/window/DialogLayout.h"
#include "ui/window/DialogPlacement.h"

namespace {

constexpr DWORD kWorkerWaitMs = 15000;
DWORD gCloseWaitForTesting = 0;
constexpr int kLoginPartIds[] = {IDC_USERNAME_LABEL, IDC_USERNAME_EDIT, IDC_PASSWORD_LABEL, IDC_PASSWORD_EDIT,
                                 IDC_REMEMBER_CHECK, IDC_WHATS_THIS,    IDC_LOGIN_MESSAGE};

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
  return text;
}

size_t LeadingBlanks(const std::wstring& text) {
  size_t n = 0;
  while (n < text.size() && iswspace(text[n])) ++n;
  return n;
}

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = LeadingBlanks(text);
  size_t last = text.size();
  while (last > first && iswspace(text[last - 1])) --last;
  return text.substr(first, last - first);
}

void Selection(HWND edit, DWORD& start, DWORD& end) {
  start = end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

DWORD Clamp(long value, size_t length) {
  if (value < 0) return 0;
  return static_cast<size_t>(value) > length ? static_cast<DWORD>(length) : static_cast<DWORD>(value);
}

// Where Enter goes from a control: Connect for the server part, Login for the login part.
enum class Part { kNone, kServer, kLogin };

Part PartOf(int id) {
  switch (id) {
    case IDC_SERVER_EDIT:
    case IDC_PORT_EDIT:
    case IDC_SSL_CHECK:
    case IDC_CONNECT:
      return Part::kServer;
    case IDC_USERNAME_EDIT:
    case IDC_PASSWORD_EDIT:
    case IDC_REMEMBER_CHECK:
      return Part::kLogin;
    default:
      return Part::kNone;
  }
}

// A zeroed copy of the box's text in UTF-8; the UTF-16 copy is wiped before it is freed.
std::vector<char> SecretFrom(HWND box) {
  std::vector<wchar_t> wide(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  GetWindowTextW(box, wide.data(), static_cast<int>(wide.size()));
  std::vector<char> utf8;
  if (!utils::WideToUtf8(wide.data(), utf8)) utf8.assign(1, '\0');
  SecureZeroMemory(wide.data(), wide.size() * sizeof(wchar_t));
  return utf8;
}

}  // namespace

void AddServerDlg::SetCloseWaitForTesting(DWORD ms) { gCloseWaitForTesting = ms; }

AddServerDlg::AddServerDlg(State& state) : ui::ModalDialog(IDD_ADD_SERVER), mState(state) {}

AddServerDlg::~AddServerDlg() {
  // A dialog that never reached WM_DESTROY still lets go of its worker.
  if (mJob) mJob->Revoke();
  if (mWorker) CloseHandle(mWorker);
}

LRESULT AddServerDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  HWND dialog = Hwnd();
  mLoginPartShown = false;
  mPort = 0;
  mServerType = 0;
  mNewServer.reset();
  mWorker = nullptr;
  mBusy = false;
  mLoggingIn = false;

  mServerBox = GetDlgItem(dialog, IDC_SERVER_EDIT);
  mPortBox = GetDlgItem(dialog, IDC_PORT_EDIT);
  mSslBox = GetDlgItem(dialog, IDC_SSL_CHECK);
  mUserNameBox = GetDlgItem(dialog, IDC_USERNAME_EDIT);
  mPasswordBox = GetDlgItem(dialog, IDC_PASSWORD_EDIT);
  mRememberBox = GetDlgItem(dialog, IDC_REMEMBER_CHECK);
  mConnectButton = GetDlgItem(dialog, IDC_CONNECT);
  mLoginButton = GetDlgItem(dialog, IDC_LOGIN);
  mCancelButton = GetDlgItem(dialog, IDCANCEL);

  if (mWhatsThis.SubclassWindow(GetDlgItem(dialog, IDC_WHATS_THIS))) {
    mWhatsThis.SetHyperLink(utils::LoadStringResource(IDS_REMEMBER_TOOLTIP).c_str());
    mWhatsThis.SetToolTipDelay(1);
  } else {
    Log("%s: The \"What's This?\" link could not be set up.\n", "AddServerDlg::OnInitDialog");
  }

  SendMessageW(mPortBox, EM_LIMITTEXT, 5, 0);
  CheckDlgButton(dialog, IDC_SSL_CHECK, BST_CHECKED);
  mUseSsl = true;

  mGrowDistance = ui::ControlRect(dialog, GetDlgItem(dialog, IDC_LOGIN_MESSAGE)).bottom -
                  ui::ControlRect(dialog, GetDlgItem(dialog, IDC_CONNECT_STATUS)).bottom;
  Centre();
  SetFocus(mServerBox);
  return FALSE;  // the focus is set
}

void AddServerDlg::Centre() {
  HWND dialog = Hwnd();
  RECT own = {};
  GetWindowRect(dialog, &own);
  const POINT origin = {0, 0};
  MONITORINFO monitor = {sizeof(monitor)};
  RECT work = {};
  if (GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    work = monitor.rcWork;
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  }
  RECT client = {};
  GetClientRect(dialog, &client);
  const POINT place = {(work.right - client.right) / 2, (work.bottom - client.bottom) / 2};
  // The whole window stays on the work area, however small the screen.
  const RECT at = {place.x, place.y, place.x + own.right - own.left, place.y + own.bottom - own.top};
  const POINT kept = ui::ComputeDialogPosition(at, at, work);
  SetWindowPos(dialog, nullptr, kept.x, kept.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring AddServerDlg::ServerText() const { return TextOf(mServerBox); }

unsigned int AddServerDlg::PortBoxValue() const {
  return static_cast<unsigned int>(wcstoul(TextOf(mPortBox).c_str(), nullptr, 10));
}

void AddServerDlg::SetServerText(const std::wstring& text, DWORD selStart, DWORD selEnd) {
  SetWindowTextW(mServerBox, text.c_str());
  SendMessageW(mServerBox, EM_SETSEL, Clamp(selStart, text.size()), Clamp(selEnd, text.size()));
  SendMessageW(mServerBox, EM_SCROLLCARET, 0, 0);
}

void AddServerDlg::ShowStatus(int id, const std::wstring& text) {
  HWND control = GetDlgItem(Hwnd(), id);
  SetWindowTextW(control, text.c_str());
  ShowWindow(control, SW_SHOW);
}

void AddServerDlg::OnServerChanged() {
  const std::wstring text = ServerText();
  const std::wstring trimmed = Trimmed(text);
  if (trimmed != text) {
    // The notification comes again for the trimmed text, which does the rest.
    DWORD start = 0, end = 0;
    Selection(mServerBox, start, end);
    const long lead = static_cast<long>(LeadingBlanks(text));
    SetServerText(trimmed, Clamp(static_cast<long>(start) - lead, trimmed.size()),
                  Clamp(static_cast<long>(end) - lead, trimmed.size()));
    return;
  }
  if (!mBusy) EnableWindow(mConnectButton, !trimmed.empty());

  std::wstring host;
  unsigned int port = 0;
  bool portGiven = false, useSsl = true, schemeGiven = false;
  utils::ParseServerUrlW(trimmed, host, port, portGiven, useSsl, schemeGiven);
  const std::wstring shownPort = port != 0 ? std::to_wstring(port) : std::wstring();
  // A colon just typed gives no port yet: the port box keeps its number until digits follow.
  const bool colonOnly = portGiven && port == 0 && !trimmed.empty() && trimmed.back() == L':';
  // But when the last digit goes, the port goes with it; the colon stays as typed.
  const bool hasPort = portGiven && port != 0;
  if (mServerTextHasPort && !hasPort && !TextOf(mPortBox).empty()) {
    mSettingPortFromServer = true;
    SetWindowTextW(mPortBox, L"");
    mSettingPortFromServer = false;
  }
  mServerTextHasPort = hasPort;
  if (portGiven && !colonOnly && shownPort != TextOf(mPortBox)) {
    DWORD start = 0, end = 0;
    Selection(mServerBox, start, end);
    if (shownPort.size() <= 5) {
      SetWindowTextW(mPortBox, shownPort.c_str());
      SendMessageW(mServerBox, EM_SETSEL, start, end);
      SendMessageW(mServerBox, EM_SCROLLCARET, 0, 0);
    } else {
      // A sixth digit is taken back.
      const std::wstring kept = utils::MakeServerUrlW(host, PortBoxValue(), useSsl, schemeGiven);
      const DWORD caret = Clamp(static_cast<long>(start) - 1, kept.size());
      SetServerText(kept, caret, caret);
    }
  }
  const bool sslChecked = IsDlgButtonChecked(Hwnd(), IDC_SSL_CHECK) == BST_CHECKED;
  if (sslChecked != useSsl) CheckDlgButton(Hwnd(), IDC_SSL_CHECK, useSsl ? BST_CHECKED : BST_UNCHECKED);
}

void AddServerDlg::OnPortChanged() {
  if (mSettingPortFromServer) return;
  const std::wstring text = ServerText();
  std::wstring host;
  unsigned int port = 0;
  bool portGiven = false, useSsl = true, schemeGiven = false;
  utils::ParseServerUrlW(text, host, port, portGiven, useSsl, schemeGiven);
  if (!portGiven) return;
  const std::wstring rewritten = utils::MakeServerUrlW(host, PortBoxValue(), useSsl, schemeGiven);
  if (rewritten == text) return;
  DWORD start = 0, end = 0;
  Selection(mServerBox, start, end);
  SetServerText(rewritten, start, end);
}

void AddServerDlg::OnSslClicked() {
  const std::wstring text = ServerText();
  std::wstring host;
  unsigned int port = 0;
  bool portGiven = false, useSsl = true, schemeGiven = false;
  utils::ParseServerUrlW(text, host, port, portGiven, useSsl, schemeGiven);
  if (!schemeGiven) return;
  const bool checked = IsDlgButtonChecked(Hwnd(), IDC_SSL_CHECK) == BST_CHECKED;
  const std::wstring rewritten = utils::MakeServerUrlW(host, port, checked, true);
  if (rewritten == text) return;
  DWORD start = 0, end = 0;
  Selection(mServerBox, start, end);
  const long shift = static_cast<long>(rewritten.size()) - static_cast<long>(text.size());
  SetServerText(rewritten, Clamp(static_cast<long>(start) + shift, rewritten.size()),
                Clamp(static_cast<long>(end) + shift, rewritten.size()));
}

void AddServerDlg::OnUserNameChanged() {
  if (!mBusy) EnableWindow(mLoginButton, GetWindowTextLengthW(mUserNameBox) > 0);
}

void AddServerDlg::MakeDefault(int id) {
  const int other = id == IDC_LOGIN ? IDC_CONNECT : IDC_LOGIN;
  SendMessageW(Hwnd(), DM_SETDEFID, static_cast<WPARAM>(id), 0);
  SendDlgItemMessageW(Hwnd(), other, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  SendDlgItemMessageW(Hwnd(), id, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void AddServerDlg::OnEnter() {
  const Part part = PartOf(GetDlgCtrlID(GetFocus()));
  if (part == Part::kServer && IsWindowEnabled(mConnectButton)) {
    Connect();
  } else if (part == Part::kLogin && IsWindowEnabled(mLoginButton)) {
    Login();
  }
}

void AddServerDlg::ShowLoginPart(bool show) {
  if (show == mLoginPartShown) return;
  mLoginPartShown = show;
  HWND dialog = Hwnd();
  const int d = show ? mGrowDistance : -mGrowDistance;
  ui::MoveControlBy(dialog, mLoginButton, d);
  ui::MoveControlBy(dialog, mCancelButton, d);
  ui::GrowControlBy(dialog, GetDlgItem(dialog, IDC_ADD_SERVER_GROUP), d);
  ui::GrowWindowBy(dialog, d);
  // Grown, it may reach past the work area (a small screen, a large scaling): keep Login
  // and Cancel on screen.
  RECT grown = {};
  GetWindowRect(dialog, &grown);
  const POINT kept = ui::ComputeDialogPosition(grown, grown, ui::WorkAreaFor(grown));
  if (kept.x != grown.left || kept.y != grown.top)
    SetWindowPos(dialog, nullptr, kept.x, kept.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (int id : kLoginPartIds) ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
  // The group box's old bottom edge would stay on screen otherwise.
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void AddServerDlg::Connect() {
  if (mWorker) return;
  ShowStatus(IDC_CONNECT_STATUS, utils::LoadStringResource(IDS_CONNECTING));
  EnableWindow(mConnectButton, FALSE);

  unsigned int parsedPort = 0;
  bool portGiven = false, useSsl = true, schemeGiven = false;
  utils::ParseServerUrlW(Trimmed(ServerText()), mHost, parsedPort, portGiven, useSsl, schemeGiven);
  mPort = PortBoxValue();
  mUseSsl = IsDlgButtonChecked(Hwnd(), IDC_SSL_CHECK) == BST_CHECKED;
  mServerType = 0;

  ShowLoginPart(false);
  EnableWindow(mLoginButton, FALSE);
  mBusy = true;
  mJob = std::make_shared<ServerProbeJob>(utils::ToUtf8String(mHost), mPort, mUseSsl, Hwnd());
  mWorker = ServerProbeJob::Start(mJob);
  if (!mWorker) {
    // No thread: the same answer as a server that does not answer, and the dialog stays usable.
    mJob.reset();
    mBusy = false;
    EnableWindow(mConnectButton, !Trimmed(ServerText()).empty());
    ShowStatus(IDC_CONNECT_STATUS, utils::LoadStringResource(IDS_CONNECT_FAILED));
    SetFocus(mServerBox);
  }
}

LRESULT AddServerDlg::OnConnectDone(UINT, WPARAM, LPARAM, BOOL& handled) {
  if (!mWorker || !mJob) {
    handled = FALSE;
    return 0;
  }
  CloseHandle(mWorker);
  mWorker = nullptr;
  std::shared_ptr<ServerProbeJob> job = std::move(mJob);
  EnableWindow(mConnectButton, !Trimmed(ServerText()).empty());
  mBusy = false;

  if (!job->Found()) {
    mServerType = 0;
    ShowStatus(IDC_CONNECT_STATUS, utils::LoadStringResource(IDS_CONNECT_FAILED));
    ShowLoginPart(false);
    EnableWindow(mLoginButton, FALSE);
    SetFocus(mServerBox);
    return 0;
  }
  mServerType = State::SERVER_TYPE_HOST;
  mHost = utils::ToWideString(job->FoundHost());
  if (mState.FindServer(job->FoundHost())) {
    // Logging in again would only be refused: say so before the user types a password.
    ShowStatus(IDC_CONNECT_STATUS, utils::FormatStringResource(IDS_SERVER_ALREADY_ADDED, mHost));
    ShowLoginPart(false);
    EnableWindow(mLoginButton, FALSE);
    SetFocus(mServerBox);
    return 0;
  }
  ShowStatus(IDC_CONNECT_STATUS, utils::FormatStringResource(IDS_SERVER_FOUND, mHost));
  ShowLoginPart(true);
  SetWindowTextW(mUserNameBox, L"");
  SetWindowTextW(mPasswordBox, L"");
  SetDlgItemTextW(Hwnd(), IDC_LOGIN_MESSAGE, L"");
  CheckDlgButton(Hwnd(), IDC_REMEMBER_CHECK, BST_UNCHECKED);
  SetFocus(mUserNameBox);
  return 0;
}

void AddServerDlg::Login() {
  ShowStatus(IDC_LOGIN_MESSAGE, utils::LoadStringResource(IDS_AUTHENTICATING));
  UpdateWindow(GetDlgItem(Hwnd(), IDC_LOGIN_MESSAGE));
  EnableWindow(mCancelButton, FALSE);
  EnableWindow(mLoginButton, FALSE);
  mBusy = true;
  mLoggingIn = true;

  const std::vector<char> userName = SecretFrom(mUserNameBox);
  std::vector<char> password = SecretFrom(mPasswordBox);
  const bool remember = IsDlgButtonChecked(Hwnd(), IDC_REMEMBER_CHECK) == BST_CHECKED;

  int error = 0;
  mNewServer = mState.AddServer(mServerType, utils::ToUtf8String(mHost), mPort, mUseSsl, userName.data(),
                                password.data(), remember, error);
  SecureZeroMemory(password.data(), password.size());
  mBusy = false;
  mLoggingIn = false;
  if (mNewServer) {
    EndDialog(IDOK);
    return;
  }

  EnableWindow(mCancelButton, TRUE);
  if (error == State::ERROR_SERVER_ALREADY_ADDED) {
    ShowStatus(IDC_LOGIN_MESSAGE, utils::FormatStringResource(IDS_SERVER_ALREADY_ADDED, mHost));
  } else {
    ShowStatus(IDC_LOGIN_MESSAGE,
               utils::LoginErrorText(static_cast<uint64_t>(error), utils::LoginErrorContext::kAddServerDialog));
  }
  EnableWindow(mLoginButton, !Trimmed(TextOf(mUserNameBox)).empty());
  SetFocus(mUserNameBox);
}

LRESULT AddServerDlg::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  switch (id) {
    case IDC_SERVER_EDIT:
      if (code == EN_CHANGE) OnServerChanged();
      if (code == EN_SETFOCUS) MakeDefault(IDC_CONNECT);
      return 0;
    case IDC_PORT_EDIT:
      if (code == EN_CHANGE) OnPortChanged();
      if (code == EN_SETFOCUS) MakeDefault(IDC_CONNECT);
      return 0;
    case IDC_USERNAME_EDIT:
      if (code == EN_CHANGE) OnUserNameChanged();
      if (code == EN_SETFOCUS) MakeDefault(IDC_LOGIN);
      return 0;
    case IDC_PASSWORD_EDIT:
      if (code == EN_SETFOCUS) MakeDefault(IDC_LOGIN);
      return 0;
    case IDC_SSL_CHECK:
      if (code == BN_CLICKED) OnSslClicked();
      if (code == BN_SETFOCUS) MakeDefault(IDC_CONNECT);
      return 0;
    case IDC_REMEMBER_CHECK:
      if (code == BN_SETFOCUS) MakeDefault(IDC_LOGIN);
      return 0;
    case IDC_CONNECT:
      if (code == BN_CLICKED) Connect();
      if (code == BN_SETFOCUS) MakeDefault(IDC_CONNECT);
      return 0;
    case IDC_LOGIN:
      if (code == BN_CLICKED && !mBusy) Login();
      if (code == BN_SETFOCUS) MakeDefault(IDC_LOGIN);
      return 0;
    case IDC_WHATS_THIS:
      return 0;  // the link only explains; nothing is opened
    case IDOK:
      OnEnter();
      return 0;
    case IDCANCEL:
      if (code == BN_SETFOCUS) {
        MakeDefault(IDC_LOGIN);
        return 0;
      }
      // The login holds this thread; a close that was queued behind it waits for its answer.
      if (mLoggingIn) return 0;
      EndDialog(IDCANCEL);
      return 0;
    default:
      break;
  }
  handled = FALSE;
  return 0;
}

LRESULT AddServerDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  if (mWorker) {
    const DWORD wait = gCloseWaitForTesting ? gCloseWaitForTesting : kWorkerWaitMs;
    if (WaitForSingleObject(mWorker, wait) == WAIT_TIMEOUT) {
      Log("%s: The connect thread is still running after %u ms; it finishes on its own.\n",
          "AddServerDlg::OnDestroy", static_cast<unsigned>(wait));
    }
    CloseHandle(mWorker);
    mWorker = nullptr;
  }
  if (mJob) {
    mJob->Revoke();
    mJob.reset();
  }
  handled = FALSE;
  return 0;
}
