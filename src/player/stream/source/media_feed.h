// What a source of audio (a progressive stream, an HLS playlist) hands its audio to, and how it
// ends. The session implements the feed: framing, decoding and queueing the sound, and marking
// titles at their place in it.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "player/stream/base/failure.h"

namespace zarvio::stream {

enum class SourceEnd {
    Abandoned,  // the user stopped or chose another station
    Finished,   // a file or an on-demand playlist ended where it should
    Failed,     // see the failure
    HandOver,   // the content is for the Windows Media Player component
};

struct SourceResult {
    SourceEnd end = SourceEnd::Failed;
    Failure failure;
};

class MediaFeed {
public:
    virtual bool Abandoned() const = 0;
    // The answer came: shows buffering (or playing when sound still plays).
    virtual void Connected() = 0;
    // Audio bytes (MPEG audio or ADTS frames, split anyhow). False when the source must end;
    // the failure says why (nothing left to say when abandoned).
    virtual bool FeedAudio(std::span<const uint8_t> bytes, Failure& failure) = 0;
    // The audio ends here (a file, or before a decoder reset): its last frame is played too.
    virtual bool EndOfAudio(Failure& failure) = 0;
    // A discontinuity: the next bytes start a new stream for the framer and the decoder.
    virtual void ResetDecoding() = 0;
    // The title heard from the current point of the audio on: UTF-8, or where the bytes are not
    // valid UTF-8 (an ICY title of a GBK server), text of the system code page.
    virtual void MarkTitle(const std::string& utf8) = 0;
    // The sound queue is to hold at least this much: a source whose audio comes in long pieces
    // (HLS segments) fetches the next piece while the queue plays.
    virtual void ReserveSoundMs(uint32_t ms) = 0;
    // Waits, returning early and false when abandoned.
    virtual bool Sleep(uint32_t ms) = 0;
    // How often the sound has run dry since the playback began.
    virtual uint64_t Underruns() const = 0;

protected:
    ~MediaFeed() = default;
};

}  // namespace zarvio::stream
