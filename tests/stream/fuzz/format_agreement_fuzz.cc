// libFuzzer target holding content sniffing, the segment format and the parsers behind them to
// one answer on the same bytes, built natively by `scripts/test --fuzz`.
// fuzz-sources: player/stream/formats/content_sniff.cpp player/stream/formats/segment_format.cpp player/stream/formats/audio_framer.cpp player/stream/formats/id3.cpp player/stream/formats/packed_audio.cpp player/stream/formats/mpeg_ts_demuxer.cpp player/stream/formats/mp4_fragments.cpp player/stream/base/url_resolve.cpp
//
// What the sniffer takes for a transport stream, the segment format does too, and the demuxer
// reads it from its first byte; what either takes for ADTS or MPEG audio (after an ID3 tag), the
// framer's header parser accepts; and a tag the ID3 reader measures, the framer steps over whole
// instead of counting it as noise.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "player/stream/formats/audio_framer.h"
#include "player/stream/formats/content_sniff.h"
#include "player/stream/formats/id3.h"
#include "player/stream/formats/mpeg_ts_demuxer.h"
#include "player/stream/formats/segment_format.h"

using namespace zarvio::stream;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    const ContentKind kind = SniffContent(input, "", "http://h/stream");
    const SegmentFormat segment = SniffSegment(input);

    const bool sniffedTs = kind == ContentKind::MpegTs;
    if (size >= 8 && sniffedTs != (segment == SegmentFormat::TransportStream)) std::abort();
    if (sniffedTs) {
        MpegTsDemuxer demuxer;
        std::vector<TsPayload> out;
        demuxer.Push(input.first(std::min(size, 2 * kTsPacketBytes)), out);
        if (demuxer.SkippedBytes() != 0) std::abort();
    }

    const size_t tag = Id3TagSize(input);
    if (tag < size) {
        const std::span<const uint8_t> audio = input.subspan(tag);
        const bool adts = ParseAdtsHeader(audio).has_value();
        const bool mpeg = ParseMpegAudioHeader(audio).has_value();
        if (adts && kind != ContentKind::Adts) std::abort();
        if (mpeg && kind != ContentKind::MpegAudio) std::abort();
        if ((adts || mpeg) && size >= 8 && Id3TagSize(audio) == 0 && segment != SegmentFormat::PackedAudio &&
            segment != SegmentFormat::FragmentedMp4) {
            std::abort();
        }
    }
    if (tag != 0 && size >= 10) {
        AudioFramer framer;
        framer.Push(input.first(std::min(tag, size)));
        while (framer.Next()) {
        }
        if (framer.SkippedBytes() != 0) std::abort();
    }
    return 0;
}
