// Gives a test the user's proxy settings (ProxyEnable, ProxyServer under the Internet
// settings key) to change. The test prefix has neither, and the guard leaves neither behind;
// the suites take the prefix one at a time.
#pragma once
#include <windows.h>

#include <string>

class InternetSettingsGuard {
 public:
  static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

  InternetSettingsGuard() {
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &mKey,
                    nullptr);
  }
  ~InternetSettingsGuard() {
    Remove(L"ProxyEnable");
    Remove(L"ProxyServer");
    if (mKey) RegCloseKey(mKey);
  }
  InternetSettingsGuard(const InternetSettingsGuard&) = delete;
  InternetSettingsGuard& operator=(const InternetSettingsGuard&) = delete;

  void SetEnable(DWORD value) {
    RegSetValueExW(mKey, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  void SetServer(const std::wstring& server) {
    RegSetValueExW(mKey, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
  }
  void Remove(const wchar_t* name) { RegDeleteValueW(mKey, name); }

 private:
  HKEY mKey = nullptr;
};
