#!/usr/bin/env bash
# A user's journey through the real tray icon: a saved server, the tray icon clicked, a VM
# found by name, expanded with the keyboard, powered on and connected to, the popup hidden
# by a click elsewhere, opened and hidden again with the hotkey and a name typed at once,
# the program ended from its tray menu, and the recent use saved.
# Input goes through xdotool as a person gives it; what the person sees is read from the
# screen (screenshots) and from the windows' texts (window-texts.exe, as a screen reader).
#
# journey_test.sh BUILD_DIR. Needs a display (Xvfb) whose Wine desktop is the prefix's;
# WINEPREFIX (default BUILD_DIR/wineprefix), ZW_NATIVE_BIN (default BUILD_DIR/native/bin),
# ZW_WINDOW_TEXTS (default BUILD_DIR/bin/zw-window-texts.exe), ZW_JOURNEY_SHOTS (default
# BUILD_DIR/screenshots/journey), ZW_JOURNEY_WORK (default BUILD_DIR/journey). It keeps a prefs.txt the prefix has and puts it back.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:?usage: journey_test.sh BUILD_DIR}"
build="$(cd "$build" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
native_bin="${ZW_NATIVE_BIN:-$build/native/bin}"
reader="${ZW_WINDOW_TEXTS:-$build/bin/zw-window-texts.exe}"
shots="${ZW_JOURNEY_SHOTS:-$build/screenshots/journey}"
work="${ZW_JOURNEY_WORK:-$build/journey}"
exe="$build/bin/wickerlyn.exe"
sim="$native_bin/zandor-sim"
py="$here/journey.py"
user=root password=wickerlyn
target="ledger-prod-02"   # powered off at first
typed_part="ledger-p"
started=$(date +%s)

say() { echo "journey [$(( $(date +%s) - started ))s]: $*"; }
fail() {
  echo "journey: FAILED: $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null && echo "journey: the screen is in $work/failure.png" >&2
  exit 1
}

for f in "$exe" "$build/bin/zw-protect-password.exe" "$reader" "$sim"; do [ -e "$f" ] || fail "$f is missing"; done
[ -n "${DISPLAY:-}" ] || fail "no display (run under xvfb-run)"
[ -d "$WINEPREFIX/drive_c" ] || fail "$WINEPREFIX is not a Wine prefix (scripts/make-prefix)"
mkdir -p "$work" "$shots"
rm -f "$shots"/*.png "$work"/*.png

data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Zandor/Zandor Wickerlyn"
prefs="$data/prefs.txt"
logs="$WINEPREFIX/drive_c/users/$(id -un)/Temp/zandor-$(id -un)"
console_dir="$WINEPREFIX/drive_c/Program Files/Common Files/Zandor/Zandor Lumacon Plug-in/Internet Explorer"

# --- clean-up: whatever happened, the program, the console and the simulator end ----------
sim_pid="" app="" console_pid="" prefs_kept=""
cleanup() {
  local rc=$?
  if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then
    timeout 20 wine "$exe" /kill >/dev/null 2>&1 || true
    for _ in $(seq 1 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
    kill -TERM "$app" 2>/dev/null || true
  fi
  if [ -n "$console_pid" ]; then timeout 20 wine "$reader" --end "$console_pid" >/dev/null 2>&1 || true; fi
  if [ -n "$sim_pid" ]; then kill -TERM "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  # The prefs.txt the prefix had before goes back; this run's stays beside it.
  if [ -f "$prefs" ]; then cp -f "$prefs" "$work/prefs-after.txt"; fi
  if [ "$prefs_kept" = yes ]; then mv -f "$work/prefs-before-test.txt" "$prefs"; elif [ "$prefs_kept" = none ]; then rm -f "$prefs"; fi
  local log; log=$(newest_log)
  [ -n "$log" ] && cp -f "$log" "$work/wickerlyn-log.txt"
  say "ended with $rc; work files in $work"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Every wait is bounded. wait_until SECONDS WHAT COMMAND...: polls the command.
wait_until() {
  local seconds=$1 what=$2 deadline
  shift 2
  deadline=$(( $(date +%s%N) / 1000000 + seconds * 1000 ))
  while (( $(date +%s%N) / 1000000 < deadline )); do
    "$@" && return 0
    sleep 0.2
  done
  fail "$what did not happen within $seconds s"
}
xdo() { timeout 20 xdotool "$@" || fail "xdotool $* did not work"; }
# listing NAME: what a screen reader finds now (the popup's tree, dialogs, menus).
listing() {
  timeout 30 wine "$reader" "class:Zandor Wickerlyn Popup Window" "class:#32770" >"$work/$1.txt" 2>/dev/null
}
now_list() { listing now && python3 "$py" list "$work/now.txt"; }
shot() { import -window root "$shots/$1.png" || fail "could not take the screenshot $1"; say "screenshot $shots/$1.png"; }
click_at() { xdo mousemove "$1" "$2"; sleep 0.3; xdo click "${3:-1}"; }
newest_log() { { find "$logs" -maxdepth 1 -name 'zandor-wickerlyn-*.txt' -newer "$work/started" 2>/dev/null || true; } | sort | tail -n1; }
log_has() { local log; log=$(newest_log); [ -n "$log" ] && grep -qF -- "$1" "$log"; }

# --- 1. a simulated server, saved with a protected password; the program as at log-on ------
cat >"$work/inventory.json" <<'EOF'
{ "vms": [
  { "name": "web-frontend-01", "powerState": 8 },
  { "name": "web-frontend-02", "powerState": 2 },
  { "name": "db-main", "powerState": 8 },
  { "name": "mail-gateway", "powerState": 32 },
  { "name": "ledger-qa-01", "powerState": 2 },
  { "name": "ledger-prod-01", "powerState": 8 },
  { "name": "ledger-prod-02", "powerState": 2 },
  { "name": "build-agent", "powerState": 2 },
  { "name": "printer-queue", "powerState": 2 }
] }
EOF
"$sim" --port 0 --admin-port auto --update-available 0 --inventory "$work/inventory.json" \
  >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
sim_line() { grep -m1 '^listening on ' "$work/sim.out" >/dev/null; }
wait_until 10 "the simulator's start" sim_line
line=$(grep -m1 '^listening on ' "$work/sim.out")
url=$(echo "$line" | cut -d' ' -f3) admin=${line##* admin }
host=${url#https://}; host=${host%%:*}
say "simulator at $url (admin $admin)"
export ZANDOR_INFO_HOST="$url"

mkdir -p "$data"
if [ -f "$prefs" ]; then mv -f "$prefs" "$work/prefs-before-test.txt"; prefs_kept=yes; else prefs_kept=none; fi
protected=$(printf '%s\n' "$password" | timeout 60 wine "$build/bin/zw-protect-password.exe" | tr -d '\r\n')
[ -n "$protected" ] || fail "zw-protect-password printed nothing"
printf 'server.url = "%s"\r\nserver.type = "1"\r\nserver.username = "%s"\r\nserver.password = "%s"\r\n' \
  "$url" "$user" "$protected" >"$prefs"

touch "$work/started"
sleep 1  # log names carry the time in seconds: this run's log is newer than the marker
# /startup, as the run-at-log-on value starts it: only the tray icon shows.
wine "$exe" /startup >"$work/wickerlyn.out" 2>&1 &
app=$!
app_running() { kill -0 "$app" 2>/dev/null || fail "the program ended at once (another instance running? see $work/wickerlyn.out)"; }
restored() { app_running; log_has "Restored 1 of 1 saved server(s)"; }
wait_until 30 "the program's start" restored

# The tray icon: the right-most icon of the taskbar's notification area.
screen_w=$(xdotool getdisplaygeometry | cut -d' ' -f1) screen_h=$(xdotool getdisplaygeometry | cut -d' ' -f2)
tray_xy=""
find_tray() {
  listing start || return 1
  python3 "$py" popup "$work/start.txt" >"$work/start-popup.txt" || return 1
  local bar_top; bar_top=$(awk '$1 == "shelltray" { print $3 }' "$work/start-popup.txt")
  [ -n "$bar_top" ] || return 1
  import -window root "$work/tray.png" || return 1
  tray_xy=$(convert "$work/tray.png" -depth 8 rgb:- | python3 "$py" tray-icon "$screen_w" "$screen_h" "$bar_top") || return 1
}
wait_until 20 "the tray icon's appearance" find_tray
read -r tray_x tray_y tray_w tray_h <<<"$tray_xy"
grep -q '^hidden' "$work/start-popup.txt" || fail "the popup shows before the tray icon was clicked: $(head -1 "$work/start-popup.txt")"
say "tray icon at $tray_x,$tray_y (${tray_w}x$tray_h), popup hidden"
shot 01-tray-icon

# --- 2. a click on the tray icon: the popup opens beside the taskbar -----------------------
click_at "$tray_x" "$tray_y"
popup_shown() { listing popup && python3 "$py" popup "$work/popup.txt" >"$work/popup-pos.txt" && grep -q '^visible' "$work/popup-pos.txt"; }
wait_until 10 "the popup's appearance after the tray click" popup_shown
# Logged in and listed: the server's rows show.
listed() { now_list >"$work/list.txt" && grep -q "^row	$target	" "$work/list.txt"; }
wait_until 30 "the listing of the server's VMs in the popup" listed
listing popup; python3 "$py" popup "$work/popup.txt" >"$work/popup-pos.txt"
read -r _ p_left p_top p_right p_bottom <<<"$(grep '^visible' "$work/popup-pos.txt")"
read -r _ t_left t_top t_right t_bottom t_edge <<<"$(grep '^taskbar' "$work/popup-pos.txt")"
read -r _ s_left s_top s_right s_bottom <<<"$(grep '^shelltray' "$work/popup-pos.txt")"
say "popup at $p_left,$p_top-$p_right,$p_bottom; taskbar reported at $t_left,$t_top-$t_right,$t_bottom (edge $t_edge); the shell's bar is drawn at $s_left,$s_top-$s_right,$s_bottom"
(( p_left >= 0 && p_top >= 0 && p_right <= screen_w && p_bottom <= screen_h )) || fail "the popup is not wholly on the screen"
[ "$t_edge" = 3 ] || fail "the taskbar is not reported at the bottom edge (edge $t_edge)"
[ "$p_right" = "$t_right" ] || fail "the popup's right edge $p_right is not at the taskbar's right end $t_right"
# Beside the taskbar as a person sees it: just above the bar that is drawn, leaving the icon
# that was clicked uncovered (a click on the icon places it a little above the click).
icon_top=$(( tray_y - tray_h / 2 ))
(( p_bottom <= t_top && p_bottom <= s_top && p_bottom <= icon_top )) \
  || fail "the popup's bottom $p_bottom covers the taskbar (reported top $t_top, drawn top $s_top, icon top $icon_top)"
(( p_bottom >= s_top - 20 )) || fail "the popup's bottom $p_bottom is not beside the taskbar (drawn top $s_top)"
shot 02-popup-opened
rows_before=$(grep -c '^row' "$work/list.txt")

# --- 3. part of a name typed into the search box: the list narrows -------------------------
read -r search_x search_y _ <<<"$(python3 "$py" search "$work/popup.txt")"
click_at "$search_x" "$search_y"
sleep 0.3
xdo type --delay 120 "$typed_part"
# narrowed PART NAME: the search box holds PART, NAME is listed, and every row holds PART.
narrowed() {
  now_list >"$work/list.txt" || return 1
  listing_search=$(python3 "$py" search "$work/now.txt" | cut -f2)
  [ "$listing_search" = "$1" ] || return 1
  grep -q "^row	$2	" "$work/list.txt" || return 1
  # Every row shown holds what was typed; rows of other names are gone.
  ! awk -F'\t' -v part="$1" '$1 == "row" && index(tolower($2), part) == 0 { bad = 1 } END { exit !bad }' "$work/list.txt"
}
wait_until 10 "the narrowing of the list to names with '$typed_part'" narrowed "$typed_part" "$target"
rows_after=$(grep -c '^row' "$work/list.txt")
(( rows_after < rows_before )) || fail "the list did not narrow ($rows_before rows before, $rows_after after)"
say "the list narrowed from $rows_before to $rows_after rows: $(awk -F'\t' '$1 == "row" { printf "%s; ", $2 }' "$work/list.txt")"
shot 03-search-narrowed

# --- 4. Down and Enter expand the VM; its power button powers it on -------------------------
# Enter ends the search and gives the list the keyboard; Down reaches the first match.
xdo key --delay 150 Return
sleep 0.5
# Down until the VM's row has the keyboard focus (a person watches the highlight move).
focused() { now_list >"$work/list.txt" && awk -F'\t' -v t="$target" '$1 == "row" && $2 == t && $3 ~ /k/ { f = 1 } END { exit !f }' "$work/list.txt"; }
for downs in $(seq 1 12); do
  xdo key Down
  sleep 0.3
  focused && break
  (( downs < 12 )) || fail "Down never reached $target: $(awk -F'\t' '$3 ~ /k/' "$work/list.txt")"
done
say "$downs Down key(s) reached $target"
xdo key Return
row_info() { listing now && python3 "$py" row "$work/now.txt" "$host" "$target" >"$work/row.txt"; }
expanded() { row_info && grep -q '^Connect	ve' <(sed 's/&//' "$work/row.txt"); }
wait_until 15 "the expansion of $target (its Connect button)" expanded
say "$target expanded: $(tr '\n' ';' <"$work/row.txt")"
grep -q "^Power On	ve	" "$work/row.txt" || fail "the expanded row offers no enabled Power On button: $(tr '\n' ';' <"$work/row.txt")"
[ "$(python3 "$py" power-state "$admin" "$target")" = 2 ] || fail "$target is not powered off at first"
shot 04-expanded

read -r on_x on_y <<<"$(awk -F'\t' '$1 == "Power On" && $2 == "ve" { print $3; exit }' "$work/row.txt")"
click_at "$on_x" "$on_y"
sim_on() { [ "$(python3 "$py" power-state "$admin" "$target")" = 8 ]; }
wait_until 15 "the simulator's power-on of $target" sim_on
row_on() { row_info && grep -q '^Power On	vec	' "$work/row.txt" && grep -q '^Power Off	ve	' "$work/row.txt"; }
wait_until 10 "the row's powered-on state (Power On held, Power Off offered)" row_on
say "$target powered on: simulator state 8, row $(tr '\n' ';' <"$work/row.txt")"
shot 05-powered-on

# --- 5. Connect: the console opens with the VM's name in its title ---------------------------
[ -f "$console_dir/zandor-lumacon.exe" ] || fail "the console program is not installed in the prefix (scripts/install-into-prefix)"
read -r c_x c_y <<<"$(sed 's/&//' "$work/row.txt" | awk -F'\t' '$1 == "Connect" { print $3; exit }')"
click_at "$c_x" "$c_y"
console_open() { xdotool search --onlyvisible --name "$target" >"$work/console-x.txt" 2>/dev/null; }
wait_until 30 "the console window titled with $target" console_open
console_title=$(xdotool getwindowname "$(head -n1 "$work/console-x.txt")")
listing console
console_pid=$(awk -F'\t' -v t="$target" '$1 == "top" && index($7, t) { print $3; exit }' "$work/console.txt")
popup_hidden() { listing now && python3 "$py" popup "$work/now.txt" | grep -q '^hidden'; }
wait_until 10 "the popup's hiding after Connect" popup_hidden
say "console open: '$console_title' (process $console_pid); the popup hid"
sleep 1
shot 06-console-opened

# --- 6. the popup again from the tray icon, then a click elsewhere hides it ------------------
click_at "$tray_x" "$tray_y"
wait_until 10 "the popup's appearance after the second tray click" popup_shown
sleep 0.5
shot 07-popup-again
# Elsewhere: the desktop, away from the popup and the console window.
c_rect=$(awk -F'\t' -v t="$target" '$1 == "top" && index($7, t) && $5 ~ /v/ { print $6; exit }' "$work/console.txt")
IFS=, read -r c_left c_top c_right c_bottom <<<"${c_rect:-0,0,0,0}"
away_x=40 away_y=40
if (( away_x >= c_left && away_x < c_right && away_y >= c_top && away_y < c_bottom )); then away_x=$(( c_right + 20 )); fi
click_at "$away_x" "$away_y"
wait_until 10 "the popup's hiding after a click elsewhere" popup_hidden
say "a click at $away_x,$away_y hid the popup"
shot 08-clicked-elsewhere

# --- 6b. the hotkey: the popup opens with the caret in the search box; a name typed at once --
# The keyboard of the X display goes to the window under the pointer: the desktop just clicked.
xdo mousemove "$away_x" "$away_y"
xdo key ctrl+alt+z
wait_until 10 "the popup's appearance after Ctrl+Alt+Z" popup_shown
search_has_keyboard() { listing now && python3 "$py" search "$work/now.txt" | cut -f3 | grep -q k; }
wait_until 5 "the keyboard focus in the search box after Ctrl+Alt+Z" search_has_keyboard
xdo type --delay 120 "web-f"
wait_until 10 "the narrowing of the list to names with 'web-f' (typed after Ctrl+Alt+Z)" narrowed "web-f" "web-frontend-01"
say "Ctrl+Alt+Z opened the popup with the keyboard in the search box; typing narrowed it to: $(awk -F'\t' '$1 == "row" { printf "%s; ", $2 }' "$work/list.txt")"
shot 08b-hotkey-typed
xdo key ctrl+alt+z
wait_until 10 "the popup's hiding after Ctrl+Alt+Z again" popup_hidden
say "Ctrl+Alt+Z again hid it"

# --- 7. the tray menu's Exit, confirmed with Yes ----------------------------------------------
click_at "$tray_x" "$tray_y" 3
menu_open() { listing menu && python3 "$py" top "$work/menu.txt" "#32768" | grep -q '^[0-9]* v'; }
wait_until 10 "the tray menu's appearance" menu_open
read -r m_left m_top m_right m_bottom <<<"$(python3 "$py" top "$work/menu.txt" "#32768" | awk '$2 ~ /^v/ { print $3, $4, $5, $6; exit }')"
say "tray menu open at $m_left,$m_top-$m_right,$m_bottom"
# Exit is the menu's last item, at its bottom (a menu's items are not windows of their own).
# With the mouse: under Wine keys never reach this menu (neither its mnemonic nor Up, Enter).
# Pointing at it first also moves away the icon's tip, which Wine draws over the menu.
xdo mousemove $(( (m_left + m_right) / 2 )) $(( m_bottom - 12 ))
sleep 0.8
shot 09-tray-menu
xdo click 1
confirm_open() { listing confirm && python3 "$py" button "$work/confirm.txt" "#32770" "Yes" >"$work/yes.txt"; }
wait_until 10 "the exit question" confirm_open
grep -q "Are you sure you want to exit" "$work/confirm.txt" || fail "the dialog that opened does not ask about exiting"
shot 10-confirm-exit
read -r yes_x yes_y <"$work/yes.txt"
click_at "$yes_x" "$yes_y"
app_ended() { ! kill -0 "$app" 2>/dev/null; }
wait_until 20 "the program's exit after Yes" app_ended
app_rc=0; wait "$app" || app_rc=$?
app=""
[ "$app_rc" = 0 ] || fail "the program ended with code $app_rc"
sleep 0.5
shot 11-exited
tray_xy=""
find_tray || true
[ -z "$tray_xy" ] || fail "an icon is still shown in the notification area after the exit ($tray_xy)"
say "the program ended with 0 and its tray icon is gone"

# --- 8. prefs.txt holds the recent use of the VM -----------------------------------------------
moid=$(python3 "$py" moid "$admin" "$target")
python3 "$py" recent "$prefs" "$url" >"$work/recent.txt"
say "recently used in prefs.txt: $(tr '\t\n' ' ;' <"$work/recent.txt")"
IFS=$'\t' read -r r_name r_id r_last <<<"$(awk -F'\t' -v t="$target" '$1 == t { print; exit }' "$work/recent.txt")"
[ "$r_name" = "$target" ] || fail "prefs.txt saves no recent use of $target"
[ "$r_id" = "$moid" ] || fail "the saved recent use names id '$r_id', not the VM's $moid"
(( r_last >= started && r_last <= $(date +%s) )) || fail "the saved last use $r_last is not the time of this run"
grep -qF "$password" "$prefs" && fail "prefs.txt holds the password in plain text"

# The person closes the console too.
click_at $(( (c_left + c_right) / 2 )) $(( c_bottom - 20 ))
sleep 0.3
xdo key alt+F4
console_closed() { ! xdotool search --onlyvisible --name "$target" >/dev/null 2>&1; }
wait_until 10 "the console's closing" console_closed && console_pid=""
say "journey complete in $(( $(date +%s) - started )) s"
