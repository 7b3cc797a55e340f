#!/usr/bin/env bash
# The windows a person sees, drawn with Wine's Light visual style at 96, 144 and 192 DPI:
# the screenshot tests of the popup, its rows, the dialogs and the hint run again in a
# themed prefix of their own, once per logical DPI, on a display of their own. Their
# screenshots go to <build>/screenshots/themed-<dpi>. Any failing test fails the run.
#   themed_screens.sh <build folder> [dpi ...]
set -uo pipefail
build="$(cd "$1" && pwd)"; shift
root="$(cd "$(dirname "$0")/../.." && pwd)"
dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 144 192)
export WINEPREFIX="$build/wineprefix-themed" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

"$root/scripts/make-prefix" || exit 1
theme='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
wine reg add "$theme" /v ThemeActive /d 1 /f >/dev/null 2>&1
wine reg add "$theme" /v DllName /d 'C:\windows\resources\themes\light\light.msstyles' /f >/dev/null 2>&1
wine reg add "$theme" /v ColorName /d Blue /f >/dev/null 2>&1
wine reg add "$theme" /v SizeName /d NormalSize /f >/dev/null 2>&1

# Each program with the tests whose windows it shows.
runs=(
  "shell_popup_test.exe PopupWindowTest.ShownAtStart*"
  "popup_rows_test.exe HeaderTest.*:VMRowTest.ExpandingOpens*:VMRowTest.NamesOfAnyKind*:VMRowTest.AServerThatDrops*:ViewerTest.WithoutServers*:ViewerTest.TheSearch*:PagedViewerTest.*:LinkRow.*"
  "add_server_dialog_test.exe *ServerPortAndSsl*:*GrowsTheLoginPart*:*WhatDoesNotAnswer*:*LoginFailures*:*AlreadyInTheList*"
  "prefs_dialog_test.exe *WithoutWriteAccess*:*WithWriteAccess*"
  "dialogs_test.exe SuppressDlg.ShowsTheHint*"
)

failed=0
for dpi in "${dpis[@]}"; do
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  done
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  echo "== themed, $dpi DPI"
  export ZW_SCREENSHOT_SET="themed-$dpi"
  for run in "${runs[@]}"; do
    program="${run%% *}" filter="${run#* }"
    out="$(cd "$build/bin" && xvfb-run -a -s '-screen 0 1024x768x24' sh -c \
      'wineserver -p; wine wineboot >/dev/null 2>&1; wine "$0" --gtest_filter="$1" --gtest_brief=1; rc=$?; wineserver -k; exit $rc' \
      "$program" "$filter" 2>&1)"
    rc=$?
    if [ $rc -ne 0 ]; then
      failed=1
      echo "$out" | grep -v '^X connection' | tail -40
      echo "FAILED: $program ($filter) at $dpi DPI"
    else
      echo "passed: $program ($(echo "$out" | grep -o '[0-9]* tests\? ran' | head -1))"
    fi
  done
done
wineserver -k 2>/dev/null
echo "screenshots: $build/screenshots/themed-{$(IFS=,; echo "${dpis[*]}")}"
exit $failed
