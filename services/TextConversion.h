// UTF-8 (back-end, automation library) <-> UTF-16 (windows, file paths).
// Invalid text never converts partly: the conversion fails and logs.
#pragma once

#include <string>
#include <vector>

namespace utils {

// out = the UTF-8 form of a zero-terminated UTF-16 text, with its terminating zero.
bool WideToUtf8(const wchar_t* text, std::vector<char>& out);
// out = the UTF-16 form of a zero-terminated UTF-8 text, with its terminating zero.
bool Utf8ToWide(const char* text, std::vector<wchar_t>& out);

// Whole-string forms; an invalid text (or a null pointer) gives an empty string.
std::string ToUtf8String(const std::wstring& text);
std::string ToUtf8String(const wchar_t* text);
std::wstring ToWideString(const std::string& text);
std::wstring ToWideString(const char* text);

}  // namespace utils
