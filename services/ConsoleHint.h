// The hint shown before an old console (one that cannot take the password) starts, and
// the preference showOldLumaconWarning that can suppress it.
#pragma once

#include <windows.h>

#include <functional>

namespace utils {

// The preferences live above this library; the program binds their accessors at
// start-up. Unbound, the hint shows until the user suppresses it for the rest of the run.
struct OldConsoleHintPreference {
  std::function<bool()> isOn;
  std::function<void(bool)> set;
};
void BindOldConsoleHintPreference(OldConsoleHintPreference preference);

// Shows the hint (string 209) owned by owner unless the preference is off; afterwards the
// preference is the opposite of the dialog's "Do not show this hint again" box.
void ShowOldConsoleHintIfWanted(HWND owner);

}  // namespace utils
