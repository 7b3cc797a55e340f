#!/usr/bin/env bash
# The windows a person sees, drawn with Wine's Light visual style at 96, 144 and 192 DPI:
# the screenshot tests of the popup, its rows, the dialogs and the hint run again in a
# themed prefix of their own, once per logical DPI. Their screenshots go to
# <build>/screenshots/themed-<dpi>. Any failing test fails the run.
#   xvfb-run -a themed_screens.sh <build folder> [dpi ...]
# Run it on a display of its own (as CTest does): every Wine start here, the prefix's
# set-up too, opens its windows on $DISPLAY.
set -uo pipefail
[ -n "${DISPLAY:-}" ] || { echo "themed_screens: no display (run it under xvfb-run)" >&2; exit 1; }
build="$(cd "$1" && pwd)"; shift
root="$(cd "$(dirname "$0")/../.." && pwd)"
dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 144 192)
export WINEPREFIX="$build/wineprefix-themed" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

"$root/scripts/make-prefix" || exit 1

# Each program with the tests whose windows it shows.
runs=(
  "popup_window_test.exe PopupWindowTest.ShownAtStart*:PopupWindowTest.TheTrayMenuOpensOnce*"
  "popup_rows_test.exe HeaderTest.*:VMRowTest.ExpandingOpens*:VMRowTest.NamesOfAnyKind*:VMRowTest.TheRowFollowsItsVMThroughARefresh*:ViewerTest.WithoutServers*:ViewerTest.TheSearch*:PagedViewerTest.*:LinkRow.*:FavoriteWatchTest.*"
  "add_server_dialog_test.exe *ServerPortAndSsl*:*GrowsTheLoginPart*:*CannotLeadToALogin*"
  "prefs_dialog_test.exe *WithoutWriteAccess*:*ThePopupSettings*"
  "ui_window_test.exe SuppressDlg.ShowsTheHint*"
)

failed=0
run() {  # program filter: one program's tests, with a Wine server of their own
  local program="$1" filter="$2" out rc
  out="$(cd "$build/bin" && sh -c \
    'wineserver -p; wine wineboot >/dev/null 2>&1; wine "$0" --gtest_filter="$1" --gtest_brief=1; rc=$?; wineserver -k; wineserver -w; exit $rc' \
    "$program" "$filter" 2>&1)"
  rc=$?
  if [ $rc -ne 0 ]; then
    failed=1
    echo "$out" | grep -v '^X connection' | tail -40
    echo "FAILED: $program ($filter) for $ZW_SCREENSHOT_SET"
  else
    echo "passed: $program ($(echo "$out" | grep -o '[0-9]* tests\? from' | head -1 | sed 's/ from//'))"
  fi
}
for dpi in "${dpis[@]}"; do
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  "$root/scripts/theme-prefix" "$dpi" || exit 1
  echo "== themed, $dpi DPI"
  export ZW_SCREENSHOT_SET="themed-$dpi"
  for entry in "${runs[@]}"; do run "${entry%% *}" "${entry#* }"; done
  if [ "$dpi" = 96 ]; then
    # The popup where Windows says it is XP: its multi-line search box over a themed background.
    appdefaults='HKCU\Software\Wine\AppDefaults\popup_window_test.exe'
    wine reg add "$appdefaults" /v Version /d winxp /f >/dev/null 2>&1; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
    ZW_SCREENSHOT_SET="themed-96-xp" run popup_window_test.exe 'PopupWindowTest.ShownAtStart*'
    wine reg delete "$appdefaults" /f >/dev/null 2>&1; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  fi
done
wineserver -k 2>/dev/null
echo "screenshots: $build/screenshots/themed-{$(IFS=,; echo "${dpis[*]}")} and themed-96-xp"
exit $failed
