// Sets an environment variable for a scope (children inherit it) and puts the old value back.
#pragma once

#include <windows.h>

#include <string>

class EnvironmentGuard {
 public:
  // An empty value removes the variable for the scope.
  EnvironmentGuard(const wchar_t* name, const std::wstring& value) : mName(name) {
    wchar_t old[4096] = {};
    DWORD length = GetEnvironmentVariableW(name, old, 4096);
    mHadValue = length > 0 && length < 4096;
    if (mHadValue) mOld = old;
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
  }
  ~EnvironmentGuard() { SetEnvironmentVariableW(mName.c_str(), mHadValue ? mOld.c_str() : nullptr); }
  EnvironmentGuard(const EnvironmentGuard&) = delete;
  EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

 private:
  std::wstring mName;
  std::wstring mOld;
  bool mHadValue = false;
};
