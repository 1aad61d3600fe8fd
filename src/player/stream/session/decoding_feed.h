// The audio a source hands over, framed, decoded and queued for the output: the framer finds
// whole frames, the first frame of each format makes a decoder that fits it, and the sound goes
// into the queue. Used on the session's worker thread only.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "player/stream/base/failure.h"
#include "player/stream/decode/audio_decoder.h"
#include "player/stream/formats/audio_framer.h"
#include "player/stream/output/pcm_queue.h"

namespace zarvio::stream {

class DecodingFeed {
public:
    using DecoderFactory = std::function<std::unique_ptr<AudioDecoder>(const AudioFrame&)>;

    // abandoned: the session's flag; the feed stops when it is set.
    DecodingFeed(PcmQueue& queue, DecoderFactory makeDecoder, const std::atomic<bool>& abandoned);

    // A new connection: it may bring another codec (a station that moved from MP3 to AAC across
    // a restart, the next entry of a list, a redirect), so its first frames choose the decoder.
    void StartConnection();
    // Audio bytes, split anyhow. False when the source must end: the failure says why (nothing
    // is left to say when abandoned).
    bool Feed(std::span<const uint8_t> bytes, Failure& failure);
    // The audio ends here: its last frame, which no header follows, is played too.
    bool End(Failure& failure);
    // A discontinuity: what follows may have another codec, rate or channel count.
    void Reset();
    // Lets go of the decoder (on the thread, and in the COM apartment, that made it).
    void ReleaseDecoder() { decoder_.reset(); }
    // The connection queued sound.
    bool Played() const { return played_; }

private:
    bool DecodeFrame(const AudioFrame& frame, Failure& failure);

    PcmQueue& queue_;
    const DecoderFactory makeDecoder_;
    const std::atomic<bool>& abandoned_;
    AudioFramer framer_;
    bool framesFound_ = false;  // since the connection began
    bool played_ = false;       // the connection queued sound
    std::vector<int16_t> pcm_;
    std::unique_ptr<AudioDecoder> decoder_;
};

}  // namespace zarvio::stream
