// Loading the automation library from the "kilnworks" folder beside the program.
#pragma once

#include <windows.h>

#include <string>

namespace shell {

// The folder of the running program (no trailing backslash), or empty when unknown.
std::wstring ProgramFolder();

// Loads "qor.dll" by full path from programFolder + "\kilnworks\", with that folder as the
// extra search folder for its own dependencies while it loads, and binds its functions.
// Null (and a log line) when it does not load or lacks a function; nothing stays loaded then.
HMODULE LoadAutomationLibrary(const std::wstring& programFolder);
// Marks the library unbound, waits (bounded, logged) for the jobs still in flight, then
// unloads it; with jobs still running it stays loaded until the process ends.
void UnloadAutomationLibrary(HMODULE library);

}  // namespace shell
