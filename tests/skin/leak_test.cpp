#include <gtest/gtest.h>
#include <windows.h>

#include "platform/toolkit/class_names.h"
#include "platform/toolkit/controls.h"
#include "skin/hover.h"
#include "skin/skin_engine.h"
#include "skin_test_support.h"

namespace zarvio::skin::test {
namespace {

using SkinLeaks = SkinTest;

TEST_F(SkinLeaks, AThousandHookCyclesOfAFormWithEveryKindLeaveNoObjectBehind) {
    EveryKindForm form;
    ASSERT_TRUE(form.Open());
    ShowWindow(form.hwnd(), SW_SHOW);
    InitSkin(form.hwnd());  // warm the platform's caches once
    ExitSkin(form.hwnd());
    PumpMessages();
    const int gdi = CountGdiObjects(), user = CountUserObjects();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(InitSkin(form.hwnd()), 1);
        ASSERT_EQ(ExitSkin(form.hwnd()), 1);
    }
    PumpMessages();
    EXPECT_EQ(CountGdiObjects(), gdi);
    EXPECT_EQ(CountUserObjects(), user);
}

TEST_F(SkinLeaks, TenThousandHoverFadesLeaveNoObjectAndNoTimerBehind) {
    RegisterToolkitClasses();
    HostWindow host;
    HWND button = host.Add(kButtonClass, L"停止(&S)", 0, 10, 10, 89, 20);
    InitSkin(button);
    RECT r{};
    GetWindowRect(button, &r);
    SetCursorPos(r.left + 5, r.top + 5);
    auto hover = [&] {
        SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        for (int tick = 0; tick < 3; ++tick) SendMessageW(button, WM_TIMER, kStateTimerId, 0);
        SendMessageW(button, WM_MOUSELEAVE, 0, 0);
        SendMessageW(button, WM_TIMER, kStateTimerId, 0);
    };
    hover();
    const int gdi = CountGdiObjects(), user = CountUserObjects();
    for (int i = 0; i < 10000; ++i) hover();
    // Let the last fade run out: then no timer may be left.
    for (int i = 0; i < 100 && Prop(button, L"TIMERID"); ++i) SendMessageW(button, WM_TIMER, kStateTimerId, 0);
    EXPECT_EQ(Prop(button, L"TIMERID"), 0);
    EXPECT_FALSE(KillTimer(button, kStateTimerId));
    EXPECT_EQ(CountGdiObjects(), gdi);
    EXPECT_EQ(CountUserObjects(), user);
    ExitSkin(button);
}

}  // namespace
}  // namespace zarvio::skin::test
