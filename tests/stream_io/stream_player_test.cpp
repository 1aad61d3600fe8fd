// The stream player end to end with its world faked: scripted answers instead of the network, a
// decoder that marks each frame, and a sound device on a fast clock (ten times real time).
#include "player/stream/session/stream_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "player/stream/formats/audio_framer.h"
#include "support/fake_stream_parts.h"
#include "support/message_pump.h"
#include "support/object_counts.h"
#include "support/thread_count.h"

namespace zarvio::stream {
namespace {

using test::FakeAnswer;
using test::Mp3Frames;
using test::PumpUntil;

struct Recorder final : MediaPlayerListener {
    void OnPlayStateChange(int state) override {
        EXPECT_EQ(GetCurrentThreadId(), uiThread) << "notifications belong on the UI thread";
        states.push_back(state);
    }
    void OnStatusChange() override {}
    void OnTitleChange(const std::wstring& title) override {
        titles.push_back(title);
        framesWhenTitled.push_back(log ? log->writtenFrames() : 0);
    }
    void OnPlaybackFailed(const std::wstring& text) override { failures.push_back(text); }
    bool Saw(int state) const { return std::find(states.begin(), states.end(), state) != states.end(); }

    DWORD uiThread = GetCurrentThreadId();
    std::shared_ptr<test::SinkLog> log;
    std::vector<int> states;
    std::vector<std::wstring> titles;
    std::vector<uint64_t> framesWhenTitled;
    std::vector<std::wstring> failures;
};

struct StreamPlayerTest : ::testing::Test {
    std::shared_ptr<test::TransportScript> script = std::make_shared<test::TransportScript>();
    std::shared_ptr<test::SinkLog> log = std::make_shared<test::SinkLog>();
    std::shared_ptr<std::vector<uint32_t>> waits = std::make_shared<std::vector<uint32_t>>();
    std::shared_ptr<std::mutex> waitsMutex = std::make_shared<std::mutex>();
    uint32_t realWaitMs = 1;
    bool strictDecoders = false;    // decoders refuse frames unlike their first, as real ones do
    NoticeBox::Wake wake;
    Recorder rec;
    std::unique_ptr<StreamPlayer> player;

    void SetUp() override { rec.log = log; }
    void TearDown() override {
        player.reset();
        // The workers end by themselves; give a stalled fake read time to return.
        test::PumpFor(50);
    }

    StreamParts Parts() {
        StreamParts p;
        auto s = script;
        auto l = log;
        p.transport = [s] { return std::make_unique<test::ScriptedTransport>(s); };
        p.decoder = [strict = strictDecoders](const AudioFrame&) { return std::make_unique<test::LevelDecoder>(strict); };
        p.wake = wake;
        p.sink = [l] { return std::make_unique<test::ClockedSink>(l, 10.0); };
        auto w = waits;
        auto m = waitsMutex;
        const uint32_t real = realWaitMs;
        p.reconnectWait = [w, m, real](uint32_t ms) {
            std::lock_guard lock(*m);
            w->push_back(ms);
            return real;
        };
        return p;
    }
    void Start(const std::wstring& url = L"http://radio.test/live") {
        player = std::make_unique<StreamPlayer>(url, Parts());
        player->SetListener(&rec);
        ASSERT_TRUE(player->Available());
        ASSERT_EQ(player->Play(), S_OK);
    }
    size_t Waits() {
        std::lock_guard lock(*waitsMutex);
        return waits->size();
    }
};

FakeAnswer LiveAnswer(int frames, FakeAnswer::Then then = FakeAnswer::Then::Stall) {
    FakeAnswer a;
    a.body = Mp3Frames(frames);
    a.then = then;
    a.stallMs = 3000;
    return a;
}

TEST_F(StreamPlayerTest, ConnectsBuffersPlaysAndStopsAtOnce) {
    script->answers = {LiveAnswer(400)};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return rec.Saw(kPlayStatePlaying); }, 20000));
    EXPECT_EQ(rec.states, (std::vector<int>{9, 6, 3}));
    EXPECT_EQ(script->opened.at(0), L"http://radio.test/live");
    {
        std::lock_guard l(log->mutex);
        ASSERT_FALSE(log->samples.empty());
        EXPECT_EQ(log->samples.front(), 5000) << "full volume passes the decoded level unchanged";
        EXPECT_EQ(log->opened.at(0), (PcmFormat{44100, 2}));
    }
    EXPECT_EQ(player->Play(), S_OK) << "Play while playing changes nothing";
    EXPECT_EQ(script->opens(), 1);

    const ULONGLONG stop = GetTickCount64();
    player->Stop();
    ASSERT_TRUE(PumpUntil([&] { return rec.states.back() == kPlayStateStopped; }, 10000));
    ASSERT_TRUE(PumpUntil([&] { std::lock_guard l(log->mutex); return !log->open && log->resets > 0; }, 10000));
    // How fast is the benchmark's to say; here: well before the 3 s a stalled read may take.
    EXPECT_LE(GetTickCount64() - stop, 2500u) << "silent and stopped without waiting for the network";
    test::PumpFor(100);
    EXPECT_EQ(rec.states.back(), kPlayStateStopped) << "nothing of the old playback arrives late";
}

TEST_F(StreamPlayerTest, TheVolumeIsHeardAsASquaredGain) {
    script->answers = {LiveAnswer(400)};
    player = std::make_unique<StreamPlayer>(L"http://radio.test/live", Parts());
    player->SetListener(&rec);
    player->SetVolume(50);
    player->Play();
    ASSERT_TRUE(PumpUntil([&] { return rec.Saw(kPlayStatePlaying); }, 20000));
    std::lock_guard l(log->mutex);
    EXPECT_EQ(log->samples.front(), 1250);
}

// An ICY body: the audio with a metadata block after every interval bytes; titles[k] goes into
// the block at audio position k * interval (others are empty blocks).
std::string IcyBody(const std::string& audio, size_t interval, const std::map<size_t, std::string>& titles) {
    std::string out;
    for (size_t at = 0, k = 0; at < audio.size(); at += interval, ++k) {
        out += audio.substr(at, interval);
        auto t = titles.find(k + 1);
        if (t == titles.end()) {
            out.push_back('\0');
            continue;
        }
        std::string meta = "StreamTitle='" + t->second + "';";
        meta.resize((meta.size() + 15) / 16 * 16, '\0');
        out.push_back(static_cast<char>(meta.size() / 16));
        out += meta;
    }
    return out;
}

TEST_F(StreamPlayerTest, TitlesAreShownWhenTheAudioAfterThemIsHeard) {
    const size_t interval = 417 * 20;  // 20 frames, about 0.52 s
    FakeAnswer a = LiveAnswer(0);
    a.icyMetaInt = interval;
    // A UTF-8 title after the first 20 frames, another after 80 frames (2.1 s).
    a.body = IcyBody(Mp3Frames(400), interval, {{1, "\xE4\xB8\xAD\xE6\x96\x87"}, {4, "Guns N' Roses - Patience"}});
    script->answers = {a};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return rec.titles.size() >= 2; }, 20000));
    EXPECT_EQ(rec.titles[0], L"中文") << "UTF-8 titles are read as UTF-8";
    EXPECT_EQ(rec.titles[1], L"Guns N' Roses - Patience") << "an apostrophe inside the title survives";
    const uint64_t position = 80 * 1152;  // audio frames before the second title
    EXPECT_GE(rec.framesWhenTitled[1], position) << "not shown before its audio reached the device";
}

TEST_F(StreamPlayerTest, RetriedFailuresReconnectWithGrowingWaits) {
    FakeAnswer refused;
    refused.openFailure = Failure{FailureCause::ConnectionRefused, 0};
    script->answers = {refused};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return Waits() >= 7; }, 20000));
    player->Stop();
    std::lock_guard l(*waitsMutex);
    EXPECT_EQ(std::vector<uint32_t>(waits->begin(), waits->begin() + 7),
              (std::vector<uint32_t>{500, 1000, 2000, 4000, 8000, 15000, 15000}));
    EXPECT_TRUE(rec.failures.empty());
}

TEST_F(StreamPlayerTest, AConnectionThatPlayedStartsTheWaitsAfresh) {
    script->answers = {LiveAnswer(60, FakeAnswer::Then::Drop)};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return Waits() >= 3; }, 20000));
    player->Stop();
    std::lock_guard l(*waitsMutex);
    EXPECT_EQ((*waits)[0], 500u);
    EXPECT_EQ((*waits)[1], 500u);
    EXPECT_EQ((*waits)[2], 500u);
}

TEST_F(StreamPlayerTest, FinalFailuresSayWhyAndStopTrying) {
    struct Case { FakeAnswer answer; const wchar_t* text; };
    FakeAnswer notFound; notFound.status = 404;
    FakeAnswer certificate; certificate.openFailure = Failure{FailureCause::Certificate, 0};
    FakeAnswer noise;
    std::mt19937 random(7);
    for (int i = 0; i < 300 * 1024; ++i) noise.body.push_back(static_cast<char>(random()));
    FakeAnswer blocks = LiveAnswer(0);  // ADTS frames of two AAC blocks each
    blocks.body = test::AdtsFrames(40, 10, 2);
    blocks.contentType = L"audio/aac";
    const Case cases[] = {
        {notFound, L"无法播放此电台（HTTP 404）"},
        {certificate, L"无法播放此电台（证书无效）"},
        {noise, L"无法播放此电台（无法识别的音频格式）"},
        {blocks, L"无法播放此电台（不支持的格式）"},
    };
    for (const Case& c : cases) {
        script = std::make_shared<test::TransportScript>();
        script->answers = {c.answer};
        rec.states.clear();
        rec.failures.clear();
        Start();
        ASSERT_TRUE(PumpUntil([&] { return rec.Saw(kPlayStateReady); }, 20000)) << c.text;
        ASSERT_EQ(rec.failures.size(), 1u);
        EXPECT_EQ(rec.failures[0], c.text);
        test::PumpFor(100);
        EXPECT_EQ(script->opens(), 1) << "no reconnect after " << c.text;
        EXPECT_EQ(Waits(), 0u);
        EXPECT_FALSE(player->Active()) << "the next Play starts anew";
    }
}

TEST_F(StreamPlayerTest, BusyServersAreRetried) {
    for (int status : {408, 429, 502, 503, 504}) {
        script = std::make_shared<test::TransportScript>();
        FakeAnswer busy; busy.status = status;
        script->answers = {busy, LiveAnswer(400)};
        rec.states.clear();
        Start();
        ASSERT_TRUE(PumpUntil([&] { return rec.Saw(kPlayStatePlaying); }, 20000)) << status;
        EXPECT_EQ(script->opens(), 2);
        player->Stop();
    }
}

TEST_F(StreamPlayerTest, AFileEndsWithMediaEndedThenStopped) {
    FakeAnswer file = LiveAnswer(100, FakeAnswer::Then::End);
    file.contentLength = file.body.size();
    script->answers = {file};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return rec.Saw(kPlayStateStopped); }, 20000));
    EXPECT_EQ(rec.states, (std::vector<int>{9, 6, 3, 8, 1}));
    EXPECT_EQ(log->writtenFrames(), 100u * 1152u) << "every frame of the file was heard";
    player->Play();
    ASSERT_TRUE(PumpUntil([&] { return script->opens() == 2; }, 10000)) << "Play after the end starts again";
}

TEST_F(StreamPlayerTest, ABodyCutShortOfItsLengthIsADrop) {
    FakeAnswer cut = LiveAnswer(100, FakeAnswer::Then::End);
    cut.contentLength = cut.body.size() + 1000;
    script->answers = {cut};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return Waits() >= 1; }, 20000));
    EXPECT_FALSE(rec.Saw(kPlayStateMediaEnded));
}

TEST_F(StreamPlayerTest, WakingFromSleepCutsAReconnectWaitShort) {
    realWaitMs = 30000;  // the wait really lasts: only the wake-up can end it in time
    script->answers = {LiveAnswer(40, FakeAnswer::Then::Drop), LiveAnswer(400)};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return Waits() >= 1 && rec.states.size() >= 4; }, 20000));
    EXPECT_EQ(rec.states, (std::vector<int>{9, 6, 3, 6}));
    const ULONGLONG woke = GetTickCount64();
    player->SystemResumed();
    ASSERT_TRUE(PumpUntil([&] { return rec.states.size() > 4; }, 20000));
    EXPECT_EQ(rec.states[4], kPlayStateTransitioning);
    EXPECT_LE(GetTickCount64() - woke, 20000u) << "long before the 30 s wait would have ended";
    EXPECT_TRUE(PumpUntil([&] { return rec.states.back() == kPlayStatePlaying; }, 20000));
}

TEST_F(StreamPlayerTest, WindowsMediaContentIsHandedOver) {
    FakeAnswer wma = LiveAnswer(10);
    wma.contentType = L"audio/mpeg";  // mislabelled: the ASF header decides
    wma.body.insert(0, std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16));
    script->answers = {wma};
    std::wstring handedOver;
    player = std::make_unique<StreamPlayer>(L"http://radio.test/wma", Parts());
    player->SetListener(&rec);
    player->SetHandOver([&](const std::wstring& url) { handedOver = url; });
    player->Play();
    ASSERT_TRUE(PumpUntil([&] { return !handedOver.empty(); }, 20000));
    EXPECT_EQ(handedOver, L"http://radio.test/wma");
    EXPECT_FALSE(player->Active());
    EXPECT_FALSE(rec.Saw(kPlayStateReady));
}

TEST_F(StreamPlayerTest, TheEmptyAddressStopsAndPlaysNothing) {
    script->answers = {LiveAnswer(400)};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return rec.Saw(kPlayStatePlaying); }, 20000));
    EXPECT_EQ(player->SetUrl(L""), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return rec.states.back() == kPlayStateStopped; }, 10000));
    EXPECT_EQ(player->Play(), S_OK);
    test::PumpFor(100);
    EXPECT_EQ(script->opens(), 1);
}

TEST_F(StreamPlayerTest, ManyPlaysAndStopsLeaveNoThreadOrHandleBehind) {
    FakeAnswer quick = LiveAnswer(30);
    quick.stallMs = 20;
    script->answers = {quick};
    player = std::make_unique<StreamPlayer>(L"http://radio.test/live", Parts());
    player->SetListener(&rec);
    test::PumpFor(50);
    const int threads = test::CountProcessThreads();
    const int handles = test::CountProcessHandles();
    const int gdi = test::CountGdiObjects();
    for (int i = 0; i < 200; ++i) {
        player->Play();
        test::PumpFor(i % 10 == 0 ? 30 : 1);
        player->Stop();
    }
    EXPECT_TRUE(PumpUntil([&] { return test::CountProcessThreads() <= threads; }, 20000))
        << test::CountProcessThreads() << " threads, " << threads << " before";
    EXPECT_LE(test::CountProcessHandles(), handles + 2);
    EXPECT_EQ(test::CountGdiObjects(), gdi);
    EXPECT_GE(script->opens(), 100);
}

// The levels heard in order, each run of one level once: what a listener would tell apart.
std::vector<int16_t> LevelsHeard(test::SinkLog& log) {
    std::lock_guard l(log.mutex);
    std::vector<int16_t> runs;
    for (int16_t s : log.samples)
        if (runs.empty() || runs.back() != s) runs.push_back(s);
    return runs;
}

TEST_F(StreamPlayerTest, AStationThatChangesItsRateMidStreamIsHeardAtTheNewRate) {
    strictDecoders = true;
    FakeAnswer file = LiveAnswer(0, FakeAnswer::Then::End);
    file.body = Mp3Frames(100, 20) + test::Mp3Frames48k(200, 30);
    file.contentLength = file.body.size();
    script->answers = {file};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return rec.Saw(kPlayStateStopped); }, 20000));
    EXPECT_EQ(LevelsHeard(*log), (std::vector<int16_t>{2000, 3000}));
    std::lock_guard l(log->mutex);
    ASSERT_EQ(log->opened.size(), 2u);
    EXPECT_EQ(log->opened[1], (PcmFormat{48000, 2})) << "the device is opened again at the new rate";
    // Everything of the new format but what it takes to prove it: well under a second.
    const size_t heard48k = std::count(log->samples.begin(), log->samples.end(), int16_t{3000}) / 2;
    EXPECT_GE(heard48k, 200u * 1152 - 48000 / 4);
    EXPECT_EQ(rec.states, (std::vector<int>{9, 6, 3, 8, 1}));
}

TEST_F(StreamPlayerTest, AReconnectToAnotherCodecGetsADecoderForIt) {
    strictDecoders = true;
    FakeAnswer mp3 = LiveAnswer(0, FakeAnswer::Then::Drop);
    mp3.body = Mp3Frames(60, 20);
    FakeAnswer aac = LiveAnswer(0);
    aac.body = test::AdtsFrames(400, 40);
    aac.contentType = L"audio/aac";
    script->answers = {mp3, aac};
    Start();
    ASSERT_TRUE(PumpUntil([&] {
        const auto levels = LevelsHeard(*log);
        return std::find(levels.begin(), levels.end(), int16_t{4000}) != levels.end();
    }, 20000)) << "the AAC of the second connection is heard";
    const auto levels = LevelsHeard(*log);
    EXPECT_EQ(levels.front(), 2000);
    EXPECT_EQ(script->opens(), 2);
}

TEST_F(StreamPlayerTest, WithoutASoundDeviceItSaysSoAndPlaysWhenOneAppears) {
    {
        std::lock_guard l(log->mutex);
        log->refuseOpen = true;
    }
    script->answers = {LiveAnswer(2000)};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return !rec.failures.empty(); }, 20000));
    EXPECT_EQ(rec.failures[0], L"没有可用的声音设备");
    EXPECT_EQ(rec.states, (std::vector<int>{9, 6})) << "not Playing while nothing is heard";
    {
        std::lock_guard l(log->mutex);
        log->refuseOpen = false;
    }
    ASSERT_TRUE(PumpUntil([&] { return rec.Saw(kPlayStatePlaying); }, 20000)) << "looked for again";
    std::lock_guard l(log->mutex);
    EXPECT_FALSE(log->samples.empty());
}

TEST_F(StreamPlayerTest, NoticesWhoseWakeUpCouldNotBePostedStillArrive) {
    wake = [](HWND, UINT) { return false; };  // as with a full message queue
    script->answers = {LiveAnswer(400)};
    Start();
    ASSERT_TRUE(PumpUntil([&] { return rec.Saw(kPlayStatePlaying); }, 20000));
    player->Stop();
    ASSERT_TRUE(PumpUntil([&] { return rec.states.back() == kPlayStateStopped; }, 20000));
    EXPECT_EQ(player->Play(), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return script->opens() == 2; }, 20000)) << "Play is not ignored";
}

}  // namespace
}  // namespace zarvio::stream
