#!/usr/bin/env bash
# The real zarvio.exe driven from outside through the X server, as a person would: Tab to the
# About button, open the About window with the space bar, and with the About window focused
# press the keyboard's Next and Previous keys. The main window's title must follow the station
# list. Ends by itself within a bounded time and stops only the program it started.
#   media_keys.sh ZARVIO_EXE SOURCE_ROOT
set -u
exe="$1"
root="$2"
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null 2>&1; then
    echo "no X display or no xdotool: skipped"
    exit 77
fi
source "$root/scripts/wine-env.sh"

work="$(mktemp -d /tmp/zarvio-keys.XXXXXX)"
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        # The program and what it started (the web page request of the About window).
        local children
        children="$(ps -o pid= --ppid "$pid" 2>/dev/null || true)"
        kill "$pid" $children 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

cp "$exe" "$work/zarvio.exe"
# Three stations whose addresses lead nowhere (port 9 on this machine refuses at once).
printf 'Alpha\r\nBeta\r\nGamma\r\n' > "$work/zarvtai.mdb"
printf 'http://127.0.0.1:9/a\r\nhttp://127.0.0.1:9/b\r\nhttp://127.0.0.1:9/c\r\n' > "$work/zarvlist.dll"
printf ' 50 \r\n' > "$work/sound.ini"

fail() {
    echo "FAIL: $* (focus on X window $(xdotool getwindowfocus 2>/dev/null))"
    exit 1
}

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

find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
main_found() { main="$(find_window '^Zarvio')"; [ -n "$main" ]; }
about_found() { about="$(find_window 'Ver1\.0\.16')"; [ -n "$about" ]; }
main_title_is() { [ "$(xdotool getwindowname "$main" 2>/dev/null)" = "$1" ]; }
focus_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

(cd "$work" && exec wine ./zarvio.exe) >"$work/out.txt" 2>&1 &
pid=$!

wait_for 600 main_found || fail "the main window did not show"
wait_for 100 focus_is "$main" || fail "the main window does not have the keyboard focus"
sleep 0.5
# The focus starts in the station list; six Tabs lead to the About button.
xdotool key Tab Tab Tab Tab Tab Tab space
wait_for 150 about_found || fail "the About window did not open from the keyboard"
wait_for 100 focus_is "$about" || fail "the About window is not focused"

for step in "XF86AudioNext 001 ★ Alpha" "XF86AudioNext 002 ★ Beta" "XF86AudioPrev 001 ★ Alpha"; do
    xdotool key "${step%% *}"
    wait_for 50 main_title_is "你选择:${step#* }" || fail "${step%% *}: title '$(xdotool getwindowname "$main")'"
done
focus_is "$about" || fail "the media keys took the focus from the About window"
echo "PASS: the media keys moved the main window through the stations while the About window had the focus"
