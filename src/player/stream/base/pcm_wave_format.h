// The platform's description of the PCM the stream player hands on: interleaved signed 16-bit
// samples, as the decoders put out and the sound device takes in.
#pragma once
#include <windows.h>
#include <mmsystem.h>  // WIN32_LEAN_AND_MEAN leaves it out of windows.h

#include "player/stream/base/audio_format.h"

namespace zarvio::stream {

inline WAVEFORMATEX PcmWaveFormat(const PcmFormat& format) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = static_cast<WORD>(format.channels);
    f.nSamplesPerSec = static_cast<DWORD>(format.sampleRate);
    f.wBitsPerSample = 16;
    f.nBlockAlign = static_cast<WORD>(format.channels * 2);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    return f;
}

}  // namespace zarvio::stream
