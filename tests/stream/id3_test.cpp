#include <gtest/gtest.h>

#include "player/stream/formats/id3.h"
#include "stream/byte_writer.h"

namespace zarvio::stream {
namespace {

using test::Bytes;

// Inserts a 00 after every FF, which the reader must take out again.
Bytes Unsynchronised(const Bytes& in) {
    Bytes out;
    for (uint8_t b : in) {
        out.push_back(b);
        if (b == 0xFF) out.push_back(0x00);
    }
    return out;
}

TEST(Id3, EveryTextEncodingGivesUtf8) {
    // "é😀" : é is U+00E9 (not in ASCII), the emoji needs a UTF-16 surrogate pair.
    const std::string expected = "\xC3\xA9\xF0\x9F\x98\x80";
    const Bytes utf16le = {0xFF, 0xFE, 0xE9, 0x00, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0x00};
    const Bytes utf16be = {0xFE, 0xFF, 0x00, 0xE9, 0xD8, 0x3D, 0xDE, 0x00};
    const Bytes utf16beNoBom = {0x00, 0xE9, 0xD8, 0x3D, 0xDE, 0x00};
    const Bytes utf8 = {0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80, 0x00, 'x'};
    const struct { uint8_t encoding; Bytes text; } cases[] = {
        {1, utf16le}, {1, utf16be}, {2, utf16beNoBom}, {3, utf8}};
    for (const auto& c : cases) {
        const auto tag = ParseId3Tag(test::Id3TagBytes(test::Id3Frame("TIT2", test::Id3Text(c.encoding, c.text))));
        ASSERT_TRUE(tag && tag->title);
        EXPECT_EQ(*tag->title, expected) << "encoding " << int(c.encoding);
    }
    // Latin-1 bytes above 0x7F become two-byte UTF-8; broken UTF-8 becomes U+FFFD, never raw.
    auto tag = ParseId3Tag(test::Id3TagBytes(test::Id3Frame("TPE1", test::Id3Text(0, {'A', 0xE9}))));
    EXPECT_EQ(tag->artist, "A\xC3\xA9");
    tag = ParseId3Tag(test::Id3TagBytes(test::Id3Frame("TPE1", test::Id3Text(3, {'A', 0xC3, 'B', 0xFF}))));
    EXPECT_EQ(tag->artist, "A\xEF\xBF\xBD" "B\xEF\xBF\xBD");
    // A lone surrogate is replaced too.
    tag = ParseId3Tag(test::Id3TagBytes(test::Id3Frame("TPE1", test::Id3Text(2, {0xD8, 0x3D, 0x00, 'Z'}))));
    EXPECT_EQ(tag->artist, "\xEF\xBF\xBDZ");
}

TEST(Id3, TimestampIsThe33BitsOfTheApplePrivFrame) {
    Bytes frames = test::Id3Frame("PRIV", test::Id3TimestampBody(0xFFFFFFFF'00000001ULL));
    auto tag = ParseId3Tag(test::Id3TagBytes(frames));
    EXPECT_EQ(tag->timestamp90k, 0x1'00000001ULL);

    // Another owner's PRIV, or a short one, is no timestamp.
    Bytes other = {'c', 'o', 'm', '.', 'x', 0, 1, 2, 3, 4, 5, 6, 7, 8};
    Bytes shortBody = test::Id3TimestampBody(0);
    shortBody.resize(shortBody.size() - 1);
    tag = ParseId3Tag(test::Id3TagBytes(test::Cat({test::Id3Frame("PRIV", other), test::Id3Frame("PRIV", shortBody)})));
    ASSERT_TRUE(tag);
    EXPECT_FALSE(tag->timestamp90k);
}

TEST(Id3, UnsynchronisationIsUndoneForTheWholeV23TagAndPerV24Frame) {
    // Both timestamp bytes and a frame size hold FF, so a reader that forgets to take the
    // inserted zeros out (or takes them out in the wrong place) gets another value or no frame.
    const uint64_t stamp = 0x1FFFF00FFULL;
    Bytes title = test::Id3Latin1("T");
    title.resize(0xFF, 'x');  // a frame size of 00 00 00 FF in v2.3
    const Bytes v23 = test::Cat({test::Id3Frame("PRIV", test::Id3TimestampBody(stamp), 3),
                                 test::Id3Frame("TIT2", title, 3)});
    auto tag = ParseId3Tag(test::Id3TagBytes(Unsynchronised(v23), 3, 0x80));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->timestamp90k, stamp);
    ASSERT_TRUE(tag->title);
    EXPECT_EQ(tag->title->size(), 0xFEu);

    // v2.4: the frame says it is unsynchronised (0x02) and has a data length indicator (0x01).
    Bytes body = test::Id3Syncsafe(0);
    test::Append(body, Unsynchronised(test::Id3TimestampBody(stamp)));
    tag = ParseId3Tag(test::Id3TagBytes(test::Id3Frame("PRIV", body, 4, 0x03)));
    EXPECT_EQ(tag->timestamp90k, stamp);
}

TEST(Id3, ExtendedHeadersAreSkippedAndDamageStopsOnlyWhatFollows) {
    const Bytes title = test::Id3Frame("TIT2", test::Id3Latin1("Song"), 3);
    // v2.3: the extended header's size leaves out its own four bytes.
    Bytes ext23 = {0, 0, 0, 6, 0, 0, 0, 0, 0, 0};
    auto tag = ParseId3Tag(test::Id3TagBytes(test::Cat({ext23, title}), 3, 0x40));
    EXPECT_EQ(tag->title, "Song");
    // v2.4: it counts them, as a syncsafe number.
    Bytes ext24 = test::Id3Syncsafe(6);
    test::Append(ext24, {1, 0});
    tag = ParseId3Tag(test::Id3TagBytes(test::Cat({ext24, test::Id3Frame("TIT2", test::Id3Latin1("Song"))}), 4, 0x40));
    EXPECT_EQ(tag->title, "Song");

    // A frame that says it is longer than the tag ends the reading; the frame before it counts.
    Bytes broken = test::Id3Frame("TPE1", test::Id3Latin1("Later"), 3);
    broken[7] = 0x7F;
    tag = ParseId3Tag(test::Id3TagBytes(test::Cat({title, broken}), 3));
    EXPECT_EQ(tag->title, "Song");
    EXPECT_FALSE(tag->artist);

    // A tag cut short, v2.2, or no tag at all: nothing.
    Bytes whole = test::Id3TagBytes(title, 3);
    EXPECT_EQ(Id3TagSize(whole), whole.size());
    EXPECT_FALSE(ParseId3Tag(std::span(whole).first(whole.size() - 1)));
    whole[3] = 2;
    EXPECT_FALSE(ParseId3Tag(whole));
    EXPECT_EQ(Id3TagSize(Bytes{'I', 'D', '3', 4, 0, 0, 0x80, 0, 0, 0}), 0u);  // not syncsafe
    // A v2.4 footer adds ten bytes to the tag.
    EXPECT_EQ(Id3TagSize(Bytes{'I', 'D', '3', 4, 0, 0x10, 0, 0, 1, 0}), 10u + 128 + 10);
}

TEST(Id3, DisplayTitleIsArtistDashTitleOrTheTitleAlone) {
    EXPECT_EQ(DisplayTitleOf({"Song", "Artist", {}}), "Artist - Song");
    EXPECT_EQ(DisplayTitleOf({"Song", "", {}}), "Song");
    EXPECT_FALSE(DisplayTitleOf({{}, "Artist", {}}));  // an artist alone is no title
}

}  // namespace
}  // namespace zarvio::stream
