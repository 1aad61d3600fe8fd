#include "player/stream/decode/decoder_factory.h"

#include "player/stream/decode/acm_mpeg_decoder.h"
#include "player/stream/decode/mft_audio_decoder.h"

namespace zarvio::stream {

std::unique_ptr<AudioDecoder> CreateAudioDecoder(const AudioFrame& first) {
    if (first.codec == AudioCodec::Aac) return CreateMftAacDecoder(first);
    // Windows' ACM codec is for Layer III; its MPEG audio transform is for Layers I and II.
    // Each is the other's stand-in where a system lacks one: Wine has no MPEG audio transform,
    // but its ACM codec takes Layer II as well.
    if (first.mpeg.layer == 3) {
        if (auto d = CreateAcmMpegDecoder(first)) return d;
        return CreateMftMpegDecoder(first);
    }
    if (auto d = CreateMftMpegDecoder(first)) return d;
    return CreateAcmMpegDecoder(first);
}

}  // namespace zarvio::stream
