// What reaches a real-time sound device: the decoded tone played through the waveOut sink into
// the PulseAudio null sink that the pulse_sink fixture records, then read back from the
// recording. Runs only with that fixture (ZARVIO_PULSE_DIR and PULSE_SERVER set by ctest).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "player/stream/decode/decoder_factory.h"
#include "player/stream/session/stream_player.h"
#include "player/stream/output/waveout_sink.h"
#include "support/audio_analysis.h"
#include "support/media_frames.h"
#include "support/message_pump.h"
#include "support/server_log.h"
#include "support/stream_world.h"

namespace zarvio::stream {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecordRate = 44100;  // what the fixture records: s16le, stereo
constexpr int kRecordChannels = 2;
constexpr size_t kRecordFrameBytes = 4;
// A silence as long as one block of the sink is a dropout anyone hears: it fails a test.
constexpr size_t kBlockFrames = static_cast<size_t>(kRecordRate) * kSinkBlockMs / 1000;

double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::wstring RecordingPath() {
    const char* dir = std::getenv("ZARVIO_PULSE_DIR");
    return dir ? test::WinePathOf(std::string(dir) + "/record.raw") : std::wstring();
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return 0;
    return (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// Up to `bytes` of the recording from offset on.
std::vector<int16_t> ReadRecording(const std::wstring& path, uint64_t offset, uint64_t bytes) {
    std::vector<int16_t> out;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return out;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    SetFilePointerEx(f, at, nullptr, FILE_BEGIN);
    std::vector<char> buffer(1 << 20);
    DWORD got = 0;
    std::string data;
    while (data.size() < bytes && ReadFile(f, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
           got > 0) {
        data.append(buffer.data(), got);
    }
    CloseHandle(f);
    data.resize(std::min<uint64_t>(data.size(), bytes) / kRecordFrameBytes * kRecordFrameBytes);
    out.resize(data.size() / 2);
    std::memcpy(out.data(), data.data(), out.size() * 2);
    return out;
}

// The first seconds of the 44.1 kHz stereo tone (440 Hz left, 660 Hz right), decoded.
std::vector<int16_t> DecodedTone(double seconds) {
    std::vector<int16_t> pcm;
    const std::string bytes = test::ReadMedia(L"tone_44100_stereo.mp3");
    const test::MediaFrames media(bytes);
    const auto& frames = media.frames();
    if (frames.empty()) return pcm;
    auto decoder = CreateAudioDecoder(frames.front());
    if (!decoder) return pcm;
    PcmFormat format;
    const size_t wanted = static_cast<size_t>(seconds * kRecordRate) * kRecordChannels;
    for (const AudioFrame& f : frames) {
        decoder->Decode(f, pcm, format);
        if (pcm.size() >= wanted) break;
    }
    pcm.resize(std::min(pcm.size(), wanted));
    return pcm;
}

// The median of f over the view's consecutive windows of windowFrames: a measure that a few
// windows spoilt by the machine's load (short dropouts) do not move.
template <typename F>
double MedianOverWindows(const test::PcmView& view, size_t windowFrames, F f) {
    std::vector<double> values;
    for (size_t at = 0; at + windowFrames <= view.frames(); at += windowFrames) {
        values.push_back(f(view.Slice(at, windowFrames)));
    }
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Watches the growing recording for the first sound, from offset on.
class RecordingWatch {
public:
    RecordingWatch(std::wstring path, uint64_t offset) : path_(std::move(path)), read_(offset) {}
    // True once sound has appeared in the bytes recorded so far.
    bool Heard() {
        if (heard_) return true;
        const uint64_t size = FileSize(path_) / kRecordFrameBytes * kRecordFrameBytes;
        if (size <= read_) return false;
        const std::vector<int16_t> fresh = ReadRecording(path_, read_, size - read_);
        read_ = size;
        heard_ = test::FirstSound({fresh, kRecordChannels, kRecordRate}, 200).has_value();
        return heard_;
    }
private:
    std::wstring path_;
    uint64_t read_;
    bool heard_ = false;
};

TEST(SoundDevice, TheTonePlaysInRealTimeOnBothChannelsWithoutGaps) {
    const std::wstring recording = RecordingPath();
    if (recording.empty()) GTEST_SKIP() << "runs with the pulse_sink fixture only";
    ASSERT_GT(FileSize(recording), 0u) << "nothing records the sink";
    constexpr double kSeconds = 3.0;
    const std::vector<int16_t> tone = DecodedTone(kSeconds);
    const size_t totalFrames = tone.size() / kRecordChannels;
    ASSERT_EQ(totalFrames, static_cast<size_t>(kSeconds * kRecordRate));

    auto sink = CreateWaveOutSink();
    const auto opening = Clock::now();
    ASSERT_TRUE(sink->Open({kRecordRate, kRecordChannels}));
    const double openSeconds = SecondsSince(opening);
    const size_t block = static_cast<size_t>(kRecordRate) * kSinkBlockMs / 1000;
    // Where the recording stood when the first block went out: what follows is ours.
    const uint64_t offset = FileSize(recording) / kRecordFrameBytes * kRecordFrameBytes;
    RecordingWatch watch(recording, offset);
    const auto start = Clock::now();
    size_t written = 0;
    int dry = 0;  // times every block was back while audio was left: the writer fell behind
    double halfSecond = 0, twoAndAHalf = 0, heardAt = 0;  // seconds after the first write
    while (SecondsSince(start) < kSeconds + 5) {
        const uint64_t played = sink->PlayedFrames();
        if (halfSecond == 0 && played >= kRecordRate / 2) halfSecond = SecondsSince(start);
        if (twoAndAHalf == 0 && played >= kRecordRate * 5 / 2) twoAndAHalf = SecondsSince(start);
        if (heardAt == 0 && watch.Heard()) heardAt = SecondsSince(start);
        if (played >= totalFrames) break;
        const int free = sink->FreeBlocks();
        if (written > 0 && written < totalFrames && free == kSinkBlocks) ++dry;
        if (written < totalFrames && free > 0) {
            const size_t n = std::min(block, totalFrames - written);
            ASSERT_TRUE(sink->Write(tone.data() + written * kRecordChannels, n));
            written += n;
            continue;
        }
        sink->WaitForBlock(20);
    }
    const double elapsed = SecondsSince(start);
    EXPECT_EQ(sink->PlayedFrames(), totalFrames);
    sink->Close();
    std::printf("open %.0f ms; played %.1f s of audio in %.3f s, of which 0.5 s to 2.5 s took %.3f s; "
                "sound in the recording %.0f ms after the first write\n",
                openSeconds * 1000, kSeconds, elapsed, twoAndAHalf - halfSecond, heardAt * 1000);
    // The device's clock is the wall clock: two seconds of audio took two seconds.
    // (Wine's ALSA null device would take half a second; the margin is for a loaded machine.)
    EXPECT_NEAR(twoAndAHalf - halfSecond, 2.0, 0.6);
    EXPECT_GT(elapsed, kSeconds - 0.4);  // the device holds the last blocks when it says they are done
    EXPECT_LT(elapsed, kSeconds + 5);
    EXPECT_GT(heardAt, 0) << "no sound while playing";
    EXPECT_LT(heardAt, 5);

    Sleep(500);  // parec's own buffering
    const std::vector<int16_t> heard = ReadRecording(recording, offset, UINT64_MAX);
    const test::PcmView view{heard, kRecordChannels, kRecordRate};
    const auto first = test::FirstSound(view, 200);
    ASSERT_TRUE(first.has_value()) << "nothing reached the device";
    std::printf("the first sound is %.0f ms into the recording after the first write\n",
                static_cast<double>(*first) * 1000 / kRecordRate);

    const test::PcmView ours = view.Slice(*first, totalFrames);
    ASSERT_EQ(ours.frames(), totalFrames) << "the recording ends early";
    // Per tenth of a second: the pitch of each channel, and its energy in its own tone and not
    // in the other channel's (a swap or a mix shows).
    const size_t window = kRecordRate / 10;
    const double tones[2] = {440, 660};
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE("channel " + std::to_string(c));
        EXPECT_NEAR(MedianOverWindows(ours, window, [&](const test::PcmView& w) { return test::EstimateFrequency(w, c); }),
                    tones[c], 2.0);
        EXPECT_GT(MedianOverWindows(ours, window, [&](const test::PcmView& w) { return test::ToneShare(w, c, tones[c]); }),
                  0.95);
        EXPECT_LT(MedianOverWindows(ours, window, [&](const test::PcmView& w) { return test::ToneShare(w, c, tones[1 - c]); }),
                  0.01);
    }
    size_t dropouts = 0;
    for (const auto& g : test::FindSilences(ours.Slice(0, totalFrames - kRecordRate / 20), kRecordRate / 500, 200)) {
        ++dropouts;
        if (g.frames >= kBlockFrames) {
            ADD_FAILURE() << "silence of " << g.frames * 1000 / kRecordRate << " ms at " << g.start * 1000 / kRecordRate
                          << " ms";
        }
    }
    // Dropouts shorter than a block do not fail the test: reported.
    std::printf("dropouts of 2 to 50 ms: %zu; the sink ran dry %d times\n", dropouts, dry);
    // And then the sound ends: what follows the tone is silence again.
    const auto after = view.Slice(*first + totalFrames + kRecordRate / 10, kRecordRate / 5);
    if (after.frames() > 0) {
        EXPECT_LT(test::Rms(after, 0), 50);
    }
}

struct StateLog final : MediaPlayerListener {
    void OnPlayStateChange(int state) override { states.push_back(state); }
    void OnStatusChange() override {}
    void OnTitleChange(const std::wstring&) override {}
    void OnPlaybackFailed(const std::wstring& text) override { failures.push_back(text); }
    std::vector<int> states;
    std::vector<std::wstring> failures;
};

TEST(SoundDevice, AnHlsLiveWindowPlaysThroughTheRealPlayerWithoutGapsAcrossReloads) {
    const std::wstring recording = RecordingPath();
    if (recording.empty()) GTEST_SKIP() << "runs with the pulse_sink fixture only";
    if (test::ServerUrl(L"/").empty()) GTEST_FAIL() << "the tests' server is not running";
    ASSERT_GT(FileSize(recording), 0u) << "nothing records the sink";
    const std::string dir = "/hls/device-" + std::to_string(GetTickCount64()) + "/ts/";
    const std::wstring url = test::ServerUrl(std::wstring(dir.begin(), dir.end()) + L"index.m3u8");

    const uint64_t offset = FileSize(recording) / kRecordFrameBytes * kRecordFrameBytes;
    RecordingWatch watch(recording, offset);
    StateLog heard;
    auto player = std::make_unique<StreamPlayer>(url);  // the real parts: WinHTTP, decoders, waveOut
    player->SetListener(&heard);
    const auto start = Clock::now();
    player->Play();
    ASSERT_TRUE(test::PumpUntil([&] { return watch.Heard(); }, 20000)) << "no sound";
    const double heardAt = SecondsSince(start);
    // A window of 2 s segments is reloaded every 2 to 3 s (the worker feeds the decoder first):
    // five reloads or more.
    constexpr double kSeconds = 18.0;
    test::PumpFor(static_cast<DWORD>(kSeconds * 1000));
    const std::vector<int> states = heard.states;
    player.reset();
    Sleep(500);  // parec's own buffering

    std::printf("HLS live window: sound in the recording %.0f ms after Play\n", heardAt * 1000);
    EXPECT_EQ(states, (std::vector<int>{9, 6, 3})) << "playing throughout";
    EXPECT_TRUE(heard.failures.empty());
    const auto requests = test::LoggedRequests(dir);
    const auto reloads = requests.count(dir + "index.m3u8") ? requests.at(dir + "index.m3u8") : 0;
    EXPECT_GE(reloads, 6) << "the first load and five reloads at least";
    const auto segments = test::LoggedSegments(dir);
    EXPECT_GE(segments.size(), 6u);
    for (const auto& [sequence, count] : segments) EXPECT_EQ(count, 1) << "segment " << sequence;

    const std::vector<int16_t> recorded = ReadRecording(recording, offset, UINT64_MAX);
    const test::PcmView view{recorded, kRecordChannels, kRecordRate};
    const auto first = test::FirstSound(view, 200);
    ASSERT_TRUE(first.has_value());
    // From the first sound to where Stop may have cut it: the tone, on both channels, unbroken.
    const size_t frames = static_cast<size_t>((kSeconds - 0.5) * kRecordRate);
    const test::PcmView ours = view.Slice(*first, frames);
    ASSERT_EQ(ours.frames(), frames) << "the recording ends early";
    const size_t window = kRecordRate / 10;
    const double tones[2] = {440, 660};
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE("channel " + std::to_string(c));
        EXPECT_NEAR(MedianOverWindows(ours, window, [&](const test::PcmView& w) { return test::EstimateFrequency(w, c); }),
                    tones[c], 2.0);
        EXPECT_GT(MedianOverWindows(ours, window, [&](const test::PcmView& w) { return test::ToneShare(w, c, tones[c]); }),
                  0.9);
        EXPECT_LT(MedianOverWindows(ours, window, [&](const test::PcmView& w) { return test::ToneShare(w, c, tones[1 - c]); }),
                  0.01) << "each channel carries its own tone, not the other's";
    }
    size_t dropouts = 0;
    for (const auto& g : test::FindSilences(ours, kRecordRate / 500, 200)) {
        ++dropouts;
        if (g.frames >= kBlockFrames) {
            ADD_FAILURE() << "silence of " << g.frames * 1000 / kRecordRate << " ms at " << g.start * 1000 / kRecordRate
                          << " ms";
        }
    }
    std::printf("HLS live window: %d playlist loads, %zu segments, dropouts of 2 to 50 ms: %zu\n", reloads,
                segments.size(), dropouts);
}

}  // namespace
}  // namespace zarvio::stream
