#include <gtest/gtest.h>

#include "player/stream/formats/packed_audio.h"
#include "stream/byte_writer.h"

namespace zarvio::stream {
namespace {

using test::Bytes;

const Bytes kAdts = {0xFF, 0xF1, 0x50, 0x80, 0x01, 0x3F, 0xFC, 0x21, 0x00};

TEST(PackedAudio, LeadingTagsAreMergedAndTheAudioFollowsThem) {
    const Bytes first = test::Id3TagBytes(test::Id3Frame("PRIV", test::Id3TimestampBody(900000)));
    const Bytes second = test::Id3TagBytes(test::Cat(
        {test::Id3Frame("TIT2", test::Id3Latin1("Song")), test::Id3Frame("TPE1", test::Id3Latin1("Band"))}));
    const Bytes segment = test::Cat({first, second, kAdts});
    const PackedAudioSegment split = SplitPackedAudio(segment);
    EXPECT_FALSE(split.truncated);
    EXPECT_EQ(split.tag.timestamp90k, 900000u);
    EXPECT_EQ(DisplayTitleOf(split.tag), "Band - Song");
    ASSERT_EQ(split.audio.size(), kAdts.size());
    EXPECT_EQ(split.audio.data(), segment.data() + first.size() + second.size());
}

TEST(PackedAudio, WithoutATagAllIsAudioAndACutTagLeavesNone) {
    PackedAudioSegment split = SplitPackedAudio(kAdts);
    EXPECT_EQ(split.audio.size(), kAdts.size());
    EXPECT_FALSE(split.tag.timestamp90k);

    Bytes cut = test::Cat({test::Id3TagBytes(test::Id3Frame("TIT2", test::Id3Latin1("Song"))), kAdts});
    cut[9] += 100;  // the tag now claims the audio and more
    split = SplitPackedAudio(cut);
    EXPECT_TRUE(split.truncated);
    EXPECT_TRUE(split.audio.empty());
}

}  // namespace
}  // namespace zarvio::stream
