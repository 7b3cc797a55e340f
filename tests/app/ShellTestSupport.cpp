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

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& args) {
  Terminate();
  std::wstring commandLine = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  return CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &mInfo) != FALSE;
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
