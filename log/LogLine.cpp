#include "log/LogLine.h"

#include <cstdio>
#include <cwchar>
#include <vector>

namespace logline {

std::string FormatPrefix(const SYSTEMTIME& t, DWORD threadId) {
  char prefix[64];
  snprintf(prefix, sizeof(prefix), "%04d-%02d-%02d %02d:%02d:%02d.%03d [%04lX] ", t.wYear, t.wMonth,
           t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, static_cast<unsigned long>(threadId));
  return prefix;
}

std::string FormatMessageV(const char* format, va_list args) {
  if (!format) return std::string();
  // mingw's own printf understands both the runtime's %I64d and the C99 forms.
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int needed = __mingw_vsnprintf(small, sizeof(small), format, copy);
  va_end(copy);
  if (needed < 0) return std::string();
  if (static_cast<size_t>(needed) < sizeof(small)) return std::string(small, needed);
  std::vector<char> big(static_cast<size_t>(needed) + 1);
  va_copy(copy, args);
  __mingw_vsnprintf(big.data(), big.size(), format, copy);
  va_end(copy);
  return std::string(big.data(), needed);
}

std::string ToTextMode(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

std::wstring FileNameFor(const SYSTEMTIME& t) {
  wchar_t name[260];
  swprintf(name, 260, L"%ls-%04u-%02u-%02u-%02u%02u%02u.%ls", L"zandor-wickerlyn", t.wYear, t.wMonth,
           t.wDay, t.wHour, t.wMinute, t.wSecond, L"txt");
  return name;
}

}  // namespace logline
