#include "app/StartupWork.h"

#include "app/AddServerDlg.h"
#include "app/PrefsDlg.h"
#include "app/UpdateCheckWithPrefs.h"
#include "log/Log.h"
#include "services/ConsoleHint.h"
#include "state/Prefs.h"
#include "state/State.h"

namespace shell {

ui::PopupActions MakePopupActions() {
  ui::PopupActions actions;
  actions.automaticUpdateCheck = [](HWND owner) { utils::RunAutomaticUpdateCheck(owner); };
  actions.showPreferences = [](HWND owner, ui::GlobalHotkey& hotkey) {
    // The tray menu stays reachable while the dialog is up: one dialog at a time.
    static PrefsDlg* open = nullptr;
    if (open) {
      SetForegroundWindow(open->Hwnd());
      return false;
    }
    PrefsDlg dialog(hotkey);
    open = &dialog;
    const INT_PTR result = dialog.DoModal(owner);
    open = nullptr;
    return result == IDOK;
  };
  actions.addServer = [](HWND owner) -> OlvarkServerPtr {
    static AddServerDlg* open = nullptr;
    if (open) {
      SetForegroundWindow(open->Hwnd());
      return nullptr;
    }
    AddServerDlg dialog(State::Instance());
    open = &dialog;
    const INT_PTR result = dialog.DoModal(owner);
    open = nullptr;
    return result == IDOK ? dialog.NewServer() : nullptr;
  };
  return actions;
}

void BindPreferencesToServices() {
  utils::BindOldConsoleHintPreference(
      {[] { return Prefs::Instance().mShowOldLumaconWarning; },
       [](bool on) { Prefs::Instance().mShowOldLumaconWarning = on; }});
}

}  // namespace shell
