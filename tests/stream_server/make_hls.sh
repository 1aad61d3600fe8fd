#!/usr/bin/env bash
# Makes the HLS media the tests' server plays from with ffmpeg and the openssl CLI: the stereo
# tone (440 Hz left, 660 Hz right) cut into 2 s MPEG-TS segments at 44.1 kHz and at 48 kHz (and
# into 10 s ones for a station with long segments), the
# same as fragmented MP4 with its initialisation section, as one file addressed by byte ranges,
# and four TS segments encrypted with AES-128 (the server writes the playlists itself).
#   make_hls.sh OUTDIR
set -euo pipefail
out="${1:?usage: make_hls.sh OUTDIR}"
mkdir -p "$out"
[ -f "$out/.complete-2" ] && exit 0
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
tone() {  # tone RATE SECONDS -> the stereo tone as ffmpeg input
    echo "-f lavfi -i sine=frequency=440:sample_rate=$1:duration=$2 -f lavfi -i sine=frequency=660:sample_rate=$1:duration=$2 -filter_complex [0:a][1:a]join=inputs=2:channel_layout=stereo[a] -map [a] -c:a aac -b:a 128k"
}
hls() {  # [HLS_TIME=segment seconds] hls DIR RATE SECONDS ffmpeg-hls-options...
    local dir="$out/$1" rate=$2 seconds=$3 time=${HLS_TIME:-2}
    shift 3
    mkdir -p "$dir"
    # shellcheck disable=SC2046
    (cd "$dir" && ff $(tone "$rate" "$seconds") -f hls -hls_time "$time" -hls_list_size 0 -hls_playlist_type vod "$@" index.m3u8)
}
hls ts 44100 30 -hls_segment_filename 'seg%d.ts'
hls ts48 48000 8 -hls_segment_filename 'seg%d.ts'
HLS_TIME=10 hls ts10 44100 30 -hls_segment_filename 'seg%d.ts'
hls fmp4 44100 30 -hls_segment_type fmp4 -hls_fmp4_init_filename init.mp4 -hls_segment_filename 'seg%d.m4s'
hls single 44100 12 -hls_flags single_file -hls_segment_filename all.ts
# AES-128 CBC: the first two with the sequence number as IV (they are segments 7 and 8 of
# their list), the other two with the IV the list names.
mkdir -p "$out/aes"
key=000102030405060708090a0b0c0d0e0f
printf '%s' "$key" | xxd -r -p > "$out/aes/key.bin"
for i in 0 1 2 3; do
    if [ "$i" -lt 2 ]; then iv=$(printf '%032x' $((7 + i))); else iv=a0a1a2a3a4a5a6a7a8a9aaabacadaeaf; fi
    openssl enc -aes-128-cbc -K "$key" -iv "$iv" -in "$out/ts/seg$i.ts" -out "$out/aes/seg$i.ts"
done
touch "$out/.complete-2"
