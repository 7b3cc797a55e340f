#include "app/AutomationLibrary.h"

#include <cwchar>

#include "app/ShellNames.h"
#include "backend/QorLibrary.h"
#include "log/Log.h"
#include "services/TextConversion.h"

namespace {
// Long enough for a login or search answer that is already on its way.
constexpr unsigned kJobWaitMs = 5000;
}  // namespace

namespace shell {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    Log("%s: GetModuleFileNameW failed with error code 0x%08x.\n", "shell::ProgramFolder",
        static_cast<unsigned>(length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER));
    return std::wstring();
  }
  wchar_t* lastSlash = wcsrchr(path, L'\\');
  if (!lastSlash) return std::wstring();
  *lastSlash = L'\0';
  return path;
}

HMODULE LoadAutomationLibrary(const std::wstring& programFolder) {
  static const char kName[] = "shell::LoadAutomationLibrary";
  if (programFolder.empty()) return nullptr;
  const std::wstring folder = programFolder + kAutomationFolder;
  const std::wstring path = folder + kAutomationLibrary;

  if (!SetDllDirectoryW(folder.c_str()))
    Log("%s: SetDllDirectoryW failed with error code 0x%08x.\n", kName,
        static_cast<unsigned>(GetLastError()));
  HMODULE library = LoadLibraryW(path.c_str());
  const DWORD error = GetLastError();
  SetDllDirectoryW(nullptr);

  if (!library) {
    Log("%s: Failed to load '%s' with error code 0x%08x.\n", kName, utils::ToUtf8String(path).c_str(),
        static_cast<unsigned>(error));
    return nullptr;
  }
  if (!QorLibrary::Bind(library)) {
    const char* missing = QorLibrary::MissingExport();
    Log("%s: '%s' lacks the function '%s'.\n", kName, utils::ToUtf8String(path).c_str(), missing ? missing : "?");
    FreeLibrary(library);
    return nullptr;
  }
  return library;
}

void UnloadAutomationLibrary(HMODULE library) {
  if (!library) return;
  QorLibrary::Unbind();
  // A handler still to come runs the program's code on a library thread and calls the
  // library; unloading under it would crash the ending process.
  if (!QorLibrary::WaitForJobs(kJobWaitMs)) {
    Log("%s: %u library jobs are still running after %u ms; the library stays loaded.\n",
        "shell::UnloadAutomationLibrary", static_cast<unsigned>(QorLibrary::JobsInFlight()), kJobWaitMs);
    return;
  }
  FreeLibrary(library);
}

}  // namespace shell
