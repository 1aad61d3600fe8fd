#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "platform/toolkit/class_names.h"
#include "platform/toolkit/controls.h"
#include "skin/hover.h"
#include "skin/skin_engine.h"
#include "skin_test_support.h"

namespace zarvio::skin::test {
namespace {

constexpr int kW = 89, kH = 20;

class PushButton : public SkinTest {
protected:
    void SetUp() override {
        RegisterToolkitClasses();
        button_ = host_.Add(kButtonClass, L"播放(&P)", 0, 10, 10, kW, kH);
        SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        ASSERT_EQ(InitSkin(button_), 1);
        PumpMessages();
        PointAt(button_);
    }
    void TearDown() override {
        ExitSkin(button_);
        SkinTest::TearDown();
    }

    static void PointAt(HWND hwnd) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = MAKELPARAM(20, 10)) {
        return SendMessageW(button_, msg, wParam, lParam);
    }
    intptr_t State() const { return Prop(button_, L"OLDSTATE"); }
    intptr_t Level() const { return Prop(button_, L"ALPHALEVEL"); }
    bool TimerRuns() const { return Prop(button_, L"TIMERID") != 0; }

    // Delivers timer ticks as the platform would until the fade stops; the levels each tick used.
    std::vector<int> RunFade() {
        std::vector<int> levels;
        while (TimerRuns() && levels.size() < 500) {
            levels.push_back(static_cast<int>(Level()));
            Send(WM_TIMER, kStateTimerId, 0);
        }
        return levels;
    }
    static std::vector<int> Levels(int from) {
        std::vector<int> v;
        for (int l = from; l <= 255; l += 3) v.push_back(l);
        return v;
    }

    // The button on screen shows the picture of a state (corners, cut by the region, left out).
    ::testing::AssertionResult Shows(int state) const {
        const WindowDc dc = WindowDc::Whole(button_);
        const Pixels screen(dc.get(), 0, 0, kW, kH);
        const Pixels picture(reinterpret_cast<HDC>(Prop(button_, StateSurfaceProp(state))), 0, 0, kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const bool corner = (x < 2 || x >= kW - 2) && (y < 2 || y >= kH - 2);
                if (!corner && screen.at(x, y) != picture.at(x, y))
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs from state " << state;
            }
        return ::testing::AssertionSuccess();
    }

    HostWindow host_;
    HWND button_ = nullptr;
};

TEST_F(PushButton, HoverFadesInOverEightySixTicksPressShowsAtOnceReleaseFadesFromSixty) {
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(Prop(button_, L"MOUSEFLAG"), 1);
    EXPECT_EQ(State(), 1);
    EXPECT_EQ(RunFade(), Levels(0));
    EXPECT_EQ(Levels(0).size(), 86u);
    EXPECT_EQ(Level(), 0);
    EXPECT_FALSE(TimerRuns());
    EXPECT_FALSE(KillTimer(button_, kStateTimerId));  // no platform timer left behind either
    EXPECT_TRUE(Shows(1));

    Send(WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(State(), 2);
    EXPECT_FALSE(TimerRuns());
    EXPECT_EQ(Level(), 0);
    EXPECT_TRUE(Shows(2));
    EXPECT_FALSE(Shows(1));

    Send(WM_LBUTTONUP);
    EXPECT_EQ(State(), 0);
    EXPECT_EQ(Prop(button_, L"MOUSEFLAG"), 0);
    EXPECT_EQ(Level(), 60);
    EXPECT_EQ(RunFade(), Levels(60));
    EXPECT_EQ(Levels(60).size(), 66u);
    EXPECT_TRUE(Shows(0));

    // The next movement makes it hover again, from 0.
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(State(), 1);
    EXPECT_EQ(Level(), 0);
    EXPECT_TRUE(TimerRuns());
}

TEST_F(PushButton, OneTimerPerButton) {
    EXPECT_NE(StartStateTimer(button_), 0u);
    EXPECT_EQ(StartStateTimer(button_), 0u);
    EXPECT_TRUE(StopStateTimer(button_));
    EXPECT_FALSE(StopStateTimer(button_));
    EXPECT_FALSE(KillTimer(button_, kStateTimerId));
}

TEST_F(PushButton, SpaceBarPressesAndReleasesOtherKeysChangeNothing) {
    Send(WM_KEYDOWN, 'A', 0);
    Send(WM_KEYUP, 'A', 0);
    EXPECT_EQ(State(), 0);
    EXPECT_FALSE(TimerRuns());

    Send(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(State(), 2);
    EXPECT_FALSE(TimerRuns());
    EXPECT_TRUE(Shows(2));
    Send(WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(State(), 0);
    EXPECT_EQ(Prop(button_, L"MOUSEFLAG"), 0);
    EXPECT_EQ(RunFade(), Levels(0));
    EXPECT_TRUE(Shows(0));
}

TEST_F(PushButton, LeavingBlendsTheHoverPictureAtOneFortyThenFadesToNormal) {
    InvalidateRect(button_, nullptr, FALSE);
    UpdateWindow(button_);  // the paint shows state 0 fully
    ASSERT_TRUE(Shows(0));
    const int x = kW / 2, y = kH - 4;  // a face pixel below the caption
    const Pixels normal(reinterpret_cast<HDC>(Prop(button_, L"HDC0")), x, y, 1, 1);
    const Pixels hover(reinterpret_cast<HDC>(Prop(button_, L"HDC1")), x, y, 1, 1);
    ASSERT_NE(normal.at(0, 0), hover.at(0, 0));

    Send(WM_MOUSELEAVE, 0, 0);
    const WindowDc dc = WindowDc::Whole(button_);
    const uint32_t shown = Pixels(dc.get(), x, y, 1, 1).at(0, 0);
    for (int shift : {0, 8, 16}) {
        const int n = (normal.at(0, 0) >> shift) & 0xFF, h = (hover.at(0, 0) >> shift) & 0xFF;
        const int expected = n + (h - n) * 140 / 255;
        EXPECT_LE(std::abs(static_cast<int>((shown >> shift) & 0xFF) - expected), 1) << shift;
    }
    EXPECT_EQ(State(), 0);
    EXPECT_EQ(Prop(button_, L"MOUSEFLAG"), 0);
    EXPECT_EQ(RunFade(), Levels(0));
    EXPECT_TRUE(Shows(0));
}

TEST_F(PushButton, DisablingShowsTheDisabledPictureAtTheNextPaint) {
    EnableWindow(button_, FALSE);
    EXPECT_EQ(State(), 3);
    EXPECT_FALSE(TimerRuns());
    InvalidateRect(button_, nullptr, FALSE);
    UpdateWindow(button_);
    EXPECT_TRUE(Shows(3));
    EXPECT_EQ(Level(), 255);  // a paint leaves the level at full
    EnableWindow(button_, TRUE);
    EXPECT_EQ(State(), 0);
    EXPECT_TRUE(Shows(0));  // blended at the level the paint left
}

TEST_F(PushButton, FocusRedrawsThePicturesWithAndWithoutTheFocusBox) {
    const HDC normal = reinterpret_cast<HDC>(Prop(button_, L"HDC0"));
    const Pixels before(normal, 0, 0, kW, kH);
    SetFocus(button_);
    EXPECT_FALSE(Pixels(normal, 0, 0, kW, kH) == before);
    EXPECT_EQ(Level(), 0);
    EXPECT_TRUE(TimerRuns());
    SetFocus(host_.get());
    EXPECT_TRUE(Pixels(normal, 0, 0, kW, kH) == before);
}

TEST_F(PushButton, DraggedOffWhileHoldingTheCaptureShowsTheStateFully) {
    Send(WM_MOUSEMOVE);
    Send(WM_LBUTTONDOWN, MK_LBUTTON);
    SetCursorPos(600, 600);
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-300, -300));
    EXPECT_EQ(State(), 2);
    EXPECT_FALSE(TimerRuns());
    EXPECT_EQ(Level(), 255);
    EXPECT_TRUE(Shows(2));
    Send(WM_LBUTTONUP);
}

TEST_F(PushButton, ResizingGivesNewPicturesOfTheNewSizeAndANewRegion) {
    HBITMAP old[4];
    for (int n = 0; n < 4; ++n) old[n] = reinterpret_cast<HBITMAP>(Prop(button_, StateBitmapProp(n)));
    SetWindowPos(button_, nullptr, 0, 0, 120, 30, SWP_NOMOVE | SWP_NOZORDER);
    for (int n = 0; n < 4; ++n) {
        const auto bitmap = reinterpret_cast<HBITMAP>(Prop(button_, StateBitmapProp(n)));
        EXPECT_NE(bitmap, old[n]);
        EXPECT_EQ(GetObjectType(old[n]), 0u) << "the old bitmap is freed";
        const auto picture = reinterpret_cast<HDC>(Prop(button_, StateSurfaceProp(n)));
        EXPECT_EQ(GetCurrentObject(picture, OBJ_BITMAP), bitmap);
        BITMAP info{};
        GetObjectW(bitmap, sizeof(info), &info);
        EXPECT_EQ(info.bmWidth, 120);
        EXPECT_EQ(info.bmHeight, 30);
    }
    RECT box{};
    ASSERT_NE(GetWindowRgnBox(button_, &box), ERROR);
    EXPECT_EQ(box.right - box.left, 120);
    EXPECT_EQ(box.bottom - box.top, 30);
}

TEST_F(PushButton, PlatformCheckBoxesAreTrackedButNeverDrawn) {
    HWND check = host_.Add(L"BUTTON", L"选项", BS_AUTOCHECKBOX, 10, 40, 100, 20);
    const WindowDc dc = WindowDc::Whole(check);
    const Pixels own(dc.get(), 0, 0, 100, 20);
    ASSERT_EQ(AttachWindow(check), 1);
    EXPECT_EQ(GetWindowLongPtrW(check, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    SendMessageW(check, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Prop(check, L"OLDSTATE"), 1);
    for (int i = 0; i < 100 && Prop(check, L"TIMERID"); ++i) SendMessageW(check, WM_TIMER, kStateTimerId, 0);
    InvalidateRect(check, nullptr, TRUE);
    UpdateWindow(check);
    EXPECT_TRUE(Pixels(dc.get(), 0, 0, 100, 20) == own);
    DetachWindow(check);
}

}  // namespace
}  // namespace zarvio::skin::test
