// Picks the system decoder for a stream by its first frame.
#pragma once
#include <memory>

#include "player/stream/decode/audio_decoder.h"
#include "player/stream/base/audio_format.h"

namespace zarvio::stream {

// A decoder for the stream whose first frame this is, or nullptr when no decoder of the system
// takes it. Must be called on the thread that then uses the decoder; that thread must have
// joined a COM apartment (the transforms are COM objects).
std::unique_ptr<AudioDecoder> CreateAudioDecoder(const AudioFrame& first);

}  // namespace zarvio::stream
