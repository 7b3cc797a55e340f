#include "app/Maintenance.h"

#include <windows.h>

#include "app/ProcessList.h"
#include "app/ShellNames.h"
#include "log/Log.h"
#include "ui/popup/PopupWindow.h"
#include "ui/window/Messages.h"

namespace {

using utils::EnumProcessesFn;
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);

// Gives the instance up to a second to tear down by itself; returns as soon as it has ended.
void WaitForPoliteExit(HWND popup) {
  DWORD processId = 0;
  GetWindowThreadProcessId(popup, &processId);
  HANDLE process = processId ? OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr;
  if (process) {
    WaitForSingleObject(process, 1000);
    CloseHandle(process);
  } else {
    Sleep(1000);
  }
}

bool IsProgramInstance(HANDLE process, EnumProcessModulesFn enumModules,
                       GetModuleBaseNameFn baseName) {
  HMODULE modules[512];  // 4096 bytes
  DWORD needed = 0;
  if (!enumModules(process, modules, sizeof(modules), &needed)) return false;
  const DWORD count = (needed < sizeof(modules) ? needed : sizeof(modules)) / sizeof(HMODULE);
  for (DWORD i = 0; i < count; ++i) {
    wchar_t name[261];
    if (baseName(process, modules[i], name, 261) == 0) continue;
    if (lstrcmpiW(name, shell::kProgramImageName) == 0) return true;
  }
  return false;
}

}  // namespace

namespace utils {

void KillOtherInstances() {
  if (HWND popup = FindWindowW(ui::PopupWindow::kClassName, nullptr)) {
    PostMessageW(popup, WM_QUITAPP, 0, 0);
    WaitForPoliteExit(popup);
  }

  constexpr const char kName[] = "utils::KillOtherInstances";
  HMODULE psapi = LoadLibraryW(L"psapi.dll");
  if (!psapi) {
    Log("%s: psapi.dll did not load (error code 0x%08x); no instance is ended.\n", kName,
        static_cast<unsigned>(GetLastError()));
    return;
  }
  auto enumProcesses = reinterpret_cast<EnumProcessesFn>(GetProcAddress(psapi, "EnumProcesses"));
  auto enumModules =
      reinterpret_cast<EnumProcessModulesFn>(GetProcAddress(psapi, "EnumProcessModules"));
  auto baseName = reinterpret_cast<GetModuleBaseNameFn>(GetProcAddress(psapi, "GetModuleBaseNameW"));
  if (enumProcesses && enumModules && baseName) {
    const DWORD self = GetCurrentProcessId();
    for (const DWORD id : ListProcessIds(enumProcesses)) {
      if (id == self) continue;
      HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, id);
      if (!process) continue;  // other users' or protected processes
      if (IsProgramInstance(process, enumModules, baseName)) TerminateProcess(process, 0);
      CloseHandle(process);
    }
  } else {
    Log("%s: psapi.dll lacks a process function; no instance is ended.\n", kName);
  }
  FreeLibrary(psapi);
}

void DeleteFilesInFolder(const wchar_t* folder, const wchar_t* pattern) {
  if (!folder || !*folder || !pattern) return;
  wchar_t search[MAX_PATH];
  if (!JoinPath(search, MAX_PATH, folder, pattern)) return;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(search, &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (lstrcmpW(entry.cFileName, L".") == 0 || lstrcmpW(entry.cFileName, L"..") == 0) continue;
    wchar_t path[MAX_PATH];
    // Sub-folders fail here and stay, as do read-only and locked files.
    if (JoinPath(path, MAX_PATH, folder, entry.cFileName)) DeleteFileW(path);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

}  // namespace utils
