// The waveOut sink over a scripted device: blocks finish when the test says, writes fail on
// demand. The system's device is measured by test_stream_device.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "player/stream/output/waveout_sink.h"

namespace zarvio::stream {
namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// A device that behaves as waveOut documents: headers must be prepared to be written, cannot
// be unprepared or the device closed while queued, and come back marked done with the event set.
class ScriptedWaveOut final : public WaveOutApi {
public:
    MMRESULT Open(HWAVEOUT* out, const WAVEFORMATEX& format, HANDLE doneEvent) override {
        std::lock_guard lock(m_);
        ++opens;
        if (failOpen) return MMSYSERR_BADDEVICEID;
        format_ = format;
        event_ = doneEvent;
        open_ = true;
        *out = kHandle;
        return MMSYSERR_NOERROR;
    }
    MMRESULT Prepare(HWAVEOUT h, WAVEHDR* header) override {
        std::lock_guard lock(m_);
        if (!Valid(h) || prepared.count(header)) return MMSYSERR_INVALPARAM;
        header->dwFlags |= WHDR_PREPARED;
        prepared.insert(header);
        return MMSYSERR_NOERROR;
    }
    MMRESULT Unprepare(HWAVEOUT h, WAVEHDR* header) override {
        std::lock_guard lock(m_);
        if (!Valid(h)) return MMSYSERR_INVALHANDLE;
        if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
        header->dwFlags &= ~WHDR_PREPARED;
        prepared.erase(header);
        return MMSYSERR_NOERROR;
    }
    MMRESULT Write(HWAVEOUT h, WAVEHDR* header) override {
        std::lock_guard lock(m_);
        if (!Valid(h)) return MMSYSERR_INVALHANDLE;
        if (!prepared.count(header)) return WAVERR_UNPREPARED;
        if (failWrites) return MMSYSERR_NODRIVER;  // the device went away
        header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        queue_.push_back(header);
        return MMSYSERR_NOERROR;
    }
    MMRESULT Reset(HWAVEOUT h) override {
        std::lock_guard lock(m_);
        if (!Valid(h)) return MMSYSERR_INVALHANDLE;
        ++resets;
        while (!queue_.empty()) Return(false);
        return MMSYSERR_NOERROR;
    }
    MMRESULT Close(HWAVEOUT h) override {
        std::lock_guard lock(m_);
        if (!Valid(h)) return MMSYSERR_INVALHANDLE;
        if (!queue_.empty()) return WAVERR_STILLPLAYING;
        ++closes;
        open_ = false;
        return MMSYSERR_NOERROR;
    }

    // The device plays its n oldest blocks (from any thread).
    void Finish(int n) {
        std::lock_guard lock(m_);
        for (; n > 0 && !queue_.empty(); --n) Return(true);
    }
    bool IsOpen() {
        std::lock_guard lock(m_);
        return open_;
    }
    size_t Queued() {
        std::lock_guard lock(m_);
        return queue_.size();
    }

    bool failOpen = false;
    bool failWrites = false;
    int opens = 0, closes = 0, resets = 0;
    std::set<WAVEHDR*> prepared;
    std::vector<int16_t> played;  // the samples of every block played, in order
    WAVEFORMATEX format_{};

private:
    static inline const HWAVEOUT kHandle = reinterpret_cast<HWAVEOUT>(0x5a5a);
    bool Valid(HWAVEOUT h) const { return open_ && h == kHandle; }
    void Return(bool play) {
        WAVEHDR* h = queue_.front();
        queue_.pop_front();
        if (play) {
            const auto* s = reinterpret_cast<const int16_t*>(h->lpData);
            played.insert(played.end(), s, s + h->dwBufferLength / 2);
        }
        h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        SetEvent(event_);
    }
    std::mutex m_;
    HANDLE event_ = nullptr;
    bool open_ = false;
    std::deque<WAVEHDR*> queue_;
};

constexpr PcmFormat kStereo{44100, 2};
constexpr size_t kBlockFrames = 44100 * kSinkBlockMs / 1000;

// Samples that say where they are, so order and copying mistakes show.
std::vector<int16_t> Counting(size_t frames, int channels, int from = 0) {
    std::vector<int16_t> s(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(from + static_cast<int>(i));
    return s;
}

TEST(WaveOutSink, BlocksGoOutInOrderAndComeBackAsTheDeviceFinishesThem) {
    ScriptedWaveOut device;
    auto sink = CreateWaveOutSink(device);
    ASSERT_TRUE(sink->Open(kStereo));
    EXPECT_EQ(device.format_.nSamplesPerSec, 44100u);
    EXPECT_EQ(device.format_.nChannels, 2);
    EXPECT_EQ(device.format_.wBitsPerSample, 16);
    EXPECT_EQ(device.format_.nBlockAlign, 4);
    EXPECT_EQ(sink->FreeBlocks(), kSinkBlocks);

    const auto samples = Counting(kBlockFrames * kSinkBlocks, 2);
    for (int i = 0; i < kSinkBlocks; ++i) {
        ASSERT_TRUE(sink->Write(samples.data() + i * kBlockFrames * 2, kBlockFrames));
    }
    EXPECT_EQ(sink->FreeBlocks(), 0);
    EXPECT_EQ(sink->PlayedFrames(), 0u);

    device.Finish(2);
    EXPECT_EQ(sink->FreeBlocks(), 2);
    EXPECT_EQ(sink->PlayedFrames(), 2 * kBlockFrames);
    const auto tail = Counting(100, 2, 7);
    ASSERT_TRUE(sink->Write(tail.data(), 100));  // a short block
    EXPECT_EQ(sink->FreeBlocks(), 1);

    device.Finish(kSinkBlocks);
    EXPECT_EQ(sink->PlayedFrames(), kSinkBlocks * kBlockFrames + 100);
    std::vector<int16_t> expected = samples;
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(device.played, expected);
    EXPECT_TRUE(device.prepared.empty()) << "finished blocks stay prepared";
}

TEST(WaveOutSink, WaitForBlockWakesWhenTheDeviceFinishesOne) {
    ScriptedWaveOut device;
    auto sink = CreateWaveOutSink(device);
    ASSERT_TRUE(sink->Open(kStereo));
    auto t0 = Clock::now();
    sink->WaitForBlock(30000);  // nothing in flight: nothing to wait for
    EXPECT_LT(MsSince(t0), 10000);

    const auto samples = Counting(kBlockFrames, 2);
    for (int i = 0; i < kSinkBlocks; ++i) ASSERT_TRUE(sink->Write(samples.data(), kBlockFrames));
    sink->WaitForBlock(0);  // swallows the signal of the device's opening
    t0 = Clock::now();
    sink->WaitForBlock(150);  // no block finishes: the whole timeout
    EXPECT_GE(MsSince(t0), 120);

    std::thread player([&] {
        Sleep(50);
        device.Finish(1);
    });
    t0 = Clock::now();
    sink->WaitForBlock(5000);
    const long long waited = MsSince(t0);
    player.join();
    EXPECT_GE(waited, 30);
    EXPECT_LT(waited, 4000) << "woken by the finished block, not by the 5 s timeout";
    EXPECT_EQ(sink->FreeBlocks(), 1);
}

TEST(WaveOutSink, ResetDropsWhatIsQueuedAndCloseGivesEverythingBack) {
    ScriptedWaveOut device;
    {
        auto sink = CreateWaveOutSink(device);
        ASSERT_TRUE(sink->Open(kStereo));
        const auto samples = Counting(kBlockFrames, 2);
        for (int i = 0; i < 4; ++i) ASSERT_TRUE(sink->Write(samples.data(), kBlockFrames));
        device.Finish(1);

        sink->Reset();
        EXPECT_EQ(device.Queued(), 0u);
        EXPECT_TRUE(device.prepared.empty());
        EXPECT_EQ(sink->FreeBlocks(), kSinkBlocks);
        EXPECT_EQ(sink->PlayedFrames(), kBlockFrames) << "dropped blocks count as played";
        EXPECT_TRUE(sink->IsOpen());
        ASSERT_TRUE(sink->Write(samples.data(), kBlockFrames));  // plays on after a reset

        for (int i = 0; i < 3; ++i) ASSERT_TRUE(sink->Write(samples.data(), kBlockFrames));
        sink->Close();
        EXPECT_FALSE(sink->IsOpen());
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(device.closes, 1);
        EXPECT_TRUE(device.prepared.empty());
        EXPECT_FALSE(sink->Write(samples.data(), kBlockFrames));
        sink->Close();  // twice is harmless
        EXPECT_EQ(device.closes, 1);

        ASSERT_TRUE(sink->Open({22050, 1}));
        ASSERT_TRUE(sink->Write(samples.data(), 10));
    }
    // The sink's end closes what it left open, queued blocks and all.
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.closes, 2);
    EXPECT_TRUE(device.prepared.empty());
}

// An unplugged headset: waveOutWrite fails, the sink says so, and the caller's close and
// reopen of the default device plays again.
TEST(WaveOutSink, AFailedWriteIsReportedAndTheDeviceCanBeOpenedAgain) {
    ScriptedWaveOut device;
    auto sink = CreateWaveOutSink(device);
    ASSERT_TRUE(sink->Open(kStereo));
    const auto samples = Counting(kBlockFrames, 2);
    ASSERT_TRUE(sink->Write(samples.data(), kBlockFrames));
    device.failWrites = true;
    EXPECT_FALSE(sink->Write(samples.data(), kBlockFrames));
    EXPECT_EQ(device.prepared.size(), 1u) << "the refused block is unprepared; the queued one stays";

    sink->Close();
    EXPECT_TRUE(device.prepared.empty());
    device.failWrites = false;
    device.failOpen = true;  // no device yet
    EXPECT_FALSE(sink->Open(kStereo));
    EXPECT_FALSE(sink->IsOpen());
    EXPECT_FALSE(sink->Write(samples.data(), kBlockFrames));
    device.failOpen = false;
    ASSERT_TRUE(sink->Open(kStereo));
    EXPECT_EQ(sink->FreeBlocks(), kSinkBlocks);
    EXPECT_EQ(sink->PlayedFrames(), 0u) << "counted from the new open";
    ASSERT_TRUE(sink->Write(samples.data(), kBlockFrames));
    device.Finish(1);
    EXPECT_EQ(sink->PlayedFrames(), kBlockFrames);
}

// A device that takes blocks but never finishes them must not hang the writer.
TEST(WaveOutSink, WritingToAStuckDeviceGivesUpWithinAFewBlocks) {
    ScriptedWaveOut device;
    auto sink = CreateWaveOutSink(device);
    ASSERT_TRUE(sink->Open(kStereo));
    const auto samples = Counting(kBlockFrames, 2);
    for (int i = 0; i < kSinkBlocks; ++i) ASSERT_TRUE(sink->Write(samples.data(), kBlockFrames));
    const auto t0 = Clock::now();
    EXPECT_FALSE(sink->Write(samples.data(), kBlockFrames));
    EXPECT_LT(MsSince(t0), 10000) << "the writer is not held for good";
}

}  // namespace
}  // namespace zarvio::stream
