// The main window without a mouse: where the focus goes, the Tab order, Enter in the station
// list and the tray icon's keyboard messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "app/main_window.h"
#include "platform/toolkit/controls.h"
#include "support/fake_media_player.h"
#include "support/fake_services.h"
#include "support/keyboard.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

struct KeyboardTest : ::testing::Test, FakeServiceSet {
    TempDir dir;
    FakeMediaPlayer player;
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        WriteBytes(dir.File(L"zarvtai.mdb"), "A\r\nB\r\nC\r\n");
        WriteBytes(dir.File(L"zarvlist.dll"), "http://a\r\nhttp://b\r\nhttp://c\r\n");
        window = std::make_unique<MainWindow>(Make(dir.path(), &player), WindowOpeners{});
        ASSERT_TRUE(window->Start());
        Activate(window->hwnd());
    }
    HWND Focus() const { return GetFocus(); }
};

// A plain top-level window that takes the activation away from the main window.
struct OtherWindow {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ~OtherWindow() { DestroyWindow(hwnd); }
};

std::vector<std::wstring> g_menuItems;
void CALLBACK ReadAndCloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup) return;
    KillTimer(nullptr, id);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        g_menuItems.push_back(text);
    }
    EndMenu();
}

}  // namespace

TEST_F(KeyboardTest, FocusStartsInTheListAndComesBackToTheLastControl) {
    EXPECT_EQ(Focus(), window->list1());
    SetFocus(window->button(kIdCommand4));
    {
        OtherWindow other;
        Activate(other.hwnd);
        ASSERT_EQ(GetActiveWindow(), other.hwnd);
        Activate(window->hwnd());
        EXPECT_EQ(Focus(), window->button(kIdCommand4)) << "re-activated with the control it had";
    }
    // Hidden to the tray and brought back by the keyboard: the same control again.
    SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindowVisible(window->hwnd()));
    SendMessageW(window->hwnd(), kTrayCallbackMessage, 1, NIN_KEYSELECT);
    PumpProgramMessages();
    EXPECT_TRUE(IsWindowVisible(window->hwnd()));
    EXPECT_EQ(Focus(), window->button(kIdCommand4));
}

TEST_F(KeyboardTest, TabVisitsTheVisibleControlsInOrderAndWraps) {
    ASSERT_EQ(Focus(), window->list1());
    EXPECT_EQ(TabSequence(9), (std::vector<int>{kIdCommand1, kIdCommand2, kIdCommand3, kIdCommand4, kIdSlider1,
                                                kIdCommand5, kIdCommand6, kIdCheck1, kIdList1}));
    // The label lies behind the slider, not over it.
    EXPECT_EQ(ChildWindowFromPointEx(window->hwnd(), {TwipsToPixels(4440) + 5, TwipsToPixels(2760) + 5},
                                     CWP_SKIPINVISIBLE),
              window->slider());
}

TEST_F(KeyboardTest, EnterInTheListPlaysAsADoubleClickDoes) {
    SetListIndex(window->list1(), 1);
    player.calls.clear();
    PressKey(VK_RETURN);
    const auto byEnter = player.calls;
    const std::wstring titleByEnter = WindowText(window->hwnd());
    EXPECT_EQ(byEnter, (std::vector<std::wstring>{L"SetUrl http://b", L"Play"}));

    player.calls.clear();
    SetWindowTextW(window->hwnd(), L"");
    RECT row{};
    SendMessageW(window->list1(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    const LPARAM at = MAKELPARAM(row.left + 2, row.top + 2);
    SendMessageW(window->list1(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window->list1(), WM_LBUTTONUP, 0, at);
    SendMessageW(window->list1(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(window->list1(), WM_LBUTTONUP, 0, at);
    PumpProgramMessages();
    EXPECT_EQ(player.calls, byEnter);
    EXPECT_EQ(WindowText(window->hwnd()), titleByEnter);
    EXPECT_EQ(titleByEnter, L"你选择:002 \u2605 B");
}

TEST_F(KeyboardTest, ArrowsStillMoveTheListAndEnterElsewhereDoesNotPlay) {
    SetListIndex(window->list1(), 0);
    PressKey(VK_DOWN);
    EXPECT_EQ(ListIndex(window->list1()), 1);
    player.calls.clear();
    SetFocus(window->check1());
    PressKey(VK_RETURN);
    SetFocus(window->slider());
    PressKey(VK_RETURN);
    EXPECT_TRUE(player.calls.empty());
    PressKey(VK_ESCAPE);  // nothing closes the main window from the keyboard
    EXPECT_TRUE(IsWindowVisible(window->hwnd()));
}

TEST_F(KeyboardTest, TrayIconDeclaresVersion3OnEveryAddAndOpensTheMenuFromTheKeyboard) {
    EXPECT_EQ(tray.versions, std::vector<UINT>{NOTIFYICON_VERSION});
    SendMessageW(window->hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(tray.versions, (std::vector<UINT>{NOTIFYICON_VERSION, NOTIFYICON_VERSION}));

    g_menuItems.clear();
    SetTimer(nullptr, 0, 50, ReadAndCloseMenu);
    SendMessageW(window->hwnd(), kTrayCallbackMessage, 1, WM_CONTEXTMENU);  // returns when it closes
    ASSERT_EQ(g_menuItems.size(), 8u);
    EXPECT_EQ(g_menuItems.front(), L"播放(&P)");
    EXPECT_EQ(g_menuItems.back(), L"退出(&E)");

    // A single selection of the icon (version 3 reports a click as NIN_SELECT) does nothing.
    ShowWindow(window->hwnd(), SW_HIDE);
    SendMessageW(window->hwnd(), kTrayCallbackMessage, 1, NIN_SELECT);
    EXPECT_FALSE(IsWindowVisible(window->hwnd()));
    ShowWindow(window->hwnd(), SW_MINIMIZE);
    SendMessageW(window->hwnd(), kTrayCallbackMessage, 1, NIN_KEYSELECT);
    EXPECT_TRUE(IsWindowVisible(window->hwnd()));
    EXPECT_FALSE(IsIconic(window->hwnd()));
}

namespace {
// While the menu of a right-click is up, the shell's WM_CONTEXTMENU for the same click arrives.
// Menus are counted as they are created; every tick closes whatever menu is open, so a second
// menu cannot keep the test waiting.
HWND g_main = nullptr;
int g_menusCreated = 0;
bool g_contextMenuSent = false;
LRESULT CALLBACK CountMenus(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        wchar_t cls[16] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 16);
        if (lstrcmpW(cls, L"#32768") == 0) ++g_menusCreated;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
void CALLBACK ContextMenuWhileOpen(HWND, UINT, UINT_PTR, DWORD) {
    if (!FindWindowW(L"#32768", nullptr)) return;
    if (!g_contextMenuSent) {
        g_contextMenuSent = true;
        SendMessageW(g_main, kTrayCallbackMessage, 1, WM_CONTEXTMENU);
    }
    EndMenu();
}
}  // namespace

TEST_F(KeyboardTest, ARightClickFollowedByItsContextMenuMessageOpensOneMenu) {
    g_main = window->hwnd();
    HHOOK hook = SetWindowsHookExW(WH_CBT, CountMenus, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, ContextMenuWhileOpen);
    SendMessageW(window->hwnd(), kTrayCallbackMessage, 1, WM_RBUTTONUP);  // returns when it closes
    const int afterClick = g_menusCreated;
    // A later request of its own opens the menu again.
    SendMessageW(window->hwnd(), kTrayCallbackMessage, 1, WM_CONTEXTMENU);
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(g_contextMenuSent);
    EXPECT_EQ(afterClick, 1);
    EXPECT_EQ(g_menusCreated, 2);
}
