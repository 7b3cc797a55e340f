// What the popup does with the saved servers when it is created, and the start-up work it
// runs once: at creation, or after a start with Windows when the user first asks for the
// popup or the start-up delay ends.
#pragma once
#include <windows.h>

namespace shell {

// Builds the State's servers from the saved records of the preferences (with their
// favorites and recently used VMs) and refreshes the Favorites and Recently Used views.
void RestoreSavedServers();

// Logs in every server that has saved credentials, then runs the automatic update check
// when it is due, with the popup as owner.
void RunStartupWork(HWND popup);

// The preference that can suppress the old-console hint lives in Prefs; the launcher
// reaches it through accessors bound here at start-up.
void BindPreferencesToServices();

}  // namespace shell
