// MPEG audio through the Audio Compression Manager: Layer III with the system's MP3 codec, and
// Layers I and II where an installed codec takes MPEG-1 audio (Wine's does; Windows' own codec
// is for Layer III only).
#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "player/stream/decode/audio_decoder.h"

namespace zarvio::stream {

// A decoder for the stream whose first frame this is, or nullptr when no ACM codec takes it.
std::unique_ptr<AudioDecoder> CreateAcmMpegDecoder(const AudioFrame& first);

}  // namespace zarvio::stream
