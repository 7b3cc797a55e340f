#include "services/ConsoleHint.h"

#include <utility>

#include "log/Log.h"
#include "res/resource.h"
#include "services/StringResource.h"
#include "ui/window/SuppressDlg.h"

namespace {

bool gUnboundPreference = true;

utils::OldConsoleHintPreference& Preference() {
  static utils::OldConsoleHintPreference preference{
      [] { return gUnboundPreference; },
      [](bool on) { gUnboundPreference = on; },
  };
  return preference;
}

}  // namespace

namespace utils {

void BindOldConsoleHintPreference(OldConsoleHintPreference preference) {
  if (!preference.isOn || !preference.set) {
    preference.isOn = [] { return gUnboundPreference; };
    preference.set = [](bool on) { gUnboundPreference = on; };
  }
  Preference() = std::move(preference);
}

void ShowOldConsoleHintIfWanted(HWND owner) {
  if (!Preference().isOn()) return;
  SuppressDlg hint(LoadStringResource(IDS_OLD_CONSOLE_HINT));
  if (hint.DoModal(owner) != IDOK) {
    Log("%s: The hint about the old console could not be shown.\n", "utils::RunVMInLumacon");
    return;
  }
  Preference().set(!hint.DoNotShowAgain());
}

}  // namespace utils
