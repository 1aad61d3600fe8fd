// The main window without a mouse: the focus, the Tab order, Enter in the list, the tray icon.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <utility>

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
    void Tray(UINT message) { SendMessageW(window->hwnd(), kTrayCallbackMessage, 1, message); }
};

// Counts the pop-up menus created, closes each at the next tick so none can keep a test
// waiting, and while the first is up delivers the shell's WM_CONTEXTMENU of the same click.
HWND g_main = nullptr;
int g_menus = 0;
bool g_sendContextMenu = false;
LRESULT CALLBACK CountMenus(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t cls[16] = {};
    if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 16) &&
        lstrcmpW(cls, L"#32768") == 0)
        ++g_menus;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
    if (!FindWindowW(L"#32768", nullptr)) return;
    if (std::exchange(g_sendContextMenu, false)) SendMessageW(g_main, kTrayCallbackMessage, 1, WM_CONTEXTMENU);
    EndMenu();
}

}  // namespace

TEST_F(KeyboardTest, FocusStartsInTheListAndReturnsToTheLastControlOnReactivation) {
    EXPECT_EQ(GetFocus(), window->list1());
    SetFocus(window->button(kIdCommand4));
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    Activate(other);
    Activate(window->hwnd());
    EXPECT_EQ(GetFocus(), window->button(kIdCommand4));
    DestroyWindow(other);
    // Hidden to the tray and brought back with Enter on the icon: the same control.
    SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
    Tray(NIN_SELECT);  // a single selection does nothing
    EXPECT_FALSE(IsWindowVisible(window->hwnd()));
    Tray(NIN_KEYSELECT);
    PumpProgramMessages();
    EXPECT_TRUE(IsWindowVisible(window->hwnd()));
    EXPECT_EQ(GetFocus(), window->button(kIdCommand4));
}

TEST_F(KeyboardTest, TabVisitsTheVisibleControlsInOrderAndWraps) {
    EXPECT_EQ(TabSequence(9), (std::vector<int>{kIdCommand1, kIdCommand2, kIdCommand3, kIdCommand4, kIdSlider1,
                                                kIdCommand5, kIdCommand6, kIdCheck1, kIdList1}));
}

TEST_F(KeyboardTest, EnterInTheListPlaysAsADoubleClickDoesAndNowhereElse) {
    SetListIndex(window->list1(), 0);
    PressKey(VK_DOWN);  // the list keeps its keys
    player.calls.clear();
    PressKey(VK_RETURN);
    const auto byEnter = player.calls;
    EXPECT_EQ(byEnter, (std::vector<std::wstring>{L"SetUrl http://b", L"Play"}));
    EXPECT_EQ(WindowText(window->hwnd()), L"你选择:002 \u2605 B");

    player.calls.clear();
    RECT row{};
    SendMessageW(window->list1(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageW(window->list1(), m, 0, MAKELPARAM(row.left + 2, row.top + 2));
    PumpProgramMessages();
    EXPECT_EQ(player.calls, byEnter);

    player.calls.clear();
    SetFocus(window->check1());
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);  // nothing closes the main window from the keyboard
    EXPECT_TRUE(player.calls.empty());
    EXPECT_TRUE(IsWindowVisible(window->hwnd()));
}

TEST_F(KeyboardTest, TrayIconIsVersion3AfterEveryAddAndOneClickOpensOneMenu) {
    SendMessageW(window->hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(tray.versions, (std::vector<UINT>{NOTIFYICON_VERSION, NOTIFYICON_VERSION}));

    g_main = window->hwnd();
    g_menus = 0;
    HHOOK hook = SetWindowsHookExW(WH_CBT, CountMenus, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMenu);
    Tray(WM_CONTEXTMENU);  // the menu key on the icon; returns when the menu closes
    EXPECT_EQ(g_menus, 1);
    g_sendContextMenu = true;
    Tray(WM_RBUTTONUP);  // a right-click, followed by its WM_CONTEXTMENU while the menu is up
    EXPECT_FALSE(g_sendContextMenu);
    EXPECT_EQ(g_menus, 2);
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
}
