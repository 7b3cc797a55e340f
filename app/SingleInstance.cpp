#include "app/SingleInstance.h"

#include <windows.h>

#include "app/ShellNames.h"
#include "log/Log.h"
#include "ui/popup/PopupWindow.h"
#include "ui/window/Messages.h"

namespace shell {

void WakeRunningInstance() {
  constexpr const char kName[] = "shell::WakeRunningInstance";
  HWND popup = FindWindowW(ui::PopupWindow::kClassName, nullptr);
  if (!popup) {
    Log("%s: The running instance's popup window was not found.\n", kName);
    return;
  }
  // The foreground lock lets the popup become active (and so hide again when it loses
  // activation) only if this process, started by the user, passes its right on.
  DWORD processId = 0;
  GetWindowThreadProcessId(popup, &processId);
  if (!processId || !AllowSetForegroundWindow(processId))
    Log("%s: AllowSetForegroundWindow(%lu) failed with error code 0x%08x.\n", kName, processId,
        static_cast<unsigned>(GetLastError()));
  if (!PostMessageW(popup, WM_SHOWPOPUP, 0, 0))
    Log("%s: PostMessageW(WM_SHOWPOPUP) failed with error code 0x%08x.\n", kName,
        static_cast<unsigned>(GetLastError()));
}

}  // namespace shell
