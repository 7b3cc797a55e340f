// The user message for a failed login, from the string table: one table for every place
// that shows one, since the rows and the Add Server dialog word some errors differently.
#pragma once

#include <cstdint>
#include <string>

namespace utils {

enum class LoginErrorContext {
  kRow,              // a server's header or a VM row
  kAddServerDialog,  // the login step of the Add Server dialog
};

// The string-table id of the message for that error where it is shown (the table is in
// LoginErrorText.cpp). An error with any of its high 32 bits set gets "Login failed.".
int LoginErrorTextId(uint64_t error, LoginErrorContext context);
// The text of that id from the program's resources (empty, and logged, when missing).
std::wstring LoginErrorText(uint64_t error, LoginErrorContext context);

}  // namespace utils
