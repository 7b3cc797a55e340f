// The program from start to exit: command line, single instance, start-up, message loop and
// tear-down in their fixed order.
#pragma once

#include <windows.h>

namespace shell {

// Returns the process exit code: 0 after "/kill" or "/removeprefs", -1 when another instance
// runs or the automation library cannot be loaded, otherwise WM_QUIT's wParam.
int RunApplication(HINSTANCE instance, const wchar_t* commandLine);

}  // namespace shell
