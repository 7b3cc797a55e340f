// A scratch key under HKCU that the program takes for its Run key while the object lives,
// and its "Zandor Wickerlyn" value.
#pragma once

#include <windows.h>

#include <string>

#include "app/RunAtStartup.h"

class ScratchRunKey {
 public:
  ScratchRunKey() {
    RegCreateKeyExW(HKEY_CURRENT_USER, mPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &mKey, nullptr);
    UseWithWriteAccess(true);
  }
  ~ScratchRunKey() {
    utils::SetRunKeyForTesting(nullptr, nullptr, false);
    if (mKey) RegCloseKey(mKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, mPath.c_str());
  }
  ScratchRunKey(const ScratchRunKey&) = delete;
  ScratchRunKey& operator=(const ScratchRunKey&) = delete;

  void UseWithWriteAccess(bool writable) { utils::SetRunKeyForTesting(HKEY_CURRENT_USER, mPath.c_str(), !writable); }
  bool Put(const std::wstring& text, DWORD type = REG_SZ) {
    return RegSetValueExW(mKey, kName, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  void Remove() { RegDeleteValueW(mKey, kName); }
  bool Has() const { return RegQueryValueExW(mKey, kName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; }
  std::wstring Value() const {
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    RegQueryValueExW(mKey, kName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    return data;
  }
  HKEY Key() const { return mKey; }
  const std::wstring& Path() const { return mPath; }

  static constexpr const wchar_t* kName = L"Zandor Wickerlyn";

 private:
  std::wstring mPath = L"Software\\Zandor Wickerlyn Tests\\Run-" + std::to_wstring(GetCurrentProcessId());
  HKEY mKey = nullptr;
};
