// A small program for the process tests: the program's start-up code with its data folder
// moved to a scratch folder, and a way to crash on purpose under the real crash handler.
//   shell_test_host crash <data folder>
//   shell_test_host run <data folder> [command line]
// While running, a window that is posted the registered message kDestroyWindowMessage is
// destroyed on the program's own thread, as no other process could do it.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/Application.h"
#include "app/CrashHandler.h"
#include "app/DataFolder.h"
#include "tests/app/ShellTestSupport.h"

namespace {

UINT gDestroyWindowMessage = 0;

LRESULT CALLBACK DestroyOnRequest(int code, WPARAM removal, LPARAM lParam) {
  MSG* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && removal == PM_REMOVE && msg->message == gDestroyWindowMessage) {
    DestroyWindow(msg->hwnd);
    msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, removal, lParam);
}

}  // namespace

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
    gDestroyWindowMessage = RegisterWindowMessageW(shelltest::kDestroyWindowMessage);
    SetWindowsHookExW(WH_GETMESSAGE, DestroyOnRequest, nullptr, GetCurrentThreadId());
    return shell::RunApplication(instance, rest.c_str());
  }
  return 2;
}
