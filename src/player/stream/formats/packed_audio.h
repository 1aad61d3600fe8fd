// HLS packed audio segments (.aac, .mp3, RFC 8216): one or more ID3 tags, the first carrying the
// MPEG-TS timestamp of the segment's first sample, then raw ADTS or MPEG audio frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "player/stream/base/probe.h"
#include "player/stream/formats/id3.h"

namespace zarvio::stream {

struct PackedAudioSegment {
    // What the leading tags told, merged (a later tag's field replaces an earlier one's).
    Id3Tag tag;
    // The audio after the tags: a part of the segment's bytes.
    std::span<const uint8_t> audio;
    // A tag runs past the bytes given: of a whole segment, none of it is usable audio; of a
    // segment's first bytes, more are needed.
    bool truncated = false;
};

// Splits a segment, or its first bytes once they hold its tags, into the leading ID3 tags and
// the audio. A segment without a tag is all audio.
PackedAudioSegment SplitPackedAudio(std::span<const uint8_t> segment);

// Whether a segment's first bytes are packed audio: its leading tags (Yes when a tag runs past
// the bytes: the tag says it all), then an ADTS or MPEG audio frame header.
Probe ProbePackedAudio(std::span<const uint8_t> head);

}  // namespace zarvio::stream
