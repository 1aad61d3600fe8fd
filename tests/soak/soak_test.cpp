// The program used for a long while: windows opened and closed hundreds of times, every button
// hovered and clicked thousands of times, the list refreshed again and again. Nothing it takes
// from the system may pile up.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "about/about_window.h"
#include "app/main_window.h"
#include "editor/station_editor.h"
#include "platform/toolkit/class_names.h"
#include "platform/toolkit/controls.h"
#include "settings/settings_window.h"
#include "skin/hover.h"
#include "skin/skin_engine.h"
#include "skin/paint/window_props.h"
#include "support/fake_media_player.h"
#include "support/child_windows.h"
#include "support/fake_services.h"
#include "support/message_pump.h"
#include "support/object_counts.h"
#include "support/temp_dir.h"

namespace zarvio::test {
namespace {

// Whether a window timer with the skin's identifier still runs on the window: killing it
// succeeds only then (and stops it, which a test at its end may do).
bool FadeTimerRuns(HWND hwnd) { return KillTimer(hwnd, skin::kStateTimerId) != FALSE; }

class Soak : public ::testing::Test, public FakeServiceSet {
protected:
    TempDir dir;
    FakeMediaPlayer player;
    Services Make() {
        WriteBytes(dir.File(L"zarvtai.mdb"), "\xD6\xD0\xB9\xFA\r\nB\r\nC\r\n");
        WriteBytes(dir.File(L"zarvlist.dll"), "http://a\r\nhttp://b\r\nhttp://c\r\n");
        return FakeServiceSet::Make(dir.path(), &player);
    }
};

TEST_F(Soak, LongUseGivesBackEverythingItTakes) {
    // The X server's pointer rests in the middle of the screen, over the centred main window,
    // where Wine may pop a tooltip up for the relayed movements at any moment of the count.
    SetCursorPos(0, 0);
    const Services services = Make();
    EditorHost editors(services);
    AboutHost about(services);
    SettingsWindow settings(services);
    MainWindow w(services, {[&] { editors.Open(); }, [&] { settings.Open(); }, [&] { about.Open(); }});
    ASSERT_TRUE(w.Start());
    const auto buttons = PushButtonsOf(w.hwnd());
    ASSERT_EQ(buttons.size(), 6u);

    // One round of everything first, so that caches and the settings window (which lives on
    // hidden once opened) are part of the starting count.
    auto openAndClose = [&](auto& host, auto current) {
        host.Open();
        PumpPending();
        ASSERT_NE(current(), nullptr);
        SendMessageW(current(), WM_CLOSE, 0, 0);
        PumpPending();
    };
    auto editorWindow = [&] { return editors.current() ? editors.current()->hwnd() : nullptr; };
    auto aboutWindow = [&] { return about.current() ? about.current()->hwnd() : nullptr; };
    auto hoverAndClick = [&](HWND b) {
        SendMessageW(b, WM_MOUSEMOVE, 0, MAKELPARAM(10, 8));
        SendMessageW(b, WM_TIMER, skin::kStateTimerId, 0);
        SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
        SendMessageW(b, WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
        SendMessageW(b, WM_MOUSELEAVE, 0, 0);
    };
    auto closeOthers = [&] {
        if (HWND e = editorWindow()) SendMessageW(e, WM_CLOSE, 0, 0);
        if (HWND a = aboutWindow()) SendMessageW(a, WM_CLOSE, 0, 0);
        if (settings.hwnd()) SendMessageW(settings.hwnd(), WM_CLOSE, 0, 0);
        PumpPending();
    };
    openAndClose(editors, editorWindow);
    openAndClose(about, aboutWindow);
    for (HWND b : buttons) hoverAndClick(b);
    closeOthers();
    SendMessageW(w.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    PumpPending();
    const int gdi = CountGdiObjects(), user = CountUserObjects(), hooked = skin::HookedCount();

    for (int i = 0; i < 500; ++i) openAndClose(editors, editorWindow);
    for (int i = 0; i < 500; ++i) openAndClose(about, aboutWindow);
    // Button by button: the ones that open a window bring it up once and then only show it.
    for (HWND b : buttons)
        for (int i = 0; i < 2000; ++i) hoverAndClick(b);
    for (int i = 0; i < 500; ++i) w.Command1_Click();
    closeOthers();

    // Every fade runs to its end; then no button may keep a timer.
    for (int tick = 0; tick < 100; ++tick)
        for (HWND b : buttons)
            if (skin::ReadWindowProp(b, skin::kTimerIdProp)) SendMessageW(b, WM_TIMER, skin::kStateTimerId, 0);
    for (HWND b : buttons) {
        EXPECT_EQ(skin::ReadWindowProp(b, skin::kTimerIdProp), 0);
        EXPECT_FALSE(FadeTimerRuns(b));
    }
    EXPECT_EQ(ListCount(w.list1()), 3);
    EXPECT_EQ(skin::HookedCount(), hooked);
    EXPECT_EQ(CountUserObjects(), user);
    EXPECT_EQ(CountGdiObjects(), gdi);
    w.ExitProgram();
    settings.Destroy();
}

}  // namespace
}  // namespace zarvio::test
