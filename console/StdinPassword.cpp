#include "console/StdinPassword.h"

namespace lumacon {

PasswordRead ReadPassword(HANDLE input, SecretText& password) {
  password.Wipe();
  if (!input || input == INVALID_HANDLE_VALUE) return PasswordRead::kMissing;
  std::vector<char>& bytes = password.Bytes();
  // Room for the longest password at once: a reallocation would leave a copy unwiped.
  bytes.reserve(kMaxPasswordBytes + 1);
  for (;;) {
    char c = 0;
    DWORD got = 0;
    if (!ReadFile(input, &c, 1, &got, nullptr) || got == 0) {
      password.Wipe();
      return PasswordRead::kMissing;
    }
    bytes.push_back(c);
    SecureZeroMemory(&c, 1);
    if (bytes.back() == '\0') return PasswordRead::kReceived;
    if (bytes.size() > kMaxPasswordBytes) {
      password.Wipe();
      return PasswordRead::kTooLong;
    }
  }
}

}  // namespace lumacon
