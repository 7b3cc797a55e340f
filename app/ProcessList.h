// The ids of every running process, however many there are.
#pragma once

#include <windows.h>

#include <vector>

namespace utils {

// EnumProcesses of psapi, loaded at run time by its caller.
using EnumProcessesFn = BOOL(WINAPI*)(DWORD* ids, DWORD bytes, DWORD* bytesReturned);

// Every id enumProcesses reports. A full buffer may have cut the list short, so the buffer
// grows until the list leaves room. Empty, with a log line, when the call fails.
std::vector<DWORD> ListProcessIds(EnumProcessesFn enumProcesses);

}  // namespace utils
