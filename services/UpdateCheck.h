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

}  // namespace utils
