#include "player/stream/output/pcm_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zarvio::stream {
namespace {

const PcmFormat kStereo{44100, 2};
const PcmFormat kMono{22050, 1};

std::vector<int16_t> Samples(size_t frames, int channels, int16_t value) {
    return std::vector<int16_t>(frames * static_cast<size_t>(channels), value);
}

// Waits for what another thread does, as long as a loaded machine may take.
template <class Done>
void WaitFor(Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

TEST(PcmQueue, MarksTravelWithTheAudioThatFollowsThem) {
    PcmQueue q;
    q.Push(kStereo, Samples(100, 2, 1));
    q.PushTitle(L"Second");
    q.Push(kStereo, Samples(100, 2, 2));
    q.PushEnd();

    auto first = q.Pop(1000);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->titles.empty());
    EXPECT_EQ(first->samples.size(), 200u) << "a title between two pushes cuts the piece there";
    auto second = q.Pop(1000);
    ASSERT_TRUE(second);
    ASSERT_EQ(second->titles.size(), 1u);
    EXPECT_EQ(second->titles[0], L"Second");
    EXPECT_EQ(second->samples.front(), 2);
    EXPECT_FALSE(second->end);
    auto last = q.Pop(1000);
    ASSERT_TRUE(last);
    EXPECT_TRUE(last->end);
    EXPECT_TRUE(last->samples.empty());
    EXPECT_FALSE(q.Pop(1000));
}

TEST(PcmQueue, PiecesNeverMixFormatsAndSpanPushesOfOneFormat) {
    PcmQueue q;
    q.Push(kStereo, Samples(300, 2, 1));
    q.Push(kStereo, Samples(300, 2, 2));
    q.Push(kMono, Samples(500, 1, 3));
    auto a = q.Pop(10);  // 441 stereo frames
    ASSERT_TRUE(a);
    EXPECT_EQ(a->format, kStereo);
    EXPECT_EQ(a->samples.size(), 882u);
    EXPECT_EQ(a->samples[599], 1);
    EXPECT_EQ(a->samples[600], 2);
    auto b = q.Pop(10);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->samples.size(), 318u) << "the rest of the stereo audio, not the mono after it";
    auto c = q.Pop(10);  // 220 mono frames
    ASSERT_TRUE(c);
    EXPECT_EQ(c->format, kMono);
    EXPECT_EQ(c->samples.size(), 220u);
}

TEST(PcmQueue, CountsQueuedTimeAndPartialFramesAreCut) {
    PcmQueue q;
    EXPECT_EQ(q.QueuedMs(), 0u);
    q.Push(kStereo, Samples(44100, 2, 0));      // 1 s
    q.Push(kMono, Samples(11025, 1, 0));        // 0.5 s
    EXPECT_EQ(q.QueuedMs(), 1500u);
    q.Pop(500);
    EXPECT_EQ(q.QueuedMs(), 1000u);
    std::vector<int16_t> odd(5, 7);             // two and a half stereo frames
    q.Push(kStereo, odd);
    EXPECT_EQ(q.Pop(100000)->format, kStereo);
    EXPECT_EQ(q.Pop(100000)->format, kMono);
    auto rest = q.Pop(100000);
    ASSERT_TRUE(rest);
    EXPECT_EQ(rest->samples.size(), 4u);
    EXPECT_EQ(q.QueuedMs(), 0u);
}

TEST(PcmQueue, AFullQueueHoldsTheProducerUntilRoomOrClose) {
    PcmQueue q(1000);
    ASSERT_TRUE(q.Push(kStereo, Samples(44100, 2, 0)));  // full
    std::atomic<int> pushed{0};
    std::thread producer([&] {
        if (q.Push(kStereo, Samples(4410, 2, 0))) ++pushed;
        if (q.Push(kStereo, Samples(88200, 2, 0))) ++pushed;   // over capacity again
        if (!q.Push(kStereo, Samples(10, 2, 0))) pushed += 100;  // refused after Close
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(pushed.load(), 0) << "the producer waits while the queue is full";
    q.Pop(100);
    WaitFor([&] { return pushed.load() >= 1; });
    EXPECT_EQ(pushed.load(), 1) << "0.1 s of room took the 0.1 s push and the queue is full again";
    q.Pop(1);
    WaitFor([&] { return pushed.load() >= 2; });
    EXPECT_EQ(pushed.load(), 2) << "any room lets a push in, even one longer than the room";
    q.Close();
    producer.join();
    EXPECT_EQ(pushed.load(), 102);
    EXPECT_TRUE(q.Closed());
}

TEST(PcmQueue, TheOutputSleepsUntilEnoughToStartIsQueuedOrTheEndOrClose) {
    PcmQueue q;
    std::atomic<int> stage{0};
    std::thread pusher([&] {
        q.Push(kStereo, Samples(4410, 2, 0));  // 0.1 s: not enough to wake a wait for 0.5 s
        stage = 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stage = 2;
        q.Push(kStereo, Samples(22050, 2, 0));
    });
    q.WaitForQueued(500, 20000);
    EXPECT_EQ(stage.load(), 2) << "woken by the push that made 0.5 s, not by the short one";
    EXPECT_GE(q.QueuedMs(), 500u);
    pusher.join();
    while (q.Pop(1000)) {}
    q.PushEnd();
    const auto start = std::chrono::steady_clock::now();
    q.WaitForQueued(500, 20000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "the end wakes it";
    PcmQueue closing;
    std::thread closer([&] { closing.Close(); });
    closing.WaitForQueued(500, 20000);
    closing.WaitForClose(20000);
    EXPECT_TRUE(closing.Closed());
    closer.join();
}

TEST(PcmQueue, ADayOfAudioLeavesTheTotalExact) {
    // A station that plays all day: 44.1 kHz frames of 1152 in, 50 ms pieces out, the queue
    // never empty. Rounding each entry's length would drift by more than a second.
    PcmQueue q;
    const std::vector<int16_t> frame(1152, 1);  // mono
    const PcmFormat mono{44100, 1};
    uint64_t in = 0, out = 0;
    const uint64_t day = 24ull * 3600 * 44100;
    q.Push(mono, Samples(44100, 1, 0));  // a second ahead, all day long
    in += 44100;
    while (in < day) {
        q.Push(mono, frame);
        in += 1152;
        while (in - out > 44100 + 2205) out += q.Pop(50)->samples.size();
    }
    EXPECT_EQ(q.QueuedMs(), (in - out) * 1000 / 44100);
}

TEST(PcmQueue, AWaitReturnsOnPushAndOnClose) {
    PcmQueue q;
    std::thread pusher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        q.Push(kStereo, Samples(4410, 2, 0));
    });
    const auto start = std::chrono::steady_clock::now();
    q.WaitForQueued(100, 5000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    pusher.join();
    q.Pop(100);
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        q.Close();
    });
    const auto again = std::chrono::steady_clock::now();
    q.WaitForQueued(100, 5000);
    EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::seconds(2));
    closer.join();
}

}  // namespace
}  // namespace zarvio::stream
