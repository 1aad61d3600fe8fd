#include "player/stream/output/output_pump.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "support/fake_stream_parts.h"

namespace zarvio::stream {
namespace {

using test::ClockedSink;
using test::SinkLog;

const PcmFormat kFormat{44100, 2};

struct Events final : OutputEvents {
    std::vector<std::string> seen;
    void OnSoundStarted() override { seen.push_back("start"); }
    void OnUnderrun() override { seen.push_back("underrun"); }
    void OnTitleHeard(const std::wstring& t) override { seen.push_back("title " + std::string(t.begin(), t.end())); }
    void OnEndHeard() override { seen.push_back("end"); }
    void OnDeviceMissing() override { seen.push_back("missing"); }
};

struct PumpTest : ::testing::Test {
    std::shared_ptr<SinkLog> log = std::make_shared<SinkLog>();
    ClockedSink sink{log, 0};
    PcmQueue queue;
    Events events;
    std::atomic<int> volume{100};
    uint64_t nowMs = 0;  // the pump's clock, run with the device's
    OutputPump pump{queue, sink, events, volume, [this] { return nowMs; }};

    void PushMs(int ms, int16_t value = 1000) {
        queue.Push(kFormat, std::vector<int16_t>(static_cast<size_t>(44100 * ms / 1000) * 2, value));
    }
    // Runs the device clock forward in small steps, stepping the pump as the output thread would.
    void Run(int ms) {
        for (int t = 0; t < ms; t += 5) {
            sink.Advance(5);
            nowMs += 5;
            pump.Step();
        }
    }
};

TEST_F(PumpTest, SoundStartsOnlyWithHalfASecondQueued) {
    PushMs(400);
    pump.Step();
    EXPECT_TRUE(events.seen.empty());
    EXPECT_TRUE(log->opened.empty()) << "the device stays closed while the queue fills";
    PushMs(100);
    pump.Step();
    ASSERT_EQ(events.seen, (std::vector<std::string>{"start"}));
    ASSERT_EQ(log->opened.size(), 1u);
    EXPECT_EQ(log->opened[0], kFormat);
    EXPECT_EQ(sink.PendingBlocks(), static_cast<size_t>(kSinkBlocks)) << "every block filled at once";
    EXPECT_EQ(log->writtenFrames(), static_cast<uint64_t>(kSinkBlocks) * 2205u);
}

TEST_F(PumpTest, RunningDryIsAnUnderrunAndSoundComesBackWithHalfASecondAgain) {
    PushMs(600);
    pump.Step();
    Run(700);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"start", "underrun"}));
    EXPECT_FALSE(pump.Playing());
    PushMs(300);
    Run(50);
    EXPECT_EQ(events.seen.size(), 2u) << "0.3 s is not enough to start again";
    PushMs(250);
    Run(10);
    EXPECT_EQ(events.seen.back(), "start");
}

TEST_F(PumpTest, TheVolumeIsASquaredGainAppliedAsBlocksGoOut) {
    EXPECT_DOUBLE_EQ(GainOfVolume(50), 0.25);
    EXPECT_DOUBLE_EQ(GainOfVolume(0), 0.0);
    EXPECT_DOUBLE_EQ(GainOfVolume(150), 1.0);
    volume = 50;
    PushMs(1000, 1000);
    pump.Step();
    const size_t before = log->samples.size();
    EXPECT_EQ(log->samples.front(), 250);
    volume = 10;
    Run(400);
    // Once the blocks queued at the device before the change have played (at most
    // kSinkBlocks * kSinkBlockMs), everything heard has the new gain.
    ASSERT_GT(log->samples.size(), before);
    EXPECT_EQ(log->samples.back(), 10);
    EXPECT_LE(kSinkBlocks * kSinkBlockMs, 400);
}

TEST_F(PumpTest, ATitleIsHeardWhenTheDevicePlaysItsPlaceNotWhenQueued) {
    PushMs(600);
    queue.PushTitle(L"Next");
    PushMs(600);
    pump.Step();
    Run(500);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"start"})) << "0.6 s of audio lie before the title";
    Run(150);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"start", "title Next"}));
}

TEST_F(PumpTest, AFiniteStreamEndsOnceEverythingWasPlayed) {
    PushMs(200);
    queue.PushEnd();
    EXPECT_TRUE(pump.Step()) << "a short file starts without waiting for half a second";
    EXPECT_EQ(events.seen, (std::vector<std::string>{"start"}));
    for (int i = 0; i < 100 && events.seen.back() != "end"; ++i) {
        sink.Advance(5);
        if (!pump.Step()) break;
    }
    EXPECT_EQ(events.seen, (std::vector<std::string>{"start", "end"}));
    EXPECT_FALSE(pump.Step());
    EXPECT_EQ(log->writtenFrames(), 8820u);
}

TEST_F(PumpTest, AFailingDeviceIsOpenedAgainAndNothingIsLost) {
    PushMs(600);
    log->failWrites = 1;
    pump.Step();
    EXPECT_EQ(log->opened.size(), 2u) << "the default device is opened again after a failed write";
    EXPECT_EQ(log->writtenFrames(), static_cast<uint64_t>(kSinkBlocks) * 2205u);
    log->refuseOpen = true;
    log->failWrites = 1;
    Run(60);
    EXPECT_EQ(events.seen.back(), "missing");
}

TEST_F(PumpTest, WithoutADeviceTheAudioWaitsAndPlaysWhenOneComesBack) {
    log->refuseOpen = true;
    PushMs(600, 700);
    Run(3000);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"missing"})) << "not playing, and said once";
    EXPECT_EQ(queue.QueuedMs(), 600u) << "the queue is not drained into a device that is not there";
    {
        std::lock_guard l(log->mutex);
        log->refuseOpen = false;
    }
    Run(400);  // looked for again about once a second; 0.6 s then plays
    EXPECT_EQ(events.seen, (std::vector<std::string>{"missing", "start"}));
    ASSERT_FALSE(log->samples.empty());
    EXPECT_EQ(log->samples.front(), 700) << "the first audio queued is the first heard";
}

TEST_F(PumpTest, ADeviceThatStopsReturningBlocksIsOpenedAgain) {
    PushMs(2000, 900);
    pump.Step();
    Run(200);
    {
        std::lock_guard l(log->mutex);
        log->hung = true;  // blocks stop coming back
    }
    for (int t = 0; t < 3000 && events.seen.size() < 2; t += 5) {
        sink.Advance(5);
        nowMs += 5;
        pump.Step();
    }
    EXPECT_GE(nowMs, 200u + kDeviceHungMs);
    {
        std::lock_guard l(log->mutex);
        log->hung = false;
    }
    Run(100);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"start", "underrun", "start"}));
    EXPECT_EQ(log->opened.size(), 2u);
    EXPECT_GE(log->resets, 1);
}

TEST_F(PumpTest, WaitingToStartSleepsInsteadOfSpinning) {
    PushMs(100);  // a short burst, then the station is down
    const auto start = std::chrono::steady_clock::now();
    int rounds = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300)) {
        pump.Step();
        pump.Wait();
        ++rounds;
    }
    EXPECT_LE(rounds, 20) << "the output thread waits for enough audio to start, not for any";
    EXPECT_TRUE(events.seen.empty());
}

TEST_F(PumpTest, ANewFormatReopensTheDevice) {
    PushMs(500);
    queue.Push({22050, 1}, std::vector<int16_t>(22050, 5));
    pump.Step();
    Run(600);
    ASSERT_EQ(log->opened.size(), 2u);
    EXPECT_EQ(log->opened[1], (PcmFormat{22050, 1}));
}

TEST_F(PumpTest, SilenceDropsWhatTheDeviceHoldsAndClosesIt) {
    PushMs(1000);
    pump.Step();
    pump.Silence();
    EXPECT_EQ(log->resets, 1);
    EXPECT_FALSE(log->open);
}

}  // namespace
}  // namespace zarvio::stream
