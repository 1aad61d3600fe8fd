// Which container an HLS segment is in, from its first bytes: servers label segments loosely, and
// a playlist's addresses need not end in .ts, .aac or .m4s.
#pragma once
#include <cstdint>
#include <span>

namespace zarvio::stream {

enum class SegmentFormat {
    NeedMore,      // too few bytes to tell
    TransportStream,
    PackedAudio,   // ID3 tags and then ADTS or MPEG audio, or such audio alone
    FragmentedMp4,
    Unknown,
};

// Tells from a segment's first bytes (up to 1 KiB is enough, 189 bytes for a transport stream).
SegmentFormat SniffSegment(std::span<const uint8_t> head);

}  // namespace zarvio::stream
