// Decoding compressed frames to PCM with the operating system's own decoders: ACM for MPEG
// audio Layer III, the MPEG audio decoder transform for Layers I and II (and for Layer III where
// ACM refuses), the AAC decoder transform for AAC. Media Foundation is loaded at run time.
// CreateAudioDecoder (decoder_factory.h) picks one for a stream.
#pragma once
#include <cstdint>
#include <vector>

#include "player/stream/base/audio_format.h"

namespace zarvio::stream {

class AudioDecoder {
public:
    virtual ~AudioDecoder() = default;
    // Decodes one whole frame (as the framer gives it, header included) and appends the PCM it
    // yields to pcm, interleaved 16-bit; format is set to the output's format (for HE-AAC the
    // decoder's doubled rate, and the channel count it really gives). A decoder may hold samples
    // back and give nothing for the first frames. False when the frame could not be decoded (the
    // frame is dropped; the decoder stays usable).
    virtual bool Decode(const AudioFrame& frame, std::vector<int16_t>& pcm, PcmFormat& format) = 0;
    // Forgets the frames in flight (a new connection or a discontinuity).
    virtual void Reset() = 0;
};

}  // namespace zarvio::stream
