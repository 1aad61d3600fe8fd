#include "player/stream/source/hls/hls_playlist.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvio::stream {
namespace {

constexpr char kBase[] = "https://cdn.example/live/radio/index.m3u8";
const std::string kHead = "#EXTM3U\n#EXT-X-TARGETDURATION:10\n";

HlsPlaylist Parse(const std::string& text) {
    std::string why;
    const auto parsed = ParseHlsPlaylist(text, kBase, &why);
    EXPECT_TRUE(parsed) << why;
    return parsed.value_or(HlsPlaylist{});
}

// Whether the text is refused, with a reason.
bool Refused(const std::string& text) {
    std::string why;
    const bool refused = !ParseHlsPlaylist(text, kBase, &why);
    EXPECT_EQ(refused, !why.empty());
    return refused;
}

TEST(HlsPlaylist, LiveMediaPlaylistWithItsSequencesAndDiscontinuities) {
    // BOM, CR LF, blank lines, comments and tags of no use to the player are all passed over.
    const MediaPlaylist m = Parse(
        "\xEF\xBB\xBF#EXTM3U\r\n#EXT-X-VERSION:3\r\n#EXT-X-TARGETDURATION:6\r\n"
        "#EXT-X-MEDIA-SEQUENCE:1041\r\n#EXT-X-DISCONTINUITY-SEQUENCE:7\r\n\r\n"
        "#EXT-X-PROGRAM-DATE-TIME:2024-01-01T00:00:00Z\r\n# a comment\r\n"
        "#EXTINF:5.975,Artist - Title, with comma\r\nseg1041.ts\r\n"
        "#EXTINF:6,\r\n/abs/seg1042.ts\r\n"
        "#EXT-X-DISCONTINUITY\r\n#EXTINF:4\r\nhttp://other.example/seg1043.aac\r\n"
        "#EXTINF:6.0,\r\nseg1044.ts").media;
    EXPECT_FALSE(m.endList);
    ASSERT_EQ(m.segments.size(), 4u);
    EXPECT_EQ(m.segments[0].uri, "https://cdn.example/live/radio/seg1041.ts");
    EXPECT_EQ(m.segments[1].uri, "https://cdn.example/abs/seg1042.ts");
    EXPECT_EQ(m.segments[2].uri, "http://other.example/seg1043.aac");
    EXPECT_DOUBLE_EQ(m.segments[0].duration, 5.975);
    EXPECT_EQ(m.segments[0].title, "Artist - Title, with comma");
    EXPECT_EQ(m.segments[3].sequence, 1044u);
    // The discontinuity marks its segment and counts for every one after it.
    EXPECT_TRUE(m.segments[2].discontinuity);
    EXPECT_FALSE(m.segments[3].discontinuity);
    EXPECT_EQ(m.segments[1].discontinuitySequence, 7u);
    EXPECT_EQ(m.segments[3].discontinuitySequence, 8u);
    EXPECT_TRUE(Parse(kHead + "#EXTINF:2,\na.ts\n#EXT-X-ENDLIST\n").media.endList);
}

TEST(HlsPlaylist, ByteRangesContinueThePreviousRangeOfTheSameResource) {
    const MediaPlaylist m = Parse(kHead +
        "#EXT-X-BYTERANGE:1000@200\n#EXTINF:10,\nall.aac\n#EXT-X-BYTERANGE:500\n#EXTINF:10,\nall.aac\n"
        "#EXT-X-BYTERANGE:300\n#EXTINF:10,\nall.aac\n#EXTINF:10,\nall.aac\n").media;
    ASSERT_EQ(m.segments.size(), 4u);
    EXPECT_EQ(m.segments[0].range, (ByteRange{200, 1000}));
    EXPECT_EQ(m.segments[1].range, (ByteRange{1200, 500}));
    EXPECT_EQ(m.segments[2].range, (ByteRange{1700, 300}));
    EXPECT_FALSE(m.segments[3].range);  // the tag applies to one segment only

    EXPECT_TRUE(Refused(kHead + "#EXT-X-BYTERANGE:500\n#EXTINF:10,\na.aac\n"));  // nothing to follow
    EXPECT_TRUE(Refused(kHead + "#EXT-X-BYTERANGE:5@0\n#EXTINF:10,\na.aac\n#EXT-X-BYTERANGE:5\n#EXTINF:10,\nb.aac\n"));
    EXPECT_TRUE(Refused(kHead + "#EXTINF:10,\na.aac\n#EXT-X-BYTERANGE:5\n#EXTINF:10,\na.aac\n"));
    EXPECT_TRUE(Refused(kHead + "#EXT-X-BYTERANGE:18446744073709551615@1\n#EXTINF:10,\na.aac\n"));
}

TEST(HlsPlaylist, KeysAndMapsApplyToTheSegmentsAfterThem) {
    const MediaPlaylist m = Parse(kHead +
        "#EXT-X-MAP:URI=\"init.mp4\",BYTERANGE=\"720@16\"\n#EXTINF:4,\ns0.m4s\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"../keys/k1.bin\",IV=0x0102030405060708090A0B0C0D0E0F10\n"
        "#EXTINF:4,\ns1.m4s\n#EXTINF:4,\ns2.m4s\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"k2.bin\",IV=0xABC\n#EXT-X-MAP:URI=\"init2.mp4\"\n#EXTINF:4,\ns3.m4s\n"
        "#EXT-X-KEY:METHOD=NONE\n#EXTINF:4,\ns4.m4s\n"
        // Of several keys for the same segments the identity one counts, before or after the other.
        "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"skd://x\",KEYFORMAT=\"com.apple.streamingkeydelivery\"\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"plain.key\"\n#EXTINF:4,\ns5.m4s\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"plain2.key\"\n"
        "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"skd://y\",KEYFORMAT=\"com.apple.streamingkeydelivery\"\n#EXTINF:4,\ns6\n"
        "#EXT-X-KEY:METHOD=AES-256,URI=\"s.key\"\n#EXTINF:4,\ns7.m4s\n").media;
    ASSERT_EQ(m.segments.size(), 8u);
    std::vector<int> keys, maps;
    for (const HlsSegment& s : m.segments) {
        keys.push_back(s.key);
        maps.push_back(s.map);
    }
    EXPECT_EQ(keys, (std::vector<int>{-1, 0, 0, 1, -1, 2, 3, 4}));
    EXPECT_EQ(maps, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 1}));
    ASSERT_EQ(m.keys.size(), 5u);
    EXPECT_EQ(m.keys[0].uri, "https://cdn.example/live/keys/k1.bin");
    EXPECT_EQ(m.keys[0].iv, (std::array<uint8_t, 16>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    // Fewer than 32 digits are a smaller number, so they fill the last bytes.
    EXPECT_EQ(m.keys[1].iv, (std::array<uint8_t, 16>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0A, 0xBC}));
    EXPECT_EQ(m.keys[2].uri, "https://cdn.example/live/radio/plain.key");
    EXPECT_EQ(m.keys[3].uri, "https://cdn.example/live/radio/plain2.key");
    EXPECT_EQ(m.keys[4].method, KeyMethod::Other);
    EXPECT_EQ(m.maps[0].range, (ByteRange{16, 720}));
    EXPECT_FALSE(m.maps[1].range);

    EXPECT_TRUE(Refused(kHead + "#EXT-X-KEY:METHOD=AES-128\n"));          // no URI
    EXPECT_TRUE(Refused(kHead + "#EXT-X-KEY:URI=\"k\"\n"));               // no METHOD
    EXPECT_TRUE(Refused(kHead + "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",IV=0x123G\n"));
    EXPECT_TRUE(Refused(kHead + "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",IV=0x" + std::string(33, '1') + "\n"));
    EXPECT_TRUE(Refused(kHead + "#EXT-X-MAP:BYTERANGE=\"1@0\"\n"));
}

TEST(HlsPlaylist, MasterPlaylistWithVariantsAndAudioRenditions) {
    const MasterPlaylist m = Parse(
        "#EXTM3U\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aac\",NAME=\"English, main\",DEFAULT=YES,URI=\"audio/en.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aac\",NAME=\"Muxed\",DEFAULT=NO\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,NAME=\"no group\",URI=\"x.m3u8\"\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.5\"\nlo/index.m3u8\n"
        "#EXT-X-STREAM-INF:PROGRAM-ID=1, BANDWIDTH=1280000,RESOLUTION=640x360,"
        "CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"aac\"\nhttp://video.example/v.m3u8\n"
        "#EXT-X-STREAM-INF:RESOLUTION=1x1\nno-bandwidth.m3u8\n"
        "#EXT-X-I-FRAME-STREAM-INF:BANDWIDTH=9000,URI=\"iframes.m3u8\"\n").master;
    ASSERT_EQ(m.variants.size(), 2u);
    EXPECT_EQ(m.variants[0].uri, "https://cdn.example/live/radio/lo/index.m3u8");
    EXPECT_EQ(m.variants[1].bandwidth, 1280000u);
    EXPECT_EQ(m.variants[1].codecs, "avc1.4d401e,mp4a.40.2");
    EXPECT_EQ(m.variants[1].audioGroup, "aac");
    ASSERT_EQ(m.renditions.size(), 2u);
    EXPECT_EQ(m.renditions[0].uri, "https://cdn.example/live/radio/audio/en.m3u8");
    EXPECT_TRUE(m.renditions[0].isDefault);
    EXPECT_EQ(m.renditions[1].uri, "");

    EXPECT_TRUE(Refused("#EXTM3U\n#EXT-X-STREAM-INF:CODECS=\"mp4a.40.2\"\na.m3u8\n"));  // none usable
    EXPECT_TRUE(Refused("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n"));                    // no address
    EXPECT_TRUE(Refused(kHead + "#EXTINF:2,\na.ts\n#EXT-X-STREAM-INF:BANDWIDTH=1\nb.m3u8\n"));
}

TEST(HlsPlaylist, AttributeLists) {
    const auto a = ParseHlsAttributes("A=1,B=\"x,y=z\",C-2=0x1F,D=\"\", E=YES ,A=2");
    ASSERT_TRUE(a);
    ASSERT_EQ(a->size(), 5u);
    EXPECT_EQ((*a)[0].value, "1");  // a repeated name: the first counts
    EXPECT_EQ((*a)[1].value, "x,y=z");
    EXPECT_TRUE((*a)[1].quoted);
    EXPECT_EQ((*a)[3].value, "");
    EXPECT_EQ((*a)[4].value, "YES");
    for (const char* bad : {"A", "=1", "A=\"open", "A=\"x\"y", "A B=1", "A=x\"y\"", "A=1,,B=2"}) {
        EXPECT_FALSE(ParseHlsAttributes(bad)) << bad;
    }
}

TEST(HlsPlaylist, RefusesWhatIsNoPlayablePlaylistOrBreaksTheLimits) {
    for (const std::string bad : {"", "\n\n", "[playlist]\nFile1=http://a/\n", "#EXTINF:10,\n#EXTM3U\n",
                                  "#EXTM3U\n#EXTINF:10,\na.ts\n", "#EXTM3U\n#EXT-X-TARGETDURATION:abc\n"}) {
        EXPECT_TRUE(Refused(bad)) << bad;
    }
    for (const std::string body : {"a.ts\n", "#EXTINF:-1,\na.ts\n", "#EXTINF:nan,\na.ts\n", "#EXTINF:1e300,\na.ts\n",
                                   "#EXTINF:10,\n", "#EXTINF:1,\na\n#EXT-X-MEDIA-SEQUENCE:5\n",
                                   "#EXT-X-MEDIA-SEQUENCE:18446744073709551615\n#EXTINF:1,\na\n#EXTINF:1,\nb\n"}) {
        EXPECT_TRUE(Refused(kHead + body)) << body;
    }
    EXPECT_FALSE(Refused(kHead));  // an empty live window is a playlist that will fill

    std::string big = kHead + std::string(kMaxPlaylistBytes - kHead.size(), '\n');
    EXPECT_FALSE(Refused(big));
    EXPECT_TRUE(Refused(big + '\n'));
    std::string many = kHead;
    for (size_t i = 0; i < kMaxPlaylistSegments; ++i) many += "#EXTINF:1,\ns\n";
    EXPECT_FALSE(Refused(many));
    EXPECT_TRUE(Refused(many + "#EXTINF:1,\ns\n"));
}

}  // namespace
}  // namespace zarvio::stream
