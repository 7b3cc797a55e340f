#include "backend/VMName.h"

#include <windows.h>

#include <vector>

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

namespace {

// The key, or false when LCMapStringW wants more than the buffer or fails.
bool SortKeyInto(const wchar_t* wide, int length, char* buffer, int size, std::string& key) {
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int written = LCMapStringW(LOCALE_USER_DEFAULT, flags, wide, length, reinterpret_cast<LPWSTR>(buffer), size);
  if (written <= 0) return false;
  key.assign(buffer, static_cast<size_t>(written));
  // The key ends with a zero byte; without it a prefix still sorts first.
  while (!key.empty() && key.back() == '\0') key.pop_back();
  return true;
}

std::string FallbackKey(const std::wstring& wide) {
  // Still a total order: the UTF-16 code units, high byte first.
  std::string fallback;
  for (wchar_t unit : wide) {
    fallback.push_back(static_cast<char>((unit >> 8) & 0xff));
    fallback.push_back(static_cast<char>(unit & 0xff));
  }
  return fallback;
}

}  // namespace

std::string MakeNoCaseSortKey(const std::string& text) {
  // Thousands of names at each refresh: a short name (nearly all) is converted and keyed
  // in stack buffers with one call each.
  constexpr int kShort = 256;
  std::string key;
  if (!text.empty() && text.size() < kShort) {
    wchar_t wide[kShort];
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                           wide, kShort);
    char buffer[8 * kShort];
    if (length > 0 && SortKeyInto(wide, length, buffer, sizeof buffer, key)) return key;
  }
  const std::wstring wide = ToWideString(text);
  const int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, wide.c_str(), -1, nullptr, 0);
  if (size > 0) {
    std::vector<char> buffer(static_cast<size_t>(size));
    if (SortKeyInto(wide.c_str(), -1, buffer.data(), size, key)) return key;
  }
  Log("%s: LCMapStringW failed with error %lu for '%s'.\n", "utils::MakeNoCaseSortKey", GetLastError(),
      text.c_str());
  return FallbackKey(wide);
}

}  // namespace utils
