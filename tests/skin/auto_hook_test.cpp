#include <gtest/gtest.h>
#include <windows.h>

#include "editor/station_editor.h"
#include "skin/skin_engine.h"
#include "skin_test_support.h"
#include "support/fake_services.h"
#include "support/temp_dir.h"

namespace zarvio::skin::test {
namespace {

using AutomaticHooking = SkinTest;

// Every descendant of a window, and whether all of them are hooked.
bool AllDescendantsHooked(HWND hwnd, int* count = nullptr) {
    struct Tally { int all = 0, hooked = 0; } tally;
    EnumChildWindows(
        hwnd,
        [](HWND c, LPARAM p) -> BOOL {
            auto* t = reinterpret_cast<Tally*>(p);
            ++t->all;
            if (IsHooked(c)) ++t->hooked;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tally));
    if (count) *count = tally.all;
    return tally.all > 0 && tally.all == tally.hooked;
}

void Activate(HWND hwnd) {
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    PumpMessages();
}

TEST_F(AutomaticHooking, TheEditorIsTakenOverWhenItFirstBecomesActiveAndLetGoOnClose) {
    EveryKindForm main;
    ASSERT_TRUE(main.Open(L"Zarvio"));
    InitSkin(main.hwnd());
    Activate(main.hwnd());
    const int mainCount = HookedCount();

    ::zarvio::test::TempDir dir;
    ::zarvio::test::FakeServiceSet fakes;
    EditorHost editors(fakes.Make(dir.path()));
    editors.Open();
    ASSERT_NE(editors.current(), nullptr);
    const HWND editor = editors.current()->hwnd();
    PumpMessages();
    EXPECT_TRUE(IsHooked(editor));
    int controls = 0;
    EXPECT_TRUE(AllDescendantsHooked(editor, &controls));
    EXPECT_EQ(HookedCount(), mainCount + 1 + controls);
    // Its push buttons got their pictures, its Delete button (disabled at load) state 3.
    const HWND remove = editors.current()->item(kEdCommand3);
    EXPECT_NE(Prop(remove, L"HDC0"), 0);
    EXPECT_EQ(Prop(remove, L"OLDSTATE"), 3);

    SendMessageW(editor, WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(HookedCount(), mainCount);
    EXPECT_TRUE(SkinReady());
    main.Destroy();
}

// What the timer found while the message box was up.
struct BoxSeen {
    bool found = false, boxHooked = false, buttonsSkinned = false;
};
BoxSeen g_box;

void CALLBACK InspectMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND top, LPARAM) -> BOOL {
            if (GetClassText(top) != L"#32770") return TRUE;
            g_box.found = true;
            g_box.boxHooked = IsHooked(top);
            int buttons = 0, skinned = 0;
            for (HWND c = GetWindow(top, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                if (KindOf(c) != WindowKind::Button) continue;
                ++buttons;
                if (IsHooked(c) && Prop(c, L"HDC0") != 0 &&
                    (GetWindowLongPtrW(c, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) {
                    ++skinned;
                }
            }
            g_box.buttonsSkinned = buttons > 0 && buttons == skinned;
            PostMessageW(top, WM_COMMAND, IDOK, 0);
            return FALSE;
        },
        0);
}

TEST_F(AutomaticHooking, AMessageBoxOfAHookedFormIsSkinnedWithItsButtons) {
    EveryKindForm main;
    ASSERT_TRUE(main.Open(L"Zarvio"));
    InitSkin(main.hwnd());
    Activate(main.hwnd());
    const int before = HookedCount();
    g_box = {};
    SetTimer(nullptr, 0, 300, InspectMessageBox);
    MessageBoxW(main.hwnd(), L"添加成功", L"提示", MB_OK | MB_ICONINFORMATION);
    EXPECT_TRUE(g_box.found);
    EXPECT_TRUE(g_box.boxHooked);
    EXPECT_TRUE(g_box.buttonsSkinned);
    PumpMessages();
    EXPECT_EQ(HookedCount(), before);  // the box unhooked itself when it was destroyed
    main.Destroy();
}

TEST_F(AutomaticHooking, ADropDownListIsHookedWhenItsOwnerSeesItsColours) {
    EveryKindForm main;
    ASSERT_TRUE(main.Open());
    InitSkin(main.hwnd());
    Activate(main.hwnd());
    COMBOBOXINFO info{sizeof(info)};
    ASSERT_TRUE(GetComboBoxInfo(main.combo, &info));
    ASSERT_FALSE(IsHooked(info.hwndList));
    // The combo box asks its parent for the list's colours when the list paints.
    const WindowDc listDc = WindowDc::Client(info.hwndList);
    SendMessageW(main.hwnd(), WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(listDc.get()),
                 reinterpret_cast<LPARAM>(info.hwndList));
    EXPECT_TRUE(IsHooked(info.hwndList));
    EXPECT_EQ(KindOf(info.hwndList), WindowKind::ComboList);
    main.Destroy();
    EXPECT_EQ(HookedCount(), 0);
}

}  // namespace
}  // namespace zarvio::skin::test
