// Saved passwords are kept only in the user-bound protected form (DPAPI), as Base64 text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace utils {

// Protects the secret's bytes plus a terminating zero; out = the Base64 text of the blob.
// False (and a log line) when the service or the encoding fails; false without a log line
// for a null secret.
bool EncryptString(const char* secret, size_t length, std::string& out);

// Reverses EncryptString. The Base64 decoding skips every character outside the alphabet
// and stops at a zero character. On success out holds the secret followed by a zero byte;
// whatever out held before is overwritten with zeros first.
bool DecryptString(const char* text, int length, std::vector<char>& out);

// Overwrites a buffer that held a secret, then empties it.
void WipeBuffer(std::vector<char>& buffer);

}  // namespace utils
