// Texts of the program's string table, loaded by number.
#pragma once

#include <windows.h>

#include <string>

namespace utils {

// The string with this id from the executable's resources; empty (and a log line) when
// it is missing.
std::wstring LoadStringResource(UINT id);

// The string with its first "%s" replaced by value (appended after a space when it has
// none); value is taken as it stands, so any length and any '%' are safe.
std::wstring FormatStringResource(UINT id, const std::wstring& value);

}  // namespace utils
