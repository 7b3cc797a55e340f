#include "console/TestRecord.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>
#include <vector>

#include "services/TextConversion.h"

namespace lumacon {

const wchar_t kTestRecordVariable[] = L"ZANDOR_LUMACON_TEST_RECORD";
const wchar_t kTestExitVariable[] = L"ZANDOR_LUMACON_TEST_EXIT";

std::string Sha256Hex(const char* bytes, size_t length) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return std::string();
  }
  unsigned char digest[32] = {};
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)) &&
            BCRYPT_SUCCESS(BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes)),
                                          static_cast<ULONG>(length), 0)) &&
            BCRYPT_SUCCESS(BCryptFinishHash(hash, digest, sizeof digest, 0));
  if (hash) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!ok) return std::string();
  std::string hex;
  char pair[3];
  for (unsigned char b : digest) {
    std::snprintf(pair, sizeof pair, "%02x", b);
    hex += pair;
  }
  return hex;
}

bool WriteTestRecord(const std::wstring& file, const TestRecord& record, const SecretText& password) {
  std::string text;
  text += "commandLine=" + utils::ToUtf8String(record.commandLine) + "\n";
  text += "host=" + utils::ToUtf8String(record.host) + "\n";
  text += "moid=" + utils::ToUtf8String(record.moid) + "\n";
  text += "user=" + utils::ToUtf8String(record.user) + "\n";
  text += std::string("passwordOption=") + (record.passwordOption ? "1" : "0") + "\n";
  text += "passwordSource=" + utils::ToUtf8String(record.passwordSource) + "\n";
  text += "passwordLength=" + std::to_string(password.Length()) + "\n";
  text += "passwordSha256=" + (password.Empty() ? std::string() : Sha256Hex(password.CStr(), password.Length())) +
          "\n";
  // Written under another name and moved into place, so a reader never sees half a record.
  std::wstring partial = file + L".partial";
  HANDLE out = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
  CloseHandle(out);
  return ok && MoveFileExW(partial.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::wstring EnvironmentValue(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::vector<wchar_t> value(size, L'\0');
  DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  if (length == 0 || length >= size) return std::wstring();
  return std::wstring(value.data(), length);
}

}  // namespace lumacon
