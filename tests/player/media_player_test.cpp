#include "platform/media_player_wmp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "platform/files.h"
#include "support/message_pump.h"
#include "support/temp_dir.h"

namespace zarvio {
namespace {

using test::PumpUntil;
using test::TempDir;

struct RecordingListener final : MediaPlayerListener {
    void OnPlayStateChange(int state) override {
        EXPECT_EQ(GetCurrentThreadId(), uiThread) << "notifications belong on the UI thread";
        states.push_back(state);
    }
    void OnStatusChange() override { ++statusChanges; }
    bool Saw(int state) const {
        return std::find(states.begin(), states.end(), state) != states.end();
    }
    DWORD uiThread = GetCurrentThreadId();
    std::vector<int> states;
    int statusChanges = 0;
};

// A sine tone as a PCM WAV file: 8 kHz, 16 bit, mono.
std::string ToneWav(int seconds) {
    const uint32_t rate = 8000, samples = rate * static_cast<uint32_t>(seconds);
    const uint32_t dataBytes = samples * 2;
    std::string out;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i))); };
    auto u16 = [&](uint16_t v) { out.push_back(static_cast<char>(v)); out.push_back(static_cast<char>(v >> 8)); };
    out += "RIFF"; u32(36 + dataBytes); out += "WAVE";
    out += "fmt "; u32(16); u16(1); u16(1); u32(rate); u32(rate * 2); u16(2); u16(16);
    out += "data"; u32(dataBytes);
    for (uint32_t i = 0; i < samples; ++i) {
        u16(static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 440 * i / rate))));
    }
    return out;
}

VARIANT Int4(LONG v) { VARIANT x; VariantInit(&x); V_VT(&x) = VT_I4; V_I4(&x) = v; return x; }

TEST(PlayerEvents, PlayStateNeedsExactlyOneIntegerArgument) {
    constexpr DISPID kPlayStateChange = 5101, kStatusChange = 5002;
    RecordingListener listener;

    VARIANT arg = Int4(3);
    DISPPARAMS one{&arg, nullptr, 1, 0};
    EXPECT_TRUE(DispatchPlayerEvent(kPlayStateChange, &one, &listener));

    VARIANT unsignedArg; VariantInit(&unsignedArg);
    V_VT(&unsignedArg) = VT_UI4; V_UI4(&unsignedArg) = 9;
    DISPPARAMS unsignedOne{&unsignedArg, nullptr, 1, 0};
    EXPECT_TRUE(DispatchPlayerEvent(kPlayStateChange, &unsignedOne, &listener));

    LONG held = 6;
    VARIANT byRef; VariantInit(&byRef);
    V_VT(&byRef) = VT_I4 | VT_BYREF; V_I4REF(&byRef) = &held;
    DISPPARAMS refOne{&byRef, nullptr, 1, 0};
    EXPECT_TRUE(DispatchPlayerEvent(kPlayStateChange, &refOne, &listener));

    // Wrong count, wrong type, missing arguments: dropped without touching rgvarg.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_FALSE(DispatchPlayerEvent(kPlayStateChange, &none, &listener));
    DISPPARAMS claimsOneHasNone{nullptr, nullptr, 1, 0};
    EXPECT_FALSE(DispatchPlayerEvent(kPlayStateChange, &claimsOneHasNone, &listener));
    VARIANT two[2] = {Int4(1), Int4(1)};
    DISPPARAMS twoArgs{two, nullptr, 2, 0};
    EXPECT_FALSE(DispatchPlayerEvent(kPlayStateChange, &twoArgs, &listener));
    VARIANT text; VariantInit(&text);
    V_VT(&text) = VT_BSTR; V_BSTR(&text) = SysAllocString(L"3");
    DISPPARAMS textArg{&text, nullptr, 1, 0};
    EXPECT_FALSE(DispatchPlayerEvent(kPlayStateChange, &textArg, &listener));
    VariantClear(&text);
    EXPECT_FALSE(DispatchPlayerEvent(kPlayStateChange, nullptr, &listener));

    EXPECT_EQ(listener.states, (std::vector<int>{3, 9, 6}));

    EXPECT_TRUE(DispatchPlayerEvent(kStatusChange, &none, &listener));
    EXPECT_FALSE(DispatchPlayerEvent(5001, &one, &listener)) << "OpenStateChange is not ours";
    EXPECT_FALSE(DispatchPlayerEvent(kPlayStateChange, &one, nullptr));
    EXPECT_EQ(listener.statusChanges, 1);
    EXPECT_EQ(listener.states.size(), 3u);
}

TEST(WmpMediaPlayer, MissingComponentMakesEveryCallANoOp) {
    // A class id nobody registered stands for Windows without the media feature.
    const CLSID nobody = {0x5e1d0c0a, 0x7a11, 0x4b0e, {0x9a, 0x2f, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
    RecordingListener listener;
    WmpMediaPlayer player(kDefaultStreamUrl, nobody);
    player.SetListener(&listener);
    EXPECT_FALSE(player.Available());
    EXPECT_TRUE(FAILED(player.CreationResult()));
    EXPECT_FALSE(player.EventsConnected());
    EXPECT_EQ(player.SetUrl(L"C:\\x.wav"), S_FALSE);
    EXPECT_EQ(player.Play(), S_FALSE);
    EXPECT_EQ(player.Stop(), S_FALSE);
    EXPECT_EQ(player.SetVolume(30), S_FALSE);
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(listener.states.empty());
}

class RealComponent : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.path().empty());
        player.SetListener(&listener);
        ASSERT_TRUE(player.Available()) << "CoCreateInstance: 0x" << std::hex << player.CreationResult();
        ASSERT_TRUE(player.EventsConnected());
    }
    void TearDown() override { player.SetListener(nullptr); }

    TempDir dir;  // declared first: the player lets go of the file before the folder goes
    RecordingListener listener;
    WmpMediaPlayer player;
};

TEST_F(RealComponent, PlaysAWavFileAndStops) {
    const std::wstring wav = dir.File(L"tone.wav");
    ASSERT_TRUE(WriteFileAtomically(wav, ToneWav(5)));
    ASSERT_TRUE(SUCCEEDED(player.SetUrl(wav)));
    EXPECT_TRUE(SUCCEEDED(player.SetVolume(0)));
    PumpUntil([] { return false; }, 200);
    EXPECT_FALSE(listener.Saw(kPlayStatePlaying)) << "setting the address must not start playback";

    ASSERT_TRUE(SUCCEEDED(player.Play()));
    ASSERT_TRUE(PumpUntil([&] { return listener.Saw(kPlayStatePlaying); }, 20000))
        << "no playing state; states seen: " << ::testing::PrintToString(listener.states);
    // The status panel shows "connecting" before "playing".
    const auto playing = std::find(listener.states.begin(), listener.states.end(), kPlayStatePlaying);
    EXPECT_NE(std::find(listener.states.begin(), playing, kPlayStateTransitioning), playing)
        << ::testing::PrintToString(listener.states);

    listener.states.clear();
    ASSERT_TRUE(SUCCEEDED(player.Stop()));
    EXPECT_TRUE(PumpUntil([&] { return listener.Saw(kPlayStateStopped); }, 10000))
        << "states seen: " << ::testing::PrintToString(listener.states);
}

TEST_F(RealComponent, ShortFilePlaysToItsEnd) {
    // Reaching the end shows that the whole file went through the component, not only that it started.
    const std::wstring wav = dir.File(L"short.wav");
    ASSERT_TRUE(WriteFileAtomically(wav, ToneWav(1)));
    ASSERT_TRUE(SUCCEEDED(player.SetUrl(wav)));
    ASSERT_TRUE(SUCCEEDED(player.Play()));
    EXPECT_TRUE(PumpUntil([&] { return listener.Saw(kPlayStateMediaEnded); }, 20000))
        << "states seen: " << ::testing::PrintToString(listener.states);
}

TEST_F(RealComponent, UnreachableAddressesNeitherCrashNorHang) {
    for (const std::wstring& url : {dir.File(L"missing.wav"), std::wstring(L"http://127.0.0.1:9/none.mp3"),
                                   std::wstring()}) {
        (void)player.SetUrl(url);
        (void)player.Play();
        PumpUntil([] { return false; }, 500);
        (void)player.Stop();
    }
    EXPECT_FALSE(listener.Saw(kPlayStatePlaying));
}

}  // namespace
}  // namespace zarvio
