// libFuzzer target for the fragmented MP4 reader, built natively by `scripts/test --fuzz`.
// fuzz-sources: player/stream/formats/mp4_fragments.cpp
//
// The input is read as an init segment and as a media segment at once (the seeds are init and
// fragment one after the other). Boxes must tile what they were read from, every sample must lie
// inside the segment, an accepted AAC track must be one that ADTS can carry, and the elementary
// stream must be exactly the samples with a 7-byte header each. A fault aborts.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "player/stream/formats/mp4_fragments.h"

using namespace zarvio::stream;

namespace {

void WalkBoxes(std::span<const uint8_t> bytes, int depth) {
    Mp4BoxReader reader(bytes);
    size_t expected = 0;
    while (auto box = reader.Next()) {
        if (box->offset != expected || box->size > bytes.size() - box->offset) std::abort();
        if (box->payload.data() < bytes.data() + box->offset ||
            box->payload.data() + box->payload.size() != bytes.data() + box->offset + box->size) {
            std::abort();
        }
        expected += box->size;
        if (depth < 8) WalkBoxes(box->payload, depth + 1);
    }
    if (!reader.Overrun() && expected != bytes.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    WalkBoxes(input, 0);

    const Mp4InitResult init = ReadMp4Init(input);
    Mp4AudioTrack track = init.track;
    if (init.status == Mp4Status::Ok) {
        if (init.track.timescale == 0) std::abort();
        const AacConfig& c = init.track.aac;
        if (init.track.codec == AudioCodec::Aac &&
            (c.audioObjectType < 1 || c.audioObjectType > 4 || c.sampleRateIndex < 0 || c.sampleRateIndex > 12 ||
             c.channelConfig < 1 || c.channelConfig > 7)) {
            std::abort();
        }
    } else {
        track.trackId = 1;
        track.aac = {2, 4, 2};
        track.defaultSampleSize = size > 0 ? data[0] : 0;
    }

    const Mp4FragmentResult fragments = ReadMp4Fragments(input, track);
    if (fragments.samples.size() > size) std::abort();
    size_t expected = 0;
    size_t fitting = 0;
    for (const Mp4Sample& s : fragments.samples) {
        if (s.size == 0 || s.offset > size || s.size > size - s.offset) std::abort();
        if (track.codec == AudioCodec::MpegAudio || s.size <= 8191 - 7) {
            expected += s.size + (track.codec == AudioCodec::Aac ? 7 : 0);
            ++fitting;
        }
    }
    std::vector<uint8_t> es;
    if (AppendElementaryStream(input, track, fragments.samples, es) != fitting || es.size() != expected) std::abort();
    return 0;
}
