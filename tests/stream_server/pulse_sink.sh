#!/usr/bin/env bash
# A real-time sound device for the device-level tests: a PulseAudio server with one null sink
# (which plays at the system clock's pace, unlike ALSA's null device) and parec recording that
# sink's monitor to DIR/record.raw (s16le, 44100 Hz, stereo) from start to stop. Wine reaches
# the server through PULSE_SERVER=unix:DIR/native. Both processes end by themselves after 40
# minutes at the latest, so an interrupted run leaves nothing behind for long.
#   pulse_sink.sh start DIR | stop DIR
set -euo pipefail
cmd="${1:?usage: pulse_sink.sh start|stop DIR}"
dir="${2:?usage: pulse_sink.sh start|stop DIR}"
limit=2400
# Test runs pin Wine to one CPU and everything they start inherits that: the sound server and
# the recorder get every CPU back, so that they keep time while Wine works.
unpin=()
if command -v taskset >/dev/null 2>&1; then unpin=(taskset -c "0-$(($(nproc --all) - 1))"); fi
# They keep time best ahead of the rest of the machine's work, where the system allows that.
if nice -n -10 true 2>/dev/null; then unpin=(nice -n -10 "${unpin[@]}"); fi

stop_all() {
    local f pid
    for f in "$dir"/parec.pid "$dir"/pulse.pid; do
        [ -f "$f" ] || continue
        pid="$(cat "$f")"
        # Each runs in its own session under timeout: end the whole group.
        kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null || true
        rm -f "$f"
    done
}

case "$cmd" in
start)
    stop_all
    rm -rf "$dir"
    mkdir -p "$dir/home" "$dir/runtime"
    chmod 700 "$dir/runtime"
    # The server's own files stay in DIR; it must not find a session's runtime folder or config.
    export HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" PULSE_RUNTIME_PATH="$dir/runtime"
    setsid "${unpin[@]}" timeout "$limit" pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
        --use-pid-file=no --log-target=stderr \
        -L "module-null-sink sink_name=zarvio_null rate=44100 channels=2" \
        -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
        </dev/null >"$dir/pulse.log" 2>&1 &
    echo $! >"$dir/pulse.pid"
    for _ in $(seq 100); do
        [ -S "$dir/native" ] && break
        sleep 0.1
    done
    if [ ! -S "$dir/native" ]; then
        echo "pulse_sink: the server did not start" >&2
        cat "$dir/pulse.log" >&2
        stop_all
        exit 1
    fi
    export PULSE_SERVER="unix:$dir/native"
    setsid "${unpin[@]}" timeout "$limit" parec -d zarvio_null.monitor --raw --format=s16le --rate=44100 --channels=2 \
        --latency-msec=20 </dev/null >"$dir/record.raw" 2>"$dir/parec.log" &
    echo $! >"$dir/parec.pid"
    # Ready once the recording runs (the monitor gives silence while nothing plays).
    for _ in $(seq 100); do
        [ -s "$dir/record.raw" ] && exit 0
        sleep 0.1
    done
    echo "pulse_sink: parec records nothing" >&2
    cat "$dir/parec.log" >&2
    stop_all
    exit 1
    ;;
stop)
    stop_all
    ;;
*)
    echo "usage: pulse_sink.sh start|stop DIR" >&2
    exit 2
    ;;
esac
