#include "player/stream/formats/segment_format.h"

#include "player/stream/formats/id3.h"
#include "player/stream/formats/mp4_fragments.h"
#include "player/stream/formats/mpeg_ts_demuxer.h"

namespace zarvio::stream {

SegmentFormat SniffSegment(std::span<const uint8_t> head) {
    if (head.size() < 8) return SegmentFormat::NeedMore;
    if (head[0] == 0x47) {
        if (head.size() <= kTsPacketBytes) return SegmentFormat::NeedMore;
        if (head[kTsPacketBytes] == 0x47) return SegmentFormat::TransportStream;
    }
    const uint32_t type = uint32_t(head[4]) << 24 | uint32_t(head[5]) << 16 | uint32_t(head[6]) << 8 | head[7];
    for (const uint32_t known : {Mp4Type("ftyp"), Mp4Type("styp"), Mp4Type("moof"), Mp4Type("moov"),
                                 Mp4Type("sidx"), Mp4Type("prft"), Mp4Type("emsg")}) {
        if (type == known) return SegmentFormat::FragmentedMp4;
    }
    // Packed audio: after its tags, an ADTS (FFF) or MPEG audio (11 set bits) sync.
    std::span<const uint8_t> rest = head;
    while (const size_t tag = Id3TagSize(rest)) {
        if (tag >= rest.size()) return SegmentFormat::PackedAudio;  // the tag says it all
        rest = rest.subspan(tag);
    }
    if (rest.size() < 2) return SegmentFormat::NeedMore;
    if (rest[0] == 0xFF && (rest[1] & 0xE0) == 0xE0) return SegmentFormat::PackedAudio;
    return SegmentFormat::Unknown;
}

}  // namespace zarvio::stream
