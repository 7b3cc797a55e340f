// Writes a mini-dump into the data folder when an exception escapes every handler.
#pragma once

#include <windows.h>

#include <string>

namespace utils {

// The unhandled-exception filter: EXCEPTION_EXECUTE_HANDLER after a dump was written and the
// user told where it is, EXCEPTION_CONTINUE_SEARCH otherwise.
LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception);
void InstallCrashHandler();

// String 111 with the dump path put in place of its "%s".
std::wstring FormatCrashMessage(const std::wstring& text, const std::wstring& dumpPath);

}  // namespace utils
