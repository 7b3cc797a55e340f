#include "services/UpdateCheck.h"

#include "services/Clock.h"
#include "log/Log.h"
#include "res/resource.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"
#include "services/UpdateDlg.h"
#include "services/UpdateRule.h"
#include "services/WebAccess.h"

namespace utils {
namespace {

const char kUpdateLogName[] = "utils::CheckForUpdates";

void Tell(HWND owner, UINT textId) {
  MessageBoxW(owner, LoadStringResource(textId).c_str(), LoadStringResource(IDS_APP_TITLE).c_str(), MB_OK);
}

}  // namespace

UpdateCheckResult CheckForUpdates(HWND owner, bool interactive, const UpdateCheckContext& context) {
  std::wstring document;
  UpdateCheckResult result = UpdateCheckResult::kFailed;
  if (ReadURL(context.documentUrl, document)) {
    result = ContainsUpdateMarker(document) ? UpdateCheckResult::kUpdateAvailable : UpdateCheckResult::kNoUpdate;
  }

  switch (result) {
    case UpdateCheckResult::kUpdateAvailable: {
      Log("%s: An update is available.\n", kUpdateLogName);
      UpdateDlg dialog(!interactive, *context.checkForUpdates, context.downloadUrl, context.openPage);
      if (dialog.DoModal(owner) < 0) {
        Log("%s: The Update Available dialog could not be shown (%d).\n", kUpdateLogName, static_cast<int>(GetLastError()));
      }
      break;
    }
    case UpdateCheckResult::kNoUpdate:
      Log("%s: No update is available.\n", kUpdateLogName);
      if (interactive) Tell(owner, IDS_NO_UPDATES);
      break;
    case UpdateCheckResult::kFailed:
      Log("%s: Checking '%s' for updates failed.\n", kUpdateLogName, ToUtf8String(context.documentUrl).c_str());
      if (interactive) Tell(owner, IDS_UPDATE_CHECK_FAILED);
      break;
  }

  // Renewed after failures too, so a failing automatic check waits for the next interval.
  const int64_t now = utils::CurrentUnixTime();
  *context.lastUpdateCheck = now > 0 ? static_cast<uint64_t>(now) : 0;
  return result;
}

}  // namespace utils
