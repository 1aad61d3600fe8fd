#include "player/stream/output/pcm_queue.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace zarvio::stream {

void PcmQueue::Count(const PcmFormat& format, size_t samples, bool adding) {
    const uint64_t frames = samples / static_cast<size_t>(format.channels);
    uint64_t& total = framesByRate_[format.sampleRate];
    total = adding ? total + frames : total - std::min(total, frames);
    if (total == 0) framesByRate_.erase(format.sampleRate);
}

uint32_t PcmQueue::QueuedMsLocked() const {
    uint64_t ms = 0;
    for (const auto& [rate, frames] : framesByRate_) ms += frames * 1000 / static_cast<uint64_t>(rate);
    return static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
}

bool PcmQueue::Push(const PcmFormat& format, std::span<const int16_t> samples) {
    if (!format.valid()) return false;
    const size_t whole = samples.size() - samples.size() % static_cast<size_t>(format.channels);
    if (whole == 0) return !Closed();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return closed_ || QueuedMsLocked() < capacityMs_; });
    if (closed_) return false;
    Entry e{Entry::Kind::Audio, format, {samples.begin(), samples.begin() + static_cast<ptrdiff_t>(whole)}, 0, {}};
    Count(format, whole, true);
    entries_.push_back(std::move(e));
    changed_.notify_all();
    return true;
}

void PcmQueue::PushTitle(std::wstring title) {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    entries_.push_back(Entry{Entry::Kind::Title, {}, {}, 0, std::move(title)});
    changed_.notify_all();
}

void PcmQueue::PushEnd() {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    entries_.push_back(Entry{Entry::Kind::End, {}, {}, 0, {}});
    endQueued_ = true;
    changed_.notify_all();
}

void PcmQueue::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

bool PcmQueue::Closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

uint32_t PcmQueue::QueuedMs() const {
    std::lock_guard lock(mutex_);
    return QueuedMsLocked();
}

std::optional<PcmFormat> PcmQueue::NextFormat() const {
    std::lock_guard lock(mutex_);
    for (const Entry& e : entries_)
        if (e.kind == Entry::Kind::Audio) return e.format;
    return std::nullopt;
}

void PcmQueue::ReserveMs(uint32_t ms) {
    std::lock_guard lock(mutex_);
    capacityMs_ = std::max(capacityMs_, ms);
    changed_.notify_all();
}

bool PcmQueue::EndQueued() const {
    std::lock_guard lock(mutex_);
    return endQueued_;
}

std::optional<PcmQueue::Piece> PcmQueue::Pop(uint32_t maxMs) {
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return std::nullopt;
    Piece piece;
    // Marks in front of the audio come along with it.
    while (!entries_.empty() && entries_.front().kind != Entry::Kind::Audio) {
        Entry& e = entries_.front();
        if (e.kind == Entry::Kind::Title) piece.titles.push_back(std::move(e.title));
        else piece.end = true;
        entries_.pop_front();
        if (piece.end) break;  // nothing after the end belongs to this stream
    }
    if (piece.end && !entries_.empty() && entries_.front().kind == Entry::Kind::Audio) {
        // Audio after an end mark is not expected; it stays for the next Pop.
        changed_.notify_all();
        return piece;
    }
    if (!entries_.empty() && entries_.front().kind == Entry::Kind::Audio) {
        Entry& e = entries_.front();
        piece.format = e.format;
        const size_t maxFrames =
            std::max<size_t>(1, static_cast<size_t>(e.format.sampleRate) * maxMs / 1000);
        const size_t channels = static_cast<size_t>(e.format.channels);
        const size_t wanted = maxFrames * channels;
        while (piece.samples.size() < wanted && !entries_.empty()) {
            Entry& a = entries_.front();
            if (a.kind != Entry::Kind::Audio || !(a.format == piece.format)) break;
            const size_t take = std::min(wanted - piece.samples.size(), a.samples.size() - a.read);
            piece.samples.insert(piece.samples.end(), a.samples.begin() + static_cast<ptrdiff_t>(a.read),
                                 a.samples.begin() + static_cast<ptrdiff_t>(a.read + take));
            a.read += take;
            Count(a.format, take, false);
            if (a.read == a.samples.size()) entries_.pop_front();
        }
    }
    changed_.notify_all();
    return piece;
}

void PcmQueue::WaitForQueued(uint32_t ms, uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                      [&] { return closed_ || endQueued_ || QueuedMsLocked() >= ms; });
}

void PcmQueue::WaitForClose(uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return closed_; });
}

}  // namespace zarvio::stream
