// zandor-lumacon.exe: a stand-in for the maker's console program. It accepts the command
// line the tray program's launcher builds, reads the password from standard input, logs
// in through the automation library (kilnworks\qor.dll beside this program) and shows the
// VM's name and live power state.
#include <windows.h>

#include "console/ConsoleApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  lumacon::ConsoleApp app(instance);
  return app.Run();
}
