#include "player/stream/formats/segment_format.h"

#include "player/stream/formats/mp4_fragments.h"
#include "player/stream/formats/packed_audio.h"
#include "player/stream/formats/mpeg_ts_demuxer.h"

namespace zarvio::stream {

SegmentFormat SniffSegment(std::span<const uint8_t> head) {
    if (head.size() < 8) return SegmentFormat::NeedMore;
    switch (ProbeTransportStream(head)) {
        case Probe::Yes: return SegmentFormat::TransportStream;
        case Probe::NeedMore: return SegmentFormat::NeedMore;
        case Probe::No: break;
    }
    if (ProbeFragmentedMp4(head) == Probe::Yes) return SegmentFormat::FragmentedMp4;
    switch (ProbePackedAudio(head)) {
        case Probe::Yes: return SegmentFormat::PackedAudio;
        case Probe::NeedMore: return SegmentFormat::NeedMore;
        case Probe::No: break;
    }
    return SegmentFormat::Unknown;
}

}  // namespace zarvio::stream
