#include "app/RunAtStartup.h"

#include <cwchar>
#include <string>

#include "log/Log.h"
#include "services/TextConversion.h"

namespace {

constexpr const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t kValueName[] = L"Zandor Wickerlyn";
constexpr const char kRunKeyUtf8[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char kValueNameUtf8[] = "Zandor Wickerlyn";

struct RunKeyLocation {
  HKEY root = HKEY_LOCAL_MACHINE;
  std::wstring subKey = kRunKey;
  std::string subKeyUtf8 = kRunKeyUtf8;
  bool refuseWriteAccess = false;
};

RunKeyLocation& Location() {
  static RunKeyLocation location;
  return location;
}

LONG OpenRunKey(REGSAM access, HKEY& key) {
  const RunKeyLocation& where = Location();
  if (where.refuseWriteAccess && (access & KEY_WRITE) == KEY_WRITE) return ERROR_ACCESS_DENIED;
  return RegOpenKeyExW(where.root, where.subKey.c_str(), 0, access, &key);
}

const char* KeyPath() { return Location().subKeyUtf8.c_str(); }

}  // namespace

namespace utils {

void SetRunKeyForTesting(HKEY root, const wchar_t* subKey, bool refuseWriteAccess) {
  RunKeyLocation location;
  if (subKey) {
    location.root = root;
    location.subKey = subKey;
    location.subKeyUtf8 = utils::ToUtf8String(subKey);
    location.refuseWriteAccess = refuseWriteAccess;
  }
  Location() = location;
}

bool GetRunOnWindowsStartup(bool& enabled, bool& canChange) {
  static const char kName[] = "utils::GetRunOnWindowsStartup";
  enabled = false;
  HKEY key = nullptr;
  LONG result = OpenRunKey(KEY_READ | KEY_WRITE, key);
  if (result == ERROR_SUCCESS) {
    canChange = true;
  } else {
    Log("%s: Failed to open 'HKLM\\%s\\%s' for write access with error code 0x%08x. Assuming that "
        "user is non-admin and/or UAC is enabled.\n",
        kName, KeyPath(), kValueNameUtf8, static_cast<unsigned>(result));
    canChange = false;
    result = OpenRunKey(KEY_READ, key);
    if (result != ERROR_SUCCESS) {
      Log("%s: Failed to open 'HKLM\\%s\\%s' for read access with error code 0x%08x.\n", kName,
          KeyPath(), kValueNameUtf8, static_cast<unsigned>(result));
      return false;
    }
  }

  DWORD type = 0;
  result = RegQueryValueExW(key, kValueName, nullptr, &type, nullptr, nullptr);
  if (result == ERROR_SUCCESS) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      enabled = true;
      RegCloseKey(key);
      return true;
    }
    result = ERROR_INVALID_DATA;
  }
  if (result != ERROR_FILE_NOT_FOUND) {
    Log("%s: Unexpected error code 0x%08x when trying to read 'HKLM\\%s\\%s'.\n", kName,
        static_cast<unsigned>(result), KeyPath(), kValueNameUtf8);
  }
  RegCloseKey(key);
  return false;
}

bool SetRunOnWindowsStartup(bool enable) {
  static const char kName[] = "utils::SetRunOnWindowsStartup";
  HKEY key = nullptr;
  LONG result = OpenRunKey(KEY_READ | KEY_WRITE, key);
  if (result != ERROR_SUCCESS) {
    Log("%s: Failed to open HKLM\\%s\\%s for write access with error code 0x%08x. Assuming that user "
        "is non-admin and/or UAC is enabled.\n",
        kName, KeyPath(), kValueNameUtf8, static_cast<unsigned>(result));
    return false;
  }

  bool ok = false;
  if (enable) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
      const DWORD error = length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
      Log("%s: Failed to retrieve current process's path with error code 0x%04x.\n", kName,
          static_cast<unsigned>(error));
    } else {
      const std::wstring data = L"\"" + std::wstring(path) + L"\" /startup";
      result = RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
      if (result == ERROR_SUCCESS) {
        Log("%s: Successfully set registry value 'HKLM\\%s\\%s' to '%s'.\n", kName, KeyPath(),
            kValueNameUtf8, utils::ToUtf8String(data).c_str());
        ok = true;
      } else {
        Log("%s: Setting registry value 'HKLM\\%s\\%s' to '%s' failed with error code 0x%08x.\n",
            kName, KeyPath(), kValueNameUtf8, utils::ToUtf8String(data).c_str(), static_cast<unsigned>(result));
      }
    }
  } else {
    result = RegDeleteValueW(key, kValueName);
    if (result == ERROR_SUCCESS) {
      Log("%s: Successfully deleted registry value 'HKLM\\%s\\%s'.\n", kName, KeyPath(),
          kValueNameUtf8);
      ok = true;
    } else {
      Log("%s: Deleting registry value 'HKLM\\%s\\%s' failed with error code 0x%08x.\n", kName,
          KeyPath(), kValueNameUtf8, static_cast<unsigned>(result));
    }
  }
  RegCloseKey(key);
  return ok;
}

}  // namespace utils
