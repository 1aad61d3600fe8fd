#!/bin/bash
# Seeds for the stream parsers' fuzz targets, made with ffmpeg when the run starts:
#   make_seeds.sh TARGET_NAME CORPUS_DIR
# Small inputs (the fuzz run caps an input at 64 KiB) that reach the parsers' deeper paths.
set -euo pipefail
name="$1"; dir="$2"
command -v ffmpeg >/dev/null 2>&1 || exit 0
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
tone() { ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=$1" "${@:2}"; }
case "$name" in
    mpeg_ts_fuzz)
        tone 0.5 -c:a aac -b:a 32k -f mpegts "$dir/seed-aac.ts"
        tone 0.5 -c:a mp2 -b:a 64k -f mpegts "$dir/seed-mp2.ts"
        ;;
    mp4_fragments_fuzz)
        # The target reads one input as init and media segment at once: init, then a fragment.
        (cd "$tmp" && tone 1 -c:a aac -b:a 32k -f hls -hls_time 0.5 -hls_segment_type fmp4 x.m3u8)
        cat "$tmp/init.mp4" "$tmp/x0.m4s" > "$dir/seed-fmp4"
        tone 0.5 -c:a aac -b:a 32k -movflags frag_keyframe+empty_moov+default_base_moof -f mp4 "$dir/seed-frag.mp4"
        ;;
    id3_fuzz)
        for v in 3 4; do
            tone 0.1 -c:a libmp3lame -id3v2_version $v -metadata title="Title é" -metadata artist="Artist" \
                -f mp3 "$tmp/v$v.mp3"
            head -c 300 "$tmp/v$v.mp3" > "$dir/seed-v$v"
        done
        ;;
    format_agreement_fuzz)
        tone 0.5 -c:a aac -b:a 32k -f mpegts "$dir/seed-aac.ts"
        tone 0.1 -c:a libmp3lame -id3v2_version 4 -metadata title="Title" -f mp3 "$tmp/v4.mp3"
        head -c 2000 "$tmp/v4.mp3" > "$dir/seed-mp3"
        tone 0.1 -c:a aac -b:a 32k -f adts "$dir/seed-adts"
        ;;
esac
