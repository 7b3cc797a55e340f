#include "app/StartupWork.h"

#include "app/PrefsDlg.h"
#include "app/UpdateCheckWithPrefs.h"
#include "log/Log.h"
#include "services/ConsoleHint.h"
#include "state/Prefs.h"

namespace shell {

ui::PopupActions MakePopupActions() {
  ui::PopupActions actions;
  actions.automaticUpdateCheck = [](HWND owner) { utils::RunAutomaticUpdateCheck(owner); };
  actions.showPreferences = [](HWND owner) {
    // The tray menu stays reachable while the dialog is up: one dialog at a time.
    static PrefsDlg* open = nullptr;
    if (open) {
      SetForegroundWindow(open->Hwnd());
      return;
    }
    PrefsDlg dialog;
    open = &dialog;
    dialog.DoModal(owner);
    open = nullptr;
  };
  // Until the Add Server dialog is built the link only says so in the log.
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
