// Helpers for the console tests: scratch installations of console programs (folders and
// a registry key of their own), the console's test record, and the consoles' windows.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <sstream>
#include <string>

#include "console/ConsoleIds.h"
#include "services/ConsoleLocator.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/Polling.h"
#include "tests/support/ScratchFolder.h"

namespace consoletest {

// Built beside the test programs (<build>/bin).
inline std::wstring ConsoleProgram() { return testfs::ProgramFolder() + L"\\zandor-lumacon.exe"; }

inline void MakeFolders(const std::wstring& path) { SHCreateDirectoryExW(nullptr, path.c_str(), nullptr); }

// A scratch folder (its name has a space, like the real program-files folders) with a
// "common" folder for plug-in installs and a registry key for registered clients.
class ScratchInstall {
 public:
  ScratchInstall() {
    MakeFolders(CommonFiles());
    MakeFolders(mFolder / L"client");
  }
  ~ScratchInstall() {
    RegDeleteTreeW(HKEY_CURRENT_USER, mKey.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, mKey.c_str());
  }
  ScratchInstall(const ScratchInstall&) = delete;
  ScratchInstall& operator=(const ScratchInstall&) = delete;

  const std::wstring& Root() const { return mFolder.Path(); }
  std::wstring CommonFiles() const { return mFolder / L"common"; }
  std::wstring ClientRoot() const { return mFolder / L"client\\"; }

  utils::ConsoleLocations Locations() const {
    utils::ConsoleLocations where;
    where.commonFilesFolder = CommonFiles();
    where.registryRoot = HKEY_CURRENT_USER;
    where.registryKey = mKey;
    return where;
  }

  // Registers the client root (REG_SZ or REG_EXPAND_SZ).
  bool RegisterClientRoot(const std::wstring& root, DWORD type = REG_SZ) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, mKey.c_str(), L"TessaractClientRootPath", type, root.c_str(),
                           static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  // The client root registered with one version holding this program.
  bool Register(const std::wstring& version, const std::wstring& program) {
    return RegisterClientRoot(ClientRoot()) && AddVersion(version, program);
  }

  // A version subkey; with a program, its folder under the client root holds that program
  // as zandor-lumacon.exe (and the automation library when asked).
  bool AddVersion(const std::wstring& name, const std::wstring& program, bool withLibrary = false) {
    HKEY key = nullptr;
    if (RegCreateKeyW(HKEY_CURRENT_USER, (mKey + L"\\" + name).c_str(), &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    if (program.empty()) return true;
    return Place(ClientRoot() + name, program, withLibrary);
  }

  static bool Place(const std::wstring& folder, const std::wstring& program, bool withLibrary) {
    MakeFolders(folder);
    if (!CopyFileW(program.c_str(), (folder + L"\\zandor-lumacon.exe").c_str(), FALSE)) return false;
    if (!withLibrary) return true;
    MakeFolders(folder + L"\\kilnworks");
    const std::wstring library = L"\\kilnworks\\qor.dll";
    return CopyFileW((testfs::ProgramFolder() + library).c_str(), (folder + library).c_str(), FALSE) != FALSE;
  }

 private:
  testfs::ScratchFolder mFolder{L"console test"};
  // Named after the folder, which is unique.
  std::wstring mKey = L"Software\\Zandor Wickerlyn Tests\\" + mFolder.Path().substr(mFolder.Path().rfind(L'\\') + 1);
};

// The console's test record as key -> value (UTF-8); empty when it did not appear in time.
inline std::map<std::string, std::string> WaitForRecord(const std::wstring& file, int timeoutMs = 30000) {
  // Read until it parses: a read that meets the console's replacing of the file gets nothing.
  std::map<std::string, std::string> record;
  polling::WaitUntil([&] {
    std::istringstream lines(testfs::ReadFileBytes(file));
    std::string line;
    while (std::getline(lines, line)) {
      size_t equals = line.find('=');
      if (equals != std::string::npos) record[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return !record.empty();
  }, timeoutMs);
  return record;
}

// Test programs run side by side on one desktop and show windows with the same class and
// caption: a console is told by where its program file lies.
inline HWND FindConsoleWindow(const wchar_t* windowClass, const wchar_t* caption, const std::wstring& folder) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, windowClass, caption)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner);
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    const bool named = process && QueryFullProcessImageNameW(process, 0, image, &size);
    if (process) CloseHandle(process);
    if (IsWindowVisible(window) && named && _wcsnicmp(image, folder.c_str(), folder.size()) == 0) return window;
  }
  return nullptr;
}

inline HWND WaitForConsoleWindow(const wchar_t* windowClass, const wchar_t* caption, const std::wstring& folder) {
  HWND window = nullptr;
  polling::WaitUntil([&] { return (window = FindConsoleWindow(windowClass, caption, folder)) != nullptr; }, 20000);
  return window;
}

}  // namespace consoletest
