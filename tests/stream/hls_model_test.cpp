#include "player/stream/source/hls/hls_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/stream/source/hls/hls_crypto.h"

namespace zarvio::stream {
namespace {

constexpr char kBase[] = "http://h/live/";
using Seqs = std::vector<uint64_t>;

HlsPlaylist Parse(const std::string& body) {
    std::string why;
    const auto p = ParseHlsPlaylist("#EXTM3U\n" + body, kBase, &why);
    EXPECT_TRUE(p) << why;
    return p.value_or(HlsPlaylist{});
}

std::string ChosenUrl(const std::string& masterBody) {
    return HlsVariantSelector(Parse(masterBody).master).Current().playlistUrl;
}

// A live window: count segments of `seconds` each from sequence `first`, named sN.ts.
MediaPlaylist Window(uint64_t first, int count, double seconds = 2, int target = 2, std::string tail = "") {
    std::string body = "#EXT-X-TARGETDURATION:" + std::to_string(target) + "\n#EXT-X-MEDIA-SEQUENCE:" +
                       std::to_string(first) + "\n" + tail;
    for (int i = 0; i < count; ++i) body += "#EXTINF:" + std::to_string(seconds) + ",\ns" + std::to_string(first + i) + ".ts\n";
    return Parse(body).media;
}

// Everything the follower hands out now; *stop is what it said after the last job.
std::vector<HlsSegmentJob> Drain(HlsMediaFollower& f, HlsNextKind* stop = nullptr) {
    std::vector<HlsSegmentJob> jobs;
    HlsNext n = f.Next();
    for (; n.kind == HlsNextKind::Fetch; n = f.Next()) jobs.push_back(n.job);
    if (stop) *stop = n.kind;
    return jobs;
}

Seqs Sequences(const std::vector<HlsSegmentJob>& jobs) {
    Seqs out;
    for (const auto& j : jobs) out.push_back(j.sequence);
    return out;
}

TEST(HlsVariantSelector, PrefersAudioOnlyAndTheHighestBandwidthUpToTheLimit) {
    HlsVariantSelector s(Parse(
        "#EXT-X-STREAM-INF:BANDWIDTH=200000,CODECS=\"avc1.42e00a,mp4a.40.2\"\nvideo.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=320000,CODECS=\"mp4a.40.2\"\na320.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.5\"\na64.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS=\"mp4a.40.2\"\na128.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=96000\nunknown.m3u8\n").master);
    EXPECT_EQ(s.Current().playlistUrl, "http://h/live/a128.m3u8");
    // Three underruns within a minute step one down; the lowest stays.
    EXPECT_FALSE(s.OnUnderrun(0));
    EXPECT_FALSE(s.OnUnderrun(30000));
    EXPECT_FALSE(s.OnUnderrun(60000));  // the first one is a minute old now
    EXPECT_TRUE(s.OnUnderrun(70000));
    EXPECT_EQ(s.Current().playlistUrl, "http://h/live/a64.m3u8");

    // All above the limit: the lowest. No audio-only variant: all of them count.
    EXPECT_EQ(ChosenUrl("#EXT-X-STREAM-INF:BANDWIDTH=512000,CODECS=\"mp4a.40.2\"\nhi.m3u8\n"
                        "#EXT-X-STREAM-INF:BANDWIDTH=300000,CODECS=\"mp4a.40.2\"\nlo.m3u8\n"),
              "http://h/live/lo.m3u8");
    EXPECT_EQ(ChosenUrl("#EXT-X-STREAM-INF:BANDWIDTH=900000\nhi.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=256000\nmid.m3u8\n"
                        "#EXT-X-STREAM-INF:BANDWIDTH=1,CODECS=\"HVC1.1,mp4a.40.2\"\nlo.m3u8\n"),
              "http://h/live/mid.m3u8");
}

TEST(HlsVariantSelector, PlaysTheGroupsAudioRenditionWhenItHasAPlaylist) {
    const std::string renditions =
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"first\",URI=\"a-first.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"main\",DEFAULT=YES,URI=\"a-main.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"b\",NAME=\"only\",URI=\"b.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID=\"c\",NAME=\"subs\",URI=\"subs.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"c\",NAME=\"muxed\",DEFAULT=YES\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"c\",NAME=\"other\",URI=\"c-other.m3u8\"\n";
    auto chosen = [&](std::string group) {
        return ChosenUrl(renditions + "#EXT-X-STREAM-INF:BANDWIDTH=1000,AUDIO=\"" + group + "\"\nvariant.m3u8\n");
    };
    EXPECT_EQ(chosen("a"), "http://h/live/a-main.m3u8");   // the default one
    EXPECT_EQ(chosen("b"), "http://h/live/b.m3u8");        // else the first
    EXPECT_EQ(chosen("c"), "http://h/live/variant.m3u8");  // the default is in the variant itself
}

TEST(HlsMediaFollower, LiveStartsThreeTargetDurationsFromTheEnd) {
    HlsMediaFollower f;
    f.OnPlaylist(Window(100, 10), 5000);
    HlsNextKind stop{};
    const auto jobs = Drain(f, &stop);
    ASSERT_EQ(Sequences(jobs), (Seqs{107, 108, 109}));
    EXPECT_EQ(stop, HlsNextKind::WaitForReload);
    EXPECT_TRUE(jobs[0].resetDecoder);
    EXPECT_FALSE(jobs[1].resetDecoder);
    EXPECT_EQ(f.ReloadDueMs(), 7000u);

    // Uneven durations: the latest segment from which 18 s remain.
    HlsMediaFollower uneven;
    uneven.OnPlaylist(Parse("#EXT-X-TARGETDURATION:6\n#EXTINF:6,\na\n#EXTINF:6,\nb\n#EXTINF:6,\nc\n"
                            "#EXTINF:6,\nd\n#EXTINF:3,\ne\n#EXTINF:3,\nf\n").media, 0);
    EXPECT_EQ(Sequences(Drain(uneven)), (Seqs{2, 3, 4, 5}));
    HlsMediaFollower shortWindow;  // shorter than that: from its first segment
    shortWindow.OnPlaylist(Window(40, 2), 0);
    EXPECT_EQ(Sequences(Drain(shortWindow)), (Seqs{40, 41}));
}

TEST(HlsMediaFollower, ReloadsHandOutEachSegmentOnceAndSkipGaps) {
    HlsMediaFollower f;
    f.OnPlaylist(Window(100, 5), 0);
    EXPECT_EQ(Sequences(Drain(f)), (Seqs{102, 103, 104}));
    f.OnPlaylist(Window(100, 5), 2000);  // nothing new: half a target duration
    EXPECT_TRUE(Drain(f).empty());
    EXPECT_EQ(f.ReloadDueMs(), 3000u);
    f.OnPlaylist(Window(99, 5), 3000);   // a stale copy from a cache
    EXPECT_TRUE(Drain(f).empty());
    f.OnPlaylist(Window(102, 5), 4000);  // slid on by two
    EXPECT_EQ(f.ReloadDueMs(), 6000u);
    auto jobs = Drain(f);
    ASSERT_EQ(Sequences(jobs), (Seqs{105, 106}));
    EXPECT_FALSE(jobs[0].resetDecoder);

    f.OnPlaylist(Window(110, 5), 6000);  // 107 to 109 slid out before they were fetched
    jobs = Drain(f);
    ASSERT_EQ(Sequences(jobs), (Seqs{110, 111, 112, 113, 114}));
    EXPECT_TRUE(jobs[0].resetDecoder);
    EXPECT_FALSE(jobs[1].resetDecoder);
    EXPECT_EQ(f.SkippedSegments(), 3u);

    // An encoder that started over numbers from 0 again: begin as with a first load.
    f.OnPlaylist(Window(0, 6), 8000);
    jobs = Drain(f);
    ASSERT_EQ(Sequences(jobs), (Seqs{3, 4, 5}));
    EXPECT_TRUE(jobs[0].resetDecoder);
}

TEST(HlsMediaFollower, DiscontinuitiesAndNewInitSectionsResetTheDecoder) {
    HlsMediaFollower f;
    f.OnPlaylist(Parse("#EXT-X-TARGETDURATION:2\n#EXT-X-ENDLIST\n#EXTINF:2,\na\n#EXT-X-DISCONTINUITY\n#EXTINF:2,\nb\n"
                       "#EXTINF:2,\nc\n#EXT-X-MAP:URI=\"i.mp4\"\n#EXTINF:2,\nd\n#EXT-X-MAP:URI=\"i.mp4\",BYTERANGE=\"9@0\"\n"
                       "#EXTINF:2,\ne\n").media, 0);
    std::vector<bool> resets;
    for (const auto& job : Drain(f)) resets.push_back(job.resetDecoder);
    EXPECT_EQ(resets, (std::vector<bool>{true, true, false, true, true}));

    // The tag slid out of the window, the discontinuity number tells; the same initialisation
    // section in a reload is no change.
    HlsMediaFollower g;
    const std::string map = "#EXT-X-MAP:URI=\"init.mp4\"\n";
    g.OnPlaylist(Window(5, 1, 6, 2, map), 0);
    EXPECT_EQ(Drain(g).at(0).map->uri, "http://h/live/init.mp4");
    g.OnPlaylist(Window(5, 2, 6, 2, map), 2000);
    EXPECT_FALSE(Drain(g).at(0).resetDecoder);
    g.OnPlaylist(Window(7, 2, 6, 2, map + "#EXT-X-DISCONTINUITY-SEQUENCE:1\n"), 4000);
    const auto jobs = Drain(g);
    ASSERT_EQ(Sequences(jobs), (Seqs{7, 8}));
    EXPECT_TRUE(jobs[0].resetDecoder);
    EXPECT_FALSE(jobs[1].resetDecoder);
}

TEST(HlsMediaFollower, EndListPlaysFromTheFirstSegmentToTheLast) {
    HlsMediaFollower f;
    f.OnPlaylist(Window(0, 8, 2, 2, "#EXT-X-ENDLIST\n"), 0);
    EXPECT_FALSE(f.ReloadDueMs());
    HlsNextKind stop{};
    EXPECT_EQ(Sequences(Drain(f, &stop)), (Seqs{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(stop, HlsNextKind::Ended);

    // A live list that ends: what is left plays, then the end.
    HlsMediaFollower live;
    live.OnPlaylist(Window(50, 6), 0);
    EXPECT_EQ(Sequences(Drain(live)), (Seqs{53, 54, 55}));
    live.OnPlaylist(Window(51, 7, 2, 2, "#EXT-X-ENDLIST\n"), 2000);
    EXPECT_EQ(Sequences(Drain(live, &stop)), (Seqs{56, 57}));
    EXPECT_EQ(stop, HlsNextKind::Ended);
    EXPECT_FALSE(live.ReloadDueMs());
}

TEST(HlsMediaFollower, EmptyWindowsAndVariantSwitches) {
    HlsMediaFollower f;
    f.OnPlaylist(Window(7, 0, 2, 4), 1000);
    EXPECT_EQ(f.Next().kind, HlsNextKind::WaitForReload);
    EXPECT_EQ(f.ReloadDueMs(), 3000u);  // nothing came: half of 4 s
    f.OnPlaylist(Window(7, 4, 4, 4), 3000);
    EXPECT_EQ(Sequences(Drain(f)), (Seqs{8, 9, 10}));
    // Another variant's playlist, numbered alike: on from the next number, with a reset.
    f.OnVariantSwitch();
    f.OnPlaylist(Window(8, 4, 4, 4), 4000);
    const auto jobs = Drain(f);
    ASSERT_EQ(Sequences(jobs), (Seqs{11}));
    EXPECT_TRUE(jobs[0].resetDecoder);
}

TEST(HlsMediaFollower, KeysAndTheirInitialisationVectors) {
    HlsMediaFollower f;
    f.OnPlaylist(Parse("#EXT-X-TARGETDURATION:2\n#EXT-X-MEDIA-SEQUENCE:258\n#EXT-X-ENDLIST\n"
                       "#EXT-X-KEY:METHOD=AES-128,URI=\"k1\"\n#EXTINF:2,\na\n"
                       "#EXT-X-KEY:METHOD=AES-128,URI=\"k2\",IV=0x000102030405060708090a0b0c0d0e0f\n"
                       "#EXTINF:2,\nb\n#EXT-X-KEY:METHOD=NONE\n#EXTINF:2,\nc\n"
                       "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"k3\"\n#EXTINF:2,\nd\n").media, 0);
    HlsNextKind stop{};
    const auto jobs = Drain(f, &stop);
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_TRUE(jobs[0].encrypted);
    EXPECT_EQ(jobs[0].keyUri, "http://h/live/k1");
    EXPECT_EQ(jobs[0].iv, (std::array<uint8_t, 16>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}));  // 258
    EXPECT_EQ(jobs[1].keyUri, "http://h/live/k2");
    EXPECT_EQ(jobs[1].iv, (std::array<uint8_t, 16>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_FALSE(jobs[2].encrypted);
    EXPECT_EQ(stop, HlsNextKind::Unsupported);

    HlsMediaFollower g;
    g.OnPlaylist(Parse("#EXT-X-TARGETDURATION:2\n#EXT-X-ENDLIST\n#EXT-X-KEY:METHOD=AES-128,URI=\"skd://k\","
                       "KEYFORMAT=\"com.apple.streamingkeydelivery\"\n#EXTINF:2,\na\n").media, 0);
    EXPECT_EQ(g.Next().kind, HlsNextKind::Unsupported);

    // A segment that failed is fetched once more, also when another failed in between.
    EXPECT_TRUE(g.ShouldRetry(5));
    EXPECT_TRUE(g.ShouldRetry(6));
    EXPECT_FALSE(g.ShouldRetry(5));
}

TEST(HlsCrypto, Pkcs7Padding) {
    std::vector<uint8_t> data(32, 0xAA);
    for (uint8_t n : {1, 16}) {
        std::fill(data.end() - n, data.end(), n);
        EXPECT_EQ(Pkcs7UnpaddedSize(data), 32u - n);
    }
    std::fill(data.end() - 4, data.end(), 4);
    data[data.size() - 3] = 3;  // one padding byte differs
    EXPECT_FALSE(Pkcs7UnpaddedSize(data));
    for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>(16, 0), std::vector<uint8_t>(16, 17),
                                            std::vector<uint8_t>(31, 1), std::vector<uint8_t>{}}) {
        EXPECT_FALSE(Pkcs7UnpaddedSize(bad));
    }
}

}  // namespace
}  // namespace zarvio::stream
