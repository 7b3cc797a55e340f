#include "services/ConsoleLauncher.h"

#include <utility>

#include "log/Log.h"
#include "res/resource.h"
#include "services/ConsoleCommandLine.h"
#include "services/ConsoleCredentialPipe.h"
#include "services/ConsoleHint.h"
#include "services/Protection.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"

namespace {

const char kLogName[] = "utils::RunVMInLumacon";

void ShowConsoleNotFound() {
  std::wstring text = utils::LoadStringResource(IDS_CONSOLE_NOT_FOUND);
  std::wstring caption = utils::LoadStringResource(IDS_APP_TITLE);
  MessageBoxW(GetForegroundWindow(), text.c_str(), caption.c_str(), MB_OK | MB_SETFOREGROUND);
}

bool ToWide(const std::string& text, std::wstring& out) {
  std::vector<wchar_t> wide;
  if (!utils::Utf8ToWide(text.c_str(), wide)) return false;
  out.assign(wide.data());
  return true;
}

bool StartConsole(std::wstring commandLine, HANDLE standardInput) {
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (standardInput) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = standardInput;
  }
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr,
                      &startup, &process)) {
    Log("%s: Failed to launch Lumacon! Error code is 0x%08lx.\n", kLogName, GetLastError());
    return false;
  }
  // The console lives on its own; nothing here waits for it or watches it.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void HandOverPassword(utils::ConsoleCredentialPipe& pipe, const std::string& protectedPassword) {
  std::vector<char> password;
  if (!utils::DecryptString(protectedPassword.c_str(), static_cast<int>(protectedPassword.size()), password) ||
      password.empty()) {
    utils::WipeBuffer(password);
    return;
  }
  Log("%s: Writing credentials securely to the pipe for Lumacon's use.\n", kLogName);
  if (pipe.Deliver(password, kLogName)) {
    Log("%s: Finished waiting on credential pipe. Closing handles now.\n", kLogName);
  }
}

}  // namespace

namespace utils {

bool ConsoleLauncher::Run(const std::string& host, const std::string& moid, const std::string& userName,
                          const std::string& protectedPassword) const {
  if (moid.empty()) {
    Log("%s: Can't launch the VM in Lumacon because there is no MOID!\n", kLogName);
    return false;
  }
  std::wstring path;
  ConsoleVersion version;
  if (!FindLumaconAt(mWhere, path, version)) {
    Log("%s: Unable to find an installation of Lumacon.\n", kLogName);
    ShowConsoleNotFound();
    return false;
  }
  Log("%s: Found path to Lumacon at '%s'.\n", kLogName, ToUtf8String(path).c_str());

  std::wstring wideHost, wideMoid, wideUser;
  if (!ToWide(host, wideHost) || !ToWide(moid, wideMoid) || !ToWide(userName, wideUser)) {
    Log("%s: The host, managed-object id or user name is not valid UTF-8.\n", kLogName);
    return false;
  }

  ConsoleCredentialPipe pipe;
  if (ConsoleTakesPassword(version.major)) {
    pipe.Create(kLogName);  // without it the console asks for the password itself
  } else {
    ShowOldConsoleHintIfWanted(GetActiveWindow());
  }

  std::wstring commandLine = MakeConsoleCommandLine(path, version.major, wideHost, wideMoid, wideUser);
  if (!StartConsole(std::move(commandLine), pipe.IsOpen() ? pipe.ChildEnd() : nullptr)) {
    pipe.Close();
    return false;
  }
  if (pipe.IsOpen()) HandOverPassword(pipe, protectedPassword);
  // The child keeps its inherited read end and sees the end of the pipe after the password.
  pipe.Close();
  return true;
}

bool RunVMInLumacon(const std::string& host, const std::string& moid, const std::string& userName,
                    const std::string& protectedPassword) {
  return ConsoleLauncher(ConsoleLocations::Default()).Run(host, moid, userName, protectedPassword);
}

}  // namespace utils
