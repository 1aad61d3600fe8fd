#include "player/stream/hls_playlist.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvio::stream {
namespace {

constexpr char kBase[] = "https://cdn.example/live/radio/index.m3u8";

MediaPlaylist Media(const std::string& text) {
    std::string why;
    const auto parsed = ParseHlsPlaylist(text, kBase, &why);
    EXPECT_TRUE(parsed) << why;
    EXPECT_FALSE(parsed && parsed->isMaster);
    return parsed ? parsed->media : MediaPlaylist{};
}

MasterPlaylist Master(const std::string& text) {
    std::string why;
    const auto parsed = ParseHlsPlaylist(text, kBase, &why);
    EXPECT_TRUE(parsed) << why;
    EXPECT_TRUE(parsed && parsed->isMaster);
    return parsed ? parsed->master : MasterPlaylist{};
}

// Whether the text is refused, with a reason.
bool Refused(const std::string& text) {
    std::string why;
    const bool refused = !ParseHlsPlaylist(text, kBase, &why);
    if (refused) {
        EXPECT_FALSE(why.empty());
    }
    return refused;
}

TEST(HlsPlaylist, LiveMediaPlaylistWithItsSequencesAndDiscontinuities) {
    // BOM, CR LF, blank lines, comments and tags of no use to the player are all passed over.
    const MediaPlaylist m = Media(
        "\xEF\xBB\xBF#EXTM3U\r\n#EXT-X-VERSION:3\r\n#EXT-X-TARGETDURATION:6\r\n"
        "#EXT-X-MEDIA-SEQUENCE:1041\r\n#EXT-X-DISCONTINUITY-SEQUENCE:7\r\n\r\n"
        "#EXT-X-PROGRAM-DATE-TIME:2024-01-01T00:00:00Z\r\n# a comment\r\n"
        "#EXTINF:5.975,Artist - Title, with comma\r\nseg1041.ts\r\n"
        "#EXTINF:6,\r\n/abs/seg1042.ts\r\n"
        "#EXT-X-DISCONTINUITY\r\n#EXTINF:4\r\nhttp://other.example/seg1043.aac\r\n"
        "#EXTINF:6.0,\r\nseg1044.ts");
    EXPECT_EQ(m.targetDuration, 6);
    EXPECT_EQ(m.mediaSequence, 1041u);
    EXPECT_FALSE(m.endList);
    ASSERT_EQ(m.segments.size(), 4u);
    EXPECT_EQ(m.segments[0].uri, "https://cdn.example/live/radio/seg1041.ts");
    EXPECT_EQ(m.segments[1].uri, "https://cdn.example/abs/seg1042.ts");
    EXPECT_EQ(m.segments[2].uri, "http://other.example/seg1043.aac");
    EXPECT_DOUBLE_EQ(m.segments[0].duration, 5.975);
    EXPECT_DOUBLE_EQ(m.segments[2].duration, 4);
    EXPECT_EQ(m.segments[0].title, "Artist - Title, with comma");
    EXPECT_EQ(m.segments[1].title, "");
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(m.segments[i].sequence, 1041 + i);
    // The discontinuity marks its segment and counts for every one after it.
    EXPECT_FALSE(m.segments[1].discontinuity);
    EXPECT_TRUE(m.segments[2].discontinuity);
    EXPECT_FALSE(m.segments[3].discontinuity);
    EXPECT_EQ(m.segments[1].discontinuitySequence, 7u);
    EXPECT_EQ(m.segments[2].discontinuitySequence, 8u);
    EXPECT_EQ(m.segments[3].discontinuitySequence, 8u);

    const MediaPlaylist ended = Media("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\na.ts\n#EXT-X-ENDLIST\n");
    EXPECT_TRUE(ended.endList);
    EXPECT_EQ(ended.mediaSequence, 0u);
    EXPECT_EQ(ended.segments.at(0).sequence, 0u);
}

TEST(HlsPlaylist, ByteRangesContinueThePreviousRangeOfTheSameResource) {
    const MediaPlaylist m = Media(
        "#EXTM3U\n#EXT-X-TARGETDURATION:10\n"
        "#EXT-X-BYTERANGE:1000@200\n#EXTINF:10,\nall.aac\n"
        "#EXT-X-BYTERANGE:500\n#EXTINF:10,\nall.aac\n"
        "#EXT-X-BYTERANGE:300\n#EXTINF:10,\nall.aac\n"
        "#EXTINF:10,\nall.aac\n"
        "#EXT-X-BYTERANGE:7@0\n#EXTINF:10,\nother.aac\n");
    ASSERT_EQ(m.segments.size(), 5u);
    EXPECT_EQ(m.segments[0].range, (ByteRange{200, 1000}));
    EXPECT_EQ(m.segments[1].range, (ByteRange{1200, 500}));
    EXPECT_EQ(m.segments[2].range, (ByteRange{1700, 300}));
    EXPECT_FALSE(m.segments[3].range);  // the tag applies to one segment only
    EXPECT_EQ(m.segments[4].range, (ByteRange{0, 7}));

    const std::string head = "#EXTM3U\n#EXT-X-TARGETDURATION:10\n";
    EXPECT_TRUE(Refused(head + "#EXT-X-BYTERANGE:500\n#EXTINF:10,\na.aac\n"));  // nothing to follow
    EXPECT_TRUE(Refused(head + "#EXT-X-BYTERANGE:5@0\n#EXTINF:10,\na.aac\n"
                        "#EXT-X-BYTERANGE:5\n#EXTINF:10,\nb.aac\n"));        // another resource
    EXPECT_TRUE(Refused(head + "#EXTINF:10,\na.aac\n#EXT-X-BYTERANGE:5\n#EXTINF:10,\na.aac\n"));
    EXPECT_TRUE(Refused(head + "#EXT-X-BYTERANGE:18446744073709551615@1\n#EXTINF:10,\na.aac\n"));
}

TEST(HlsPlaylist, KeysAndMapsApplyToTheSegmentsAfterThem) {
    const MediaPlaylist m = Media(
        "#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXT-X-MEDIA-SEQUENCE:9\n"
        "#EXT-X-MAP:URI=\"init.mp4\",BYTERANGE=\"720@16\"\n"
        "#EXTINF:4,\ns9.m4s\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"../keys/k1.bin\",IV=0x0102030405060708090A0B0C0D0E0F10\n"
        "#EXTINF:4,\ns10.m4s\n#EXTINF:4,\ns11.m4s\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"k2.bin\",IV=0xABC\n#EXT-X-MAP:URI=\"init2.mp4\"\n"
        "#EXTINF:4,\ns12.m4s\n"
        "#EXT-X-KEY:METHOD=NONE\n#EXTINF:4,\ns13.m4s\n");
    ASSERT_EQ(m.segments.size(), 5u);
    EXPECT_EQ(m.segments[0].key, -1);
    EXPECT_EQ(m.segments[1].key, 0);
    EXPECT_EQ(m.segments[2].key, 0);
    EXPECT_EQ(m.segments[3].key, 1);
    EXPECT_EQ(m.segments[4].key, -1);
    ASSERT_EQ(m.keys.size(), 2u);
    EXPECT_EQ(m.keys[0].method, KeyMethod::Aes128);
    EXPECT_EQ(m.keys[0].uri, "https://cdn.example/live/keys/k1.bin");
    EXPECT_EQ(m.keys[0].keyFormat, "identity");
    const std::array<uint8_t, 16> iv1{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(m.keys[0].iv, iv1);
    // Fewer than 32 digits are a smaller number, so they fill the last bytes.
    std::array<uint8_t, 16> iv2{};
    iv2[14] = 0x0A;
    iv2[15] = 0xBC;
    EXPECT_EQ(m.keys[1].iv, iv2);

    for (int i = 0; i < 3; ++i) EXPECT_EQ(m.segments[i].map, 0);
    EXPECT_EQ(m.segments[3].map, 1);
    ASSERT_EQ(m.maps.size(), 2u);
    EXPECT_EQ(m.maps[0].uri, "https://cdn.example/live/radio/init.mp4");
    EXPECT_EQ(m.maps[0].range, (ByteRange{16, 720}));
    EXPECT_FALSE(m.maps[1].range);

    const std::string head = "#EXTM3U\n#EXT-X-TARGETDURATION:4\n";
    EXPECT_TRUE(Refused(head + "#EXT-X-KEY:METHOD=AES-128\n#EXTINF:4,\na.ts\n"));           // no URI
    EXPECT_TRUE(Refused(head + "#EXT-X-KEY:URI=\"k\"\n#EXTINF:4,\na.ts\n"));                // no METHOD
    EXPECT_TRUE(Refused(head + "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",IV=0x123G\n"));        // not hex
    EXPECT_TRUE(Refused(head + "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",IV=0x" + std::string(33, '1') + "\n"));
    EXPECT_TRUE(Refused(head + "#EXT-X-MAP:BYTERANGE=\"1@0\"\n"));
}

TEST(HlsPlaylist, KeyFormatsAndMethodsThePlayerCannotUseAreKept) {
    const MediaPlaylist m = Media(
        "#EXTM3U\n#EXT-X-TARGETDURATION:4\n"
        "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"skd://x\",KEYFORMAT=\"com.apple.streamingkeydelivery\"\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"plain.key\"\n"
        "#EXTINF:4,\na.ts\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"plain2.key\"\n"
        "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"skd://y\",KEYFORMAT=\"com.apple.streamingkeydelivery\"\n"
        "#EXTINF:4,\nb.ts\n"
        "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"s.key\"\n#EXTINF:4,\nc.ts\n"
        "#EXT-X-KEY:METHOD=AES-256,URI=\"s.key\"\n#EXTINF:4,\nd.ts\n");
    ASSERT_EQ(m.segments.size(), 4u);
    // Of several keys for the same segments, the identity one counts, before or after the other.
    EXPECT_EQ(m.keys.at(m.segments[0].key).uri, "https://cdn.example/live/radio/plain.key");
    EXPECT_EQ(m.keys.at(m.segments[1].key).uri, "https://cdn.example/live/radio/plain2.key");
    EXPECT_EQ(m.keys.at(m.segments[2].key).method, KeyMethod::SampleAes);
    EXPECT_EQ(m.keys.at(m.segments[3].key).method, KeyMethod::Other);
}

TEST(HlsPlaylist, MasterPlaylistWithVariantsAndAudioRenditions) {
    const MasterPlaylist m = Master(
        "#EXTM3U\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aac\",NAME=\"English, main\",DEFAULT=YES,URI=\"audio/en.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aac\",NAME=\"Muxed\",DEFAULT=NO\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,NAME=\"no group\",URI=\"x.m3u8\"\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.5\"\nlo/index.m3u8\n"
        "#EXT-X-STREAM-INF:PROGRAM-ID=1, BANDWIDTH=1280000,RESOLUTION=640x360,"
        "CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"aac\"\nhttp://video.example/v.m3u8\n"
        "#EXT-X-STREAM-INF:RESOLUTION=1x1\nno-bandwidth.m3u8\n"
        "#EXT-X-I-FRAME-STREAM-INF:BANDWIDTH=9000,URI=\"iframes.m3u8\"\n");
    ASSERT_EQ(m.variants.size(), 2u);
    EXPECT_EQ(m.variants[0].uri, "https://cdn.example/live/radio/lo/index.m3u8");
    EXPECT_EQ(m.variants[0].bandwidth, 64000u);
    EXPECT_EQ(m.variants[0].codecs, "mp4a.40.5");
    EXPECT_EQ(m.variants[0].audioGroup, "");
    EXPECT_EQ(m.variants[1].uri, "http://video.example/v.m3u8");
    EXPECT_EQ(m.variants[1].bandwidth, 1280000u);
    EXPECT_EQ(m.variants[1].codecs, "avc1.4d401e,mp4a.40.2");
    EXPECT_EQ(m.variants[1].audioGroup, "aac");
    ASSERT_EQ(m.renditions.size(), 2u);
    EXPECT_EQ(m.renditions[0].type, "AUDIO");
    EXPECT_EQ(m.renditions[0].name, "English, main");
    EXPECT_EQ(m.renditions[0].uri, "https://cdn.example/live/radio/audio/en.m3u8");
    EXPECT_TRUE(m.renditions[0].isDefault);
    EXPECT_EQ(m.renditions[1].uri, "");
    EXPECT_FALSE(m.renditions[1].isDefault);

    EXPECT_TRUE(Refused("#EXTM3U\n#EXT-X-STREAM-INF:CODECS=\"mp4a.40.2\"\na.m3u8\n"));  // none usable
    EXPECT_TRUE(Refused("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n"));                    // no address
    EXPECT_TRUE(Refused("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\na.ts\n"
                        "#EXT-X-STREAM-INF:BANDWIDTH=1\nb.m3u8\n"));
}

TEST(HlsPlaylist, AttributeLists) {
    const auto a = ParseHlsAttributes("A=1,B=\"x,y=z\",C-2=0x1F,D=\"\", E=YES ,A=2");
    ASSERT_TRUE(a);
    ASSERT_EQ(a->size(), 5u);
    EXPECT_EQ((*a)[0].name, "A");
    EXPECT_EQ((*a)[0].value, "1");  // a repeated name: the first counts
    EXPECT_FALSE((*a)[0].quoted);
    EXPECT_EQ((*a)[1].value, "x,y=z");
    EXPECT_TRUE((*a)[1].quoted);
    EXPECT_EQ((*a)[2].name, "C-2");
    EXPECT_EQ((*a)[3].value, "");
    EXPECT_EQ((*a)[4].name, "E");
    EXPECT_EQ((*a)[4].value, "YES");
    EXPECT_TRUE(ParseHlsAttributes("")->empty());
    for (const char* bad : {"A", "=1", "A=\"open", "A=\"x\"y", "A B=1", "A=x\"y\"", "A=1,,B=2"}) {
        EXPECT_FALSE(ParseHlsAttributes(bad)) << bad;
    }
}

TEST(HlsPlaylist, RefusesWhatIsNoPlayablePlaylist) {
    EXPECT_TRUE(Refused(""));
    EXPECT_TRUE(Refused("\n\n"));
    EXPECT_TRUE(Refused("[playlist]\nFile1=http://a/\n"));
    EXPECT_TRUE(Refused("#EXTINF:10,\n#EXTM3U\n"));                  // the header comes first
    EXPECT_TRUE(Refused("#EXTM3U\n#EXTINF:10,\na.ts\n"));            // no target duration
    EXPECT_TRUE(Refused("#EXTM3U\n#EXT-X-TARGETDURATION:abc\n"));
    const std::string head = "#EXTM3U\n#EXT-X-TARGETDURATION:10\n";
    EXPECT_TRUE(Refused(head + "a.ts\n"));                           // no EXTINF before it
    EXPECT_TRUE(Refused(head + "#EXTINF:-1,\na.ts\n"));
    EXPECT_TRUE(Refused(head + "#EXTINF:nan,\na.ts\n"));
    EXPECT_TRUE(Refused(head + "#EXTINF:1e300,\na.ts\n"));
    EXPECT_TRUE(Refused(head + "#EXTINF:10,\n"));                    // ends before its address
    EXPECT_TRUE(Refused(head + "#EXT-X-MEDIA-SEQUENCE:18446744073709551615\n#EXTINF:1,\na\n#EXTINF:1,\nb\n"));
    EXPECT_TRUE(Refused(head + "#EXTINF:1,\na\n#EXT-X-MEDIA-SEQUENCE:5\n"));  // numbers the first segment
    EXPECT_FALSE(Refused(head));  // an empty live window is a playlist that will fill
}

TEST(HlsPlaylist, RefusesInputsBeyondTheLimits) {
    std::string big = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n";
    big += std::string(kMaxPlaylistBytes - big.size(), '\n');
    EXPECT_FALSE(Refused(big));
    big += '\n';
    EXPECT_TRUE(Refused(big));

    std::string many = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n";
    for (size_t i = 0; i < kMaxPlaylistSegments; ++i) many += "#EXTINF:1,\ns\n";
    EXPECT_FALSE(Refused(many));
    many += "#EXTINF:1,\ns\n";
    EXPECT_TRUE(Refused(many));
}

}  // namespace
}  // namespace zarvio::stream
