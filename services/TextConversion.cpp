#include "services/TextConversion.h"

#include <windows.h>

#include <climits>

#include "log/Log.h"

namespace {

// Both directions refuse ill-formed input (lone surrogates, bad UTF-8 sequences) instead
// of silently substituting U+FFFD, so a damaged name never looks like a valid one.
constexpr DWORD kToWideFlags = MB_ERR_INVALID_CHARS;
constexpr DWORD kToUtf8Flags = WC_ERR_INVALID_CHARS;

void LogConversionFailure(const char* caller, const char* step) {
  Log("%s: %s failed with error 0x%lx.\n", caller, step, GetLastError());
}

}  // namespace

namespace utils {

bool WideToUtf8(const wchar_t* text, std::vector<char>& out) {
  if (!text) return false;
  int size = WideCharToMultiByte(CP_UTF8, kToUtf8Flags, text, -1, nullptr, 0, nullptr, nullptr);
  if (size < 1) {
    LogConversionFailure("utils::WideToUtf8", "Measuring the UTF-8 text");
    return false;
  }
  out.assign(static_cast<size_t>(size), '\0');
  if (WideCharToMultiByte(CP_UTF8, kToUtf8Flags, text, -1, out.data(), size, nullptr, nullptr) < 1) {
    LogConversionFailure("utils::WideToUtf8", "WideCharToMultiByte");
    return false;
  }
  return true;
}

bool Utf8ToWide(const char* text, std::vector<wchar_t>& out) {
  if (!text) return false;
  int size = MultiByteToWideChar(CP_UTF8, kToWideFlags, text, -1, nullptr, 0);
  if (size < 1) {
    LogConversionFailure("utils::Utf8ToWide", "Measuring the UTF-16 text");
    return false;
  }
  out.assign(static_cast<size_t>(size), L'\0');
  if (MultiByteToWideChar(CP_UTF8, kToWideFlags, text, -1, out.data(), size) < 1) {
    LogConversionFailure("utils::Utf8ToWide", "MultiByteToWideChar");
    return false;
  }
  return true;
}

// The string forms convert the whole length (embedded zeros included) rather than stopping
// at the first zero.
std::string ToUtf8String(const std::wstring& text) {
  if (text.empty()) return std::string();
  if (text.size() > INT_MAX) {
    Log("%s: The text is too long to convert.\n", "utils::ToUtf8String");
    return std::string();
  }
  int length = static_cast<int>(text.size());
  int size = WideCharToMultiByte(CP_UTF8, kToUtf8Flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size < 1) {
    LogConversionFailure("utils::ToUtf8String", "Measuring the UTF-8 text");
    return std::string();
  }
  std::string result(static_cast<size_t>(size), '\0');
  if (WideCharToMultiByte(CP_UTF8, kToUtf8Flags, text.data(), length, result.data(), size, nullptr, nullptr) !=
      size) {
    LogConversionFailure("utils::ToUtf8String", "WideCharToMultiByte");
    return std::string();
  }
  return result;
}

std::string ToUtf8String(const wchar_t* text) {
  return text ? ToUtf8String(std::wstring(text)) : std::string();
}

std::wstring ToWideString(const std::string& text) {
  if (text.empty()) return std::wstring();
  if (text.size() > INT_MAX) {
    Log("%s: The text is too long to convert.\n", "utils::ToWideString");
    return std::wstring();
  }
  int length = static_cast<int>(text.size());
  int size = MultiByteToWideChar(CP_UTF8, kToWideFlags, text.data(), length, nullptr, 0);
  if (size < 1) {
    LogConversionFailure("utils::ToWideString", "Measuring the UTF-16 text");
    return std::wstring();
  }
  std::wstring result(static_cast<size_t>(size), L'\0');
  if (MultiByteToWideChar(CP_UTF8, kToWideFlags, text.data(), length, result.data(), size) != size) {
    LogConversionFailure("utils::ToWideString", "MultiByteToWideChar");
    return std::wstring();
  }
  return result;
}

std::wstring ToWideString(const char* text) {
  return text ? ToWideString(std::string(text)) : std::wstring();
}

}  // namespace utils
