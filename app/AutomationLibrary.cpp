#include "app/AutomationLibrary.h"

#include <cwchar>

#include "app/ShellNames.h"
#include "backend/QorLibrary.h"
#include "log/Log.h"

namespace {
std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  out.resize(size - 1);
  return out;
}
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
    Log("%s: Failed to load '%s' with error code 0x%08x.\n", kName, Utf8(path).c_str(),
        static_cast<unsigned>(error));
    return nullptr;
  }
  if (!QorLibrary::Bind(library)) {
    const char* missing = QorLibrary::MissingExport();
    Log("%s: '%s' lacks the function '%s'.\n", kName, Utf8(path).c_str(), missing ? missing : "?");
    FreeLibrary(library);
    return nullptr;
  }
  return library;
}

void UnloadAutomationLibrary(HMODULE library) {
  if (!library) return;
  QorLibrary::Unbind();
  FreeLibrary(library);
}

}  // namespace shell
