// Decoded audio on its way from a connection's worker to the output thread, with the titles and
// the end of stream marked at the points of the audio they belong to. Bounded: a producer waits
// while it is full, so a slow output clock cannot grow it without end.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "player/stream/base/audio_format.h"

namespace zarvio::stream {

inline constexpr uint32_t kQueueCapacityMs = 2000;

class PcmQueue {
public:
    explicit PcmQueue(uint32_t capacityMs = kQueueCapacityMs) : capacityMs_(capacityMs) {}

    // Appends interleaved samples (whole frames). Waits while the queue holds its capacity or
    // more; false (nothing appended) once the queue is closed.
    bool Push(const PcmFormat& format, std::span<const int16_t> samples);
    // The title heard from this point of the audio on.
    void PushTitle(std::wstring title);
    // A finite stream ended here: after the audio before it, nothing more comes.
    void PushEnd();
    // Wakes every waiter for good: pushes are refused from now on.
    void Close();
    bool Closed() const;

    // Milliseconds of audio waiting (whole milliseconds, rounded down).
    uint32_t QueuedMs() const;
    // The format of the next audio to be taken; nullopt when no audio waits.
    std::optional<PcmFormat> NextFormat() const;
    // Lets the queue hold at least this much (a source that arrives in long pieces, such as
    // HLS segments, needs room for a whole piece and the time its fetch takes). Never shrinks.
    void ReserveMs(uint32_t ms);
    bool EndQueued() const;

    // What the output takes at once: audio of one format, and what was marked in front of it.
    struct Piece {
        PcmFormat format;
        std::vector<int16_t> samples;        // empty when only marks were taken
        std::vector<std::wstring> titles;    // marked before the first of these samples
        bool end = false;                    // the end mark came before these samples (none follow)
    };
    // Takes up to maxMs of audio of the format at the front (at least one frame), with the marks
    // before it. Nullopt when nothing at all is waiting.
    std::optional<Piece> Pop(uint32_t maxMs);

    // Waits until at least ms of audio waits, the end is queued or the queue is closed, at
    // most timeoutMs. What sound waits for before it starts: a lone short push does not wake it.
    void WaitForQueued(uint32_t ms, uint32_t timeoutMs);
    // Waits until the queue is closed, at most timeoutMs.
    void WaitForClose(uint32_t timeoutMs);

private:
    struct Entry {
        enum class Kind { Audio, Title, End } kind;
        PcmFormat format;
        std::vector<int16_t> samples;
        size_t read = 0;  // samples of this entry already taken
        std::wstring title;
    };

    uint32_t QueuedMsLocked() const;
    void Count(const PcmFormat& format, size_t samples, bool adding);

    uint32_t capacityMs_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Entry> entries_;
    // Frames waiting, by sample rate: whole frames add and subtract exactly, so the total
    // cannot drift however long a station plays.
    std::map<int, uint64_t> framesByRate_;
    bool closed_ = false;
    bool endQueued_ = false;
};

}  // namespace zarvio::stream
