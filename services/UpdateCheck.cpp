#include "services/UpdateCheck.h"

#include <ctime>

#include "log/Log.h"
#include "res/resource.h"
#include "services/TextConversion.h"
#include "services/UpdateDlg.h"
#include "services/UpdateRule.h"
#include "services/WebAccess.h"
#include "ui/Module.h"

namespace utils {
namespace {

const char kName[] = "utils::CheckForUpdates";

std::wstring LoadText(UINT id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(ui::Module::Instance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) {
    Log("%s: String %d is missing from the resources.\n", kName, static_cast<int>(id));
    return std::wstring();
  }
  return std::wstring(text, length);
}

void Tell(HWND owner, UINT textId) {
  MessageBoxW(owner, LoadText(textId).c_str(), LoadText(IDS_APP_TITLE).c_str(), MB_OK);
}

}  // namespace

int64_t CurrentUnixTime() { return static_cast<int64_t>(std::time(nullptr)); }

UpdateCheckResult CheckForUpdates(HWND owner, bool interactive, const UpdateCheckContext& context) {
  std::wstring document;
  UpdateCheckResult result = UpdateCheckResult::kFailed;
  if (ReadURL(context.documentUrl, document)) {
    result = ContainsUpdateMarker(document) ? UpdateCheckResult::kUpdateAvailable : UpdateCheckResult::kNoUpdate;
  }

  switch (result) {
    case UpdateCheckResult::kUpdateAvailable: {
      Log("%s: An update is available.\n", kName);
      UpdateDlg dialog(!interactive, *context.checkForUpdates, context.downloadUrl, context.openPage);
      if (dialog.DoModal(owner) < 0) {
        Log("%s: The Update Available dialog could not be shown (%d).\n", kName, static_cast<int>(GetLastError()));
      }
      break;
    }
    case UpdateCheckResult::kNoUpdate:
      Log("%s: No update is available.\n", kName);
      if (interactive) Tell(owner, IDS_NO_UPDATES);
      break;
    case UpdateCheckResult::kFailed:
      Log("%s: Checking '%s' for updates failed.\n", kName, ToUtf8String(context.documentUrl).c_str());
      if (interactive) Tell(owner, IDS_UPDATE_CHECK_FAILED);
      break;
  }

  // Renewed after failures too, so a failing automatic check waits for the next interval.
  const int64_t now = CurrentUnixTime();
  *context.lastUpdateCheck = now > 0 ? static_cast<uint64_t>(now) : 0;
  return result;
}

}  // namespace utils
