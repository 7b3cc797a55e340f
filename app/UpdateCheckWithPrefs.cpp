#include "app/UpdateCheckWithPrefs.h"

#include "services/Clock.h"
#include "services/InfoService.h"
#include "services/UpdateCheck.h"
#include "services/UpdateRule.h"
#include "state/Prefs.h"

namespace utils {

void CheckForUpdates(HWND owner, bool interactive) {
  Prefs& prefs = Prefs::Instance();
  UpdateCheckContext context;
  context.documentUrl = GetUpdateDocumentUrl();
  context.downloadUrl = GetDownloadPageUrl();
  context.checkForUpdates = &prefs.mCheckForUpdates;
  context.lastUpdateCheck = &prefs.mLastUpdateCheck;
  CheckForUpdates(owner, interactive, context);
}

bool RunAutomaticUpdateCheck(HWND popup) {
  const Prefs& prefs = Prefs::Instance();
  if (!IsAutomaticUpdateCheckDue(prefs.mCheckForUpdates, prefs.mLastUpdateCheck, prefs.mUpdateInterval,
                                 CurrentUnixTime())) {
    return false;
  }
  CheckForUpdates(popup, false);
  return true;
}

}  // namespace utils
