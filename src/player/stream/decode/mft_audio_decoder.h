// Decoding through Media Foundation transforms: the AAC decoder for ADTS streams and the MPEG
// audio decoder for Layers I and II (and Layer III where ACM refuses it).
#pragma once
#include <memory>

#include "player/stream/decode/audio_decoder.h"

namespace zarvio::stream {

// The AAC decoder transform for the ADTS stream whose first frame this is; nullptr when the
// system has no Media Foundation or no AAC decoder, or the decoder refuses the stream.
std::unique_ptr<AudioDecoder> CreateMftAacDecoder(const AudioFrame& first);

// The MPEG audio decoder transform (for Layer III also the MP3 decoder object where it is a
// transform); nullptr when none takes the stream.
std::unique_ptr<AudioDecoder> CreateMftMpegDecoder(const AudioFrame& first);

}  // namespace zarvio::stream
