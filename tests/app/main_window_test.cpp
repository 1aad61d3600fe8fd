#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/twips.h"
#include "support/fake_services.h"
#include "support/message_pump.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

struct MainWindowTest : ::testing::Test, FakeServiceSet {
    TempDir dir;
    Services Make() {
        WriteBytes(dir.File(L"zarvtai.mdb"), "\xD6\xD0\xB9\xFA\r\nB\r\n");
        WriteBytes(dir.File(L"zarvlist.dll"), "http://a\r\nhttp://b\r\n");
        return FakeServiceSet::Make(dir.path());
    }
};

}  // namespace

TEST_F(MainWindowTest, StartUpShowsTitleWelcomeWeekdayAndTray) {
    MainWindow w(Make(), {});
    ASSERT_TRUE(w.Start());
    EXPECT_EQ(WindowText(w.hwnd()), L"Zarvio正式版 V1.0.16");
    EXPECT_EQ(PanelText(w.statusBar(), 0), L"欢迎使用〖Zarvio〗");
    EXPECT_EQ(PanelText(w.statusBar(), 3), L"星期日");
    EXPECT_EQ(tray.adds, 1);
    EXPECT_EQ(tray.tip, L"Zarvio  版本V1.0.16");
    EXPECT_EQ(ListText(w.list1(), 0), L"001 \u2605 中国");
    EXPECT_TRUE(IsWindowVisible(w.hwnd()));
    // Panel right edges follow the twips widths.
    int edges[4] = {};
    SendMessageW(w.statusBar(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    EXPECT_EQ(edges[0], TwipsToPixels(2800));
    EXPECT_EQ(edges[1], TwipsToPixels(2800) + TwipsToPixels(1151));
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    EXPECT_EQ(client.right, TwipsToPixels(5385));
    EXPECT_EQ(client.bottom, TwipsToPixels(3375));
}

TEST_F(MainWindowTest, SecondCopyAnsweredNoLeavesNothing) {
    instance.another = true;
    box.answers = {IDNO};
    MainWindow w(Make(), {});
    EXPECT_FALSE(w.Start());
    EXPECT_EQ(box.texts.at(0), L"程序已运行中……是否继续？");
    EXPECT_EQ(box.styles.at(0), 324u);
    EXPECT_EQ(tray.adds, 0);
    EXPECT_EQ(w.hwnd(), nullptr);
}

TEST_F(MainWindowTest, CloseHidesTrayRestoresAndExitCleansUp) {
    MainWindow w(Make(), {});
    ASSERT_TRUE(w.Start());
    SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(w.hwnd()));
    EXPECT_FALSE(IsWindowVisible(w.hwnd()));
    SendMessageW(w.hwnd(), kTrayCallbackMessage, 1, WM_LBUTTONDOWN);  // a single click: nothing
    EXPECT_FALSE(IsWindowVisible(w.hwnd()));
    SendMessageW(w.hwnd(), kTrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(w.hwnd()));
    ShowWindow(w.hwnd(), SW_MINIMIZE);
    SendMessageW(w.hwnd(), kTrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(IsIconic(w.hwnd()));
    // The shell restarting brings the icon back.
    SendMessageW(w.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(tray.adds, 2);
    w.ExitProgram();
    EXPECT_EQ(tray.removes, 1);
    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_NE(browser.opened[0].find(L"forum.php?mod="), std::wstring::npos);
    EXPECT_EQ(exit.exits, 1);
}

TEST_F(MainWindowTest, AnotherProgramAsksItToEndAndItEndsAsTheTrayExitDoesWithoutTheForumPage) {
    MainWindow w(Make(), {});
    ASSERT_TRUE(w.Start());
    SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);  // hidden in the tray, as it often is
    // As the installer sends it: the command, no control.
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(kMenuExit, 0), 0);
    EXPECT_EQ(tray.removes, 1);
    EXPECT_EQ(w.mediaHotKeysHeld(), 0);
    EXPECT_TRUE(browser.opened.empty()) << "the user did not choose to leave";
    EXPECT_EQ(exit.exits, 1);
}

namespace {
// At logon the program may start before the shell: the first add of the icon fails.
struct TrayRefusingTheFirstAdd : FakeTray {
    bool Add(const TrayIconData& icon) override {
        const bool first = adds == 0;
        FakeTray::Add(icon);
        return !first;
    }
};
}  // namespace

TEST_F(MainWindowTest, AnIconRefusedAtStartUpIsAddedWhenTheTaskbarComes) {
    TrayRefusingTheFirstAdd lateShell;
    Services services = Make();
    services.tray = &lateShell;
    MainWindow w(services, {});
    ASSERT_TRUE(w.Start());
    EXPECT_EQ(lateShell.adds, 1);
    EXPECT_TRUE(w.trayIconAdded()) << "the program still wants its icon";
    EXPECT_FALSE(w.trayIconShown());
    SendMessageW(w.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(lateShell.adds, 2);
    EXPECT_TRUE(w.trayIconShown());
    w.ExitProgram();
    EXPECT_EQ(lateShell.removes, 1);
    EXPECT_FALSE(w.trayIconAdded());
    EXPECT_FALSE(w.trayIconShown());
}

TEST_F(MainWindowTest, KeepOnTopSetsAndClearsTopmost) {
    MainWindow w(Make(), {});
    ASSERT_TRUE(w.Start());
    SetChecked(w.check1(), true);
    ASSERT_TRUE(IsChecked(w.check1()));
    w.Check1_Click();
    EXPECT_TRUE(GetWindowLongW(w.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetChecked(w.check1(), false);
    w.Check1_Click();
    EXPECT_FALSE(GetWindowLongW(w.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(MainWindowTest, ListTooltipFollowsSelectionNotPointer) {
    MainWindow w(Make(), {});
    ASSERT_TRUE(w.Start());

    SetListIndex(w.list1(), 1);
    SendMessageW(w.list1(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // over the first row
    EXPECT_EQ(w.ToolTip(w.list1()), L"002 \u2605 B");
    SetListIndex(w.list1(), -1);
    SendMessageW(w.list1(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(w.ToolTip(w.list1()), L"");
}

namespace {
// Reads the open pop-up menu's item captions during the menu's own modal loop, then closes it.
std::vector<std::wstring> g_menuItems;
void CALLBACK ReadAndCloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup) return;
    KillTimer(nullptr, id);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        g_menuItems.push_back(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR ? L"-" : text);
    }
    EndMenu();
}
}  // namespace

TEST_F(MainWindowTest, RightButtonReleaseOnTheIconOpensTheCommandMenu) {
    MainWindow w(Make(), {});
    ASSERT_TRUE(w.Start());
    g_menuItems.clear();
    SetTimer(nullptr, 0, 100, ReadAndCloseMenu);
    SendMessageW(w.hwnd(), kTrayCallbackMessage, 1, WM_RBUTTONUP);  // returns when the menu closes
    EXPECT_EQ(g_menuItems, (std::vector<std::wstring>{L"播放(&P)", L"停止(&S)", L"-", L"自定义电台(&T)",
                                                      L"搜索电台(&F)...", L"设置选项(&O)", L"-", L"关于...",
                                                      L"退出(&E)"}));
    EXPECT_EQ(exit.exits, 0);  // closing the menu chose nothing
}

TEST_F(MainWindowTest, EachStatusPanelShowsItsOwnTipUnderThePointer) {
    MainWindow w(Make(), {});
    ASSERT_TRUE(w.Start());
    HWND bar = w.statusBar();
    EXPECT_FALSE(GetWindowLongW(bar, GWL_STYLE) & SBT_TOOLTIPS) << "the bar's own tips show only for cut parts";
    const wchar_t* const tips[] = {L"电台连接或是播放状态等信息。", L"日期。", L"时间。", L"星期"};
    for (int panel : {1, 3, 0}) {
        RECT part{};
        SendMessageW(bar, SB_GETRECT, panel, reinterpret_cast<LPARAM>(&part));
        // The pointer over the panel (the tooltip looks where it is before it shows the tip) and
        // the mouse message as the bar gets it, which the toolkit relays to the form's tooltip.
        POINT centre{(part.left + part.right) / 2, (part.top + part.bottom) / 2};
        POINT onScreen = centre;
        ClientToScreen(bar, &onScreen);
        SetCursorPos(onScreen.x, onScreen.y);
        SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        wchar_t text[128] = {};
        ti.lpszText = text;
        // The tip comes up after the tooltip's initial delay.
        const bool shown = PumpUntil(
            [&] {
                return SendMessageW(w.ToolTipWindow(), TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != 0 &&
                       ti.hwnd == bar && ti.uId == static_cast<UINT_PTR>(panel);
            },
            5000);
        ASSERT_TRUE(shown) << "panel " << panel;
        EXPECT_EQ(std::wstring(text), tips[panel]) << "panel " << panel;
    }
}
