#!/usr/bin/env bash
# Makes the stream tests' media with ffmpeg: tones whose left and right channels differ (440 Hz
# left, 660 Hz right) so a swap or a lost channel shows, in every format the stream player
# decodes, plus noise. Runs once per build folder; a finished set is kept.
#   make_media.sh OUTDIR
set -euo pipefail
out="${1:?usage: make_media.sh OUTDIR}"
mkdir -p "$out"
[ -f "$out/.complete" ] && exit 0
seconds=30

tone() {  # tone RATE CHANNELS -> filter input for ffmpeg
    local rate=$1 channels=$2
    if [ "$channels" = 1 ]; then
        echo "-f lavfi -i sine=frequency=440:sample_rate=$rate:duration=$seconds"
    else
        echo "-f lavfi -i sine=frequency=440:sample_rate=$rate:duration=$seconds -f lavfi -i sine=frequency=660:sample_rate=$rate:duration=$seconds -filter_complex [0:a][1:a]join=inputs=2:channel_layout=stereo[a] -map [a]"
    fi
}
make() {  # make NAME RATE CHANNELS ffmpeg-output-options...
    local name=$1 rate=$2 channels=$3
    shift 3
    # shellcheck disable=SC2046
    ffmpeg -nostdin -hide_banner -loglevel error -y $(tone "$rate" "$channels") "$@" "$out/$name"
}

# As a stream carries them: no ID3 tag, no Xing frame.
make tone_44100_stereo.mp3 44100 2 -c:a libmp3lame -b:a 128k -write_xing 0 -id3v2_version 0 -f mp3
make tone_22050_mono.mp3   22050 1 -c:a libmp3lame -b:a 64k  -write_xing 0 -id3v2_version 0 -f mp3
make tone_48000_stereo.mp3 48000 2 -c:a libmp3lame -b:a 128k -write_xing 0 -id3v2_version 0 -f mp3
# As a file: ID3v2 tag and Xing frame in front.
make tagged_44100_stereo.mp3 44100 2 -c:a libmp3lame -b:a 128k -metadata title="Tagged Tone" -f mp3
make tone_44100_stereo.mp2 44100 2 -c:a mp2 -b:a 192k -f mp2
make tone_44100_stereo.aac 44100 2 -c:a aac -b:a 128k -f adts
make tone_48000_mono.aac   48000 1 -c:a aac -b:a 64k  -f adts
make tone_44100_stereo.wma 44100 2 -c:a wmav2 -b:a 128k -f asf
make tone_44100_stereo.wav 44100 2 -c:a pcm_s16le -f wav
# Noise that the framers must not take for audio: the same bytes on every run.
python3 - "$out/noise.bin" <<'PY'
import random, sys
random.seed(20261209)
open(sys.argv[1], "wb").write(bytes(random.getrandbits(8) for _ in range(256 * 1024)))
PY
touch "$out/.complete"
