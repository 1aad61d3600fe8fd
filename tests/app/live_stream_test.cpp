// The real main window playing a station of the tests' local server from a double-click: the
// program's own stream player with its real transport, decoders and sound device behind the
// router, only the Windows Media Player component faked.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/main_window.h"
#include "platform/toolkit/controls.h"
#include "player/media_router.h"
#include "player/stream/session/stream_player.h"
#include "support/fake_media_player.h"
#include "support/fake_services.h"
#include "support/message_pump.h"
#include "support/stream_world.h"
#include "support/temp_dir.h"
#include "support/thread_count.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

// Counts the sound devices the player has open, around the real waveOut sink.
struct DeviceCount {
    std::atomic<int> open{0};
};
class CountedSink final : public stream::AudioSink {
public:
    explicit CountedSink(std::shared_ptr<DeviceCount> count) : count_(std::move(count)), real_(stream::CreateWaveOutSink()) {}
    ~CountedSink() override { Close(); }
    bool Open(const stream::PcmFormat& f) override {
        Close();
        const bool ok = real_->Open(f);
        if (ok) ++count_->open;
        return ok;
    }
    void Close() override {
        if (real_->IsOpen()) --count_->open;
        real_->Close();
    }
    bool IsOpen() const override { return real_->IsOpen(); }
    int FreeBlocks() override { return real_->FreeBlocks(); }
    bool Write(const int16_t* s, size_t frames) override { return real_->Write(s, frames); }
    uint64_t PlayedFrames() override { return real_->PlayedFrames(); }
    void Reset() override { real_->Reset(); }
    void WaitForBlock(uint32_t ms) override { real_->WaitForBlock(ms); }

private:
    std::shared_ptr<DeviceCount> count_;
    std::unique_ptr<stream::AudioSink> real_;
};

struct LiveStreamTest : ::testing::Test, FakeServiceSet {
    TempDir dir;
    std::shared_ptr<DeviceCount> devices = std::make_shared<DeviceCount>();
    std::unique_ptr<stream::StreamPlayer> streams;
    FakeMediaPlayer component{L""};
    std::unique_ptr<MediaRouter> router;
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        const std::wstring url = ServerUrl(L"/stream?file=tone_44100_stereo.mp3&metaint=4096&titles=Morning%20News&title_every=60");
        ASSERT_FALSE(url.empty()) << "the tests' server is not running";
        WriteBytes(dir.File(L"zarvtai.mdb"), "Local\r\n");
        WriteBytes(dir.File(L"zarvlist.dll"), std::string(url.begin(), url.end()) + "\r\n");
        stream::StreamParts parts;
        auto d = devices;
        parts.sink = [d] { return std::make_unique<CountedSink>(d); };
        streams = std::make_unique<stream::StreamPlayer>(kDefaultStreamUrl, parts);
        router = std::make_unique<MediaRouter>(*streams, component);
    }
    void TearDown() override {
        window.reset();
        router.reset();
        streams.reset();
        PumpFor(50);
    }
};

TEST_F(LiveStreamTest, ADoubleClickPlaysTheStationAndShowsWhatIsHeard) {
    window = std::make_unique<MainWindow>(Make(dir.path(), router.get()), WindowOpeners{});
    ASSERT_TRUE(window->Start());
    auto doubleClick = [&] {
        SetListIndex(window->list1(), 0);
        SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(kIdList1, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(window->list1()));
    };
    // Wine keeps a thread of its own once the network and the sound device were first used; a
    // first playback, stopped, gives the count that every later one must come back to.
    doubleClick();
    ASSERT_TRUE(PumpUntil([&] { return PanelText(window->statusBar(), 0) == L"播放状态：正在播放..."; }, 10000));
    window->Command4_Click();
    ASSERT_TRUE(PumpUntil([&] { return PanelText(window->statusBar(), 0) == L"播放状态：已停止"; }, 20000));
    PumpFor(1500);
    const int threadsBefore = CountProcessThreads();
    doubleClick();
    EXPECT_EQ(WindowText(window->hwnd()), L"你选择:001 \u2605 Local");
    ASSERT_TRUE(PumpUntil([&] { return PanelText(window->statusBar(), 0) == L"播放状态：正在播放..."; }, 10000))
        << "panel 1: " << std::string(PanelText(window->statusBar(), 0).begin(), PanelText(window->statusBar(), 0).end());
    EXPECT_TRUE(PumpUntil([&] { return devices->open.load() == 1; }, 20000));
    HWND label = GetDlgItem(window->hwnd(), kIdNowPlaying);
    ASSERT_TRUE(PumpUntil([&] { return WindowText(label) == L"001 \u2605 Local\r\nMorning News"; }, 20000));
    EXPECT_EQ(tray.tip, L"Zarvio - Local - Morning News");
    EXPECT_TRUE(component.calls.empty() || component.calls == std::vector<std::wstring>{L"SetVolume 50"} ||
                component.calls.front().rfind(L"SetVolume", 0) == 0)
        << "the component plays nothing of an http station";

    // Exit (with the fake process exit): the network is not waited for, and afterwards the
    // device is closed and every thread of the playback ends within the receive timeout + 1 s.
    const ULONGLONG exitAt = GetTickCount64();
    window->ExitProgram();
    EXPECT_LT(GetTickCount64() - exitAt, 2500u) << "Exit does not wait for the 3 s a stalled read may take";
    EXPECT_EQ(exit.exits, 1);
    EXPECT_TRUE(PumpUntil([&] { return devices->open.load() == 0; }, 20000)) << "the sound device is closed";
    EXPECT_TRUE(PumpUntil([&] { return CountProcessThreads() <= threadsBefore; }, 20000))
        << CountProcessThreads() << " threads, " << threadsBefore << " at start";
}

}  // namespace
