// HLS packed audio segments (.aac, .mp3, RFC 8216): one or more ID3 tags, the first carrying the
// MPEG-TS timestamp of the segment's first sample, then raw ADTS or MPEG audio frames.
// Plain C++, no Windows calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "player/stream/id3.h"

namespace zarvio::stream {

struct PackedAudioSegment {
    // What the leading tags told, merged (a later tag's field replaces an earlier one's).
    Id3Tag tag;
    // The audio after the tags: a part of the segment's bytes.
    std::span<const uint8_t> audio;
    // A tag said it was longer than the segment: the segment holds no usable audio.
    bool truncated = false;
};

// Splits a whole segment into its leading ID3 tags and its audio. A segment without a tag is all
// audio.
PackedAudioSegment SplitPackedAudio(std::span<const uint8_t> segment);

}  // namespace zarvio::stream
