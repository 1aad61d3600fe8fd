// libFuzzer target for the ID3 tag reader, the packed audio splitter and the segment sniffer,
// built natively by `scripts/test --fuzz`.
// fuzz-sources: player/stream/formats/id3.cpp player/stream/formats/packed_audio.cpp player/stream/formats/segment_format.cpp player/stream/formats/audio_framer.cpp player/stream/formats/mpeg_ts_demuxer.cpp player/stream/formats/mp4_fragments.cpp
//
// Texts must come out as valid UTF-8 whatever the tag holds, timestamps within 33 bits, a tag
// is read only when all of it is there, and the packed audio's audio is the input's tail.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "player/stream/formats/id3.h"
#include "player/stream/formats/packed_audio.h"
#include "player/stream/formats/segment_format.h"

namespace {

bool ValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const uint8_t b = uint8_t(s[i]);
        size_t n;
        uint32_t cp, min;
        if (b < 0x80) { ++i; continue; }
        if ((b & 0xE0) == 0xC0) { n = 1; cp = b & 0x1F; min = 0x80; }
        else if ((b & 0xF0) == 0xE0) { n = 2; cp = b & 0x0F; min = 0x800; }
        else if ((b & 0xF8) == 0xF0) { n = 3; cp = b & 0x07; min = 0x10000; }
        else return false;
        if (s.size() - i <= n) return false;
        for (size_t k = 1; k <= n; ++k) {
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
            cp = cp << 6 | (uint8_t(s[i + k]) & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
        i += n + 1;
    }
    return true;
}

void Check(const zarvio::stream::Id3Tag& tag) {
    if (tag.title && !ValidUtf8(*tag.title)) std::abort();
    if (tag.artist && !ValidUtf8(*tag.artist)) std::abort();
    if (tag.timestamp90k && *tag.timestamp90k >= (uint64_t(1) << 33)) std::abort();
    if (const auto line = DisplayTitleOf(tag); line && !ValidUtf8(*line)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    const size_t tagSize = zarvio::stream::Id3TagSize(input);
    if (tagSize != 0 && tagSize < 10) std::abort();
    if (const auto tag = zarvio::stream::ParseId3Tag(input)) {
        if (tagSize == 0 || tagSize > size) std::abort();
        Check(*tag);
    }
    const auto split = zarvio::stream::SplitPackedAudio(input);
    Check(split.tag);
    if (split.truncated) {
        if (!split.audio.empty()) std::abort();
    } else if (split.audio.size() > size || split.audio.data() + split.audio.size() != data + size) {
        std::abort();
    }
    // A transport stream is claimed only on two sync bytes a packet apart.
    const auto format = zarvio::stream::SniffSegment(input);
    if (format == zarvio::stream::SegmentFormat::TransportStream && (size <= 188 || data[0] != 0x47 || data[188] != 0x47)) {
        std::abort();
    }
    return 0;
}
