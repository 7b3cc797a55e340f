#!/usr/bin/env bash
# The MSI package under Wine's msiexec, in a scratch prefix of its own (the package ends
# every running wickerlyn.exe of its prefix, and REMOVEPREFS deletes the user's prefs):
# install of a lower version, the program started from the installed folder, upgrade while
# it runs, the same version twice, a rebuilt package of the same version, uninstall with
# and without REMOVEPREFS=1.
#   tests/installer/installer_test.sh [BUILD_DIR]
# Needs a display (the program opens windows): run it under xvfb-run, as CTest does.
# Scratch folder: ZW_INSTALLER_TEST_DIR (default BUILD_DIR/installer-test); its prefix is
# deleted after a passing run unless ZW_INSTALLER_KEEP_PREFIX is set.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-${ZW_BUILD_DIR:-$root/build}}" && pwd)"
work="${ZW_INSTALLER_TEST_DIR:-$build/installer-test}"
user="$(id -un)"

export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all
# No menu entries on the host for the shortcut.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
# The update check asks a closed local port instead of the internet.
export ZANDOR_INFO_HOST=127.0.0.1:9

drive="$WINEPREFIX/drive_c"
install_dir="$drive/Program Files/Zandor/Zandor Wickerlyn"
exe_win='C:\Program Files\Zandor\Zandor Wickerlyn\wickerlyn.exe'
qor_unix="$install_dir/kilnworks/qor.dll"
data_dir="$drive/users/$user/AppData/Roaming/Zandor/Zandor Wickerlyn"
log_dir="$drive/users/$user/Temp/zandor-$user"
run_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# Windows puts a per-machine shortcut into the common Start menu; Wine's msiexec resolves
# ProgramMenuFolder to the user's one even with ALLUSERS=1. Either counts, not both.
shortcuts=("$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Zandor Wickerlyn.lnk"
           "$drive/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zandor Wickerlyn.lnk")

started=$SECONDS
failures=0
prog_pid=""
step=0

ok() { echo "ok - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
check() {  # check "what" command...
  local what="$1"; shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
# Stops the run: later steps build on this one.
fatal() {
  echo "FAIL - $* (stopping)"
  failures=$((failures + 1))
  finish
}

cleanup() {
  [ -n "${cleaned:-}" ] && return
  cleaned=1
  if [ -n "$prog_pid" ]; then kill "$prog_pid" 2>/dev/null; wait "$prog_pid" 2>/dev/null; fi
  wineserver -k 2>/dev/null
}
finish() {
  cleanup
  # The prefix is large; a failed run keeps it to look into.
  if [ "$failures" -eq 0 ] && [ -z "${ZW_INSTALLER_KEEP_PREFIX:-}" ]; then rm -rf "$WINEPREFIX"; fi
  echo "installer_test: $failures failure(s), $((SECONDS - started)) s"
  [ "$failures" -eq 0 ] && exit 0 || exit 1
}
trap cleanup EXIT

wait_for() {  # wait_for SECONDS command...: true as soon as the command is
  local deadline=$((SECONDS + $1)); shift
  while :; do
    "$@" && return 0
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.25
  done
}

win_path() { printf 'Z:%s' "$1" | tr / '\\'; }

msiexec() {  # msiexec /i|/x PACKAGE-OR-CODE [PROPERTY=VALUE...]; returns msiexec's code
  local mode="$1" target="$2"; shift 2
  step=$((step + 1))
  local log="$work/msiexec-$step.log"
  [ -f "$target" ] && target="$(win_path "$target")"
  wine msiexec "$mode" "$target" /qn /l*v "$(win_path "$log")" "$@" >/dev/null 2>&1
  local rc=$?
  [ $rc -eq 0 ] || [ -n "${expect_refusal:-}" ] || { echo "  msiexec $mode exited with $rc; log: $log"; tail -n 15 "$log" | tr -d '\r' | sed 's/^/  | /'; }
  return $rc
}

# Registry keys of installed products named "Zandor Wickerlyn", one a line.
products() {
  wine reg query "$uninstall_key" /s /reg:64 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ {key = $0} /^ +DisplayName +REG_SZ +Zandor Wickerlyn$/ {print key}'
}
product_count() { products | grep -c . ; }
installed_version() {
  wine reg query "$(products | head -n1)" /v DisplayVersion /reg:64 2>/dev/null | tr -d '\r' |
    awk '/DisplayVersion/ {print $3}'
}
product_code() { products | head -n1 | sed 's/.*\\//'; }
one_product_of() { [ "$(product_count)" = 1 ] && [ "$(installed_version)" = "$1" ]; }

# A process of this prefix has the installed qor.dll mapped: the program started from the
# installed folder and loaded its library from there.
qor_loaded() { grep -qsF "$qor_unix" /proc/[0-9]*/maps 2>/dev/null; }
prog_ended() {
  local state
  state=$(ps -o stat= -p "$prog_pid" 2>/dev/null)
  [ -z "$state" ] || [[ "$state" == Z* ]] || return 1
  ! qor_loaded
}
start_program() {
  wine "$exe_win" >/dev/null 2>&1 &
  prog_pid=$!
  wait_for 30 qor_loaded
}
reap_program() { wait "$prog_pid" 2>/dev/null; prog_pid=""; }

files_in_place() {
  cmp -s "$build/bin/wickerlyn.exe" "$install_dir/wickerlyn.exe" &&
    cmp -s "$build/bin/kilnworks/qor.dll" "$install_dir/kilnworks/qor.dll"
}
shortcut_count() {
  local n=0 s
  for s in "${shortcuts[@]}"; do [ -f "$s" ] && n=$((n + 1)); done
  echo $n
}
shortcut_to_program() {
  local s
  [ "$(shortcut_count)" = 1 ] || return 1
  for s in "${shortcuts[@]}"; do
    [ -f "$s" ] && grep -aqF "$exe_win" "$s" && return 0
  done
  return 1
}
run_value_exists() { wine reg query "$run_key" /v "$1" /reg:64 >/dev/null 2>&1; }
run_value_absent() { ! run_value_exists "$1"; }
product_gone() { ! wine reg query "$uninstall_key\\$1" /reg:64 >/dev/null 2>&1; }
replaced_by_other_code() { [ "$(product_count)" = 1 ] && [ "$(product_code)" != "$1" ]; }
no_load_failure() { [ -f "$1" ] && ! grep -q "Failed to load" "$1"; }
data_files_absent() { [ ! -e "$data_dir/prefs.txt" ] && [ ! -e "$data_dir/crash-test.dmp" ]; }
data_folders_absent() { [ ! -e "$data_dir" ] && [ ! -e "$(dirname "$data_dir")" ]; }
no_program_left() {
  [ ! -e "$install_dir" ] && [ ! -e "$drive/Program Files/Zandor" ] && [ "$(shortcut_count)" = 0 ]
}

# ---- Packages ---------------------------------------------------------------------------
rm -rf "$work"
mkdir -p "$work/packages"
version=$(sed -n 's/^[[:space:]]*VALUE[[:space:]]*"ProductVersion",[[:space:]]*"\([^"]*\)".*/\1/p' \
  "$root/res/wickerlyn.rc" | head -n1)
IFS=. read -r major minor patch _ <<<"$version"
if [ "${patch:-0}" -gt 0 ]; then lower="$major.$minor.$((patch - 1))"
elif [ "${minor:-0}" -gt 0 ]; then lower="$major.$((minor - 1)).0"
else lower="$((major - 1)).0.0"; fi

current_msi=$("$root/installer/build-msi" "$build" --output "$work/packages/ZandorWickerlyn-$version.msi") \
  || fatal "build-msi builds the package of version $version"
lower_msi=$("$root/installer/build-msi" "$build" --version "$lower" --output "$work/packages/ZandorWickerlyn-$lower.msi") \
  || fatal "build-msi builds a package of the lower version $lower"
rebuilt_msi=$("$root/installer/build-msi" "$build" --output "$work/packages/rebuilt/ZandorWickerlyn-$version.msi") \
  || fatal "build-msi builds a second package of version $version"
ok "packages of $version (twice) and $lower built"

check "the default output name is ZandorWickerlyn-<version>.msi" \
  test "$(basename "$("$root/installer/build-msi" "$build" --version 9.8.7 --output "$work/packages/x/ZandorWickerlyn-9.8.7.msi")")" = ZandorWickerlyn-9.8.7.msi
files=$(msiinfo export "$current_msi" File | tr -d '\r' | tail -n +4 | cut -f3 | sort | tr '\n' ' ')
check "the package holds wickerlyn.exe and qor.dll only (got: $files)" test "$files" = "qor.dll wickerlyn.exe "
check "the package's ProductVersion is $version" \
  grep -q "^ProductVersion	$version" <(msiinfo export "$current_msi" Property | tr -d '\r')
check "the two packages of $version have different product codes" \
  test "$(msiinfo export "$current_msi" Property | grep ^ProductCode)" != "$(msiinfo export "$rebuilt_msi" Property | grep ^ProductCode)"

# ---- Prefix -----------------------------------------------------------------------------
ZW_BUILD_DIR="$build" "$root/scripts/make-prefix" || fatal "a scratch prefix is made in $WINEPREFIX"
wineserver -p
wine wineboot >/dev/null 2>&1
ok "scratch prefix ready ($((SECONDS - started)) s so far)"

# ---- Lower version: install, start from the installed folder, /kill --------------------
msiexec /i "$lower_msi" || fatal "msiexec /i of version $lower succeeds"
check "version $lower is installed once" one_product_of "$lower"
check "wickerlyn.exe and kilnworks\\qor.dll are installed under Program Files\\Zandor\\Zandor Wickerlyn" files_in_place
check "one Start-menu shortcut \"Zandor Wickerlyn\" points at the installed wickerlyn.exe" shortcut_to_program
check "the console program is not installed" test ! -e "$install_dir/zandor-lumacon.exe"

start_program || fatal "the installed program starts and loads kilnworks\\qor.dll from its folder"
ok "the installed program runs with $qor_unix loaded"
latest_log="$log_dir/$(ls -t "$log_dir" 2>/dev/null | head -n1)"
check "its log ($(basename "$latest_log")) reports no failure to load the library" no_load_failure "$latest_log"
wine "$exe_win" /kill >/dev/null 2>&1
check "the installed wickerlyn.exe /kill ends it" wait_for 15 prog_ended
reap_program

# ---- Upgrade while the old version runs --------------------------------------------------
start_program || fatal "the installed program starts again"
old_code=$(product_code)
msiexec /i "$current_msi" || fail "msiexec /i of version $version over $lower while the program runs succeeds"
check "the running program was ended by the upgrade" wait_for 15 prog_ended
reap_program
check "only version $version is installed after the upgrade" one_product_of "$version"
check "the old product ($old_code) is gone" product_gone "$old_code"
check "the files are in place after the upgrade" files_in_place
check "one shortcut after the upgrade" shortcut_to_program

# ---- An older package over the newer one ---------------------------------------------------
expect_refusal=1 msiexec /i "$lower_msi" && fail "installing version $lower over $version is refused" \
  || ok "installing version $lower over $version is refused"
check "version $version stays installed after the refused downgrade" one_product_of "$version"
check "the files stay after the refused downgrade" files_in_place

# ---- The same package again, then a rebuilt package of the same version -----------------
code=$(product_code)
msiexec /i "$current_msi" || fail "installing the same package a second time succeeds"
check "still one product after the same package twice" one_product_of "$version"
check "the same product code after the same package twice" test "$(product_code)" = "$code"
check "files in place after the same package twice" files_in_place
check "one shortcut after the same package twice" shortcut_to_program

start_program || fatal "the program starts before the rebuilt package"
msiexec /i "$rebuilt_msi" || fail "a rebuilt package of the same version installs while the program runs"
check "the running program was ended by the rebuilt package" wait_for 15 prog_ended
reap_program
check "one product after the rebuilt package, the rebuilt one" replaced_by_other_code "$code"
check "files in place after the rebuilt package" files_in_place

# ---- Uninstall keeps prefs.txt and removes the rest ---------------------------------------
wine reg add "$run_key" /v "Zandor Wickerlyn" /d "\"$exe_win\" /startup" /f /reg:64 >/dev/null 2>&1
wine reg add "$run_key" /v "Installer Test Other" /d "other.exe" /f /reg:64 >/dev/null 2>&1
check "the program's Run value is set for the test" run_value_exists "Zandor Wickerlyn"
start_program || fatal "the program starts before the uninstall"
mkdir -p "$data_dir"
printf 'installer test\n' >"$data_dir/prefs.txt"
msiexec /x "$(product_code)" || fail "msiexec /x succeeds while the program runs"
check "the running program was ended by the uninstall" wait_for 15 prog_ended
reap_program
check "no product is installed after /x" test "$(product_count)" = 0
check "program files, their folders and the shortcut are removed" no_program_left
check "the Run value \"Zandor Wickerlyn\" is removed" run_value_absent "Zandor Wickerlyn"
check "other Run values stay" run_value_exists "Installer Test Other"
check "prefs.txt stays in the data folder" test -f "$data_dir/prefs.txt"
wine reg delete "$run_key" /v "Installer Test Other" /f /reg:64 >/dev/null 2>&1

# ---- Uninstall with REMOVEPREFS=1 ---------------------------------------------------------
msiexec /i "$current_msi" || fatal "msiexec /i again"
printf 'installer test\n' >"$data_dir/crash-test.dmp"
msiexec /x "$(product_code)" REMOVEPREFS=1 || fail "msiexec /x REMOVEPREFS=1 succeeds"
check "no product is installed after /x REMOVEPREFS=1" test "$(product_count)" = 0
check "program files and the shortcut are removed" no_program_left
check "prefs.txt and the other files of the data folder are removed" data_files_absent
check "the emptied data folder and its empty parent are removed" data_folders_absent

# ---- Not testable here --------------------------------------------------------------------
echo "skip - a user who cannot write to Program Files: under Wine every user is an administrator" \
  "and access checks are not enforced, so the refused per-machine install cannot be shown"

finish
