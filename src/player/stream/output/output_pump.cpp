#include "player/stream/output/output_pump.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace zarvio::stream {

double GainOfVolume(int volume) {
    const double v = std::clamp(volume, 0, 100) / 100.0;
    return v * v;
}

void ApplyGain(std::vector<int16_t>& samples, double gain) {
    if (gain >= 1.0) return;
    for (int16_t& s : samples) s = static_cast<int16_t>(std::lround(s * gain));
}

uint64_t OutputPump::SteadyNowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

OutputPump::OutputPump(PcmQueue& queue, AudioSink& sink, OutputEvents& events, const std::atomic<int>& volume,
                       Clock clock)
    : queue_(queue), sink_(sink), events_(events), volume_(volume), clock_(std::move(clock)) {}

bool OutputPump::Step() {
    if (finished_) return false;
    if (deviceMissing_) {
        const uint64_t now = clock_();
        if (now < retryAtMs_) return true;
        retryAtMs_ = now + kDeviceRetryMs;  // this look; a failed open sets the same
    }
    if (!playing_ && !StartIfReady()) return true;
    const bool fed = FeedDevice();
    if (deviceMissing_) return true;  // the audio waits for a device
    ReportHeard();
    if (DeviceHung()) {
        // Blocks stopped coming back (a driver that hangs): what it holds is lost; a device
        // opened anew plays again once enough is queued.
        sink_.Reset();
        sink_.Close();
        playing_ = false;
        events_.OnUnderrun();
        return true;
    }
    const bool drained = !sink_.IsOpen() || sink_.PlayedFrames() >= writtenFrames_;
    if (endReached_ && drained) {
        finished_ = true;
        sink_.Close();
        events_.OnEndHeard();
        return false;
    }
    if (drained && !fed && writtenFrames_ > 0) {
        // Everything handed over has been played and nothing more came: the device ran dry.
        playing_ = false;
        events_.OnUnderrun();
    }
    return true;
}

void OutputPump::Wait() {
    if (deviceMissing_) {
        const uint64_t now = clock_();
        queue_.WaitForClose(static_cast<uint32_t>(retryAtMs_ > now ? std::min<uint64_t>(retryAtMs_ - now, kDeviceRetryMs) : 0));
    } else if (playing_ && sink_.IsOpen()) {
        sink_.WaitForBlock(20);
    } else if (playing_) {
        queue_.WaitForQueued(1, 20);
    } else {
        // Nothing plays: sleep until there is enough to start (or the end, or Stop).
        queue_.WaitForQueued(kStartThresholdMs, kDeviceRetryMs);
    }
}

void OutputPump::Silence() {
    sink_.Reset();
    sink_.Close();
    playing_ = false;
    titles_.clear();
}

bool OutputPump::StartIfReady() {
    if (queue_.QueuedMs() < kStartThresholdMs && !queue_.EndQueued()) return false;
    playing_ = true;
    announced_ = false;  // said once the first block is out
    progressAtMs_ = clock_();
    return true;
}

// Fills every free block of the device. True when anything was handed over or taken.
bool OutputPump::FeedDevice() {
    bool fed = false;
    while (!endReached_) {
        if (sink_.IsOpen() && sink_.FreeBlocks() <= 0) break;
        // The device for the next audio first: without one the audio stays queued.
        if (const auto next = queue_.NextFormat(); next && !EnsureOpen(*next)) break;
        auto piece = queue_.Pop(kSinkBlockMs);
        if (!piece) break;
        for (auto& t : piece->titles) titles_.emplace_back(writtenFrames_, std::move(t));
        if (piece->end) endReached_ = true;
        fed = true;
        if (piece->samples.empty()) continue;
        const size_t frames = piece->samples.size() / static_cast<size_t>(piece->format.channels);
        if (!WriteBlock(piece->samples, frames)) break;
    }
    return fed;
}

bool OutputPump::WriteBlock(std::vector<int16_t>& samples, size_t frames) {
    ApplyGain(samples, GainOfVolume(volume_.load()));
    bool written = sink_.Write(samples.data(), frames);
    if (!written) {
        // The device went away (a headset unplugged): open the default device again and go on there.
        const PcmFormat format = format_;
        sink_.Close();
        written = EnsureOpen(format) && sink_.Write(samples.data(), frames);
        if (!written && sink_.IsOpen()) {
            sink_.Close();
            MarkMissing();
        }
    }
    if (!written) return false;  // this block is lost; the device is looked for again
    if (sink_.PlayedFrames() >= writtenFrames_) progressAtMs_ = clock_();  // nothing was pending
    writtenFrames_ += frames;
    if (!announced_) {
        announced_ = true;
        events_.OnSoundStarted();
    }
    return true;
}

bool OutputPump::EnsureOpen(const PcmFormat& format) {
    if (sink_.IsOpen() && format == format_) return true;
    if (sink_.IsOpen()) {
        // A new format (a station changed its rate): what is queued at the device still plays
        // out only if we wait; a short cut is better than a stalled output thread.
        sink_.Close();
    }
    // Frames count anew on a new device; titles not yet heard are heard as soon as it plays.
    for (auto& t : titles_) t.first = 0;
    writtenFrames_ = 0;
    lastPlayed_ = 0;
    progressAtMs_ = clock_();
    format_ = format;
    if (!sink_.Open(format)) {
        MarkMissing();
        return false;
    }
    deviceMissing_ = false;
    return true;
}

void OutputPump::MarkMissing() {
    if (!deviceMissing_) events_.OnDeviceMissing();
    deviceMissing_ = true;
    announced_ = false;  // sound "starts" again when a device takes it
    retryAtMs_ = clock_() + kDeviceRetryMs;
}

// Whether the device holds blocks of which none came back for kDeviceHungMs.
bool OutputPump::DeviceHung() {
    if (!sink_.IsOpen()) return false;
    const uint64_t played = sink_.PlayedFrames();
    const uint64_t now = clock_();
    if (played != lastPlayed_ || played >= writtenFrames_) {
        lastPlayed_ = played;
        progressAtMs_ = now;
        return false;
    }
    return now - progressAtMs_ >= kDeviceHungMs;
}
void OutputPump::ReportHeard() {
    const uint64_t played = sink_.IsOpen() ? sink_.PlayedFrames() : writtenFrames_;
    while (!titles_.empty() && titles_.front().first <= played) {
        events_.OnTitleHeard(titles_.front().second);
        titles_.pop_front();
    }
}

}  // namespace zarvio::stream
