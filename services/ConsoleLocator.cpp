#include "services/ConsoleLocator.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "log/Log.h"

namespace {

const wchar_t kConsoleFile[] = L"zandor-lumacon.exe";
const wchar_t kClientKey[] = L"SOFTWARE\\Zandor, Inc.\\Zandor Tessaract Client";
const wchar_t kClientRootValue[] = L"TessaractClientRootPath";

// Plug-in folders in the order they are preferred; each holds the console per browser.
const wchar_t* const kPluginFolders[] = {
    L"\\Zandor\\Zandor Lumacon Plug-in",
    L"\\Zandor\\Zandor Lumacon Plug-in for Nebulon 1.5",
};
const wchar_t* const kBrowserFolders[] = {
    L"\\Internet Explorer\\",
    L"\\Firefox\\",
};

bool FindPluginConsole(const std::wstring& commonFiles, std::wstring& path) {
  if (commonFiles.empty()) return false;
  for (const wchar_t* plugin : kPluginFolders) {
    for (const wchar_t* browser : kBrowserFolders) {
      std::wstring candidate = commonFiles + plugin + browser + kConsoleFile;
      if (PathFileExistsW(candidate.c_str())) {
        path = candidate;
        return true;
      }
    }
  }
  return false;
}

// The client's root folder. The value may lack its terminating zero, and an expandable
// string is expanded, as its type asks.
bool ReadClientRoot(HKEY key, std::wstring& root) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, kClientRootValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    Log("%s: The value '%s' is not a string (type %lu).\n", "utils::FindLumacon", "TessaractClientRootPath",
        type);
    return false;
  }
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  DWORD read = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
  if (RegQueryValueExW(key, kClientRootValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &read) !=
      ERROR_SUCCESS) {
    return false;
  }
  text.back() = L'\0';
  root = text.data();
  if (type == REG_EXPAND_SZ) {
    DWORD needed = ExpandEnvironmentStringsW(root.c_str(), nullptr, 0);
    if (needed == 0) return false;
    std::vector<wchar_t> expanded(needed, L'\0');
    if (ExpandEnvironmentStringsW(root.c_str(), expanded.data(), needed) == 0) return false;
    root = expanded.data();
  }
  return true;
}

bool FindRegisteredConsole(const utils::ConsoleLocations& where, std::wstring& path, utils::ConsoleVersion& version) {
  if (where.registryKey.empty()) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExW(where.registryRoot, where.registryKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  std::wstring root;
  bool found = false;
  if (ReadClientRoot(key, root)) {
    utils::ConsoleVersion best;
    for (DWORD index = 0;; ++index) {
      wchar_t name[261] = {};
      DWORD length = 261;
      LONG result = where.enumerateSubkey(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (result == ERROR_NO_MORE_ITEMS) break;
      if (result == ERROR_MORE_DATA) continue;  // a name too long to be a version
      if (result != ERROR_SUCCESS) {
        // Any other error (the key deleted meanwhile, say) would repeat for every index.
        Log("%s: Listing the registered console versions stopped (error %ld).\n", "utils::FindLumacon", result);
        break;
      }
      utils::ConsoleVersion candidate = utils::ParseConsoleVersion(name);
      if (!utils::IsNewerVersion(candidate, best)) continue;
      std::wstring file = root + name + L"\\" + kConsoleFile;
      if (!PathFileExistsW(file.c_str())) continue;
      best = candidate;
      path = file;
      version = candidate;
      found = true;
    }
  }
  RegCloseKey(key);
  return found;
}

}  // namespace

namespace utils {

ConsoleLocations ConsoleLocations::Default() {
  ConsoleLocations where;
  wchar_t folder[MAX_PATH] = {};
  HRESULT result = SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES_COMMON, nullptr, SHGFP_TYPE_CURRENT, folder);
  if (SUCCEEDED(result)) {
    where.commonFilesFolder = folder;
  } else {
    Log("%s: The common program-files folder is unknown (0x%08lx).\n", "utils::FindLumacon",
        static_cast<unsigned long>(result));
  }
  where.registryRoot = HKEY_LOCAL_MACHINE;
  where.registryKey = kClientKey;
  return where;
}

ConsoleVersion ParseConsoleVersion(const wchar_t* text) {
  uint32_t numbers[3] = {0, 0, 0};
  const wchar_t* at = text ? text : L"";
  for (int part = 0; part < 3; ++part) {
    if (part > 0) {
      if (*at != L'.') break;
      ++at;
    }
    if (*at < L'0' || *at > L'9') break;
    uint64_t value = 0;
    while (*at >= L'0' && *at <= L'9') {
      value = value * 10 + static_cast<uint64_t>(*at - L'0');
      if (value > 0xFFFFFFFFull) return ConsoleVersion{numbers[0], numbers[1], numbers[2]};
      ++at;
    }
    numbers[part] = static_cast<uint32_t>(value);
  }
  return ConsoleVersion{numbers[0], numbers[1], numbers[2]};
}

bool IsNewerVersion(const ConsoleVersion& candidate, const ConsoleVersion& best) {
  if (candidate.major != best.major) return candidate.major > best.major;
  if (candidate.minor != best.minor) return candidate.minor > best.minor;
  return candidate.build > best.build;
}

bool FindLumaconAt(const ConsoleLocations& where, std::wstring& path, ConsoleVersion& version) {
  path.clear();
  version = ConsoleVersion();
  if (FindPluginConsole(where.commonFilesFolder, path)) {
    version = ConsoleVersion{5, 0, 0};
    return true;
  }
  if (FindRegisteredConsole(where, path, version)) return true;
  path.clear();
  version = ConsoleVersion();
  return false;
}

bool FindLumacon(std::wstring& path, uint32_t& major, uint32_t& minor, uint32_t& build) {
  ConsoleVersion version;
  bool found = FindLumaconAt(ConsoleLocations::Default(), path, version);
  major = version.major;
  minor = version.minor;
  build = version.build;
  return found;
}

}  // namespace utils
