// The user message for a failed login, from the string table.
#pragma once

#include <cstdint>
#include <string>

namespace utils {

// The string-table id: 147 "Failed to connect to server." for the connect failures,
// 217 "Bad username or password." for 3014, else 148 "Login failed." (also for any
// error with high 32 bits set).
int LoginErrorTextId(uint64_t error);
// The text of that id from the program's resources (empty, and logged, when missing).
std::wstring LoginErrorText(uint64_t error);

}  // namespace utils
