#include "app/StartupWork.h"

#include "log/Log.h"
#include "services/ConsoleHint.h"
#include "app/UpdateCheckWithPrefs.h"
#include "state/Prefs.h"
#include "state/State.h"

namespace shell {

void RestoreSavedServers() {
  State& state = State::Instance();
  const auto servers = state.RestoreSavedServers(Prefs::Instance().mServers);
  Log("%s: Restored %u saved server(s).\n", "shell::RestoreSavedServers",
      static_cast<unsigned>(servers.size()));
  state.GetFavorites()->Refresh();
  state.GetRecent()->Refresh();
}

void RunStartupWork(HWND popup) {
  for (const auto& server : State::Instance().GetServers()) {
    if (server->HasUserName()) server->Login(nullptr, nullptr, false);
  }
  utils::RunAutomaticUpdateCheck(popup);
}

void BindPreferencesToServices() {
  utils::BindOldConsoleHintPreference(
      {[] { return Prefs::Instance().mShowOldLumaconWarning; },
       [](bool on) { Prefs::Instance().mShowOldLumaconWarning = on; }});
}

}  // namespace shell
