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

const char kLauncherLogName[] = "utils::RunVMInLumacon";

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
  STARTUPINFOEXW startup = {};
  startup.StartupInfo.cb = sizeof startup;
  // The console gets the pipe's read end and nothing else the program holds open.
  std::vector<char> attributeSpace;
  DWORD flags = DETACHED_PROCESS;
  if (standardInput) {
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = standardInput;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributeSpace.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeSpace.data());
    const bool initialized = size != 0 && InitializeProcThreadAttributeList(list, 1, 0, &size);
    if (!initialized || !UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                   &startup.StartupInfo.hStdInput, sizeof(HANDLE), nullptr, nullptr)) {
      Log("%s: Failed to limit the handles Lumacon inherits! Error code is 0x%08lx.\n", kLauncherLogName, GetLastError());
      if (initialized) DeleteProcThreadAttributeList(list);
      return false;
    }
    startup.lpAttributeList = list;
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, standardInput ? TRUE : FALSE, flags,
                                      nullptr, nullptr, &startup.StartupInfo, &process);
  const DWORD error = GetLastError();
  if (startup.lpAttributeList) DeleteProcThreadAttributeList(startup.lpAttributeList);
  if (!started) {
    Log("%s: Failed to launch Lumacon! Error code is 0x%08lx.\n", kLauncherLogName, error);
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
  Log("%s: Writing credentials securely to the pipe for Lumacon's use.\n", kLauncherLogName);
  if (pipe.Deliver(password, kLauncherLogName)) {
    Log("%s: Finished waiting on credential pipe. Closing handles now.\n", kLauncherLogName);
  }
}

}  // namespace

namespace utils {

bool ConsoleLauncher::Run(const std::string& host, const std::string& moid, const std::string& userName,
                          const std::string& protectedPassword) const {
  if (moid.empty()) {
    Log("%s: Can't launch the VM in Lumacon because there is no MOID!\n", kLauncherLogName);
    return false;
  }
  std::wstring path;
  ConsoleVersion version;
  if (!FindLumaconAt(mWhere, path, version)) {
    Log("%s: Unable to find an installation of Lumacon.\n", kLauncherLogName);
    ShowConsoleNotFound();
    return false;
  }
  Log("%s: Found path to Lumacon at '%s'.\n", kLauncherLogName, ToUtf8String(path).c_str());

  std::wstring wideHost, wideMoid, wideUser;
  if (!ToWide(host, wideHost) || !ToWide(moid, wideMoid) || !ToWide(userName, wideUser)) {
    Log("%s: The host, managed-object id or user name is not valid UTF-8.\n", kLauncherLogName);
    return false;
  }

  ConsoleCredentialPipe pipe;
  if (ConsoleTakesPassword(version.major)) {
    pipe.Create(kLauncherLogName);  // without it the console asks for the password itself
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
