// Moves decoded audio from the queue to the sound device: waits until enough is queued before
// sound starts, applies the volume, reopens the device when it fails, notices when the device
// runs dry, and reports titles and the end of a finite stream when they are heard. Driven one
// Step at a time by the output thread (or by a test with a fake sink and a virtual clock).
// Plain C++, no Windows calls.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "player/stream/audio_sink.h"
#include "player/stream/pcm_queue.h"

namespace zarvio::stream {

inline constexpr uint32_t kStartThresholdMs = 500;  // sound starts (and restarts) with this much queued

class OutputEvents {
public:
    virtual void OnSoundStarted() = 0;
    virtual void OnUnderrun() = 0;
    virtual void OnTitleHeard(const std::wstring& title) = 0;
    virtual void OnEndHeard() = 0;  // a finite stream played to its end
    virtual void OnDeviceMissing() = 0;  // no device takes the audio (reported once per outage)

protected:
    ~OutputEvents() = default;
};

// The software gain of a volume 0..100: (v / 100)^2, which follows how loudness is heard.
double GainOfVolume(int volume);
// Scales samples in place by the gain, rounding and clamping to 16 bits.
void ApplyGain(std::vector<int16_t>& samples, double gain);

class OutputPump {
public:
    OutputPump(PcmQueue& queue, AudioSink& sink, OutputEvents& events, const std::atomic<int>& volume);

    // Does what can be done now. Returns false once the stream has ended and was heard.
    bool Step();
    // Waits for the next moment a Step can do something: a block finished or audio arrived.
    void Wait();
    // Silence at once (Stop): drops what the device holds and closes it.
    void Silence();

    bool Playing() const { return playing_; }

private:
    bool StartIfReady();
    bool FeedDevice();
    bool WriteBlock(std::vector<int16_t>& samples, size_t frames);
    bool EnsureOpen(const PcmFormat& format);
    void ReportHeard();

    PcmQueue& queue_;
    AudioSink& sink_;
    OutputEvents& events_;
    const std::atomic<int>& volume_;

    PcmFormat format_;            // the device's format while open
    bool playing_ = false;
    bool deviceMissing_ = false;
    bool endReached_ = false;     // the end mark was taken from the queue
    bool finished_ = false;
    uint64_t writtenFrames_ = 0;  // handed to the device since it was opened
    std::deque<std::pair<uint64_t, std::wstring>> titles_;  // device frame from which each is heard
};

}  // namespace zarvio::stream
