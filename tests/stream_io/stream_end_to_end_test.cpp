// The stream player with its real transport and the system's decoders against the tests' local
// server; only the sound device is a fake (on a clock at real time, or faster for whole files),
// so what the player would have played can be measured sample by sample.
#include "player/stream/session/stream_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "support/audio_analysis.h"
#include "support/fake_stream_parts.h"
#include "support/message_pump.h"
#include "support/tone_checks.h"
#include "support/player_events.h"
#include "support/stream_world.h"
#include "support/thread_count.h"

namespace zarvio::stream {
namespace {

using test::PumpUntil;

using Listener = test::PlayerEvents;

struct EndToEnd : ::testing::Test {
    std::shared_ptr<test::SinkLog> log = std::make_shared<test::SinkLog>();
    std::shared_ptr<std::vector<uint32_t>> waits = std::make_shared<std::vector<uint32_t>>();
    std::shared_ptr<std::mutex> waitsMutex = std::make_shared<std::mutex>();
    Listener heard;
    std::unique_ptr<StreamPlayer> player;

    void SetUp() override {
        if (test::ServerUrl(L"/").empty()) GTEST_FAIL() << "the tests' server is not running";
    }
    void TearDown() override {
        player.reset();
        test::PumpFor(50);
    }
    void Play(const std::wstring& path, double deviceSpeed = 1.0) {
        StreamParts parts;
        auto l = log;
        parts.sink = [l, deviceSpeed] { return std::make_unique<test::ClockedSink>(l, deviceSpeed); };
        auto w = waits;
        auto m = waitsMutex;
        parts.reconnectWait = [w, m](uint32_t ms) {
            std::lock_guard lock(*m);
            w->push_back(ms);
            return 50u;
        };
        player = std::make_unique<StreamPlayer>(test::ServerUrl(path), parts);
        player->SetListener(&heard);
        player->Play();
    }
    // Pumps messages until the device was given `seconds` more audio than now: a wait for what
    // the test then looks at, however slowly a loaded machine gets there.
    void HearMore(double seconds) {
        const double from = HeardSeconds();
        EXPECT_TRUE(PumpUntil([&] { return HeardSeconds() >= from + seconds; }, static_cast<DWORD>(seconds * 1000) + 30000))
            << "the device was not given " << seconds << " s more";
    }
    double HeardSeconds() {
        std::lock_guard l(log->mutex);
        if (log->opened.empty()) return 0;
        return static_cast<double>(log->samples.size()) / log->opened.back().channels / log->opened.back().sampleRate;
    }
    size_t Waits() {
        std::lock_guard lock(*waitsMutex);
        return waits->size();
    }
    // What the device was given, from frame `skip` on (the decoders' first frames ramp in).
    std::vector<int16_t> Received(size_t skipFrames = 4096) {
        std::lock_guard l(log->mutex);
        const size_t channels = log->opened.empty() ? 1 : static_cast<size_t>(log->opened.back().channels);
        const size_t skip = std::min(log->samples.size(), skipFrames * channels);
        return std::vector<int16_t>(log->samples.begin() + static_cast<ptrdiff_t>(skip), log->samples.end());
    }
    PcmFormat Format() {
        std::lock_guard l(log->mutex);
        return log->opened.empty() ? PcmFormat{} : log->opened.back();
    }
    // The left channel carries 440 Hz and the right 660 Hz.
    void ExpectTheTone(int channels) {
        const std::vector<int16_t> pcm = Received();
        const PcmFormat f = Format();
        test::ExpectTheTestTone(test::PcmView{pcm, f.channels, f.sampleRate}, channels);
    }
};

TEST_F(EndToEnd, AnIcyMp3StreamPlaysWithItsTitlesInStep) {
    Play(L"/stream?file=tone_44100_stereo.mp3&metaint=2048&titles=First%20Title|Guns%20N'%20Roses&title_every=2");
    ASSERT_TRUE(PumpUntil([&] { return heard.titles.size() >= 2; }, 10000));
    EXPECT_EQ(heard.states, (std::vector<int>{9, 6, 3}));
    EXPECT_EQ(heard.titles[0], L"First Title");
    EXPECT_EQ(heard.titles[1], L"Guns N' Roses");
    // The server sends 2 s at once; a title shown on arrival would come early. Heard in step,
    // the change follows the audio: 2 s apart, less the first block's 2048 bytes (0.13 s).
    EXPECT_GE(heard.titleTimes[1] - heard.titleTimes[0], 1700u);
    EXPECT_LE(heard.titleTimes[1] - heard.titleTimes[0], 2400u);
    ExpectTheTone(2);
    EXPECT_EQ(Format().sampleRate, 44100);
}

TEST_F(EndToEnd, TitlesInTheAnsiCodePageAreReadToo) {
    Play(L"/stream?file=tone_22050_mono.mp3&metaint=4000&titles=%E4%B8%AD%E6%96%87%E5%8F%B0&charset=gbk&title_every=60");
    ASSERT_TRUE(PumpUntil([&] { return !heard.titles.empty(); }, 20000));
    EXPECT_EQ(heard.titles[0], L"中文台");
    ExpectTheTone(1);
    EXPECT_EQ(Format().sampleRate, 22050);
}

TEST_F(EndToEnd, OldServersAnsweringIcy200PlayToo) {
    Play(L"/stream?file=tone_48000_stereo.mp3&status=icy&metaint=0");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(1);
    ExpectTheTone(2);
}

TEST_F(EndToEnd, AacAndLayerTwoStreamsPlay) {
    Play(L"/stream?file=tone_44100_stereo.aac&metaint=8192&type=audio/aacp");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(1);
    ExpectTheTone(2);
    player.reset();
    log = std::make_shared<test::SinkLog>();
    heard = {};
    Play(L"/stream?file=tone_44100_stereo.mp2&metaint=0");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying) || heard.Saw(kPlayStateReady); }, 20000));
    if (heard.Saw(kPlayStateReady)) {
        // No decoder of this system takes Layer II: then it must say so, not stay silent.
        EXPECT_EQ(heard.failures.at(0), L"无法播放此电台（系统缺少此格式的解码器）");
        return;
    }
    HearMore(1);
    ExpectTheTone(2);
}

TEST_F(EndToEnd, NoiseIsRefusedAndNoiseBeforeAudioIsSkipped) {
    Play(L"/stream?noise=all&rate=400000&metaint=0");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStateReady); }, 10000));
    EXPECT_EQ(heard.failures.at(0), L"无法播放此电台（无法识别的音频格式）");
    EXPECT_TRUE(log->samples.empty()) << "noise gives no sound";

    player.reset();
    heard = {};
    Play(L"/stream?file=tone_44100_stereo.mp3&noise=20000&metaint=0");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    HearMore(0.8);
    ExpectTheTone(2);
}

TEST_F(EndToEnd, RedirectsAreFollowedAndStatusesDecideBetweenRetryAndGivingUp) {
    Play(L"/redirect?n=3&to=/stream%3Ffile%3Dtone_44100_stereo.mp3");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    player.reset();

    heard = {};
    Play(L"/status?code=404");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStateReady); }, 20000));
    EXPECT_EQ(heard.failures.at(0), L"无法播放此电台（HTTP 404）");
    EXPECT_EQ(Waits(), 0u);
    player.reset();

    heard = {};
    Play(L"/status?code=503");
    ASSERT_TRUE(PumpUntil([&] { return Waits() >= 2; }, 20000)) << "503 is retried";
    EXPECT_TRUE(heard.failures.empty());
}

TEST_F(EndToEnd, DropsAndStallsReconnectByThemselves) {
    Play(L"/stream?file=tone_44100_stereo.mp3&drop=60000");
    ASSERT_TRUE(PumpUntil([&] { return Waits() >= 1 && std::count(heard.states.begin(), heard.states.end(), 9) >= 2; }, 10000));
    player.reset();

    heard = {};
    {
        std::lock_guard lock(*waitsMutex);
        waits->clear();
    }
    const ULONGLONG start = GetTickCount64();
    Play(L"/stream?file=tone_44100_stereo.mp3&stall=40000&stall_for=20");
    ASSERT_TRUE(PumpUntil([&] { return Waits() >= 1; }, 10000)) << "a stall is noticed";
    const ULONGLONG noticed = GetTickCount64() - start;
    EXPECT_GE(noticed, 3000u) << "only after the receive timeout";
    EXPECT_LE(noticed, 8000u);
}

TEST_F(EndToEnd, ATrickleBuffersThenPlaysWithoutFault) {
    Play(L"/stream?file=tone_44100_stereo.mp3&speed=0.6&burst=0");
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStatePlaying); }, 20000));
    EXPECT_EQ(heard.states[1], kPlayStateBuffering);
    // Slower than real time: the device runs dry and waits for half a second again.
    EXPECT_TRUE(PumpUntil([&] { return heard.states.back() == kPlayStateBuffering; }, 20000));
    EXPECT_TRUE(heard.failures.empty());
}

TEST_F(EndToEnd, AFileEndsAfterItsLastSampleWasHeard) {
    Play(L"/media/tone_22050_mono.mp3", 10.0);
    ASSERT_TRUE(PumpUntil([&] { return heard.Saw(kPlayStateStopped); }, 15000));
    EXPECT_EQ(heard.states, (std::vector<int>{9, 6, 3, 8, 1}));
    const size_t frames = log->writtenFrames();
    EXPECT_NEAR(static_cast<double>(frames) / 22050.0, 30.0, 0.2) << "the whole file was heard";
}

TEST_F(EndToEnd, StationChangesOnAServerThatNeverAnswersLeaveNoWorkersBehindForLong) {
    // A server that takes the connection and never answers: each playback's worker waits in
    // the request until Stop closes it under it (or the 10 s answer timeout ends it).
    const int before = test::CountProcessThreads();
    StreamParts parts;
    auto l = log;
    parts.sink = [l] { return std::make_unique<test::ClockedSink>(l, 1.0); };
    player = std::make_unique<StreamPlayer>(test::ServerUrl(L"/stream?delay=60"), parts);
    player->SetListener(&heard);
    for (int i = 0; i < 20; ++i) {  // twenty station changes in five seconds
        player->SetUrl(test::ServerUrl(L"/stream?delay=60&n=" + std::to_wstring(i)));
        player->Play();
        test::PumpFor(250);
    }
    player->Stop();
    const ULONGLONG stopped = GetTickCount64();
    const int live = test::CountProcessThreads() - before;
    ASSERT_TRUE(PumpUntil([&] { return test::CountProcessThreads() <= before; }, 30000))
        << test::CountProcessThreads() - before << " threads left";
    std::printf("twenty station changes on a silent server: %d threads more just after Stop, none %llu ms later\n",
                live, GetTickCount64() - stopped);
    EXPECT_FALSE(heard.Saw(kPlayStateReady));
}

}  // namespace
}  // namespace zarvio::stream
