// Waking the instance that already runs, for a start that finds the single-instance mutex
// taken.
#pragma once

namespace shell {

// Grants the running instance's process the right to take the foreground, then posts
// WM_SHOWPOPUP to its popup. Logs (when a log is open) what could not be done.
void WakeRunningInstance();

}  // namespace shell
