// Building one log line in memory: prefix, formatted message, text-mode line ends.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

namespace logline {
// "YYYY-MM-DD hh:mm:ss.mmm [TTTT] " with the thread id in upper-case hex, at least 4 digits.
std::string FormatPrefix(const SYSTEMTIME& time, DWORD threadId);
// The message formatted with the runtime's printf rules, of any length.
std::string FormatMessageV(const char* format, va_list args);
// Every "\n" becomes "\r\n", as a text-mode stream would write it.
std::string ToTextMode(const std::string& text);
// "zandor-wickerlyn-YYYY-MM-DD-hhmmss.txt" for the given local time.
std::wstring FileNameFor(const SYSTEMTIME& time);
}  // namespace logline
