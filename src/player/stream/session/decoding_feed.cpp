#include "player/stream/session/decoding_feed.h"

#include <utility>

namespace zarvio::stream {
namespace {

// Bytes without a single frame after which the content is taken for something no decoder takes.
constexpr uint64_t kNoiseLimit = 256 * 1024;

}  // namespace

DecodingFeed::DecodingFeed(PcmQueue& queue, DecoderFactory makeDecoder, const std::atomic<bool>& abandoned)
    : queue_(queue), makeDecoder_(std::move(makeDecoder)), abandoned_(abandoned) {}

void DecodingFeed::StartConnection() {
    played_ = false;
    framesFound_ = false;
    framer_.Reset();
    decoder_.reset();
}

bool DecodingFeed::Feed(std::span<const uint8_t> bytes, Failure& failure) {
    if (bytes.empty()) return !abandoned_;
    framer_.Push(bytes);
    while (auto frame = framer_.Next()) {
        if (!DecodeFrame(*frame, failure)) return false;
    }
    if (!framesFound_ && framer_.SkippedBytes() > kNoiseLimit) {
        failure = Failure{FailureCause::Undecodable, 0};
        return false;
    }
    return !abandoned_;
}

bool DecodingFeed::End(Failure& failure) {
    // The last frame has no header after it to vouch for it.
    if (auto last = framer_.Flush()) return DecodeFrame(*last, failure);
    return !abandoned_;
}

void DecodingFeed::Reset() {
    framer_.Reset();
    framesFound_ = false;
    // Its first frame makes the decoder that fits it (an HLS discontinuity).
    decoder_.reset();
}

bool DecodingFeed::DecodeFrame(const AudioFrame& frame, Failure& failure) {
    framesFound_ = true;
    if (frame.codec == AudioCodec::Aac && frame.adts.rawBlocks > 1) {
        // Several AAC blocks in one ADTS frame: the decoders take one block per access unit.
        failure = Failure{FailureCause::Unsupported, 0};
        return false;
    }
    // The stream changed its rate, channels or codec mid-way (a programme handed to another
    // encoder): the frames of the new format get a decoder of their own.
    if (frame.newFormat) decoder_.reset();
    if (!decoder_) {
        decoder_ = makeDecoder_(frame);
        if (!decoder_) {
            failure = Failure{FailureCause::NoDecoder, 0};
            return false;
        }
    }
    pcm_.clear();
    PcmFormat format;
    if (!decoder_->Decode(frame, pcm_, format) || pcm_.empty()) return true;  // a damaged frame is dropped
    if (!queue_.Push(format, pcm_)) return false;  // abandoned
    played_ = true;
    return true;
}

}  // namespace zarvio::stream
