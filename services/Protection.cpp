#include "services/Protection.h"

#include <windows.h>
#include <wincrypt.h>

#include <string_view>

#include "log/Log.h"

namespace {

bool IsBase64Letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

// The system decoder's handling of stray characters differs between versions, so the text
// is cleaned first: only alphabet letters up to the first zero, a lone trailing letter
// (which cannot complete a byte) dropped, and the padding rebuilt.
std::string CanonicalBase64(const char* text, int length) {
  std::string letters;
  letters.reserve(static_cast<size_t>(length) + 3);
  for (int i = 0; i < length && text[i] != '\0'; ++i) {
    if (IsBase64Letter(text[i])) letters.push_back(text[i]);
  }
  if (letters.size() % 4 == 1) letters.pop_back();
  while (letters.size() % 4 != 0) letters.push_back('=');
  return letters;
}

class LocalBlob {
 public:
  LocalBlob() { mBlob.cbData = 0; mBlob.pbData = nullptr; }
  ~LocalBlob() {
    if (mBlob.pbData) {
      if (mWipe) SecureZeroMemory(mBlob.pbData, mBlob.cbData);
      LocalFree(mBlob.pbData);
    }
  }
  LocalBlob(const LocalBlob&) = delete;
  LocalBlob& operator=(const LocalBlob&) = delete;
  DATA_BLOB* Get() { return &mBlob; }
  void WipeOnFree() { mWipe = true; }

 private:
  DATA_BLOB mBlob;
  bool mWipe = false;
};

}  // namespace

namespace utils {

void WipeBuffer(std::vector<char>& buffer) {
  if (!buffer.empty()) SecureZeroMemory(buffer.data(), buffer.size());
  buffer.clear();
}

bool EncryptString(const char* secret, size_t length, std::string& out) {
  static const char* const kName = "utils::EncryptString";
  if (!secret) return false;
  if (length >= MAXDWORD) {
    Log("%s: The secret is too long to protect.\n", kName);
    return false;
  }

  // Our own copy guarantees the protected bytes end in exactly one zero, whatever follows
  // the caller's bytes.
  // Reserved first: a growing vector would free a copy of the password unwiped.
  std::vector<char> plain;
  plain.reserve(length + 1);
  plain.assign(secret, secret + length);
  plain.push_back('\0');
  DATA_BLOB in;
  in.cbData = static_cast<DWORD>(plain.size());
  in.pbData = reinterpret_cast<BYTE*>(plain.data());
  LocalBlob blob;
  BOOL protectedOk = CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, blob.Get());
  DWORD protectError = GetLastError();
  WipeBuffer(plain);
  if (!protectedOk) {
    Log("%s: Failed to protected the data with error 0x%lx.\n", kName, protectError);
    return false;
  }

  DWORD needed = 0;
  if (!CryptBinaryToStringA(blob.Get()->pbData, blob.Get()->cbData, CRYPT_STRING_BASE64, nullptr, &needed)) {
    Log("%s: Unable to find out how many bytes we need to Base64 encode the string.\n", kName);
    return false;
  }
  std::vector<char> text(static_cast<size_t>(needed) + 1, '\0');
  DWORD written = needed;
  if (!CryptBinaryToStringA(blob.Get()->pbData, blob.Get()->cbData, CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF,
                            text.data(), &written)) {
    Log("%s: Failed to Base64 encode the protected credentials with error 0x%lx.\n", kName, GetLastError());
    return false;
  }
  out.assign(text.data());
  return true;
}

bool DecryptString(const char* text, int length, std::vector<char>& out) {
  static const char* const kName = "utils::DecryptString";
  if (!text) return false;
  if (length <= 0) {
    Log("%s: Unable to find out how many bytes we need to Base64 decode the string.\n", kName);
    return false;
  }

  std::string base64 = CanonicalBase64(text, length);
  std::vector<BYTE> packed(static_cast<size_t>(length));
  DWORD packedSize = 0;
  if (!base64.empty()) {
    packedSize = static_cast<DWORD>(packed.size());
    if (!CryptStringToBinaryA(base64.data(), static_cast<DWORD>(base64.size()), CRYPT_STRING_BASE64, packed.data(),
                              &packedSize, nullptr, nullptr)) {
      Log("%s: Failed to Base64 decode the protected credentials with error 0x%lx.\n", kName, GetLastError());
      return false;
    }
  }

  DATA_BLOB in;
  in.cbData = packedSize;
  in.pbData = packed.data();
  LocalBlob plain;
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, plain.Get())) {
    Log("%s: Failed to unprotect the data with error 0x%lx.\n", kName, GetLastError());
    return false;
  }
  plain.WipeOnFree();

  WipeBuffer(out);
  std::vector<char> secret;
  // Room for the terminating zero in case the blob came from a writer that left it out.
  secret.reserve(plain.Get()->cbData + 1);
  const char* bytes = reinterpret_cast<const char*>(plain.Get()->pbData);
  secret.assign(bytes, bytes + plain.Get()->cbData);
  if (secret.empty() || secret.back() != '\0') secret.push_back('\0');
  out.swap(secret);
  return true;
}

}  // namespace utils
