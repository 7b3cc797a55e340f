#include "app/StartupWork.h"

#include "app/UpdateCheckWithPrefs.h"
#include "log/Log.h"
#include "services/ConsoleHint.h"
#include "state/Prefs.h"

namespace shell {

ui::PopupActions MakePopupActions() {
  ui::PopupActions actions;
  actions.automaticUpdateCheck = [](HWND owner) { utils::RunAutomaticUpdateCheck(owner); };
  // Until the dialogs are built the menu item and the link only say so in the log.
  actions.showPreferences = [](HWND) {
    Log("%s: The Preferences dialog is not available yet.\n", "shell::ShowPreferences");
  };
  actions.addServer = [](HWND) -> OlvarkServerPtr {
    Log("%s: The Add Server dialog is not available yet.\n", "shell::AddServer");
    return nullptr;
  };
  return actions;
}

void BindPreferencesToServices() {
  utils::BindOldConsoleHintPreference(
      {[] { return Prefs::Instance().mShowOldLumaconWarning; },
       [](bool on) { Prefs::Instance().mShowOldLumaconWarning = on; }});
}

}  // namespace shell
