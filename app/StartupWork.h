// The shell's part of the popup: what the popup asks of the shell (the automatic update
// check with its start-up work, the dialogs), and the preference bindings of the services.
#pragma once
#include <windows.h>

#include "ui/popup/PopupWindow.h"

namespace shell {

// The popup's actions bound to the shell: the automatic update check when it is due, and
// the Preferences and Add Server dialogs.
ui::PopupActions MakePopupActions();

// The preference that can suppress the old-console hint lives in Prefs; the launcher
// reaches it through accessors bound here at start-up.
void BindPreferencesToServices();

}  // namespace shell
