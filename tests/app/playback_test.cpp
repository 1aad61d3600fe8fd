#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <memory>

#include "app/main_window.h"
#include "platform/files.h"
#include "platform/media_player_wmp.h"
#include "platform/toolkit/controls.h"
#include "platform/handles.h"
#include "stations/station_store.h"
#include "support/failing_writer.h"
#include "support/fake_media_player.h"
#include "support/fake_services.h"
#include "support/file_locks.h"
#include "support/message_pump.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

struct PlaybackTest : ::testing::Test, FakeServiceSet {
    TempDir dir;
    FakeMediaPlayer player;
    std::unique_ptr<MainWindow> window;

    void Start(const std::string& names, const std::string& urls, MediaPlayer* p = nullptr) {
        WriteBytes(dir.File(L"zarvtai.mdb"), names);
        WriteBytes(dir.File(L"zarvlist.dll"), urls);
        window = std::make_unique<MainWindow>(Make(dir.path(), p ? p : &player), WindowOpeners{});
        ASSERT_TRUE(window->Start());
    }
    void DoubleClick(int index) {
        SetListIndex(window->list1(), index);
        window->List1_DblClick();
    }
};

std::string ReadLog(const TempDir& dir) { return ReadBytes(dir.File(L"错误日志.log")); }

}  // namespace

TEST_F(PlaybackTest, ChoosingSetsTheAddressThenPlaysAndNamesTheEntry) {
    Start("A\r\nB\r\n", "http://a\r\nhttp://b\r\n");
    player.calls.clear();
    DoubleClick(1);
    EXPECT_EQ(player.calls, (std::vector<std::wstring>{L"SetUrl http://b", L"Play"}));
    EXPECT_EQ(ListIndex(window->list2()), 1);
    EXPECT_EQ(WindowText(window->hwnd()), L"你选择:002 \u2605 B");
    DoubleClick(1);  // the same station again sets and plays again
    EXPECT_EQ(player.played, (std::vector<std::wstring>{L"http://b", L"http://b"}));
    EXPECT_FALSE(FileExists(dir.File(L"错误日志.log")));
}

TEST_F(PlaybackTest, NameWithoutAddressLogs380AndReplaysThePreviousAddress) {
    Start("A\r\nB\r\n", "http://a\r\n");
    DoubleClick(0);
    clock.now = {2024, 3, 0, 5, 0, 0, 0, 0};  // exactly midnight: no time part
    DoubleClick(1);
    EXPECT_EQ(player.played.back(), L"http://a");
    EXPECT_EQ(WindowText(window->hwnd()), L"你选择:002 \u2605 B");
    const std::string log = ReadLog(dir);
    EXPECT_EQ(log.rfind("\xCF\xB5\xCD\xB3", 0), 0u) << "a new log starts with the record";
    EXPECT_NE(log.find(": 380\r\n\r\n"), std::string::npos);
    EXPECT_EQ(log.size() - log.find(": 380\r\n\r\n"), std::string(": 380\r\n\r\n").size());
}

TEST_F(PlaybackTest, FailedHandOverLogsTheSignedResultOnce) {
    Start("A\r\n", "http://a\r\n");
    player.setUrlResult = E_FAIL;
    DoubleClick(0);
    EXPECT_NE(ReadLog(dir).find(": -2147467259\r\n\r\n"), std::string::npos);
    EXPECT_EQ(player.calls.back(), L"Play");
}

TEST_F(PlaybackTest, NoSelectionHandsOverTheEmptyAddress) {
    Start("A\r\n", "http://a\r\n");
    SetListIndex(window->list2(), 0);
    DoubleClick(-1);
    EXPECT_EQ(ListIndex(window->list2()), -1);
    EXPECT_EQ(player.played.back(), L"");
    EXPECT_EQ(WindowText(window->hwnd()), L"你选择:");
}

TEST_F(PlaybackTest, PlayBeforeAnyChoicePlaysTheDefaultStreamAndStopStops) {
    Start("A\r\n", "http://a\r\n");
    SendMessageW(window->button(kIdCommand3), BM_CLICK, 0, 0);
    EXPECT_EQ(player.played, std::vector<std::wstring>{kDefaultStreamUrl});
    SendMessageW(window->button(kIdCommand4), BM_CLICK, 0, 0);
    EXPECT_EQ(player.calls.back(), L"Stop");
}

TEST_F(PlaybackTest, PlayStatesDriveThePanelAndOthersLeaveIt) {
    Start("A\r\n", "http://a\r\n");
    const std::wstring welcome = PanelText(window->statusBar(), 0);
    for (int s : {0, 2, 4, 5, 7, 8, 11}) player.FirePlayStateChange(s);
    EXPECT_EQ(PanelText(window->statusBar(), 0), welcome);
    player.FirePlayStateChange(9);
    EXPECT_EQ(PanelText(window->statusBar(), 0), L"播放状态：正在连接...");
    player.FirePlayStateChange(3);
    EXPECT_EQ(PanelText(window->statusBar(), 0), L"播放状态：正在播放...");
    player.FirePlayStateChange(8);
    EXPECT_EQ(PanelText(window->statusBar(), 0), L"播放状态：正在播放...");
}

TEST_F(PlaybackTest, VolumeRestoreAndCompletedMovesOnly) {
    WriteBytes(dir.File(L"sound.ini"), "50");
    Start("A\r\n", "http://a\r\n");
    EXPECT_EQ(player.volume, 50);
    EXPECT_EQ(ReadBytes(dir.File(L"sound.ini")), " 50 \r\n");
    SendMessageW(window->slider(), TBM_SETPOS, TRUE, 0);
    SendMessageW(window->hwnd(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 0),
                 reinterpret_cast<LPARAM>(window->slider()));
    EXPECT_EQ(player.volume, 50) << "dragging changes nothing";
    SendMessageW(window->hwnd(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                 reinterpret_cast<LPARAM>(window->slider()));
    EXPECT_EQ(player.volume, 0);
    EXPECT_EQ(ReadBytes(dir.File(L"sound.ini")), std::string(" 0 \r\n"));
}

TEST_F(PlaybackTest, ASoundIniThatCannotBeReadPlaysAt50AndIsLeftAloneUntilAMove) {
    FailingWriter writer;
    WriteBytes(dir.File(L"sound.ini"), " 80 \r\n");
    {
        // Another program holds the file against reading; it could still be replaced.
        const FileHandle held = HoldAgainstReadingOnly(dir.File(L"sound.ini"));
        ASSERT_TRUE(held);
        WriteBytes(dir.File(L"zarvtai.mdb"), "A\r\n");
        WriteBytes(dir.File(L"zarvlist.dll"), "http://a\r\n");
        Services s = Make(dir.path(), &player);
        s.files = &writer;  // counts the writes and passes them on
        window = std::make_unique<MainWindow>(s, WindowOpeners{});
        ASSERT_TRUE(window->Start());
        EXPECT_EQ(writer.count, 0) << "no write is even tried at start-up";
        EXPECT_EQ(player.volume, 50);
        EXPECT_EQ(SendMessageW(window->slider(), TBM_GETPOS, 0, 0), 50);
        EXPECT_TRUE(box.texts.empty());
    }
    EXPECT_EQ(ReadBytes(dir.File(L"sound.ini")), " 80 \r\n") << "start-up must not overwrite it";
    SendMessageW(window->slider(), TBM_SETPOS, TRUE, 30);
    SendMessageW(window->hwnd(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(window->slider()));
    EXPECT_EQ(ReadBytes(dir.File(L"sound.ini")), " 30 \r\n") << "a move writes as usual";
    EXPECT_EQ(writer.count, 1);
    window.reset();  // before the writer it holds goes
}

TEST_F(PlaybackTest, AnOversizedStationFileLoadsAsAnEmptyListWithoutAMessage) {
    ASSERT_TRUE(MakeFileOfSize(dir.File(L"zarvtai.mdb"), static_cast<LONGLONG>(kMaxStationFileBytes) + 1));
    WriteBytes(dir.File(L"zarvlist.dll"), "http://a\r\n");
    window = std::make_unique<MainWindow>(Make(dir.path(), &player), WindowOpeners{});
    ASSERT_TRUE(window->Start());
    EXPECT_EQ(ListCount(window->list1()), 0);
    EXPECT_EQ(ListCount(window->list2()), 1);
    EXPECT_TRUE(box.texts.empty()) << "nothing may come before the start-up prompt";
}

namespace {
std::string ToneWav(int seconds) {
    const int rate = 8000, samples = rate * seconds;
    std::string w;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) w += static_cast<char>((v >> (8 * i)) & 0xFF); };
    auto u16 = [&](uint16_t v) { w += static_cast<char>(v & 0xFF); w += static_cast<char>(v >> 8); };
    w += "RIFF"; u32(36 + samples * 2); w += "WAVEfmt "; u32(16); u16(1); u16(1); u32(rate);
    u32(rate * 2); u16(2); u16(16); w += "data"; u32(samples * 2);
    for (int i = 0; i < samples; ++i) u16(static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(i * 0.3))));
    return w;
}
// Records every text set into the status bar's first panel, including the ones the component
// sets and replaces again while Play is still running.
std::vector<std::wstring>* g_panelTexts = nullptr;
HWND g_bar = nullptr;
LRESULT CALLBACK WatchPanel(int code, WPARAM wParam, LPARAM lParam) {
    const auto* c = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_panelTexts && c->hwnd == g_bar && c->message == SB_SETTEXTW &&
        LOBYTE(c->wParam) == 0)
        g_panelTexts->push_back(reinterpret_cast<const wchar_t*>(c->lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_F(PlaybackTest, RealComponentPlaysAStationFromTheList) {
    const std::wstring wav = dir.File(L"tone.wav");
    WriteBytes(wav, ToneWav(4));
    WmpMediaPlayer real;
    ASSERT_TRUE(real.Available());
    std::string urls = "http://127.0.0.1:9/none\r\n";
    Start("Tone\r\nDead\r\n", "", &real);
    WriteBytes(dir.File(L"zarvlist.dll"), std::string(wav.begin(), wav.end()) + "\r\n" + urls);
    window->Command1_Click();
    std::vector<std::wstring> seen;
    g_panelTexts = &seen;
    g_bar = window->statusBar();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchPanel, nullptr, GetCurrentThreadId());
    DoubleClick(0);
    PumpUntil([&] { return PanelText(window->statusBar(), 0) == L"播放状态：正在播放..."; }, 20000);
    UnhookWindowsHookEx(hook);
    g_panelTexts = nullptr;
    EXPECT_EQ(PanelText(window->statusBar(), 0), L"播放状态：正在播放...");
    EXPECT_NE(std::find(seen.begin(), seen.end(), L"播放状态：正在连接..."), seen.end());
    // An unreachable address neither crashes nor hangs.
    DoubleClick(1);
    PumpUntil([] { return false; }, 1500);
    window->Command4_Click();
    PumpUntil([&] { return PanelText(window->statusBar(), 0) == L"播放状态：已停止"; }, 5000);
    EXPECT_EQ(PanelText(window->statusBar(), 0), L"播放状态：已停止");
    window.reset();
}

TEST_F(PlaybackTest, AFolderThatRefusesWritesIsExplainedOnceAtTheFirstFailedWrite) {
    // A folder under Program Files: the shipped files are there, but nothing can be written.
    FailingWriter writer;
    for (int i = 1; i <= 10; ++i) writer.failing.insert(i);
    WriteBytes(dir.File(L"sound.ini"), " 70 \r\n");
    WriteBytes(dir.File(L"zarvtai.mdb"), "A\r\nB\r\n");
    WriteBytes(dir.File(L"zarvlist.dll"), "http://a\r\n");
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"错误日志.log").c_str(), nullptr));  // the log cannot be opened
    Services s = Make(dir.path(), &player);
    s.files = &writer;
    window = std::make_unique<MainWindow>(s, WindowOpeners{});
    ASSERT_TRUE(window->Start());
    EXPECT_EQ(player.volume, 70);
    EXPECT_EQ(writer.count, 0) << "a volume file that already reads right is not written again at start-up";
    EXPECT_TRUE(box.texts.empty());

    SendMessageW(window->slider(), TBM_SETPOS, TRUE, 30);
    SendMessageW(window->hwnd(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(window->slider()));
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(box.texts[0], DataFolderNotWritableText(dir.path()));
    EXPECT_NE(box.texts[0].find(dir.path()), std::wstring::npos) << "names the folder";
    EXPECT_NE(box.texts[0].find(L"Program Files"), std::wstring::npos) << "says why";
    EXPECT_EQ(player.volume, 30) << "the volume still changes";

    SendMessageW(window->slider(), TBM_SETPOS, TRUE, 40);
    SendMessageW(window->hwnd(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(window->slider()));
    DoubleClick(1);  // a name without an address: its record cannot be appended either
    EXPECT_EQ(box.texts.size(), 1u) << "told once a run";
    EXPECT_EQ(ReadBytes(dir.File(L"sound.ini")), " 70 \r\n");
    window.reset();
}

TEST_F(PlaybackTest, AnErrorLogThatCannotBeWrittenIsTheFirstFailedWriteToo) {
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"错误日志.log").c_str(), nullptr));
    Start("A\r\nB\r\n", "http://a\r\n");
    DoubleClick(1);
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(box.texts[0], DataFolderNotWritableText(dir.path()));
    EXPECT_EQ(WindowText(window->hwnd()), L"你选择:002 \u2605 B") << "the choice goes on as before";
}
