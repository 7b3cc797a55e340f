#include "tests/app/ShellTestSupport.h"

#include <cwchar>

namespace shelltest {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (wchar_t* slash = wcsrchr(path, L'\\')) *slash = L'\0';
  return path;
}

ChildProcess::~ChildProcess() { Terminate(); }

namespace {
// The current environment block with some variables replaced (or added).
std::vector<wchar_t> EnvironmentWith(
    const std::vector<std::pair<std::wstring, std::wstring>>& overrides) {
  std::vector<wchar_t> block;
  wchar_t* current = GetEnvironmentStringsW();
  for (const wchar_t* entry = current; entry && *entry; entry += wcslen(entry) + 1) {
    bool replaced = false;
    for (const auto& item : overrides) {
      const size_t n = item.first.size();
      if (_wcsnicmp(entry, item.first.c_str(), n) == 0 && entry[n] == L'=') replaced = true;
    }
    if (!replaced) block.insert(block.end(), entry, entry + wcslen(entry) + 1);
  }
  if (current) FreeEnvironmentStringsW(current);
  for (const auto& item : overrides) {
    const std::wstring entry = item.first + L"=" + item.second;
    block.insert(block.end(), entry.begin(), entry.end());
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}
}  // namespace

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& args,
                         const std::vector<std::pair<std::wstring, std::wstring>>& environment) {
  Terminate();
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!args.empty()) commandLine += L" " + args;
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(L'\0');
  // The program's automatic update check must stay on this machine: point it at a
  // closed local port unless the test chose a service.
  auto overrides = environment;
  bool infoHostGiven = false;
  for (const auto& item : overrides) infoHostGiven |= item.first == L"ZANDOR_INFO_HOST";
  if (!infoHostGiven) overrides.emplace_back(L"ZANDOR_INFO_HOST", L"127.0.0.1:9");
  std::vector<wchar_t> block = EnvironmentWith(overrides);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  return CreateProcessW(exe.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &mInfo) != FALSE;
}

DWORD ChildProcess::WaitForExit(DWORD milliseconds) {
  if (!mInfo.hProcess) return STILL_ACTIVE;
  if (WaitForSingleObject(mInfo.hProcess, milliseconds) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(mInfo.hProcess, &code);
  return code;
}

bool ChildProcess::Running() const {
  return mInfo.hProcess && WaitForSingleObject(mInfo.hProcess, 0) == WAIT_TIMEOUT;
}

void ChildProcess::Terminate() {
  if (!mInfo.hProcess) return;
  if (Running()) {
    TerminateProcess(mInfo.hProcess, 1);
    WaitForSingleObject(mInfo.hProcess, 5000);
  }
  CloseHandle(mInfo.hProcess);
  CloseHandle(mInfo.hThread);
  mInfo = {};
}

std::wstring ReadAndDismissMessageBox(HWND box) {
  // Its controls may not exist until it is shown.
  WaitUntil([&] { return IsWindowVisible(box) != FALSE; }, 10000);
  wchar_t text[2048] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 2048);
  SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  return text;
}

void EndLeftoverInstances() {
  while (HWND popup = FindWindowW(L"Zandor Wickerlyn Popup Window", nullptr)) {
    DWORD processId = 0;
    GetWindowThreadProcessId(popup, &processId);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process) break;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

}  // namespace shelltest
