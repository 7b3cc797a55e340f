#include "app/DataFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

namespace {
std::wstring& DataFolderOverride() {
  static std::wstring folder;
  return folder;
}

// Beside the program, so that a machine without a profile folder still keeps its settings
// in one fixed place instead of whatever the current directory happens to be.
std::wstring FolderBesideProgram() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  wchar_t* lastSlash = wcsrchr(path, L'\\');
  if (!lastSlash) return std::wstring();
  *lastSlash = L'\0';
  return std::wstring(path) + L"\\Zandor Wickerlyn Data";
}
}  // namespace

namespace utils {

void SetDataFolderForTesting(const std::wstring& folder) { DataFolderOverride() = folder; }

std::wstring GetDataFolder() {
  if (!DataFolderOverride().empty()) return DataFolderOverride();
  wchar_t appData[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
    return FolderBesideProgram();
  wchar_t folder[MAX_PATH];
  const int written = _snwprintf(folder, MAX_PATH, L"%ls\\Zandor\\Zandor Wickerlyn", appData);
  if (written < 0 || written >= MAX_PATH) return FolderBesideProgram();
  return folder;
}

}  // namespace utils
