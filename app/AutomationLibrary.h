// Loading the automation library from the "kilnworks" folder beside the program.
#pragma once

#include <windows.h>

#include <string>

namespace shell {

// The folder of the running program (no trailing backslash), or empty when unknown.
std::wstring ProgramFolder();

// Loads "qor.dll" by full path from programFolder + "\kilnworks\", with that folder as the
// extra search folder for its own dependencies while it loads. Null (and a log line) on failure.
HMODULE LoadAutomationLibrary(const std::wstring& programFolder);

}  // namespace shell
