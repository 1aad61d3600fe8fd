# The one Wine environment of Zarvio: sourced by every script that starts a Windows program.
# Expects ZARVIO_ROOT (the checkout) to be set or derives it from this file's place.
: "${ZARVIO_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
: "${ZARVIO_BUILD:=$ZARVIO_ROOT/build}"
export ZARVIO_ROOT ZARVIO_BUILD
export WINEPREFIX="$ZARVIO_BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
export HOME="$ZARVIO_BUILD/winehome"
export WINEARCH=win64

# Every Win32 call that asks the Wine server is a round trip between two processes. When they
# run on different CPUs of an otherwise idle virtual machine, each trip waits for the other CPU
# to wake (measured here: 55-60 us a request idle, 3.5 us when both share one CPU), which makes
# test runs and figures ten times slower and as unsteady as the machine's load. Test and
# benchmark runs therefore keep Wine on one CPU: re-executes the calling script pinned.
zarvio_pin_to_one_cpu() {
    if [ -z "${ZARVIO_PINNED:-}" ] && command -v taskset >/dev/null 2>&1; then
        export ZARVIO_PINNED=1
        exec taskset -c "$(taskset -pc $$ | sed 's/.*: *//; s/[,-].*//')" "$@"
    fi
}

zarvio_prepare_prefix() {
    mkdir -p "$HOME"
    # No sound card on the build machines: without a null ALSA device the media component cannot play.
    printf 'pcm.!default { type null }\n' > "$HOME/.asoundrc"
    # Wine asks PulseAudio first once it is installed; a sound server exists only where a test
    # starts one on purpose, so the client must never spawn one by itself.
    mkdir -p "$HOME/.config/pulse"
    printf 'autospawn = no\n' > "$HOME/.config/pulse/client.conf"
    if [ ! -f "$WINEPREFIX/.zarvio-ready" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        # A crash must end the process, not wait in winedbg.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f >/dev/null 2>&1
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 1 /f >/dev/null 2>&1
        # Bare Xvfb has no window manager: let Wine draw the captions itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.zarvio-ready"
    fi
    if [ ! -f "$WINEPREFIX/.zarvio-theme" ]; then
        # Real Windows always draws with a visual style, which overrides colours the program
        # sets on some controls; the tests run with Wine's bundled light theme on to see that.
        # (Wine 8's wineboot switches it on already; this keeps it so should that change.)
        local key='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
        wine reg add "$key" /v ThemeActive /d 1 /f >/dev/null 2>&1
        wine reg add "$key" /v DllName /d 'C:\windows\resources\themes\light\light.msstyles' /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.zarvio-theme"
    fi
    if [ ! -f "$WINEPREFIX/.zarvio-fonts" ]; then
        # 宋体 is a font whose blank is half a Chinese character wide, and the layouts rely on it
        # (the settings window's 时/分/秒, the volume label). Of the CJK faces the machines have,
        # only WenQuanYi Zen Hei Mono keeps those widths; Wine's default stand-in does not.
        local face
        for face in 宋体 SimSun 新宋体 NSimSun; do
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "WenQuanYi Zen Hei Mono" /f >/dev/null 2>&1
        done
        wineserver -w
        touch "$WINEPREFIX/.zarvio-fonts"
    fi
}
