// Where decoded audio goes: the sound device (waveOut), or any sink that keeps the same clock.
// The sink takes fixed blocks of PCM; the device plays them in order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "player/stream/base/audio_format.h"

namespace zarvio::stream {

inline constexpr int kSinkBlocks = 6;          // blocks the device holds at once
inline constexpr int kSinkBlockMs = 50;        // length of one block: 300 ms queued at the device

class AudioSink {
public:
    virtual ~AudioSink() = default;
    // Opens the default device for this format. False when no device takes it.
    virtual bool Open(const PcmFormat& format) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Blocks the device can take now (finished blocks are reclaimed first).
    virtual int FreeBlocks() = 0;
    // Hands the device one block (frames * channels samples, at most one block's length).
    // False when the device failed (unplugged): the caller closes and opens the sink again.
    virtual bool Write(const int16_t* samples, size_t frames) = 0;
    // Frames the device has finished playing since Open.
    virtual uint64_t PlayedFrames() = 0;
    // Stops the sound at once and drops what the device holds.
    virtual void Reset() = 0;
    // Waits until a block finishes playing or timeoutMs passes (fakes return at once).
    virtual void WaitForBlock(uint32_t timeoutMs) = 0;
};

}  // namespace zarvio::stream
