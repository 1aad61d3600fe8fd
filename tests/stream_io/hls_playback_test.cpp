// HLS playlists and station lists through the real stream player, with the network replaced by
// answers per address and the decoder by one that marks each frame.
#include <gtest/gtest.h>

#include <algorithm>

#include "player/stream/source/hls/hls_playback.h"
#include "player/stream/session/stream_player.h"
#include "support/fake_stream_parts.h"
#include "support/message_pump.h"
#include "support/player_events.h"

namespace zarvio::stream {
namespace {

using test::FakeAnswer;
using test::Mp3Frames;
using test::PumpUntil;

using Listener = test::PlayerEvents;

FakeAnswer Text(const std::string& body, const wchar_t* type = L"application/vnd.apple.mpegurl") {
    FakeAnswer a;
    a.body = body;
    a.contentType = type;
    a.contentLength = body.size();
    return a;
}
FakeAnswer Segment(int frames, int level) {
    FakeAnswer a = Text(Mp3Frames(frames, level), L"audio/mpeg");
    return a;
}
FakeAnswer Missing() {
    FakeAnswer a = Text("not here", L"text/plain");
    a.status = 404;
    return a;
}

struct HlsTest : ::testing::Test {
    std::shared_ptr<test::RouteTable> routes = std::make_shared<test::RouteTable>();
    std::shared_ptr<test::SinkLog> log = std::make_shared<test::SinkLog>();
    Listener heard;
    std::unique_ptr<StreamPlayer> player;

    void Route(const std::wstring& url, FakeAnswer a) { routes->answers[url] = std::move(a); }
    void Play(const std::wstring& url) {
        StreamParts p;
        auto r = routes;
        auto l = log;
        p.transport = [r] { return std::make_unique<test::RoutedTransport>(r); };
        p.decoder = [](const AudioFrame&) { return std::make_unique<test::LevelDecoder>(); };
        p.sink = [l] { return std::make_unique<test::ClockedSink>(l, 20.0); };
        p.reconnectWait = [](uint32_t) { return 1u; };
        player = std::make_unique<StreamPlayer>(url, p);
        player->SetListener(&heard);
        player->Play();
    }
    void TearDown() override {
        player.reset();
        test::PumpFor(50);
    }
    // The levels the device heard, one per run of equal samples.
    std::vector<int> Levels() {
        std::lock_guard l(log->mutex);
        std::vector<int> out;
        for (int16_t s : log->samples)
            if (out.empty() || out.back() != s) out.push_back(s);
        return out;
    }
};

const char kOnDemand[] =
    "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXT-X-MEDIA-SEQUENCE:7\n"
    "#EXTINF:1.0,Song A\nseg7.mp3\n"
    "#EXTINF:1.0,123\nsub/seg8.mp3\n"
    "#EXTINF:1.0,no desc\n/abs/seg9.mp3\n"
    "#EXT-X-ENDLIST\n";

TEST(ExtinfTitle, OnlyRealTitlesAreShown) {
    EXPECT_TRUE(IsShowableExtinfTitle("Song A"));
    EXPECT_TRUE(IsShowableExtinfTitle(" 1999 - Prince "));
    EXPECT_FALSE(IsShowableExtinfTitle(""));
    EXPECT_FALSE(IsShowableExtinfTitle("   "));
    EXPECT_FALSE(IsShowableExtinfTitle("123"));
    EXPECT_FALSE(IsShowableExtinfTitle("-1"));
    EXPECT_FALSE(IsShowableExtinfTitle("10.5"));
    EXPECT_FALSE(IsShowableExtinfTitle("No Desc"));
}

TEST_F(HlsTest, AnOnDemandPlaylistPlaysEverySegmentOnceAndEnds) {
    Route(L"http://hls.test/a/list.m3u8", Text(kOnDemand, L"text/plain"));  // mislabelled
    Route(L"http://hls.test/a/seg7.mp3", Segment(40, 10));
    Route(L"http://hls.test/a/sub/seg8.mp3", Segment(40, 20));
    Route(L"http://hls.test/abs/seg9.mp3", Segment(40, 30));
    Play(L"http://hls.test/a/list.m3u8");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStateStopped); }, 10000));
    EXPECT_EQ(heard.states, (std::vector<int>{9, 6, 3, 8, 1}));
    EXPECT_EQ(Levels(), (std::vector<int>{1000, 2000, 3000})) << "every segment, in order";
    EXPECT_EQ(log->writtenFrames(), 120u * 1152u) << "the last frame of the list too";
    for (const wchar_t* u : {L"http://hls.test/a/seg7.mp3", L"http://hls.test/a/sub/seg8.mp3", L"http://hls.test/abs/seg9.mp3"})
        EXPECT_EQ(routes->count(u), 1) << u;
    EXPECT_EQ(heard.titles, (std::vector<std::wstring>{L"Song A"})) << "numbers and no desc are no titles";
}

TEST_F(HlsTest, AMissingSegmentIsTriedTwiceThenSkipped) {
    Route(L"http://hls.test/a/list.m3u8", Text(kOnDemand));
    Route(L"http://hls.test/a/seg7.mp3", Segment(40, 10));
    Route(L"http://hls.test/a/sub/seg8.mp3", Missing());
    Route(L"http://hls.test/abs/seg9.mp3", Segment(40, 30));
    Play(L"http://hls.test/a/list.m3u8");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStateStopped); }, 10000));
    EXPECT_EQ(Levels(), (std::vector<int>{1000, 3000}));
    EXPECT_EQ(routes->count(L"http://hls.test/a/sub/seg8.mp3"), 2);
    EXPECT_TRUE(heard.failures.empty());
}

TEST_F(HlsTest, AMasterPlaylistPlaysTheRichestAudioVariantUpTo256k) {
    Route(L"http://hls.test/master.m3u8", Text(
        "#EXTM3U\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.5\"\nlow.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=800000,CODECS=\"avc1.4d401f,mp4a.40.2\"\nvideo.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=192000,CODECS=\"mp4a.40.2\"\nmid.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=320000,CODECS=\"mp4a.40.2\"\nhigh.m3u8\n"));
    Route(L"http://hls.test/mid.m3u8", Text("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:1,\nm.mp3\n#EXT-X-ENDLIST\n"));
    Route(L"http://hls.test/m.mp3", Segment(40, 40));
    Play(L"http://hls.test/master.m3u8");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStateStopped); }, 10000));
    EXPECT_EQ(Levels(), (std::vector<int>{4000}));
    EXPECT_EQ(routes->count(L"http://hls.test/low.m3u8") + routes->count(L"http://hls.test/high.m3u8") +
                  routes->count(L"http://hls.test/video.m3u8"), 0);
}

TEST_F(HlsTest, AStationListGivesUpADeadEntryForTheNext) {
    Route(L"http://lists.test/radio.pls", Text(
        "[playlist]\nNumberOfEntries=2\nFile2=http://b.test/live\nFile1=http://a.test/gone\n", L"audio/x-scpls"));
    Route(L"http://a.test/gone", Missing());
    FakeAnswer live = Segment(400, 50);
    live.contentLength.reset();
    live.then = FakeAnswer::Then::Stall;
    live.stallMs = 200;
    Route(L"http://b.test/live", live);
    Play(L"http://lists.test/radio.pls");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 10000));
    EXPECT_EQ(routes->count(L"http://a.test/gone"), 1) << "a 404 fails the entry for good at once";
    EXPECT_TRUE(heard.failures.empty());
}

TEST_F(HlsTest, AListThatLeadsBackToItselfIsAFinalFailure) {
    Route(L"http://lists.test/self.m3u", Text("#EXTM3U\n#EXTINF:-1,Me\nhttp://lists.test/self.m3u\n", L"audio/x-mpegurl"));
    Play(L"http://lists.test/self.m3u");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStateReady); }, 10000));
    EXPECT_EQ(heard.failures, (std::vector<std::wstring>{L"无法播放此电台（播放列表无效）"}));
    EXPECT_LE(routes->count(L"http://lists.test/self.m3u"), 2);
}

TEST_F(HlsTest, SampleAesIsRefused) {
    Route(L"http://hls.test/enc.m3u8", Text(
        "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"k\"\n#EXTINF:1,\ns.ts\n#EXT-X-ENDLIST\n"));
    Play(L"http://hls.test/enc.m3u8");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStateReady); }, 10000));
    EXPECT_EQ(heard.failures, (std::vector<std::wstring>{L"无法播放此电台（不支持的格式）"}));
}

}  // namespace
}  // namespace zarvio::stream
