// HLS playlists and station lists played by the stream player with its real transport and
// decoders against the tests' local server, which writes live windows moving with its clock,
// on-demand lists and their faults. Only the sound device is a fake (real time, or faster for
// on-demand lists), so what reached it can be measured; the server's request log tells which
// segments were fetched and how often.
#include "player/stream/session/stream_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "support/audio_analysis.h"
#include "support/fake_stream_parts.h"
#include "support/message_pump.h"
#include "support/tone_checks.h"
#include "support/player_events.h"
#include "support/server_log.h"
#include "support/stream_world.h"

namespace zarvio::stream {
namespace {

using test::PumpUntil;

using Listener = test::PlayerEvents;

const std::vector<int> kLive = {9, 6, 3};
const std::vector<int> kOnDemand = {9, 6, 3, 8, 1};

// The durations ffmpeg gave the first segments of the 44.1 kHz tone (make_hls.sh).
constexpr double kFirstSegments[] = {2.020133, 1.996922, 1.996911, 1.996922, 1.996911, 1.996922};

struct HlsEndToEnd : ::testing::Test {
    std::shared_ptr<test::SinkLog> log = std::make_shared<test::SinkLog>();
    Listener heard;
    std::unique_ptr<StreamPlayer> player;
    std::string id;  // this test's own clocks and log paths on the server: /hls/ID/...
    ULONGLONG playedAt = 0;

    void SetUp() override {
        if (test::ServerUrl(L"/").empty()) GTEST_FAIL() << "the tests' server is not running";
        id = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
             std::to_string(GetTickCount64());
    }
    void TearDown() override {
        player.reset();
        test::PumpFor(50);
    }
    std::wstring Hls(const std::string& rest) const {
        const std::string path = "/hls/" + id + "/" + rest;
        return std::wstring(path.begin(), path.end());
    }
    void Play(const std::wstring& path, double deviceSpeed = 1.0) {
        player.reset();
        log = std::make_shared<test::SinkLog>();
        heard = {};
        StreamParts parts;
        auto l = log;
        parts.sink = [l, deviceSpeed] { return std::make_unique<test::ClockedSink>(l, deviceSpeed); };
        parts.reconnectWait = [](uint32_t) { return 50u; };
        player = std::make_unique<StreamPlayer>(test::ServerUrl(path), parts);
        player->SetListener(&heard);
        playedAt = GetTickCount64();
        player->Play();
    }
    bool PlayToTheEnd() { return PumpUntil([&] { return heard.Saw(kPlayStateStopped) || heard.Saw(kPlayStateReady); }, 90000); }
    double SecondsHeard() {
        std::lock_guard l(log->mutex);
        if (log->opened.empty()) return 0;
        return static_cast<double>(log->samples.size()) / log->opened.back().channels / log->opened.back().sampleRate;
    }
    // Pumps messages until the device was given `seconds` more audio than now: a wait for what
    // the test then looks at, however slowly a loaded machine gets there.
    void HearMore(double seconds) {
        const double from = SecondsHeard();
        EXPECT_TRUE(PumpUntil([&] { return SecondsHeard() >= from + seconds; }, static_cast<DWORD>(seconds * 1000) + 30000))
            << "the device was not given " << seconds << " s more";
    }
    std::map<uint64_t, int> Segments(const std::string& kind) { return test::LoggedSegments("/hls/" + id + "/" + kind + "/"); }
    int Requests(const std::string& rest) {
        const auto all = test::LoggedRequests("/hls/" + id + "/");
        const auto at = all.find("/hls/" + id + "/" + rest);
        return at == all.end() ? 0 : at->second;
    }

    // The left channel carries 440 Hz and the right 660 Hz: in the last `seconds` of what the
    // device was given, or in all of it after the decoder's first frames.
    void ExpectTheTone(int channels, double seconds = 0) {
        std::vector<int16_t> pcm;
        PcmFormat f;
        {
            std::lock_guard l(log->mutex);
            ASSERT_FALSE(log->opened.empty()) << "the device was never opened";
            f = log->opened.back();
            const size_t skip = seconds > 0 ? log->samples.size() - std::min(log->samples.size(), static_cast<size_t>(seconds * f.sampleRate) * f.channels)
                                            : std::min(log->samples.size(), size_t{4096} * f.channels);
            pcm.assign(log->samples.begin() + static_cast<ptrdiff_t>(skip), log->samples.end());
        }
        test::ExpectTheTestTone(test::PcmView{pcm, f.channels, f.sampleRate}, channels);
    }
    // Every segment that was fetched was fetched once; returns how many there were.
    size_t ExpectEachFetchedOnce(const std::map<uint64_t, int>& segments) {
        for (const auto& [sequence, count] : segments) EXPECT_EQ(count, 1) << "segment " << sequence;
        return segments.size();
    }
};

TEST_F(HlsEndToEnd, ALiveTransportStreamWindowPlaysFromNearItsEdgeAndFetchesEachSegmentOnce) {
    Play(Hls("ts/index.m3u8"));
    ASSERT_TRUE(PumpUntil([&] { return log->writtenFrames() > 0; }, 20000));
    const ULONGLONG firstSample = GetTickCount64() - playedAt;
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(7);  // reloads about every 2 s
    std::printf("live TS window: the first sample reached the device %llu ms after Play\n", firstSample);
    EXPECT_LT(firstSample, 10000u) << "the benchmark holds the figure; this is only a bound";
    EXPECT_EQ(heard.states, kLive) << "no underrun, no reconnect";
    EXPECT_TRUE(heard.failures.empty());
    EXPECT_TRUE(heard.titles.empty()) << "the EXTINF titles are empty";
    ExpectTheTone(2);
    EXPECT_EQ(log->opened.back().sampleRate, 44100);
    player.reset();

    const auto segments = Segments("ts");
    EXPECT_GE(ExpectEachFetchedOnce(segments), 5u);
    // The first window holds segments 0 to 4. Segment 2 starts 5.99 s before its end, less than
    // three target durations: segment 1 is the first that starts far enough back.
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments.begin()->first, 1u);
    // Consecutive: nothing was skipped on a healthy window.
    EXPECT_EQ(segments.rbegin()->first - segments.begin()->first + 1, segments.size());
    EXPECT_GE(Requests("ts/index.m3u8"), 3) << "the window is followed across reloads";
}

TEST_F(HlsEndToEnd, FragmentedMp4AndPackedAudioWindowsPlayTheToneToo) {
    Play(Hls("fmp4/index.m3u8"));
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(3);
    EXPECT_EQ(heard.states, kLive);
    ExpectTheTone(2);
    player.reset();
    EXPECT_EQ(Requests("fmp4/init.mp4"), 1) << "one initialisation section for all segments";
    EXPECT_GE(ExpectEachFetchedOnce(Segments("fmp4")), 3u);

    Play(Hls("packed/index.m3u8"));
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(3);
    EXPECT_EQ(heard.states, kLive);
    ExpectTheTone(2);
    ASSERT_FALSE(heard.titles.empty()) << "the ID3 tag in front of each segment names it";
    EXPECT_EQ(heard.titles.front(), L"Zarvio Band - Song 1");
    player.reset();
    EXPECT_GE(ExpectEachFetchedOnce(Segments("packed")), 3u);
}

TEST_F(HlsEndToEnd, Id3TitlesInATransportStreamShowWhenTheirAudioPlays) {
    Play(Hls("id3ts/index.m3u8"));
    ASSERT_TRUE(PumpUntil([&] { return heard.titles.size() >= 3; }, 10000));
    EXPECT_EQ(heard.titles[0], L"Zarvio Band - Song 1");
    EXPECT_EQ(heard.titles[1], L"Zarvio Band - Song 2");
    EXPECT_EQ(heard.titles[2], L"Zarvio Band - Song 3");
    // Segments come faster than they play; titles shown on arrival would come together. Each
    // comes when its segment's first audio plays, 2 s after the one before (give or take what
    // a loaded machine delays the window's messages).
    for (int i : {1, 2}) {
        EXPECT_GE(heard.titleTimes[i] - heard.titleTimes[i - 1], 1000u) << i;
        EXPECT_LE(heard.titleTimes[i] - heard.titleTimes[i - 1], 5000u) << i;
    }
    EXPECT_EQ(heard.states, kLive);
    ExpectTheTone(2);
}

TEST_F(HlsEndToEnd, AMasterPlaysTheAudioRenditionOfTheAudioOnlyVariantItChose) {
    Play(Hls("master.m3u8"));
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(2.5);
    EXPECT_EQ(heard.states, kLive);
    ExpectTheTone(2);
    player.reset();
    EXPECT_GE(Requests("rendition/index.m3u8"), 1);
    EXPECT_GE(ExpectEachFetchedOnce(Segments("rendition")), 2u);
    for (const char* other : {"low", "mid", "video"}) {
        EXPECT_EQ(Requests(std::string(other) + "/index.m3u8"), 0) << other;
        EXPECT_TRUE(Segments(other).empty()) << other;
    }
}

TEST_F(HlsEndToEnd, OnDemandListsEndAfterTheirLastSegmentWithOnlyWorthwhileTitles) {
    Play(Hls("vod/index.m3u8"), 10.0);
    ASSERT_TRUE(PlayToTheEnd());
    EXPECT_EQ(heard.states, kOnDemand);
    EXPECT_TRUE(heard.failures.empty());
    // Of "", "no desc", "12" and "Evening News" only the last is a title.
    EXPECT_EQ(heard.titles, (std::vector<std::wstring>{L"Evening News"}));
    EXPECT_NEAR(SecondsHeard(), std::accumulate(kFirstSegments, kFirstSegments + 4, 0.0), 0.1);
    ExpectTheTone(2);
    EXPECT_EQ(ExpectEachFetchedOnce(Segments("vod")), 4u);

    // One file in byte ranges: 12 s in seven ranges, each asked for once.
    Play(Hls("single/index.m3u8"), 10.0);
    ASSERT_TRUE(PlayToTheEnd());
    EXPECT_EQ(heard.states, kOnDemand);
    EXPECT_NEAR(SecondsHeard(), 12.0, 0.15);
    ExpectTheTone(2);
    EXPECT_EQ(Requests("single/all.ts"), 7);
}

TEST_F(HlsEndToEnd, Aes128SegmentsAreDecryptedWithOneKeyFetch) {
    Play(Hls("aes/index.m3u8"), 10.0);
    ASSERT_TRUE(PlayToTheEnd());
    EXPECT_EQ(heard.states, kOnDemand);
    EXPECT_TRUE(heard.failures.empty());
    // Two segments take their IV from the sequence number (7, 8), two from the list: a wrong IV
    // spoils the first block of each, a wrong key all of them.
    EXPECT_NEAR(SecondsHeard(), std::accumulate(kFirstSegments, kFirstSegments + 4, 0.0), 0.1);
    ExpectTheTone(2);
    EXPECT_EQ(Requests("aes/key.bin"), 1);
    EXPECT_EQ(ExpectEachFetchedOnce(Segments("aes")), 4u);
}

TEST_F(HlsEndToEnd, ADiscontinuityReopensTheDeviceAtTheNewRateAndKeepsTheTone) {
    Play(Hls("disc/index.m3u8"), 10.0);
    ASSERT_TRUE(PlayToTheEnd());
    EXPECT_EQ(heard.states, kOnDemand);
    EXPECT_TRUE(heard.failures.empty());
    ASSERT_GE(log->opened.size(), 2u);
    EXPECT_EQ(log->opened.front().sampleRate, 44100);
    EXPECT_EQ(log->opened.back().sampleRate, 48000);
    ExpectTheTone(2, 1.5);  // the 48 kHz part, at 48 kHz
}

TEST_F(HlsEndToEnd, AMissingAndATruncatedSegmentAreSkippedAndPlaybackGoesOn) {
    Play(Hls("faults/index.m3u8"), 10.0);
    ASSERT_TRUE(PlayToTheEnd());
    EXPECT_EQ(heard.states, kOnDemand);
    EXPECT_TRUE(heard.failures.empty());
    // Segments 0, 1, 3 and 5 play; 2 (404) and 4 (cut short) do not.
    const double expected = kFirstSegments[0] + kFirstSegments[1] + kFirstSegments[3] + kFirstSegments[5];
    EXPECT_NEAR(SecondsHeard(), expected, 0.15);
    ExpectTheTone(2, 1.5);
    const auto segments = Segments("faults");
    EXPECT_EQ(segments.at(4), 2) << "a truncated segment is fetched once more";
    std::printf("the 404 segment was asked for %d times\n", segments.at(2));
    EXPECT_LE(segments.at(2), 2);
    for (uint64_t s : {0, 1, 3, 5}) EXPECT_EQ(segments.at(s), 1) << s;
}

TEST_F(HlsEndToEnd, AGapInTheLiveMediaSequenceIsSkippedAndPlaybackGoesOn) {
    // 4 s after its start the window leaps 8 segments ahead: those it left out were never there.
    Play(Hls("gap/index.m3u8"));
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(8);
    EXPECT_TRUE(heard.failures.empty());
    EXPECT_EQ(heard.states.back(), kPlayStatePlaying);
    ExpectTheTone(2, 1.5);
    player.reset();
    const auto segments = Segments("gap");
    ExpectEachFetchedOnce(segments);
    ASSERT_FALSE(segments.empty());
    EXPECT_GE(segments.rbegin()->first, 10u) << "it went on after the gap";
    EXPECT_LT(segments.size(), segments.rbegin()->first - segments.begin()->first + 1) << "the gap was not filled";
}

TEST_F(HlsEndToEnd, WhatTheBytesSayWinsOverAMislabelledContentType) {
    Play(Hls("ts/index.m3u8?type=text/plain&segtype=application/octet-stream"));
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(1.5);
    EXPECT_EQ(heard.states, kLive);
    ExpectTheTone(2);

    // An M3U station list (sent as octet-stream) whose entry is that live window.
    Play(L"/lists/to_hls.m3u?type=application/octet-stream&id=" + std::wstring(id.begin(), id.end()) + L"-list");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(1.5);
    EXPECT_TRUE(heard.failures.empty());
    ExpectTheTone(2);
    player.reset();
    EXPECT_GE(test::LoggedSegments("/hls/" + id + "-list/ts/").size(), 2u);
}

TEST_F(HlsEndToEnd, AStationListGivesWayToItsNextEntryAndAListOfItselfFails) {
    const auto before = test::LoggedRequests("/status");
    Play(L"/lists/dead_first.pls");  // sent as text/plain; the first entry answers 404
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(1);
    EXPECT_TRUE(heard.failures.empty()) << "the second entry plays";
    ExpectTheTone(2);
    const auto after = test::LoggedRequests("/status");
    EXPECT_EQ(after.at("/status") - (before.count("/status") ? before.at("/status") : 0), 1)
        << "a 404 entry fails for good at once";

    Play(L"/lists/self.m3u");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStateReady); }, 20000));
    ASSERT_EQ(heard.failures.size(), 1u);
    EXPECT_EQ(heard.failures[0], L"无法播放此电台（播放列表无效）");
    EXPECT_EQ(heard.states.back(), kPlayStateReady);
    EXPECT_TRUE(log->samples.empty());
}

TEST_F(HlsEndToEnd, LongSegmentsFromASlowServerPlayWithoutADropout) {
    // 10 s segments sent at 1.5 times their bitrate: each takes 6.7 s to fetch, longer than a
    // small queue lasts. The device and the server both run twice as fast to save time.
    Play(Hls("long/index.m3u8?pace=3"), 2.0);
    ASSERT_TRUE(PlayToTheEnd());
    EXPECT_EQ(heard.states, kOnDemand) << "no underrun";
    EXPECT_NEAR(SecondsHeard(), 30.0, 0.5);
    ExpectTheTone(2);
}

}  // namespace
}  // namespace zarvio::stream
