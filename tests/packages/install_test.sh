#!/usr/bin/env bash
# Zarvio's two downloads as a Windows user meets them, under Wine: the portable zip's content;
# the installer's silent per-user install (files, Start menu shortcut, Uninstall key), the
# installed program's main window, an upgrade from an older version while that program runs
# (it is asked to end, and the user's station files stay byte for byte), the silent uninstall
# (everything goes but the user's files and other copies' autostart values); and an install for
# all users into a folder named with /D=, started from its shortcut, then uninstalled through the
# uninstaller's pages with Yes to its question about the station files.
#   install_test.sh SETUP_EXE PORTABLE_ZIP ZARVIO_EXE SOURCE_ROOT STAGE_DIR ICON MAKENSIS
# Ends by itself within bounded waits and stops only the programs it started.
set -u
setup="$1"
zip="$2"
exe="$3"
root="$4"
stage="$5"
icon="$6"
makensis="$7"
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null 2>&1; then
    echo "no X display or no xdotool: skipped"
    exit 77
fi
for f in "$setup" "$zip"; do
    [ -f "$f" ] || { echo "FAIL: no $f (the build's packages target makes it)"; exit 1; }
done
source "$root/scripts/wine-env.sh"
# Shortcuts would otherwise become menu entries of the Linux desktop.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
version="$(basename "$setup" | sed -n 's/^zarvio-\(.*\)-setup\.exe$/\1/p')"
old_version=1.0.15  # any version before this one: the installer is made from the same files
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarvio'
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
shipped=(zarvtai.mdb zarvlist.dll sound.ini)

work="$(mktemp -d /tmp/zarvio-packages.XXXXXX)"
pid=""
started=$SECONDS

fail() {
    echo "FAIL: $*"
    exit 1
}
ok() { echo "ok ($((SECONDS - started)) s): $*"; }

# Waits up to $1 tenths of a second for the command in the remaining arguments to succeed.
wait_for() {
    local tenths="$1"; shift
    local i
    for ((i = 0; i < tenths; i++)); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}

# A Windows program's output goes to a file: Wine's services may inherit a pipe and hold it.
win() { wine "$@" >>"$work/wine.txt" 2>&1 </dev/null; }

# C:\a\b as the Unix path inside the prefix.
unix_path() {
    local p="${1//\\//}"
    echo "$WINEPREFIX/drive_c/${p#[Cc]:/}"
}

# The key's values into $work/reg.txt; false when there is no such key.
reg_query() { wine reg query "$1" >"$work/reg.txt" 2>>"$work/wine.txt" </dev/null; }
# One value of the last queried key, as reg prints it.
reg_value() { sed -n "s/^    $1    REG_[A-Z_]*    //p" "$work/reg.txt" | tr -d '\r'; }

main_window() { xdotool search --onlyvisible --name '^Zarvio正式版' 2>/dev/null | head -1; }
main_shown() { [ -n "$(main_window)" ]; }
main_gone() { [ -z "$(main_window)" ]; }
focus_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
# The uninstaller's windows (its pages, then also its question) carry 卸载 in their titles; the
# newest of at least $1 goes to $found.
uninstaller_found() {
    local ids
    ids="$(xdotool search --onlyvisible --name '卸载' 2>/dev/null)"
    [ "$(echo "$ids" | grep -c .)" -ge "$1" ] || return 1
    found="$(echo "$ids" | grep -v "^${uninstaller:-none}\$" | tail -1)"
}
uninstaller_gone() { [ -z "$(xdotool search --onlyvisible --name '卸载' 2>/dev/null)" ]; }

# The Windows folders of this prefix's user.
wine cmd /c 'echo %LOCALAPPDATA%&echo %APPDATA%&echo %USERPROFILE%&echo %ProgramData%&echo %PUBLIC%&echo %ProgramFiles%' \
    >"$work/folders.txt" 2>>"$work/wine.txt" </dev/null
mapfile -t folders < <(tr -d '\r' <"$work/folders.txt")
[ ${#folders[@]} -ge 6 ] || fail "the Windows folders: $(cat "$work/folders.txt")"
user_dir_win="${folders[0]}\\Programs\\Zarvio"
user_dir="$(unix_path "$user_dir_win")"
user_menu="$(unix_path "${folders[1]}")/Microsoft/Windows/Start Menu/Programs/Zarvio.lnk"
user_desktop="$(unix_path "${folders[2]}")/Desktop/Zarvio.lnk"
common_menu="$(unix_path "${folders[3]}")/Microsoft/Windows/Start Menu/Programs/Zarvio.lnk"
common_desktop="$(unix_path "${folders[4]}")/Desktop/Zarvio.lnk"
machine_dir_win='C:\Zarvio Radio'
machine_dir="$(unix_path "$machine_dir_win")"
default_machine_dir="$(unix_path "${folders[5]}")/Zarvio"  # where /AllUsers goes without /D=

# Leaves the prefix as a machine that never had Zarvio installed.
forget_installs() {
    wine cmd /c "reg delete HKCU\\$uninstall_key /f & reg delete HKLM\\$uninstall_key /f & reg delete HKCU\\$run_key /v MySoftware1 /f & reg delete HKLM\\$run_key /v MySoftware1 /f" \
        >>"$work/wine.txt" 2>&1 </dev/null
    rm -rf "$user_dir" "$machine_dir" "$default_machine_dir"
    rm -f "$user_menu" "$user_desktop" "$common_menu" "$common_desktop"
}
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    # The copy started from its shortcut and the uninstaller, should a failed check have left
    # them running.
    local window started_pid
    for window in $(main_window) $(xdotool search --onlyvisible --name '卸载' 2>/dev/null); do
        started_pid="$(xdotool getwindowpid "$window" 2>/dev/null)"
        [ -n "$started_pid" ] && kill "$started_pid" 2>/dev/null
    done
    forget_installs
    rm -rf "$work"
}
trap cleanup EXIT
forget_installs

# --- The portable zip: one Zarvio folder with the program, the shipped files and README.txt.
python3 - "$zip" "$work/portable" <<'EOF' || fail "the portable zip's entries"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    names = sorted(z.namelist())
    want = sorted("Zarvio/" + n for n in ["zarvio.exe", "README.txt", "zarvtai.mdb", "zarvlist.dll", "sound.ini"])
    if names != want:
        sys.exit(f"entries {names}, wanted {want}")
    z.extractall(sys.argv[2])
EOF
cmp -s "$work/portable/Zarvio/zarvio.exe" "$exe" || fail "the zip's zarvio.exe is not the one built"
for f in "${shipped[@]}"; do
    cmp -s "$work/portable/Zarvio/$f" "$root/data/$f" || fail "the zip's $f is not the shipped one"
done
readme="$work/portable/Zarvio/README.txt"
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.txt does not start with a byte-order mark"
grep -q "Zarvio $version" "$readme" || fail "README.txt does not name version $version"
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "README.txt has lines without CR LF"
ok "the portable zip holds zarvio.exe, the shipped station files and README.txt"

# --- An older version, installed silently for this user.
# Made as the build makes the current one (packaging/CMakeLists.txt), with the older version.
"$makensis" -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$old_version" -DSTAGE="$stage" -DICON="$icon" \
    -DOUTFILE="$work/zarvio-$old_version-setup.exe" "$root/packaging/zarvio.nsi" >"$work/makensis.txt" 2>&1 ||
    fail "makensis for $old_version: $(cat "$work/makensis.txt")"
win "$work/zarvio-$old_version-setup.exe" /S || fail "the silent install ended with $?"
for f in zarvio.exe README.txt uninst.exe "${shipped[@]}"; do
    [ -f "$user_dir/$f" ] || fail "no $f in $user_dir"
done
cmp -s "$user_dir/zarvio.exe" "$exe" || fail "the installed zarvio.exe is not the one built"
for f in "${shipped[@]}"; do cmp -s "$user_dir/$f" "$root/data/$f" || fail "the installed $f is not the shipped one"; done
[ -f "$user_menu" ] || fail "no Start menu shortcut $user_menu"
[ ! -e "$user_desktop" ] || fail "a desktop shortcut nobody asked for"
reg_query "HKCU\\$uninstall_key" || fail "no Uninstall key in the user's hive"
for check in "DisplayName=Zarvio" "DisplayVersion=$old_version" "Publisher=Zarvio" \
             "DisplayIcon=$user_dir_win\\zarvio.exe,0" "UninstallString=\"$user_dir_win\\uninst.exe\"" \
             "QuietUninstallString=\"$user_dir_win\\uninst.exe\" /S" "NoModify=0x1" "NoRepair=0x1"; do
    [ "$(reg_value "${check%%=*}")" = "${check#*=}" ] || fail "${check%%=*} is '$(reg_value "${check%%=*}")', not '${check#*=}'"
done
size="$(reg_value EstimatedSize)"
[ -n "$size" ] && [ $((size)) -ge 1000 ] || fail "EstimatedSize '$size' KB"
! reg_query "HKLM\\$uninstall_key" || fail "a per-user install wrote the machine's Uninstall key"
ok "the silent install put the files, the Start menu shortcut and the user's Uninstall key in place"

# --- The user's own stations, volume and log; the installed program running.
printf '\xd6\xd0\xb9\xfa\xc5\xe3\xc5\xe3\r\nMy radio\r\n' >"$work/zarvtai.mdb"
printf 'http://127.0.0.1:9/a\r\nhttp://127.0.0.1:9/b\r\n' >"$work/zarvlist.dll"
printf ' 33 \r\n' >"$work/sound.ini"
printf 'an earlier record\r\n\r\n' >"$work/错误日志.log"
user_files=("${shipped[@]}" 错误日志.log)
for f in "${user_files[@]}"; do cp "$work/$f" "$user_dir/$f"; done
(cd "$user_dir" && exec wine ./zarvio.exe) >"$work/zarvio.txt" 2>&1 </dev/null &
pid=$!
wait_for 600 main_shown || fail "the installed program showed no main window"
ok "the installed program shows its main window"

# --- The upgrade: the running program is asked to end, the user's files stay.
win "$setup" /S /Desktop || fail "the upgrade ended with $?"
wait_for 50 bash -c "! kill -0 $pid 2>/dev/null" || fail "the running program was not ended by the upgrade"
wait "$pid"
rc=$?
pid=""
[ $rc -eq 0 ] || fail "the program ended with $rc, not through its own exit"
main_gone || fail "a main window is still shown"
for f in "${user_files[@]}"; do cmp -s "$user_dir/$f" "$work/$f" || fail "the upgrade changed the user's $f"; done
cmp -s "$user_dir/zarvio.exe" "$exe" || fail "the upgrade left another zarvio.exe"
[ -f "$user_desktop" ] || fail "no desktop shortcut after /Desktop"
reg_query "HKCU\\$uninstall_key" || fail "the upgrade lost the Uninstall key"
[ "$(reg_value DisplayVersion)" = "$version" ] || fail "DisplayVersion '$(reg_value DisplayVersion)' after the upgrade"
ok "the upgrade ended the running program through its exit and kept the user's files byte for byte"

# --- The silent uninstall. This install's autostart value goes; another copy's stays.
win reg add "HKCU\\$run_key" /v MySoftware1 /d "$user_dir_win\\zarvio.exe" /f || fail "reg add"
win reg add "HKLM\\$run_key" /v MySoftware1 /d 'C:\Other\zarvio.exe' /f || fail "reg add"
# The uninstaller runs from a copy in the temporary folder and removes uninst.exe last.
win "$user_dir/uninst.exe" /S || fail "the uninstaller ended with $?"
wait_for 1200 test ! -e "$user_dir/uninst.exe" || fail "the uninstaller did not finish"
for f in zarvio.exe README.txt; do [ ! -e "$user_dir/$f" ] || fail "$f is still there"; done
for f in "${user_files[@]}"; do cmp -s "$user_dir/$f" "$work/$f" || fail "the silent uninstall did not keep $f"; done
[ ! -e "$user_menu" ] || fail "the Start menu shortcut is still there"
[ ! -e "$user_desktop" ] || fail "the desktop shortcut is still there"
! reg_query "HKCU\\$uninstall_key" || fail "the Uninstall key is still there"
reg_query "HKCU\\$run_key"
[ -z "$(reg_value MySoftware1)" ] || fail "this install's autostart value is still there"
reg_query "HKLM\\$run_key"
[ "$(reg_value MySoftware1)" = 'C:\Other\zarvio.exe' ] || fail "another copy's autostart value went: '$(reg_value MySoftware1)'"
win reg delete "HKLM\\$run_key" /v MySoftware1 /f
ok "the silent uninstall removed program, shortcuts, Uninstall key and autostart value, and kept the station files"

# --- For all users, into a folder of the user's choosing that already holds a station list.
mkdir -p "$machine_dir"
cp "$work/zarvtai.mdb" "$machine_dir/zarvtai.mdb"
# /D= stands unquoted at the end of the command line, spaces and all, as NSIS wants it: cmd
# passes the line on as it is written.
cp "$setup" "$work/setup.exe"
win cmd /c "Z:${work//\//\\}\\setup.exe /S /AllUsers /D=$machine_dir_win" || fail "the install for all users ended with $?"
[ -f "$machine_dir/zarvio.exe" ] || fail "no zarvio.exe in $machine_dir"
cmp -s "$machine_dir/zarvtai.mdb" "$work/zarvtai.mdb" || fail "the install replaced a station list that was there"
for f in zarvlist.dll sound.ini; do cmp -s "$machine_dir/$f" "$root/data/$f" || fail "no shipped $f where there was none"; done
[ -f "$common_menu" ] || fail "no Start menu shortcut for all users ($common_menu)"
reg_query "HKLM\\$uninstall_key" || fail "no Uninstall key in the machine's hive"
[ "$(reg_value InstallLocation)" = "$machine_dir_win" ] || fail "InstallLocation '$(reg_value InstallLocation)'"
! reg_query "HKCU\\$uninstall_key" || fail "an install for all users wrote the user's Uninstall key"
win start /unix "$common_menu" || fail "the shortcut did not start"
wait_for 600 main_shown || fail "the shortcut started no main window"
# The uninstaller as a person uses it: 卸载 on its first page, then Yes to its question.
win "$machine_dir/uninst.exe" || fail "the uninstaller ended with $?"  # it goes on from a copy
wait_for 300 uninstaller_found 1 || fail "the uninstaller showed no window"
uninstaller="$found"
wait_for 100 focus_is "$uninstaller" || fail "the uninstaller does not have the keyboard focus"
xdotool key Return
wait_for 600 uninstaller_found 2 || fail "the uninstaller did not ask about the station files"
question="$found"
main_gone || fail "the program still ran when the uninstaller came to the question"
wait_for 100 focus_is "$question" || fail "the question does not have the keyboard focus"
[ -f "$machine_dir/zarvtai.mdb" ] || fail "the station files went before the user answered"
xdotool key y
wait_for 600 test ! -e "$machine_dir" || fail "left in the folder after Yes: $(ls "$machine_dir" | tr '\n' ' ')"
[ ! -e "$common_menu" ] || fail "the Start menu shortcut for all users is still there"
! reg_query "HKLM\\$uninstall_key" || fail "the machine's Uninstall key is still there"
wait_for 100 focus_is "$uninstaller" || fail "the uninstaller's last page does not have the keyboard focus"
xdotool key Return
wait_for 300 uninstaller_gone || fail "the uninstaller's window did not close"
ok "/AllUsers /D= installed into the named folder under the machine's key; its shortcut started the program; the uninstaller ended it, asked, and removed everything on Yes"

echo "PASS: zip, install, start, upgrade, uninstall and the install for all users ($((SECONDS - started)) s)"
