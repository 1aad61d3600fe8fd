// Moves decoded audio from the queue to the sound device: waits until enough is queued before
// sound starts, applies the volume, reopens the device when it fails or hangs, waits for a
// device when there is none, notices when the device runs dry, and reports titles and the end of
// a finite stream when they are heard. Driven one Step at a time by the output thread, which
// sleeps in Wait between steps: on the device while it plays, on the queue while it fills.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "player/stream/output/audio_sink.h"
#include "player/stream/output/pcm_queue.h"

namespace zarvio::stream {

inline constexpr uint32_t kStartThresholdMs = 500;  // sound starts (and restarts) with this much queued
inline constexpr uint32_t kDeviceRetryMs = 1000;    // how often a missing device is looked for again
inline constexpr uint32_t kDeviceHungMs = 1000;     // no block back for this long: the device hangs

class OutputEvents {
public:
    virtual void OnSoundStarted() = 0;  // the first block went out to the device
    virtual void OnUnderrun() = 0;      // the device ran dry, or hung and was opened again
    virtual void OnTitleHeard(const std::wstring& title) = 0;
    virtual void OnEndHeard() = 0;  // a finite stream played to its end
    // No device takes the audio (reported once per outage). The audio waits in the queue and
    // the device is looked for again every kDeviceRetryMs; OnSoundStarted says it is back.
    virtual void OnDeviceMissing() = 0;

protected:
    ~OutputEvents() = default;
};

// The software gain of a volume 0..100: (v / 100)^2, which follows how loudness is heard.
double GainOfVolume(int volume);
// Scales samples in place by the gain, rounding and clamping to 16 bits.
void ApplyGain(std::vector<int16_t>& samples, double gain);

class OutputPump {
public:
    // Milliseconds on a steady clock.
    using Clock = std::function<uint64_t()>;
    static uint64_t SteadyNowMs();

    OutputPump(PcmQueue& queue, AudioSink& sink, OutputEvents& events, const std::atomic<int>& volume,
               Clock clock = &OutputPump::SteadyNowMs);

    // Does what can be done now. Returns false once the stream has ended and was heard.
    bool Step();
    // Waits for the next moment a Step can do something: a block finished, enough audio to
    // start arrived, the time to look for a missing device came, or the queue closed.
    void Wait();
    // Silence at once (Stop): drops what the device holds and closes it.
    void Silence();

    bool Playing() const { return playing_; }

private:
    bool StartIfReady();
    bool FeedDevice();
    bool WriteBlock(std::vector<int16_t>& samples, size_t frames);
    bool EnsureOpen(const PcmFormat& format);
    void MarkMissing();
    bool DeviceHung();
    void ReportHeard();

    PcmQueue& queue_;
    AudioSink& sink_;
    OutputEvents& events_;
    const std::atomic<int>& volume_;
    const Clock clock_;

    PcmFormat format_;            // the device's format while open
    bool playing_ = false;        // started: feeding the device (or waiting for one)
    bool announced_ = false;      // OnSoundStarted was said for this start
    bool deviceMissing_ = false;
    uint64_t retryAtMs_ = 0;      // when a missing device is looked for again
    uint64_t lastPlayed_ = 0;     // the device's played frames when last looked at
    uint64_t progressAtMs_ = 0;   // when the device last finished a block (or had none to play)
    bool endReached_ = false;     // the end mark was taken from the queue
    bool finished_ = false;
    uint64_t writtenFrames_ = 0;  // handed to the device since it was opened
    std::deque<std::pair<uint64_t, std::wstring>> titles_;  // device frame from which each is heard
};

}  // namespace zarvio::stream
