// The waveOut sink's view of the system: the few waveOut calls it makes, behind an interface, so
// that how the sink meets a device that fails, stalls or finishes blocks late is its own logic,
// apart from the calls.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <memory>

#include "player/stream/output/audio_sink.h"

namespace zarvio::stream {

class WaveOutApi {
public:
    virtual ~WaveOutApi() = default;
    virtual MMRESULT Open(HWAVEOUT* out, const WAVEFORMATEX& format, HANDLE doneEvent) = 0;
    virtual MMRESULT Prepare(HWAVEOUT h, WAVEHDR* header) = 0;
    virtual MMRESULT Unprepare(HWAVEOUT h, WAVEHDR* header) = 0;
    virtual MMRESULT Write(HWAVEOUT h, WAVEHDR* header) = 0;
    virtual MMRESULT Reset(HWAVEOUT h) = 0;
    virtual MMRESULT Close(HWAVEOUT h) = 0;
};

// The system's waveOut functions on the default device (WAVE_MAPPER), with event callbacks.
WaveOutApi& SystemWaveOut();

// The sink over api, which must outlive it.
std::unique_ptr<AudioSink> CreateWaveOutSink(WaveOutApi& api);
// The sink over the system's default waveOut device (SystemWaveOut()).
std::unique_ptr<AudioSink> CreateWaveOutSink();

}  // namespace zarvio::stream
