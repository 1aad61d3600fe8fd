#include <gtest/gtest.h>

#include "player/stream/formats/segment_format.h"
#include "stream/byte_writer.h"

namespace zarvio::stream {
namespace {

using test::Bytes;

TEST(SegmentFormat, TellsContainersByTheirFirstBytes) {
    Bytes ts(189, 0);
    ts[0] = ts[188] = 0x47;
    const Bytes moof = {0, 0, 0, 24, 'm', 'o', 'o', 'f', 0, 0};
    const Bytes tag = test::Id3TagBytes(test::Id3Frame("PRIV", test::Id3TimestampBody(0)));
    const Bytes mp3 = {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0};
    const struct { Bytes head; SegmentFormat format; } cases[] = {
        {ts, SegmentFormat::TransportStream},
        {Bytes(ts.begin(), ts.end() - 1), SegmentFormat::NeedMore},  // one sync byte proves little
        {moof, SegmentFormat::FragmentedMp4},
        {test::Cat({tag, mp3}), SegmentFormat::PackedAudio},
        {test::Cat({tag, {0xFF}}), SegmentFormat::NeedMore},
        {mp3, SegmentFormat::PackedAudio},
        {test::Cat({tag, Bytes{'<', 'h', 't', 'm', 'l', '>'}}), SegmentFormat::Unknown},
        {Bytes{'#', 'E', 'X', 'T', 'M', '3', 'U', '\n'}, SegmentFormat::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(SniffSegment(c.head), c.format) << c.head.size() << " bytes";
}

}  // namespace
}  // namespace zarvio::stream
