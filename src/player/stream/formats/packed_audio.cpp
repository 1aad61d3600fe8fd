#include "player/stream/formats/packed_audio.h"

#include "player/stream/formats/audio_framer.h"

namespace zarvio::stream {

PackedAudioSegment SplitPackedAudio(std::span<const uint8_t> segment) {
    PackedAudioSegment result;
    std::span<const uint8_t> rest = segment;
    // Each tag's size comes from its header and shortens the rest, so this ends.
    while (const size_t size = Id3TagSize(rest)) {
        if (size > rest.size()) {
            result.truncated = true;
            result.audio = {};
            return result;
        }
        if (auto tag = ParseId3Tag(rest.first(size))) {
            if (tag->title) result.tag.title = std::move(tag->title);
            if (tag->artist) result.tag.artist = std::move(tag->artist);
            if (tag->timestamp90k) result.tag.timestamp90k = tag->timestamp90k;
        }
        rest = rest.subspan(size);
    }
    result.audio = rest;
    return result;
}

Probe ProbePackedAudio(std::span<const uint8_t> head) {
    std::span<const uint8_t> rest = head;
    while (const size_t tag = Id3TagSize(rest)) {
        if (tag >= rest.size()) return Probe::Yes;
        rest = rest.subspan(tag);
    }
    return ProbeAudioFrame(rest).answer;
}

}  // namespace zarvio::stream
