// Finding the Lumacon console program: the browser plug-in folders under the common
// program-files folder first, then the newest registered Tessaract client version.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace utils {

struct ConsoleVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

// Where a console is looked for. Default() names the machine's real places; tests point
// these at scratch folders and keys.
struct ConsoleLocations {
  std::wstring commonFilesFolder;  // empty: the plug-in folders are not searched
  HKEY registryRoot = HKEY_LOCAL_MACHINE;
  std::wstring registryKey;        // empty: no registered client is searched
  // Lists the registered versions; tests wrap it to change the key during the search.
  LONG(WINAPI* enumerateSubkey)(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPWSTR, LPDWORD, PFILETIME) = RegEnumKeyExW;

  static ConsoleLocations Default();
};

// "major.minor.build"; missing numbers stay 0 and parsing stops at the first character
// that does not fit, so "4.1" is 4.1.0 and "Common" is 0.0.0.
ConsoleVersion ParseConsoleVersion(const wchar_t* text);
bool IsNewerVersion(const ConsoleVersion& candidate, const ConsoleVersion& best);

// The console's path and version from the given places; false with an empty path and
// version 0.0.0 when none was found.
bool FindLumaconAt(const ConsoleLocations& where, std::wstring& path, ConsoleVersion& version);

// The same over ConsoleLocations::Default().
bool FindLumacon(std::wstring& path, uint32_t& major, uint32_t& minor, uint32_t& build);

}  // namespace utils
