#include "console/ConsoleApp.h"

#include <shellapi.h>

#include <vector>

#include "backend/QorLibrary.h"
#include "console/ConsoleIds.h"
#include "console/LoginPrompt.h"
#include "console/PowerStateText.h"
#include "console/StdinPassword.h"
#include "console/TestRecord.h"
#include "services/TextConversion.h"

namespace lumacon {
namespace {

std::vector<std::wstring> Arguments() {
  std::vector<std::wstring> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  return args;
}

// The automation library lives in "kilnworks\" beside the program, as it does beside the
// tray program.
std::wstring LibraryFolder() {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  std::wstring folder(path, length);
  size_t slash = folder.find_last_of(L'\\');
  if (slash == std::wstring::npos) return std::wstring();
  return folder.substr(0, slash + 1) + L"kilnworks\\";
}

}  // namespace

ConsoleApp::~ConsoleApp() {
  if (mWorker.joinable()) mWorker.join();
  mSession.Close();
  QorLibrary::Unbind();
  if (mLibrary) FreeLibrary(mLibrary);
}

int ConsoleApp::Run() {
  std::wstring problem;
  bool parsed = ParseConsoleOptions(Arguments(), mOptions, problem) &&
                ParseHostArgument(mOptions.host, mServer, problem);
  mUser = mOptions.user;
  if (parsed && mOptions.passwordOnStdin) {
    PasswordRead read = ReadPassword(GetStdHandle(STD_INPUT_HANDLE), mPassword);
    if (read == PasswordRead::kReceived) mPasswordSource = L"pipe";
  }

  if (!mWindow.Create(mInstance)) return 1;
  mWindow.onAppMessage = [this](UINT message, WPARAM wParam, LPARAM lParam) {
    OnAppMessage(message, wParam, lParam);
  };
  ShowWindow(mWindow.Hwnd(), SW_SHOWNORMAL);
  UpdateWindow(mWindow.Hwnd());
  if (!parsed) {
    mPassword.Wipe();
    ShowError(problem + L"\n" + ConsoleUsage());
    return MessageLoop();
  }
  mWindow.SetServerLine(L"Server: " + mServer.Display() + L"    VM id: " + mOptions.moid);

  bool haveCredentials = SettleCredentials();
  if (RecordForTests()) {
    mPassword.Wipe();
    return 0;
  }
  if (!haveCredentials) {
    ShowError(L"No credentials were entered, so the console did not log in.");
    return MessageLoop();
  }
  if (!LoadAutomationLibrary()) {
    mPassword.Wipe();
    return MessageLoop();
  }
  StartSession();
  return MessageLoop();
}

bool ConsoleApp::SettleCredentials() {
  if (mPasswordSource == L"pipe") return true;
  mWindow.SetStatus(L"Waiting for credentials...");
  if (!PromptForLogin(mWindow.Hwnd(), mServer.Display(), mUser, mPassword)) return false;
  mPasswordSource = L"prompt";
  return true;
}

// Test mode only (see TestRecord.h); true when the run should end here.
bool ConsoleApp::RecordForTests() {
  std::wstring file = EnvironmentValue(kTestRecordVariable);
  if (file.empty()) return false;
  TestRecord record;
  record.commandLine = GetCommandLineW();
  record.host = mOptions.host;
  record.moid = mOptions.moid;
  record.user = mUser;
  record.passwordOption = mOptions.passwordOnStdin;
  record.passwordSource = mPasswordSource;
  if (!WriteTestRecord(file, record, mPassword)) ShowError(L"The test record could not be written.");
  return EnvironmentValue(kTestExitVariable) == L"1";
}

bool ConsoleApp::LoadAutomationLibrary() {
  std::wstring folder = LibraryFolder();
  std::wstring path = folder + L"qor.dll";
  SetDllDirectoryW(folder.c_str());
  mLibrary = LoadLibraryW(path.c_str());
  DWORD error = GetLastError();
  SetDllDirectoryW(nullptr);
  if (!mLibrary) {
    ShowError(L"The automation library could not be loaded from " + path + L" (error " + std::to_wstring(error) +
              L").");
    return false;
  }
  if (!QorLibrary::Bind(mLibrary)) {
    std::string missing = QorLibrary::MissingExport() ? QorLibrary::MissingExport() : "?";
    ShowError(L"The automation library at " + path + L" lacks the function " +
              std::wstring(missing.begin(), missing.end()) + L".");
    return false;
  }
  return true;
}

void ConsoleApp::StartSession() {
  mWindow.SetStatus(L"Logging in to " + mServer.Display() + L" as " + mUser + L"...");
  HWND window = mWindow.Hwnd();
  std::string user = utils::ToUtf8String(mUser);
  std::string moid = utils::ToUtf8String(mOptions.moid);
  mWorker = std::thread([this, window, user, moid] {
    auto* outcome = new VmSession::Outcome(mSession.Open(mServer, user, mPassword, moid));
    mWorkerDone = true;
    if (!PostMessageW(window, kSessionDone, 0, reinterpret_cast<LPARAM>(outcome))) delete outcome;
  });
}

void ConsoleApp::OnAppMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == kSessionDone) {
    std::unique_ptr<VmSession::Outcome> outcome(reinterpret_cast<VmSession::Outcome*>(lParam));
    OnSessionDone(*outcome);
  } else if (message == kPowerChanged) {
    ShowPowerState();
  }
}

void ConsoleApp::OnSessionDone(const VmSession::Outcome& outcome) {
  const std::wstring server = mServer.Display();
  const std::wstring reason = VmSession::ErrorText(outcome.error) + L" (error " + std::to_wstring(outcome.error) + L")";
  switch (outcome.result) {
    case VmSession::Result::kOpened:
      mWindow.SetTitle(outcome.vmName);
      if (!mSession.Follow(mWindow.Hwnd(), kPowerChanged)) {
        ShowError(L"The VM's power state cannot be followed; it is shown as it was when opened.");
        return;
      }
      ShowPowerState();
      return;
    case VmSession::Result::kLoginRefused:
      ShowError(L"Login to " + server + L" as " + mUser + L" failed: the user name or password is incorrect.");
      return;
    case VmSession::Result::kConnectFailed:
      ShowError(L"Could not log in to " + server + L": " + reason + L".");
      return;
    case VmSession::Result::kVmNotFound:
      ShowError(L"No VM with the id '" + mOptions.moid + L"' was found on " + server + L".");
      return;
    case VmSession::Result::kSearchFailed:
      ShowError(L"Looking for the VM on " + server + L" failed: " + reason + L".");
      return;
  }
}

void ConsoleApp::ShowPowerState() {
  int32_t bits = 0;
  if (!mSession.ReadPowerState(bits)) {
    mWindow.SetStatus(L"Power state: unknown (it could not be read)");
    return;
  }
  mWindow.SetStatus(L"Power state: " + DescribePowerState(bits));
}

void ConsoleApp::ShowError(const std::wstring& text) {
  mWindow.SetTitle(LUMACON_DEFAULT_TITLE);
  mWindow.SetStatus(L"Error: " + text);
}

int ConsoleApp::MessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (!mWorkerDone && mWorker.joinable()) {
    // A login still waiting on the server must not hold up closing the window.
    ExitProcess(0);
  }
  return 0;
}

}  // namespace lumacon
