#!/usr/bin/env bash
# Makes HLS segment media for the container tests with ffmpeg: a tone encoded once as ADTS AAC
# and as MPEG-1 Layer II, then only remuxed (-c copy) into MPEG-TS and fragmented MP4, so the
# audio taken out of the containers must equal the encoder's elementary streams byte for byte.
#   make_segments.sh OUTDIR
set -euo pipefail
out="${1:?usage: make_segments.sh OUTDIR}"
mkdir -p "$out"
[ -f "$out/.complete" ] && exit 0
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
ff -f lavfi -i sine=frequency=440:sample_rate=44100:duration=4 -ac 2 -c:a aac -b:a 96k -f adts "$out/tone.aac"
ff -f lavfi -i sine=frequency=440:sample_rate=44100:duration=4 -ac 2 -c:a mp2 -b:a 128k -f mp2 "$out/tone.mp2"
ff -i "$out/tone.aac" -c copy -f mpegts "$out/tone_aac.ts"
ff -i "$out/tone.mp2" -c copy -f mpegts "$out/tone_mp2.ts"
(cd "$out" && ff -i tone.aac -c copy -bsf:a aac_adtstoasc -f hls -hls_time 1 -hls_segment_type fmp4 \
    -hls_fmp4_init_filename init.mp4 -hls_segment_filename 'seg%d.m4s' -hls_playlist_type vod tone_fmp4.m3u8)
touch "$out/.complete"
