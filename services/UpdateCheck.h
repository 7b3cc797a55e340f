// Asking the web information service whether a newer version exists, and telling the user.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "services/BrowserLauncher.h"

namespace utils {

enum class UpdateCheckResult { kUpdateAvailable, kNoUpdate, kFailed };

// What one check reads and changes.
struct UpdateCheckContext {
  std::wstring documentUrl;   // the update document ("/info?id=1073")
  std::wstring downloadUrl;   // the page Download opens ("/info?id=1048")
  bool* checkForUpdates;      // cleared by "Do not check for updates"
  uint64_t* lastUpdateCheck;  // renewed by every check, seconds since 1970 UTC
  PageOpener openPage = OpenInBrowser;
};

// Fetches the document; offers the Update Available dialog when it holds the marker. Only an
// interactive check reports "no update" and failures (message boxes over owner). Blocks the
// calling (UI) thread while fetching and while a dialog is open.
UpdateCheckResult CheckForUpdates(HWND owner, bool interactive, const UpdateCheckContext& context);

// The same with the preferences (checkForUpdates, lastUpdateCheck) and the configured web
// information service. Callers: the popup's automatic check and the Preferences dialog.
void CheckForUpdates(HWND owner, bool interactive);

// The automatic check of this run, which the popup starts once its start-up work runs: a
// check (owner the popup, not interactive) when IsAutomaticUpdateCheckDue says so for the
// preferences and the program's clock. True when a check ran.
bool RunAutomaticUpdateCheck(HWND popup);

}  // namespace utils
