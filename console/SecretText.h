// A password as UTF-8 with its terminating zero, overwritten with zeros when it is
// cleared or destroyed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace lumacon {

class SecretText {
 public:
  SecretText() = default;
  ~SecretText() { Wipe(); }
  SecretText(const SecretText&) = delete;
  SecretText& operator=(const SecretText&) = delete;

  bool Empty() const { return mBytes.empty(); }
  // Length without the terminating zero.
  size_t Length() const { return mBytes.empty() ? 0 : mBytes.size() - 1; }
  const char* CStr() const { return mBytes.empty() ? "" : mBytes.data(); }
  // The bytes with their terminating zero, for readers that fill it.
  std::vector<char>& Bytes() { return mBytes; }

  void Wipe() {
    if (!mBytes.empty()) SecureZeroMemory(mBytes.data(), mBytes.size());
    mBytes.clear();
  }

 private:
  std::vector<char> mBytes;
};

}  // namespace lumacon
