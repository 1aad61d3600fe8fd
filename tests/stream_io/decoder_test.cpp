// The system's decoders on the generated tones: every format the stream player takes, decoded
// the way the player's worker does it (its own thread in the multithreaded apartment).
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <thread>

#include "player/stream/decode/decoder_factory.h"
#include "support/media_frames.h"
#include "support/audio_analysis.h"
#include "support/stream_world.h"

namespace zarvio::stream {
namespace {

using test::PcmView;

// Runs fn on a new thread that has joined the multithreaded apartment, as the player's worker.
template <typename F>
void OnWorker(F fn) {
    std::thread t([&] {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        fn();
        if (SUCCEEDED(hr)) CoUninitialize();
    });
    t.join();
}

struct Decoded {
    PcmFormat format;
    std::vector<int16_t> pcm;
    int failed = 0;
    double ms = 0;
    PcmView view() const { return {pcm, format.channels, format.sampleRate}; }
};

void DecodeFrames(AudioDecoder& d, std::span<const AudioFrame> frames, Decoded& out) {
    LARGE_INTEGER freq, a, b;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&a);
    for (const AudioFrame& f : frames) {
        if (!d.Decode(f, out.pcm, out.format)) ++out.failed;
    }
    QueryPerformanceCounter(&b);
    out.ms += static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

int SamplesPerFrame(const AudioFrame& f) { return f.codec == AudioCodec::Aac ? 1024 : f.mpeg.samplesPerFrame; }

// Left 440 Hz and right 660 Hz (mono: 440 Hz) over one second from `at` seconds: the pitch to a
// tenth of a hertz (a wrong rate shifts it), and nearly all the energy in that one tone (a
// swap, a mix or crackle lowers it).
void ExpectTones(const PcmView& pcm, double at, const std::string& what) {
    SCOPED_TRACE(what + " at " + std::to_string(at) + " s");
    const PcmView second = pcm.Slice(static_cast<size_t>(at * pcm.sampleRate), static_cast<size_t>(pcm.sampleRate));
    ASSERT_EQ(second.frames(), static_cast<size_t>(pcm.sampleRate));
    const double tones[2] = {440, 660};
    for (int c = 0; c < pcm.channels; ++c) {
        EXPECT_NEAR(test::EstimateFrequency(second, c), tones[c], 0.1) << "channel " << c;
        EXPECT_GT(test::ToneShare(second, c, tones[c]), 0.98) << "channel " << c;
        EXPECT_LT(test::ToneShare(second, c, tones[1 - c]), 0.001) << "channel " << c;
        EXPECT_GT(test::Rms(second, c), 1000) << "channel " << c;
    }
}

struct Media {
    const wchar_t* file;
    AudioCodec codec;
    int sampleRate;
    int channels;
};

const Media kMedia[] = {
    {L"tone_44100_stereo.mp3", AudioCodec::MpegAudio, 44100, 2},
    {L"tone_22050_mono.mp3", AudioCodec::MpegAudio, 22050, 1},
    {L"tone_48000_stereo.mp3", AudioCodec::MpegAudio, 48000, 2},
    {L"tone_44100_stereo.mp2", AudioCodec::MpegAudio, 44100, 2},
    {L"tone_44100_stereo.aac", AudioCodec::Aac, 44100, 2},
    {L"tone_48000_mono.aac", AudioCodec::Aac, 48000, 1},
};

std::string Name(const wchar_t* w) { return std::string(w, w + wcslen(w)); }

TEST(Decoders, EveryFormatGivesItsToneForThirtySeconds) {
    for (const Media& m : kMedia) {
        const std::string name = Name(m.file);
        SCOPED_TRACE(name);
        const std::string bytes = test::ReadMedia(m.file);
        ASSERT_FALSE(bytes.empty()) << "the media fixture is missing";
        const test::MediaFrames media(bytes);
        const auto& frames = media.frames();
        ASSERT_GT(frames.size(), 1000u);
        ASSERT_EQ(frames.front().codec, m.codec);
        Decoded out;
        OnWorker([&] {
            auto d = CreateAudioDecoder(frames.front());
            ASSERT_TRUE(d) << "no decoder";
            DecodeFrames(*d, frames, out);
        });
        if (HasFatalFailure()) return;
        EXPECT_EQ(out.failed, 0);
        EXPECT_EQ(out.format, (PcmFormat{m.sampleRate, m.channels}));
        // Every frame's samples come out, less at most two frames a decoder holds back; the
        // encoder adds its delay and pads the last frame, so 30 s of tone gives a little more.
        const PcmView pcm = out.view();
        const size_t spf = static_cast<size_t>(SamplesPerFrame(frames.front()));
        const size_t expected = frames.size() * spf;
        EXPECT_LE(pcm.frames(), expected);
        EXPECT_GE(pcm.frames() + 2 * spf, expected);
        const double seconds = static_cast<double>(pcm.frames()) / m.sampleRate;
        EXPECT_GE(seconds, 30.0 - 2.0 * spf / m.sampleRate);
        EXPECT_LE(seconds, 30.1);
        for (double at : {1.0, 14.5, 28.0}) ExpectTones(pcm, at, name);
        // No gap anywhere after the decoder's start-up.
        const size_t start = static_cast<size_t>(m.sampleRate) / 10;
        EXPECT_TRUE(test::FindSilences(pcm.Slice(start, static_cast<size_t>(29.5 * m.sampleRate) - start),
                                       static_cast<size_t>(m.sampleRate) / 50, 100)
                        .empty());
        std::printf("%s: %.3f s of PCM decoded in %.1f ms\n", name.c_str(), seconds, out.ms);
    }
}

// A reconnect resets the decoder and feeds it frames from elsewhere in the stream: what comes
// out is the new frames' audio only, in the same format, without the old frames held back.
TEST(Decoders, ResetStartsOverWithTheNextFrames) {
    for (const Media& m : {kMedia[0], kMedia[4]}) {
        SCOPED_TRACE(Name(m.file));
        const std::string bytes = test::ReadMedia(m.file);
        const test::MediaFrames media(bytes);
        const auto& frames = media.frames();
        ASSERT_GT(frames.size(), 800u);
        Decoded before, after;
        OnWorker([&] {
            auto d = CreateAudioDecoder(frames.front());
            ASSERT_TRUE(d);
            DecodeFrames(*d, std::span(frames).subspan(0, 100), before);
            d->Reset();
            DecodeFrames(*d, std::span(frames).subspan(500, 200), after);
        });
        if (HasFatalFailure()) return;
        EXPECT_EQ(after.failed, 0);
        EXPECT_EQ(after.format, before.format);
        const size_t spf = static_cast<size_t>(SamplesPerFrame(frames.front()));
        EXPECT_LE(after.view().frames(), 200 * spf);
        EXPECT_GE(after.view().frames(), 198 * spf);
        ExpectTones(after.view(), 2.0, "after the reset");
    }
}

// Tuning in mid-stream: bytes of noise, then the stream. The decoder made from the first frame
// the framer finds gives the tone from the start.
TEST(Decoders, AfterNoiseTheFirstFramesAlreadyGiveTheTone) {
    for (const Media& m : {kMedia[0], kMedia[4]}) {
        SCOPED_TRACE(Name(m.file));
        const std::string noise = test::ReadMedia(L"noise.bin");
        ASSERT_FALSE(noise.empty());
        const test::MediaFrames media(noise.substr(0, 20000) + test::ReadMedia(m.file));
        const auto& frames = media.frames();
        ASSERT_GT(frames.size(), 100u);
        ASSERT_EQ(frames.front().codec, m.codec);
        Decoded out;
        OnWorker([&] {
            auto d = CreateAudioDecoder(frames.front());
            ASSERT_TRUE(d);
            DecodeFrames(*d, std::span(frames).subspan(0, 100), out);
        });
        if (HasFatalFailure()) return;
        EXPECT_EQ(out.failed, 0);
        EXPECT_EQ(out.format, (PcmFormat{m.sampleRate, m.channels}));
        ExpectTones(out.view(), 0.1, "after the noise");
    }
}

// A damaged frame (bit errors in its body, or cut short) costs at most its neighbours' audio:
// the decoder stays usable and the tone is back a few frames later.
TEST(Decoders, DamagedFramesDoNotStopDecoding) {
    for (const Media& m : {kMedia[0], kMedia[3], kMedia[4]}) {
        SCOPED_TRACE(Name(m.file));
        const std::string bytes = test::ReadMedia(m.file);
        const test::MediaFrames media(bytes);
        const auto& frames = media.frames();
        ASSERT_GT(frames.size(), 400u);
        std::vector<uint8_t> noisy(frames[100].bytes.begin(), frames[100].bytes.end());
        for (size_t i = 8; i < noisy.size(); ++i) noisy[i] = static_cast<uint8_t>(i * 151u + 7u);
        AudioFrame damaged = frames[100];
        damaged.bytes = noisy;
        AudioFrame cut = frames[200];
        cut.bytes = cut.bytes.first(cut.bytes.size() / 2);
        Decoded out;
        OnWorker([&] {
            auto d = CreateAudioDecoder(frames.front());
            ASSERT_TRUE(d);
            DecodeFrames(*d, std::span(frames).subspan(0, 100), out);
            d->Decode(damaged, out.pcm, out.format);  // may give noise or nothing, but never stop
            DecodeFrames(*d, std::span(frames).subspan(101, 99), out);
            d->Decode(cut, out.pcm, out.format);
            out.failed = 0;
            DecodeFrames(*d, std::span(frames).subspan(201, 200), out);
        });
        if (HasFatalFailure()) return;
        EXPECT_EQ(out.failed, 0);
        // The last 150 frames' audio, well after the damage, is the clean tone.
        const PcmView pcm = out.view();
        const size_t spf = static_cast<size_t>(SamplesPerFrame(frames.front()));
        ASSERT_GT(pcm.frames(), 390 * spf);
        const double lastSeconds = static_cast<double>(pcm.frames() - 150 * spf) / m.sampleRate;
        ExpectTones(pcm, lastSeconds, "after the damage");
    }
}

}  // namespace
}  // namespace zarvio::stream
