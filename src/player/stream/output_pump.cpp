#include "player/stream/output_pump.h"

#include <algorithm>
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

OutputPump::OutputPump(PcmQueue& queue, AudioSink& sink, OutputEvents& events, const std::atomic<int>& volume)
    : queue_(queue), sink_(sink), events_(events), volume_(volume) {}

bool OutputPump::Step() {
    if (finished_) return false;
    if (!playing_ && !StartIfReady()) return true;
    const bool fed = FeedDevice();
    ReportHeard();
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
    if (playing_ && sink_.IsOpen()) sink_.WaitForBlock(20);
    else queue_.WaitForData(20);
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
    events_.OnSoundStarted();
    return true;
}

// Fills every free block of the device. True when anything was handed over or taken.
bool OutputPump::FeedDevice() {
    bool fed = false;
    while (!endReached_) {
        if (sink_.IsOpen() && sink_.FreeBlocks() <= 0) break;
        auto piece = queue_.Pop(kSinkBlockMs);
        if (!piece) break;
        for (auto& t : piece->titles) titles_.emplace_back(writtenFrames_, std::move(t));
        if (piece->end) endReached_ = true;
        fed = true;
        if (piece->samples.empty()) continue;
        if (!EnsureOpen(piece->format)) break;  // the audio is lost; the device may come back
        const size_t frames = piece->samples.size() / static_cast<size_t>(piece->format.channels);
        if (!WriteBlock(piece->samples, frames)) break;
    }
    return fed;
}

bool OutputPump::WriteBlock(std::vector<int16_t>& samples, size_t frames) {
    ApplyGain(samples, GainOfVolume(volume_.load()));
    if (sink_.Write(samples.data(), frames)) {
        writtenFrames_ += frames;
        return true;
    }
    // The device went away (a headset unplugged): open the default device again and go on there.
    const PcmFormat format = format_;
    sink_.Close();
    if (EnsureOpen(format) && sink_.Write(samples.data(), frames)) {
        writtenFrames_ += frames;
        return true;
    }
    return false;
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
    format_ = format;
    if (!sink_.Open(format)) {
        if (!deviceMissing_) events_.OnDeviceMissing();
        deviceMissing_ = true;
        return false;
    }
    deviceMissing_ = false;
    return true;
}

void OutputPump::ReportHeard() {
    const uint64_t played = sink_.IsOpen() ? sink_.PlayedFrames() : writtenFrames_;
    while (!titles_.empty() && titles_.front().first <= played) {
        events_.OnTitleHeard(titles_.front().second);
        titles_.pop_front();
    }
}

}  // namespace zarvio::stream
