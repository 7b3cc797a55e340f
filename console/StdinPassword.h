// Reading the password that the launcher writes to standard input: UTF-8 ended by one
// zero byte, after which the launcher closes the pipe.
#pragma once

#include <windows.h>

#include "console/SecretText.h"

namespace lumacon {

enum class PasswordRead {
  kReceived,  // the zero byte arrived; the password may still be empty
  kMissing,   // no input, or it ended before the zero byte
  kTooLong,   // more than kMaxPasswordBytes before the zero byte
};

constexpr size_t kMaxPasswordBytes = 4096;

// Reads byte by byte so that nothing after the zero byte is consumed. On anything but
// kReceived the password is left empty (and what was read is wiped).
PasswordRead ReadPassword(HANDLE input, SecretText& password);

}  // namespace lumacon
