// The media keys: each as a hot key and as an application command, one press acting once,
// Next and Previous through the list, and the hot keys really held while the program runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/main_window.h"
#include "app/media_keys.h"
#include "platform/toolkit/controls.h"
#include "support/fake_media_player.h"
#include "support/fake_services.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

// How a test press reaches the main window (outside the unnamed namespace: a test parameter).
enum class Via { HotKey, AppCommand };

namespace {

constexpr UINT kKeys[] = {VK_MEDIA_PLAY_PAUSE, VK_MEDIA_STOP, VK_MEDIA_NEXT_TRACK, VK_MEDIA_PREV_TRACK};
constexpr int kCommands[] = {APPCOMMAND_MEDIA_PLAY_PAUSE, APPCOMMAND_MEDIA_STOP, APPCOMMAND_MEDIA_NEXTTRACK,
                             APPCOMMAND_MEDIA_PREVIOUSTRACK};
enum Key { kPlayPause, kStop, kNext, kPrevious };

struct MediaKeysFixture : ::testing::Test, FakeServiceSet {
    TempDir dir;
    FakeMediaPlayer player;
    std::unique_ptr<MainWindow> window;

    void Start(const std::string& names = "A\r\nB\r\nC\r\n", const std::string& urls = "http://a\r\nhttp://b\r\n") {
        WriteBytes(dir.File(L"zarvtai.mdb"), names);
        WriteBytes(dir.File(L"zarvlist.dll"), urls);
        window = std::make_unique<MainWindow>(Make(dir.path(), &player), WindowOpeners{});
        ASSERT_TRUE(window->Start());
        player.calls.clear();
    }
    void Press(Key key, Via via) {
        if (via == Via::HotKey)
            SendMessageW(window->hwnd(), WM_HOTKEY, 0x5A10 + key, MAKELPARAM(0, kKeys[key]));
        else
            AppCommand(kCommands[key]);
    }
    // As a keyboard sends it: to the control with the focus, which passes it up to the form.
    LRESULT AppCommand(int command, HWND to = nullptr) {
        return SendMessageW(to ? to : window->list1(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(window->list1()),
                            MAKELPARAM(0, command | FAPPCOMMAND_KEY));
    }
    std::wstring Title() const { return WindowText(window->hwnd()); }
};

struct MediaKeysTest : MediaKeysFixture, ::testing::WithParamInterface<Via> {
    using MediaKeysFixture::Press;
    void Press(Key key) { Press(key, GetParam()); }
};
using MediaKeyMessagesTest = MediaKeysFixture;

}  // namespace

TEST_P(MediaKeysTest, PlayPauseStopsWhileConnectingBufferingOrPlayingAndPlaysOtherwise) {
    Start();
    // Before any state, then after each listed state; 8 is not listed and leaves 3 in force.
    const struct { int state; const wchar_t* call; } cases[] = {
        {0, L"Play"}, {9, L"Stop"}, {6, L"Stop"}, {3, L"Stop"}, {1, L"Play"}, {10, L"Play"}, {3, L"Stop"}, {8, L"Stop"},
    };
    for (const auto& c : cases) {
        player.FirePlayStateChange(c.state);
        player.calls.clear();
        Press(kPlayPause);
        EXPECT_EQ(player.calls, std::vector<std::wstring>{c.call}) << "after state " << c.state;
    }
    player.calls.clear();
    Press(kStop);
    EXPECT_EQ(player.calls, std::vector<std::wstring>{L"Stop"});
}

TEST_P(MediaKeysTest, NextAndPreviousChooseAsADoubleClickAndWrap) {
    Start();
    Press(kNext);  // nothing selected: the first
    EXPECT_EQ(player.calls, (std::vector<std::wstring>{L"SetUrl http://a", L"Play"}));
    EXPECT_EQ(Title(), L"你选择:001 \u2605 A");
    Press(kNext);
    Press(kNext);  // C has no address: logged, the previous address plays again
    EXPECT_EQ(Title(), L"你选择:003 \u2605 C");
    EXPECT_EQ(player.played.back(), L"http://b");
    EXPECT_NE(ReadBytes(dir.File(L"错误日志.log")).find(": 380\r\n\r\n"), std::string::npos);
    Press(kNext);
    EXPECT_EQ(Title(), L"你选择:001 \u2605 A");
    Press(kPrevious);
    EXPECT_EQ(Title(), L"你选择:003 \u2605 C");
    SetListIndex(window->list1(), -1);
    Press(kPrevious);  // nothing selected: the last
    EXPECT_EQ(ListIndex(window->list1()), 2);
}

TEST_P(MediaKeysTest, NextAndPreviousInAnEmptyListDoNothing) {
    Start("", "");
    Press(kNext);
    Press(kPrevious);
    EXPECT_TRUE(player.calls.empty());
    EXPECT_EQ(Title(), L"Zarvio正式版 V1.0.16");
}

INSTANTIATE_TEST_SUITE_P(BothWays, MediaKeysTest, ::testing::Values(Via::HotKey, Via::AppCommand),
                         [](const auto& info) { return info.param == Via::HotKey ? "HotKey" : "AppCommand"; });

TEST_F(MediaKeyMessagesTest, APressReportedBothWaysActsOnceAndOtherCommandsPassOn) {
    Start();
    Press(kNext, Via::HotKey);
    Press(kNext, Via::AppCommand);
    Press(kNext, Via::AppCommand);  // the next press, the other way round
    Press(kNext, Via::HotKey);
    EXPECT_EQ(Title(), L"你选择:002 \u2605 B");
    player.calls.clear();
    EXPECT_EQ(AppCommand(APPCOMMAND_MEDIA_PLAY, window->hwnd()), TRUE);
    EXPECT_EQ(AppCommand(APPCOMMAND_MEDIA_PAUSE, window->hwnd()), TRUE);
    EXPECT_EQ(AppCommand(APPCOMMAND_VOLUME_UP, window->hwnd()), FALSE) << "not ours: passed on";
    EXPECT_EQ(player.calls, (std::vector<std::wstring>{L"Play", L"Stop"}));
}

TEST_F(MediaKeyMessagesTest, TheKeysAreHeldWhileRunningAndGivenBackByExitAndDestruction) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_NOREPEAT, VK_MEDIA_STOP));  // held by someone else
    Start();
    EXPECT_EQ(window->mediaHotKeysHeld(), 3) << "a key held elsewhere is skipped";
    UnregisterHotKey(nullptr, 1);
    for (UINT vk : {VK_MEDIA_PLAY_PAUSE, VK_MEDIA_NEXT_TRACK, VK_MEDIA_PREV_TRACK}) {
        EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_NOREPEAT, vk));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
    }
    window->ExitProgram();
    EXPECT_EQ(exit.exits, 1);
    for (UINT vk : kKeys) {
        EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_NOREPEAT, vk)) << vk;
        UnregisterHotKey(nullptr, 1);
    }
    Start();
    window.reset();
    EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_NOREPEAT, VK_MEDIA_NEXT_TRACK)) << "the window is gone";
    UnregisterHotKey(nullptr, 1);
}

TEST_F(MediaKeyMessagesTest, ASecondCopyLetStartHoldsNoKey) {
    instance.another = true;
    box.answers = {IDYES};
    Start();
    EXPECT_EQ(window->mediaHotKeysHeld(), 0);
}

TEST(MediaKeyFilterTest, OnlyTheOtherSourcesReportOfTheSameKeySoonAfterIsDropped) {
    MediaKeyFilter f;
    using S = MediaKeySource;
    EXPECT_TRUE(f.Accept(MediaKey::Next, S::HotKey, 1000));
    EXPECT_FALSE(f.Accept(MediaKey::Next, S::AppCommand, 1000 + MediaKeyFilter::kSamePressMs));
    EXPECT_TRUE(f.Accept(MediaKey::Next, S::AppCommand, 1400)) << "a pair is complete: a new press";
    EXPECT_TRUE(f.Accept(MediaKey::Next, S::AppCommand, 1410)) << "same source: a repeat";
    EXPECT_TRUE(f.Accept(MediaKey::Stop, S::HotKey, 1420)) << "another key";
    EXPECT_TRUE(f.Accept(MediaKey::Stop, S::AppCommand, 1421 + MediaKeyFilter::kSamePressMs)) << "too late";
    EXPECT_TRUE(f.Accept(MediaKey::Previous, S::AppCommand, 0xFFFFFFF0u));
    EXPECT_FALSE(f.Accept(MediaKey::Previous, S::HotKey, 0x10)) << "across the tick count's wrap";
}
