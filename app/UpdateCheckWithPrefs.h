// The update check bound to the process-wide preferences and the configured web
// information service.
#pragma once

#include <windows.h>

namespace utils {

// A check with the preferences' checkForUpdates and lastUpdateCheck. Callers: the
// popup's automatic check and the Preferences dialog.
void CheckForUpdates(HWND owner, bool interactive);

// The automatic check of this run, which the popup starts once its start-up work runs: a
// check (owner the popup, not interactive) when IsAutomaticUpdateCheckDue says so for the
// preferences and the program's clock. True when a check ran.
bool RunAutomaticUpdateCheck(HWND popup);

}  // namespace utils
