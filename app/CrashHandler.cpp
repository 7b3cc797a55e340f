#include "app/CrashHandler.h"

#include <dbghelp.h>
#include <shlobj.h>

#include <cstdlib>
#include <ctime>
#include <cwchar>

#include "app/DataFolder.h"
#include "log/Log.h"
#include "services/StringResource.h"
#include "res/resource.h"

namespace {

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

// Tries a few numbers so that two crashes in the same second do not overwrite each other's dump.
constexpr int kNameAttempts = 16;

std::wstring DumpPathFor(const std::wstring& folder, int number) {
  wchar_t path[MAX_PATH];
  int written;
  if (folder.empty())
    written = _snwprintf(path, MAX_PATH, L"C:\\Zandor\\Zandor Wickerlyn%d.dmp", number);
  else
    written = _snwprintf(path, MAX_PATH, L"%ls\\ZandorWickerlyn%d.dmp", folder.c_str(), number);
  if (written < 0 || written >= MAX_PATH) return std::wstring();
  return path;
}

HANDLE CreateNewDumpFile(const std::wstring& folder, std::wstring& pathOut) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::wstring path = DumpPathFor(folder, rand());
    if (path.empty()) return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      pathOut = path;
      return file;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return INVALID_HANDLE_VALUE;
  }
  return INVALID_HANDLE_VALUE;
}


}  // namespace

namespace utils {

std::wstring FormatCrashMessage(const std::wstring& text, const std::wstring& dumpPath) {
  std::wstring message = text;
  const size_t slot = message.find(L"%s");
  if (slot != std::wstring::npos) message.replace(slot, 2, dumpPath);
  return message;
}

LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception) {
  HMODULE dbghelp = LoadLibraryW(L"dbghelp.dll");
  if (!dbghelp) return EXCEPTION_CONTINUE_SEARCH;

  srand(static_cast<unsigned>(time(nullptr)));
  const std::wstring folder = GetDataFolder();
  if (!folder.empty()) SHCreateDirectory(nullptr, folder.c_str());

  LONG verdict = EXCEPTION_CONTINUE_SEARCH;
  auto writeDump =
      reinterpret_cast<MiniDumpWriteDumpFn>(GetProcAddress(dbghelp, "MiniDumpWriteDump"));
  std::wstring dumpPath;
  HANDLE file = writeDump ? CreateNewDumpFile(folder, dumpPath) : INVALID_HANDLE_VALUE;
  if (file != INVALID_HANDLE_VALUE) {
    MINIDUMP_EXCEPTION_INFORMATION info;
    info.ThreadId = GetCurrentThreadId();
    info.ExceptionPointers = exception;
    info.ClientPointers = FALSE;
    const BOOL written = writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal,
                                   &info, nullptr, nullptr);
    CloseHandle(file);
    if (written) {
      verdict = EXCEPTION_EXECUTE_HANDLER;
      const std::wstring message = FormatCrashMessage(utils::LoadStringResource(IDS_CRASH_MESSAGE), dumpPath);
      MessageBoxW(GetActiveWindow(), message.c_str(), utils::LoadStringResource(IDS_APP_TITLE).c_str(),
                  MB_OK | MB_SETFOREGROUND);
    } else {
      DeleteFileW(dumpPath.c_str());  // an empty or partial dump helps nobody
    }
  }
  FreeLibrary(dbghelp);
  return verdict;
}

void InstallCrashHandler() { SetUnhandledExceptionFilter(CrashHandler); }

}  // namespace utils
