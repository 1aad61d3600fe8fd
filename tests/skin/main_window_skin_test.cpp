#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <vector>

#include "app/main_window.h"
#include "editor/station_editor.h"
#include "settings/settings_window.h"
#include "skin/paint/check_paint.h"
#include "skin/paint/geometry.h"
#include "platform/toolkit/class_names.h"
#include "skin_test_support.h"
#include "support/child_windows.h"
#include "support/fake_services.h"
#include "support/temp_dir.h"

namespace zarvio::skin::test {
namespace {

using ::zarvio::test::PushButtonsOf;

class SkinnedMainWindow : public SkinTest, public ::zarvio::test::FakeServiceSet {
protected:
    ::zarvio::test::TempDir dir;
    Services Make() {
        ::zarvio::test::WriteBytes(dir.File(L"zarvtai.mdb"), "A\r\nB\r\n");
        ::zarvio::test::WriteBytes(dir.File(L"zarvlist.dll"), "http://a\r\nhttp://b\r\n");
        return FakeServiceSet::Make(dir.path());
    }
};

TEST_F(SkinnedMainWindow, ButtonsOnScreenShowTheFlatBlueFaceInTheNormalState) {
    MainWindow w(Make(), {});
    ASSERT_TRUE(w.Start());
    SetCursorPos(0, 0);  // not over a button
    PumpMessages();
    const auto buttons = PushButtonsOf(w.hwnd());
    ASSERT_EQ(buttons.size(), 6u);
    RECT r{};
    GetWindowRect(buttons[0], &r);
    const int W = r.right - r.left, H = r.bottom - r.top;
    // Read the screen itself, as a screenshot would.
    const WindowDc screen = WindowDc::Client(nullptr);
    const Pixels shot(screen.get(), r.left, r.top, W, H);
    const uint32_t frame = 0x1B8FD5;
    EXPECT_EQ(shot.at(0, H / 2), frame);
    EXPECT_EQ(shot.at(W - 1, H / 2), frame);
    EXPECT_EQ(shot.at(W / 2 + 20, 0), frame);
    EXPECT_EQ(shot.at(W / 2 + 20, H - 1), frame);
    // The face: the cell's inner column, light at the top and darker towards the bottom.
    const std::set<uint32_t> face = {0xF1F8FC, 0xEEF6FB, 0xEAF4FB, 0xE6F2FB, 0xE2F0FA, 0xDEEEFA, 0xDAECF9, 0xD7EAF9,
                                     0xCCE2F5, 0xC8DFF3, 0xC3DCF1, 0xBED8EF, 0xB8D5ED, 0xB4D2EB, 0xB1D0EA};
    const uint32_t top = shot.at(3, 3), bottom = shot.at(3, H - 4);
    EXPECT_TRUE(face.count(top)) << std::hex << top;
    EXPECT_TRUE(face.count(bottom)) << std::hex << bottom;
    for (int shift : {0, 8, 16}) EXPECT_GT((top >> shift) & 0xFF, (bottom >> shift) & 0xFF);
    w.ExitProgram();
}

TEST_F(SkinnedMainWindow, ExitGivesTheButtonsTheirOwnStyleProcedureAndShapeBack) {
    MainWindow w(Make(), {});
    ASSERT_TRUE(w.Start());
    const auto buttons = PushButtonsOf(w.hwnd());
    ASSERT_FALSE(buttons.empty());
    WNDCLASSEXW cls{sizeof(cls)};
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kButtonClass, &cls));
    RECT box{};
    for (HWND b : buttons) {
        EXPECT_EQ(GetWindowLongPtrW(b, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
        EXPECT_NE(GetWindowRgnBox(b, &box), ERROR);
    }
    w.ExitProgram();
    EXPECT_EQ(exit.exits, 1);
    EXPECT_FALSE(SkinReady());
    for (HWND b : buttons) {
        EXPECT_EQ(GetWindowLongPtrW(b, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
        EXPECT_EQ(GetWindowRgnBox(b, &box), ERROR);
        EXPECT_EQ(GetWindowLongPtrW(b, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(cls.lpfnWndProc));
        EXPECT_TRUE(SkinPropsLeft(b).empty());
    }
}

// The glyph box of a check box on screen: the skin's square has a blue frame and is white inside.
void ExpectSkinSquare(HWND check) {
    RECT r{};
    GetWindowRect(check, &r);
    const SIZE g = MenuCheckSize();
    const int y0 = Halve(static_cast<int>(r.bottom - r.top) - g.cy);
    const WindowDc screen = WindowDc::Client(nullptr);
    const Pixels shot(screen.get(), r.left, r.top + y0, g.cx, g.cy);
    EXPECT_EQ(shot.at(0, g.cy / 2), 0x54A5D5u);
    EXPECT_EQ(shot.at(g.cx - 1, g.cy / 2), 0x54A5D5u);
    EXPECT_EQ(shot.at(g.cx / 2, 0), 0x54A5D5u);
    EXPECT_EQ(shot.at(2, 2), 0xFFFFFFu);
}

HWND FindChildOfClass(HWND parent, const wchar_t* cls) {
    const std::vector<HWND> found = ::zarvio::test::ChildrenOfClass(parent, cls);
    return found.empty() ? nullptr : found.front();
}

TEST_F(SkinnedMainWindow, CheckBoxesOfTheMainWindowTheEditorAndTheSettingsShowTheSkinsSquare) {
    EditorHost editors(FakeServiceSet::Make(dir.path()));
    SettingsWindow settings(FakeServiceSet::Make(dir.path()));
    MainWindow w(Make(), {[&] { editors.Open(); }, [&] { settings.Open(); }});
    ASSERT_TRUE(w.Start());
    SetCursorPos(0, 0);
    PumpMessages();
    HWND mainCheck = FindChildOfClass(w.hwnd(), kCheckBoxClass);
    ASSERT_NE(mainCheck, nullptr);
    EXPECT_TRUE(IsHooked(mainCheck));
    ExpectSkinSquare(mainCheck);

    editors.Open();
    PumpMessages();
    ASSERT_NE(editors.current(), nullptr);
    HWND lock = editors.current()->item(kEdCheck1);
    EXPECT_TRUE(IsHooked(lock));
    ExpectSkinSquare(lock);
    DestroyWindow(editors.current()->hwnd());

    ASSERT_TRUE(settings.Open());
    PumpMessages();
    HWND autostart = settings.item(kSetCheck1);
    EXPECT_TRUE(IsHooked(settings.hwnd()));
    EXPECT_TRUE(IsHooked(autostart));
    ExpectSkinSquare(autostart);
    w.ExitProgram();
    // The settings window lives on hidden and hooked; it goes with the program.
    EXPECT_TRUE(SkinReady());
    settings.Destroy();
}

}  // namespace
}  // namespace zarvio::skin::test
