// Texts of the program's string table, loaded by number.
#pragma once

#include <windows.h>

#include <string>

namespace utils {

// The string with this id from the executable's resources; empty (and a log line) when
// it is missing.
std::wstring LoadStringResource(UINT id);

}  // namespace utils
