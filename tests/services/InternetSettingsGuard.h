// Gives a test the user's proxy settings (ProxyEnable, ProxyServer under the Internet
// settings key) to change, and puts the old values back afterwards. A named mutex keeps
// tests in other processes of the same Wine prefix from changing them at the same time.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class InternetSettingsGuard {
 public:
  static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

  InternetSettingsGuard() {
    mMutex = CreateMutexW(nullptr, FALSE, L"ZandorWickerlynTest.InternetSettings");
    if (mMutex) WaitForSingleObject(mMutex, 60000);
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &mKey,
                    nullptr);
    Save(L"ProxyEnable", mEnable);
    Save(L"ProxyServer", mServer);
  }
  ~InternetSettingsGuard() {
    Restore(L"ProxyEnable", mEnable);
    Restore(L"ProxyServer", mServer);
    if (mKey) RegCloseKey(mKey);
    if (mMutex) {
      ReleaseMutex(mMutex);
      CloseHandle(mMutex);
    }
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
  // Any type and bytes, for values that are there but not of the expected form.
  void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    RegSetValueExW(mKey, name, 0, type, static_cast<const BYTE*>(data), size);
  }
  void Remove(const wchar_t* name) { RegDeleteValueW(mKey, name); }

 private:
  struct SavedValue {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  void Save(const wchar_t* name, SavedValue& saved) {
    DWORD size = 0;
    if (RegQueryValueExW(mKey, name, nullptr, &saved.type, nullptr, &size) != ERROR_SUCCESS) return;
    saved.data.resize(size);
    saved.present = RegQueryValueExW(mKey, name, nullptr, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
  }
  void Restore(const wchar_t* name, const SavedValue& saved) {
    if (!saved.present) {
      RegDeleteValueW(mKey, name);
      return;
    }
    RegSetValueExW(mKey, name, 0, saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
  }

  HANDLE mMutex = nullptr;
  HKEY mKey = nullptr;
  SavedValue mEnable;
  SavedValue mServer;
};
