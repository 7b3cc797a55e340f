// A small program for the process tests: the program's start-up code with its data folder
// moved to a scratch folder, and a way to crash on purpose under the real crash handler.
//   shell_test_host crash <data folder>
//   shell_test_host run <data folder> [command line]
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/Application.h"
#include "app/CrashHandler.h"
#include "app/DataFolder.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count < 3) return 2;
  const std::wstring command = args[1];
  utils::SetDataFolderForTesting(args[2]);

  if (command == L"crash") {
    utils::InstallCrashHandler();
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 3;  // not reached
  }
  if (command == L"run") {
    const std::wstring rest = count > 3 ? args[3] : L"";
    return shell::RunApplication(instance, rest.c_str());
  }
  return 2;
}
