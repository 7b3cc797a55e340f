// The machine-wide Run value that starts the program with Windows ("/startup").
#pragma once

#include <windows.h>

namespace utils {

// enabled: the value exists with a string type. canChange: the key opens for writing.
// Returns enabled.
bool GetRunOnWindowsStartup(bool& enabled, bool& canChange);
// Writes "\"<program path>\" /startup" as REG_SZ, or deletes the value. True on success.
bool SetRunOnWindowsStartup(bool enable);

// Tests only: use another key (under HKCU) instead of HKLM's Run key, and optionally act as
// if opening it for writing were refused. A null subKey restores the real key.
void SetRunKeyForTesting(HKEY root, const wchar_t* subKey, bool refuseWriteAccess);

}  // namespace utils
