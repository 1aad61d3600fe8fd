#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/main_window.h"
#include "app/now_playing.h"
#include "platform/product.h"
#include "platform/toolkit/controls.h"
#include "support/fake_media_player.h"
#include "support/fake_services.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

struct NowPlayingTest : ::testing::Test, FakeServiceSet {
    TempDir dir;
    FakeMediaPlayer player;
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        WriteBytes(dir.File(L"zarvtai.mdb"), "A\r\nB\r\n");
        WriteBytes(dir.File(L"zarvlist.dll"), "http://a\r\nhttp://b\r\n");
        window = std::make_unique<MainWindow>(Make(dir.path(), &player), WindowOpeners{});
        ASSERT_TRUE(window->Start());
    }
    HWND Label() const { return GetDlgItem(window->hwnd(), kIdNowPlaying); }
    void Choose(int index) {
        SetListIndex(window->list1(), index);
        window->List1_DblClick();
    }
};

TEST(NowPlayingTip, NamesStationAndTitleWithinTheTraysLimit) {
    EXPECT_EQ(StationNameOf(L"003 \u2605 音乐之声"), L"音乐之声");
    EXPECT_EQ(StationNameOf(L"https://x/y.mp3"), L"https://x/y.mp3");
    EXPECT_EQ(NowPlayingTrayTip(L"NPR", L"", L"plain"), L"plain");
    EXPECT_EQ(NowPlayingTrayTip(L"NPR", L"News", L"plain"), L"Zarvio - NPR - News");
    const std::wstring tip = NowPlayingTrayTip(L"NPR", std::wstring(300, L'x'), L"plain");
    EXPECT_EQ(tip.size(), 127u);
    EXPECT_EQ(tip.substr(124), L"...");
}

TEST_F(NowPlayingTest, TheLabelFillsTheSpaceBetweenTheTopLinesAndIsEmptyAtStart) {
    HWND label = Label();
    ASSERT_TRUE(label);
    EXPECT_TRUE(IsWindowVisible(label));
    EXPECT_EQ(WindowText(label), L"");
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, window->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 2);          // 30 twips at 96 DPI
    EXPECT_EQ(r.right - r.left, 256);
    EXPECT_EQ(r.bottom - r.top, 42);
}

TEST_F(NowPlayingTest, AChoiceNamesTheStationAndTitlesFollow) {
    Choose(1);
    EXPECT_EQ(WindowText(Label()), L"002 \u2605 B");
    EXPECT_EQ(tray.tip, TrayTipText()) << "no title known yet";
    player.FireTitleChange(L"Artist - Song");
    EXPECT_EQ(WindowText(Label()), L"002 \u2605 B\r\nArtist - Song");
    EXPECT_EQ(tray.tip, L"Zarvio - B - Artist - Song");

    // The shell restarts: the icon comes back with the tip it has now.
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    const int adds = tray.adds;
    tray.tip.clear();
    SendMessageW(window->hwnd(), taskbarCreated, 0, 0);
    EXPECT_EQ(tray.adds, adds + 1);
    EXPECT_EQ(tray.tip, L"Zarvio - B - Artist - Song");

    player.FirePlaybackFailed(L"无法播放此电台（HTTP 404）");
    EXPECT_EQ(WindowText(Label()), L"002 \u2605 B\r\n无法播放此电台（HTTP 404）");
    EXPECT_EQ(tray.tip, TrayTipText()) << "a failure is no title";

    player.FireTitleChange(L"Again");
    window->Command4_Click();
    EXPECT_EQ(WindowText(Label()), L"002 \u2605 B");
    EXPECT_EQ(tray.tip, TrayTipText());

    Choose(0);
    EXPECT_EQ(WindowText(Label()), L"001 \u2605 A") << "a new choice forgets the old title";
}

TEST_F(NowPlayingTest, PlayBeforeAnyChoiceNamesTheDefaultStream) {
    window->Command3_Click();
    EXPECT_EQ(WindowText(Label()), kDefaultStreamUrl);
}

TEST_F(NowPlayingTest, WakingUpIsPassedToThePlayerAndExitStopsIt) {
    SendMessageW(window->hwnd(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(player.resumes, 0);
    SendMessageW(window->hwnd(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(player.resumes, 1);
    player.calls.clear();
    window->ExitProgram();
    EXPECT_EQ(player.calls, (std::vector<std::wstring>{L"Stop"}));
    EXPECT_EQ(exit.exits, 1);
}

TEST_F(NowPlayingTest, LongLinesAreCutAndTheTextIsDrawnOnTheFormsBackground) {
    Choose(0);
    player.FireTitleChange(std::wstring(200, L'W'));
    HWND label = Label();
    RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // Read the label's pixels back through a print into a memory bitmap.
    RECT r;
    GetClientRect(label, &r);
    HDC screen = GetDC(label);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(mem, bmp);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_STATIC;
    item.CtlID = kIdNowPlaying;
    item.hwndItem = label;
    item.hDC = mem;
    item.rcItem = r;
    window->nowPlaying().Draw(item);
    const COLORREF back = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(GetPixel(mem, 0, 0), back);
    int inkTop = 0, inkBottom = 0, inkRight = 0;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            if (GetPixel(mem, x, y) != back) {
                (y < r.bottom / 2 ? inkTop : inkBottom)++;
                if (x >= r.right - 3) ++inkRight;
            }
    EXPECT_GT(inkTop, 0) << "first line drawn";
    EXPECT_GT(inkBottom, 0) << "second line drawn";
    EXPECT_EQ(inkRight, 0) << "the long line ends inside the label (cut with an ellipsis)";
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(label, screen);
}

}  // namespace
