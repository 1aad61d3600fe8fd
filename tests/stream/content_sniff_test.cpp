#include "player/stream/formats/content_sniff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace zarvio::stream {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Of(std::string_view s) { return Bytes(s.begin(), s.end()); }

ContentKind Sniff(const Bytes& b, std::string_view type = "", std::string_view url = "http://h/stream") {
    return SniffContent(b, type, url);
}

const Bytes kMp3 = {0xFF, 0xFB, 0x90, 0x64, 0x00, 0x00, 0x00, 0x00};  // MPEG-1 layer III 128k 44.1k
const Bytes kAdts = {0xFF, 0xF1, 0x50, 0x80, 0x2E, 0x7F, 0xFC};       // AAC LC 44.1k stereo, 369 bytes

Bytes Ts(size_t packets) {
    Bytes b(packets * 188, 0xFF);
    for (size_t i = 0; i < packets; ++i) b[i * 188] = 0x47;
    return b;
}

Bytes Id3Then(const Bytes& frame, uint8_t flags = 0) {
    const uint8_t header[] = {'I', 'D', '3', 4, 0, flags, 0, 0, 1, 2};  // 130 bytes of tag
    Bytes b(sizeof header + 130 + (flags & 0x10 ? 10 : 0), 0);
    std::copy(std::begin(header), std::end(header), b.begin());
    b.insert(b.end(), frame.begin(), frame.end());
    return b;
}

TEST(ContentSniff, FirstBytesWinOverAContradictingContentType) {
    EXPECT_EQ(Sniff(Of("#EXTM3U\n#EXT-X-TARGETDURATION:6\n"), "audio/mpeg"), ContentKind::HlsPlaylist);
    EXPECT_EQ(Sniff(Of("\xEF\xBB\xBF\r\n#EXTM3U\r\n#EXT-X-STREAM-INF:BANDWIDTH=1\r\nv.m3u8"), "text/plain"),
              ContentKind::HlsPlaylist);
    EXPECT_EQ(Sniff(Of("[Playlist]\nFile1=http://a/\n"), "audio/mpeg"), ContentKind::StationList);
    EXPECT_EQ(Sniff(Of("<ASX version=\"3.0\"><entry>"), "text/html"), ContentKind::WindowsMedia);
    EXPECT_EQ(Sniff(Of("<?wpl version=\"1.0\"?><smil>"), "application/octet-stream"), ContentKind::WindowsMedia);
    const Bytes asf = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C, 0};
    EXPECT_EQ(Sniff(asf, "audio/mpeg"), ContentKind::WindowsMedia);
    EXPECT_EQ(Sniff(kMp3, "audio/x-mpegurl", "http://h/x.m3u"), ContentKind::MpegAudio);
    EXPECT_EQ(Sniff(kAdts, "audio/mpeg", "http://h/x.mp3"), ContentKind::Adts);
    EXPECT_EQ(Sniff(Ts(3), "application/octet-stream", "http://h/seg.aac"), ContentKind::MpegTs);
    EXPECT_EQ(Sniff(Id3Then(kMp3), "audio/aac"), ContentKind::MpegAudio);
    EXPECT_EQ(Sniff(Id3Then(kAdts, 0x10), "audio/mpeg"), ContentKind::Adts);  // tag with a footer
}

TEST(ContentSniff, AnM3uIsHlsOnlyWithItsTagsAtTheStartOfALine) {
    EXPECT_EQ(Sniff(Of("#EXTM3U\n#EXT-X-VERSION:3\n#EXTINF:10,\na.ts\n#EXT-X-TARGETDURATION")),
              ContentKind::HlsPlaylist);  // anywhere, even last
    EXPECT_EQ(Sniff(Of("#EXTM3U\n#EXTINF:-1,#EXT-X-TARGETDURATION:5\nhttp://a/\n")), ContentKind::StationList);
    EXPECT_EQ(Sniff(Of("#EXTM3U\n#EXT-X-TARGETDURATIONS:5\nhttp://a/\n")), ContentKind::StationList);
    EXPECT_EQ(Sniff(Of("#EXTM3U\r  #EXT-X-STREAM-INF:BANDWIDTH=1\nhttp://a/\n")), ContentKind::HlsPlaylist);
    // Labelled or named an M3U without the header line: decided the same way.
    EXPECT_EQ(Sniff(Of("http://a/live\n"), "audio/x-mpegurl"), ContentKind::StationList);
    EXPECT_EQ(Sniff(Of("x\n#EXT-X-TARGETDURATION:2\n"), "", "http://h/LIVE.M3U8?t=1"), ContentKind::HlsPlaylist);
}

// Without telling bytes the Content-Type decides (parameters and case aside), then the extension
// of the path's last segment (not the host's, the query's or the fragment's).
TEST(ContentSniff, ContentTypeThenExtension) {
    const Bytes noise = {0x12, 0x34, 0x56, 0x78, 0x9A};
    EXPECT_EQ(Sniff(noise, "Audio/MPEG; charset=x"), ContentKind::MpegAudio);
    EXPECT_EQ(Sniff(noise, "audio/aacp"), ContentKind::Adts);
    EXPECT_EQ(Sniff({}, "audio/x-ms-wma"), ContentKind::WindowsMedia);
    EXPECT_EQ(Sniff(noise, "application/octet-stream", "http://h/a.mp3"), ContentKind::MpegAudio);
    EXPECT_EQ(Sniff(noise, "text/plain", "http://h/list.PLS"), ContentKind::StationList);
    EXPECT_EQ(Sniff(noise, "audio/mpeg", "http://h/a.aac"), ContentKind::MpegAudio);
    EXPECT_EQ(Sniff({}, "", "http://h/seg-1.ts?x=y.mp3#frag.aac"), ContentKind::MpegTs);
    for (const char* url : {"http://radio.mp3.example/", "http://h/dir.aac/stream", "http://h/s?format=.mp3"}) {
        EXPECT_EQ(Sniff({}, "", url), ContentKind::Unknown) << url;
    }
}

TEST(ContentSniff, WeakEvidenceGivesNoVerdict) {
    EXPECT_EQ(Sniff(Ts(1), "text/html"), ContentKind::Unknown);          // a single sync byte
    Bytes broken = Ts(3);
    broken[376] = 0x00;
    EXPECT_EQ(Sniff(broken), ContentKind::Unknown);
    EXPECT_EQ(Sniff(Of("http://a/\x01\x02")), ContentKind::Unknown);
    EXPECT_EQ(Sniff(Of("http://a/one\r\nhttps://b/two\r\n")), ContentKind::StationList);
    // Reserved fields: a sync pattern that no encoder writes.
    EXPECT_EQ(Sniff({0xFF, 0xFB, 0xF0, 0x64, 0, 0, 0}), ContentKind::Unknown);  // bitrate 15
    EXPECT_EQ(Sniff({0xFF, 0xF1, 0x50, 0x00, 0x2E, 0x7F, 0xFC}), ContentKind::Unknown);  // no channels
    // An ID3 tag longer than the bytes at hand: the type decides, else MP3 is the likely content.
    Bytes longTag = {'I', 'D', '3', 3, 0, 0, 0, 1, 0, 0};
    longTag.resize(100);
    EXPECT_EQ(Sniff(longTag, "audio/aac"), ContentKind::Adts);
    EXPECT_EQ(Sniff(longTag), ContentKind::MpegAudio);
}

}  // namespace
}  // namespace zarvio::stream
