#include "backend/VMName.h"

#include <windows.h>

#include "log/Log.h"
#include "services/TextConversion.h"

namespace utils {

std::string GetVMNameFromPath(const std::string& path) {
  // UTF-8 never uses the bytes of ".", "/" and "\" inside a multi-byte character, so a
  // byte search cannot split one.
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return std::string();
  size_t separator = path.rfind('\\');
  if (separator == std::string::npos) separator = path.rfind('/');
  if (separator == std::string::npos) return std::string();
  if (separator > dot) return path.substr(separator + 1);
  return path.substr(separator + 1, dot - separator - 1);
}

int CompareNoCase(const std::string& a, const std::string& b) {
  const std::wstring wideA = ToWideString(a);
  const std::wstring wideB = ToWideString(b);
  const int result = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.c_str(), -1, wideB.c_str(), -1);
  if (result == 0) {
    Log("%s: CompareStringW failed with error %lu; comparing code units instead.\n", "utils::CompareNoCase",
        GetLastError());
    const int plain = wideA.compare(wideB);
    return plain < 0 ? -1 : (plain > 0 ? 1 : 0);
  }
  return result - CSTR_EQUAL;
}

std::string MakeNoCaseSortKey(const std::string& text) {
  const std::wstring wide = ToWideString(text);
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int size = LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.c_str(), -1, nullptr, 0);
  if (size > 0) {
    std::string key(static_cast<size_t>(size), '\0');
    if (LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.c_str(), -1, reinterpret_cast<LPWSTR>(&key[0]), size) ==
        size) {
      // The key ends with a zero byte; without it a prefix still sorts first.
      while (!key.empty() && key.back() == '\0') key.pop_back();
      return key;
    }
  }
  Log("%s: LCMapStringW failed with error %lu for '%s'.\n", "utils::MakeNoCaseSortKey", GetLastError(),
      text.c_str());
  // Still a total order: the UTF-16 code units, high byte first.
  std::string fallback;
  for (wchar_t unit : wide) {
    fallback.push_back(static_cast<char>((unit >> 8) & 0xff));
    fallback.push_back(static_cast<char>(unit & 0xff));
  }
  return fallback;
}

}  // namespace utils
