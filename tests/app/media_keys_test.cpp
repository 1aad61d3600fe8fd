// The keyboard's media keys: each as a hot key and as an application command, one press acting
// once, Next and Previous through the list, and the hot keys really held while the program runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/main_window.h"
#include "app/media_keys.h"
#include "platform/toolkit/controls.h"
#include "support/fake_media_player.h"
#include "support/fake_services.h"
#include "support/keyboard.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

// How a test press reaches the main window (outside the unnamed namespace: a test parameter).
enum class Via { HotKey, AppCommand };

namespace {

constexpr UINT kAllKeys[] = {VK_MEDIA_PLAY_PAUSE, VK_MEDIA_STOP, VK_MEDIA_NEXT_TRACK, VK_MEDIA_PREV_TRACK};

struct MediaKeysFixture : ::testing::Test, FakeServiceSet {
    TempDir dir;
    FakeMediaPlayer player;
    std::unique_ptr<MainWindow> window;

    void Start(const std::string& names = "A\r\nB\r\nC\r\n",
               const std::string& urls = "http://a\r\nhttp://b\r\nhttp://c\r\n") {
        WriteBytes(dir.File(L"zarvtai.mdb"), names);
        WriteBytes(dir.File(L"zarvlist.dll"), urls);
        window = std::make_unique<MainWindow>(Make(dir.path(), &player), WindowOpeners{});
        ASSERT_TRUE(window->Start());
        player.calls.clear();
    }
    // A press as the hot key's or as the application command's message.
    void Press(UINT vk, Via via) {
        if (via == Via::HotKey) {
            SendMessageW(window->hwnd(), WM_HOTKEY, 0x5A10, MAKELPARAM(MOD_NOREPEAT, vk));
        } else {
            int command = 0;
            switch (vk) {
            case VK_MEDIA_PLAY_PAUSE: command = APPCOMMAND_MEDIA_PLAY_PAUSE; break;
            case VK_MEDIA_STOP: command = APPCOMMAND_MEDIA_STOP; break;
            case VK_MEDIA_NEXT_TRACK: command = APPCOMMAND_MEDIA_NEXTTRACK; break;
            case VK_MEDIA_PREV_TRACK: command = APPCOMMAND_MEDIA_PREVIOUSTRACK; break;
            }
            AppCommand(command);
        }
    }
    LRESULT AppCommand(int command, HWND to = nullptr) {
        // As a keyboard sends it: to the window with the focus, whose default procedure passes
        // it up to the main window.
        return SendMessageW(to ? to : window->list1(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(window->list1()),
                            MAKELPARAM(0, command | FAPPCOMMAND_KEY));
    }
    std::wstring Title() const { return WindowText(window->hwnd()); }
};

// Each case runs once with hot keys and once with application commands.
struct MediaKeysTest : MediaKeysFixture, ::testing::WithParamInterface<Via> {
    using MediaKeysFixture::Press;
    void Press(UINT vk) { Press(vk, GetParam()); }
};

}  // namespace

TEST_P(MediaKeysTest, PlayPauseStopsWhileConnectingBufferingOrPlayingAndPlaysOtherwise) {
    Start();
    Press(VK_MEDIA_PLAY_PAUSE);  // nothing reported yet
    EXPECT_EQ(player.calls, std::vector<std::wstring>{L"Play"}) << "as the Play button";
    const struct { int state; const wchar_t* call; } cases[] = {
        {9, L"Stop"}, {6, L"Stop"}, {3, L"Stop"}, {1, L"Play"}, {10, L"Play"},
    };
    for (const auto& c : cases) {
        player.FirePlayStateChange(c.state);
        player.calls.clear();
        Press(VK_MEDIA_PLAY_PAUSE);
        EXPECT_EQ(player.calls, std::vector<std::wstring>{c.call}) << "after state " << c.state;
    }
    // States outside the list leave the last listed one in force: still playing.
    player.FirePlayStateChange(3);
    player.FirePlayStateChange(8);
    player.calls.clear();
    Press(VK_MEDIA_PLAY_PAUSE);
    EXPECT_EQ(player.calls, std::vector<std::wstring>{L"Stop"});
}

TEST_P(MediaKeysTest, StopActsAsTheStopButton) {
    Start();
    Press(VK_MEDIA_STOP);
    EXPECT_EQ(player.calls, std::vector<std::wstring>{L"Stop"});
    EXPECT_EQ(Title(), L"Zarvio正式版 V1.0.16");
}

TEST_P(MediaKeysTest, NextAndPreviousChooseAsADoubleClickAndWrapAtBothEnds) {
    Start();
    Press(VK_MEDIA_NEXT_TRACK);  // nothing selected: the first entry
    EXPECT_EQ(player.calls, (std::vector<std::wstring>{L"SetUrl http://a", L"Play"}));
    EXPECT_EQ(Title(), L"你选择:001 \u2605 A");
    EXPECT_EQ(ListIndex(window->list2()), 0);
    Press(VK_MEDIA_NEXT_TRACK);
    Press(VK_MEDIA_NEXT_TRACK);
    EXPECT_EQ(Title(), L"你选择:003 \u2605 C");
    Press(VK_MEDIA_NEXT_TRACK);  // past the end: the first again
    EXPECT_EQ(Title(), L"你选择:001 \u2605 A");
    Press(VK_MEDIA_PREV_TRACK);  // before the start: the last
    EXPECT_EQ(Title(), L"你选择:003 \u2605 C");
    EXPECT_EQ(ListIndex(window->list1()), 2);
    Press(VK_MEDIA_PREV_TRACK);
    EXPECT_EQ(Title(), L"你选择:002 \u2605 B");
    EXPECT_EQ(player.played.back(), L"http://b");

    SetListIndex(window->list1(), -1);
    Press(VK_MEDIA_PREV_TRACK);  // nothing selected: the last entry
    EXPECT_EQ(Title(), L"你选择:003 \u2605 C");
}

TEST_P(MediaKeysTest, NextToANameWithoutAddressLogsAsADoubleClickDoes) {
    Start("A\r\nB\r\n", "http://a\r\n");
    Press(VK_MEDIA_NEXT_TRACK);
    Press(VK_MEDIA_NEXT_TRACK);
    EXPECT_EQ(Title(), L"你选择:002 \u2605 B");
    EXPECT_EQ(player.played.back(), L"http://a");
    EXPECT_NE(ReadBytes(dir.File(L"错误日志.log")).find(": 380\r\n\r\n"), std::string::npos);
}

TEST_P(MediaKeysTest, NextAndPreviousInAnEmptyListDoNothing) {
    Start("", "");
    Press(VK_MEDIA_NEXT_TRACK);
    Press(VK_MEDIA_PREV_TRACK);
    EXPECT_TRUE(player.calls.empty());
    EXPECT_EQ(Title(), L"Zarvio正式版 V1.0.16");
}

TEST_P(MediaKeysTest, RepeatedPressesFromOneSourceEachAct) {
    Start();
    Press(VK_MEDIA_NEXT_TRACK);
    Press(VK_MEDIA_NEXT_TRACK);
    EXPECT_EQ(Title(), L"你选择:002 \u2605 B");
}

INSTANTIATE_TEST_SUITE_P(BothWays, MediaKeysTest, ::testing::Values(Via::HotKey, Via::AppCommand),
                         [](const auto& info) { return info.param == Via::HotKey ? "HotKey" : "AppCommand"; });

using MediaKeyMessagesTest = MediaKeysFixture;

TEST_F(MediaKeyMessagesTest, APressReportedBothWaysActsOnceInEitherOrder) {
    Start();
    Press(VK_MEDIA_NEXT_TRACK, Via::HotKey);
    Press(VK_MEDIA_NEXT_TRACK, Via::AppCommand);
    EXPECT_EQ(Title(), L"你选择:001 \u2605 A");
    Press(VK_MEDIA_NEXT_TRACK, Via::AppCommand);  // the next press, the other way round
    Press(VK_MEDIA_NEXT_TRACK, Via::HotKey);
    EXPECT_EQ(Title(), L"你选择:002 \u2605 B");
    player.calls.clear();
    Press(VK_MEDIA_STOP, Via::HotKey);
    Press(VK_MEDIA_STOP, Via::AppCommand);
    EXPECT_EQ(player.calls, std::vector<std::wstring>{L"Stop"});
}

TEST_F(MediaKeyMessagesTest, PlayPauseAndStopCommandsAndOthersPassOn) {
    Start();
    EXPECT_EQ(AppCommand(APPCOMMAND_MEDIA_PLAY, window->hwnd()), TRUE);
    EXPECT_EQ(AppCommand(APPCOMMAND_MEDIA_PAUSE, window->hwnd()), TRUE);
    EXPECT_EQ(player.calls, (std::vector<std::wstring>{L"Play", L"Stop"}));
    player.calls.clear();
    EXPECT_EQ(AppCommand(APPCOMMAND_VOLUME_UP, window->hwnd()), FALSE) << "not ours: not handled";
    SendMessageW(window->hwnd(), WM_HOTKEY, 0x5A10, MAKELPARAM(0, VK_VOLUME_UP));
    EXPECT_TRUE(player.calls.empty());
}

TEST_F(MediaKeyMessagesTest, TheKeysAreHeldWhileRunningAndReleasedByExit) {
    Start();
    EXPECT_EQ(window->mediaHotKeysHeld(), 4);
    for (UINT vk : kAllKeys) {
        SetLastError(0);
        EXPECT_FALSE(RegisterHotKey(nullptr, 0x100, MOD_NOREPEAT, vk)) << vk;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED)) << vk;
    }
    window->ExitProgram();
    EXPECT_EQ(exit.exits, 1);
    EXPECT_EQ(tray.removes, 1);
    for (UINT vk : kAllKeys) {
        EXPECT_TRUE(RegisterHotKey(nullptr, 0x100, MOD_NOREPEAT, vk)) << vk;
        UnregisterHotKey(nullptr, 0x100);
    }
}

TEST_F(MediaKeyMessagesTest, AKeyHeldElsewhereIsSkippedAndTheWindowGivesTheRestBackWhenDestroyed) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x100, MOD_NOREPEAT, VK_MEDIA_STOP));
    Start();
    EXPECT_EQ(window->mediaHotKeysHeld(), 3);
    EXPECT_TRUE(IsWindowVisible(window->hwnd()));
    UnregisterHotKey(nullptr, 0x100);
    window.reset();
    for (UINT vk : kAllKeys) {
        EXPECT_TRUE(RegisterHotKey(nullptr, 0x100, MOD_NOREPEAT, vk)) << vk;
        UnregisterHotKey(nullptr, 0x100);
    }
}

TEST_F(MediaKeyMessagesTest, ASecondCopyLetStartHoldsNoKey) {
    instance.another = true;
    box.answers = {IDYES};
    Start();
    EXPECT_EQ(window->mediaHotKeysHeld(), 0);
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x100, MOD_NOREPEAT, VK_MEDIA_NEXT_TRACK));
    UnregisterHotKey(nullptr, 0x100);
}

// The rule that joins two reports of one press, on its own clock.
TEST(MediaKeyFilterTest, OnlyTheOtherSourcesReportOfTheSameKeySoonAfterIsDropped) {
    MediaKeyFilter f;
    using S = MediaKeySource;
    EXPECT_TRUE(f.Accept(MediaKey::Next, S::HotKey, 1000));
    EXPECT_FALSE(f.Accept(MediaKey::Next, S::AppCommand, 1000 + MediaKeyFilter::kSamePressMs));
    EXPECT_TRUE(f.Accept(MediaKey::Next, S::AppCommand, 1400)) << "a pair is complete: a new press";
    EXPECT_TRUE(f.Accept(MediaKey::Next, S::AppCommand, 1410)) << "same source: a repeat";
    EXPECT_TRUE(f.Accept(MediaKey::Stop, S::HotKey, 1420)) << "another key";
    EXPECT_TRUE(f.Accept(MediaKey::Stop, S::AppCommand, 1421 + MediaKeyFilter::kSamePressMs)) << "too late";

    MediaKeyFilter wrap;  // the tick count runs over
    EXPECT_TRUE(wrap.Accept(MediaKey::Previous, S::AppCommand, 0xFFFFFFF0u));
    EXPECT_FALSE(wrap.Accept(MediaKey::Previous, S::HotKey, 0x10));
}

TEST(MediaKeyFilterTest, MessagesNameTheirKeys) {
    EXPECT_EQ(MediaKeyFromVirtualKey(VK_MEDIA_PREV_TRACK), MediaKey::Previous);
    EXPECT_EQ(MediaKeyFromVirtualKey(VK_MEDIA_PLAY_PAUSE), MediaKey::PlayPause);
    EXPECT_EQ(MediaKeyFromVirtualKey('N'), std::nullopt);
    EXPECT_EQ(MediaKeyFromAppCommand(APPCOMMAND_MEDIA_PAUSE), MediaKey::Pause);
    EXPECT_EQ(MediaKeyFromAppCommand(APPCOMMAND_MEDIA_NEXTTRACK), MediaKey::Next);
    EXPECT_EQ(MediaKeyFromAppCommand(APPCOMMAND_BROWSER_BACKWARD), std::nullopt);
}
