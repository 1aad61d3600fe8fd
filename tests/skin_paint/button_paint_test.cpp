#include <gtest/gtest.h>

#include <array>
#include <string>

#include "support/paint_test_support.h"
#include "skin/paint/blit.h"
#include "skin/paint/button_paint.h"
#include "skin/paint/images.h"

namespace zarvio::skin {
namespace {

using test::Pixels;

// A push button with its four state pictures attached the way the window registry attaches them.
class SkinnedButton {
public:
    SkinnedButton(test::HostWindow& host, const wchar_t* caption, int w, int h)
        : hwnd_(host.Add(L"BUTTON", caption, BS_PUSHBUTTON, 10, 10, w, h)),
          font_(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                            NONANTIALIASED_QUALITY, 0, L"Tahoma")) {
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        for (int n = 0; n < 4; ++n) {
            pictures_[n].reset(CreateSurface(w, h));
            SetPropW(hwnd_, (L"HDC" + std::to_wstring(n)).c_str(), pictures_[n].get());
        }
    }
    ~SkinnedButton() {
        for (int n = 0; n < 4; ++n) RemovePropW(hwnd_, (L"HDC" + std::to_wstring(n)).c_str());
        RemovePropW(hwnd_, L"OLDSTATE");
        RemovePropW(hwnd_, L"ALPHALEVEL");
        RemovePropW(hwnd_, L"OLDSTYLE");
        DestroyWindow(hwnd_);
    }
    HWND hwnd() const { return hwnd_; }
    HFONT font() const { return font_.get(); }
    HDC picture(int n) const { return pictures_[n].get(); }
    void Set(const wchar_t* name, intptr_t value) const {
        SetPropW(hwnd_, name, reinterpret_cast<HANDLE>(value));
    }

private:
    HWND hwnd_;
    Font font_;
    std::array<Surface, 4> pictures_;
};

class ButtonPaint : public testing::Test {
protected:
    void SetUp() override { BuildSkinImages(); }
    void TearDown() override { ReleaseSkinImages(); }
    test::HostWindow host_;
};

// The ButtonImage cell n stretched to w x h, as the face of a picture must look.
Pixels Face(int n, int w, int h) {
    Surface s(CreateSurface(w, h));
    DrawNineSlice(s.get(), {0, 0, w, h}, ButtonImage(), {0, 21 * n, 7, 21}, {3, 3, 3, 3});
    return Pixels(s.get(), 0, 0, w, h);
}

TEST_F(ButtonPaint, CellSizedButtonShowsTheCellWithTheCaptionOnTop) {
    SkinnedButton empty(host_, L"", 7, 21);
    SkinnedButton dotted(host_, L".", 7, 21);
    RenderButtonStates(empty.hwnd());
    RenderButtonStates(dotted.hwnd());
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(Pixels(empty.picture(n), 0, 0, 7, 21), Pixels(ButtonImage(), 0, 21 * n, 7, 21)) << n;
        // The caption: ink of the state's colour inside the label box, the cell everywhere else.
        const Pixels cell(ButtonImage(), 0, 21 * n, 7, 21);
        const Pixels p(dotted.picture(n), 0, 0, 7, 21);
        const uint32_t ink = n == 3 ? 0x798A96 : 0x000000;
        int inked = 0;
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 7; ++x) {
                if (p.at(x, y) == cell.at(x, y)) continue;
                EXPECT_EQ(p.at(x, y), ink) << n << ": " << x << "," << y;
                EXPECT_TRUE(x >= 2 && x < 5 && y >= 2 && y < 19) << n << ": " << x << "," << y;
                ++inked;
            }
        EXPECT_GT(inked, 0) << n;
    }
}

TEST_F(ButtonPaint, LongCaptionIsCentredAndEllipsised) {
    const wchar_t* caption = L"WWWWWWWWWWWWWWWWWWWW";
    SkinnedButton b(host_, caption, 60, 25);
    RenderButtonStates(b.hwnd());

    // What the picture must hold: the stretched face with the clipped caption drawn over it.
    auto reference = [&](UINT format) {
        Surface s(CreateSurface(60, 25));
        DrawNineSlice(s.get(), {0, 0, 60, 25}, ButtonImage(), {0, 0, 7, 21}, {3, 3, 3, 3});
        SelectGuard font(s.get(), b.font());
        SetBkMode(s.get(), TRANSPARENT);
        RECT r{2, 2, 58, 23};
        DrawTextW(s.get(), caption, -1, &r, format);
        return Pixels(s.get(), 0, 0, 60, 25);
    };
    const Pixels picture(b.picture(0), 0, 0, 60, 25);
    EXPECT_EQ(picture, reference(DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS));
    EXPECT_FALSE(picture == reference(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
}

TEST_F(ButtonPaint, FocusedButtonCarriesTheFocusBoxInEveryPicture) {
    SkinnedButton b(host_, L"", 40, 24);
    SetFocus(b.hwnd());
    ASSERT_EQ(GetFocus(), b.hwnd());
    RenderButtonStates(b.hwnd());
    SetFocus(host_.get());
    for (int n = 0; n < 4; ++n) {
        const Pixels p(b.picture(n), 0, 0, 40, 24);
        const Pixels face = Face(n, 40, 24);
        int marked = 0;
        for (int x = 2; x < 38; ++x) marked += p.at(x, 2) != face.at(x, 2);
        EXPECT_GT(marked, 10) << n;
        EXPECT_EQ(p.at(20, 12), face.at(20, 12)) << n;
    }
    // Without the focus the next render shows plain faces.
    RenderButtonStates(b.hwnd());
    for (int n = 0; n < 4; ++n) EXPECT_EQ(Pixels(b.picture(n), 0, 0, 40, 24), Face(n, 40, 24)) << n;
}

TEST_F(ButtonPaint, BlendMixesTheStatePictureAtTheStoredOpacity) {
    SkinnedButton b(host_, L"", 20, 21);
    RenderButtonStates(b.hwnd());
    b.Set(L"OLDSTATE", 1);
    const Pixels hover(b.picture(1), 0, 0, 20, 21);

    Surface target = test::FilledSurface(20, 21, 0x000000);
    b.Set(L"ALPHALEVEL", 0);
    EXPECT_EQ(BlendButtonState(b.hwnd(), target.get()), 0);
    EXPECT_EQ(Pixels(target.get(), 0, 0, 20, 21), Pixels(test::FilledSurface(20, 21, 0).get(), 0, 0, 20, 21));

    b.Set(L"ALPHALEVEL", 128);
    BlendButtonState(b.hwnd(), target.get());
    const uint32_t half = Pixels(target.get(), 10, 10, 1, 1).at(0, 0);
    const uint32_t full = hover.at(10, 10);
    for (int shift : {0, 8, 16}) {
        const int got = (half >> shift) & 0xFF, want = ((full >> shift) & 0xFF) * 128 / 255;
        EXPECT_NEAR(got, want, 2) << shift;
    }

    b.Set(L"ALPHALEVEL", 255);
    BlendButtonState(b.hwnd(), target.get());
    EXPECT_EQ(Pixels(target.get(), 0, 0, 20, 21), hover);

    // Past 255 the level holds at opaque instead of wrapping round.
    Surface fresh = test::FilledSurface(20, 21, 0x000000);
    b.Set(L"ALPHALEVEL", 258);
    BlendButtonState(b.hwnd(), fresh.get());
    EXPECT_EQ(Pixels(fresh.get(), 0, 0, 20, 21), hover);
}

TEST_F(ButtonPaint, BlendWithoutDcDrawsOnTheButtonWindow) {
    SkinnedButton b(host_, L"", 20, 21);
    RenderButtonStates(b.hwnd());
    const Pixels before = test::WindowPixels(b.hwnd());
    b.Set(L"OLDSTATE", 2);
    b.Set(L"ALPHALEVEL", 0);
    BlendButtonState(b.hwnd(), nullptr);
    EXPECT_EQ(test::WindowPixels(b.hwnd()), before);
    b.Set(L"ALPHALEVEL", 255);
    BlendButtonState(b.hwnd(), nullptr);
    EXPECT_EQ(test::WindowPixels(b.hwnd()), Pixels(b.picture(2), 0, 0, 20, 21));
}

TEST_F(ButtonPaint, DisabledButtonBlendsTheDisabledPicture) {
    SkinnedButton b(host_, L"OK", 30, 21);
    RenderButtonStates(b.hwnd());
    EnableWindow(b.hwnd(), FALSE);
    b.Set(L"OLDSTATE", 1);
    b.Set(L"ALPHALEVEL", 255);
    Surface target = test::FilledSurface(30, 21, 0x000000);
    BlendButtonState(b.hwnd(), target.get());
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropW(b.hwnd(), L"OLDSTATE")), 3);
    EXPECT_EQ(Pixels(target.get(), 0, 0, 30, 21), Pixels(b.picture(3), 0, 0, 30, 21));
}

TEST_F(ButtonPaint, OnlyPlainAndDefaultPushButtonStylesAreBlended) {
    SkinnedButton b(host_, L"", 10, 21);
    RenderButtonStates(b.hwnd());
    b.Set(L"ALPHALEVEL", 255);
    for (intptr_t style : std::initializer_list<intptr_t>{2, 3, 4, 5, 6, 7, 11, WS_CHILD | 2,
                                                           // user buttons and automatic radio
                                                           // buttons have bits 1 and 2 clear
                                                           BS_USERBUTTON, BS_AUTORADIOBUTTON}) {
        b.Set(L"OLDSTYLE", style);
        Surface target = test::FilledSurface(10, 21, 0x000000);
        BlendButtonState(b.hwnd(), target.get());
        EXPECT_EQ(Pixels(target.get(), 0, 0, 1, 1).at(0, 0), 0u) << style;
    }
    for (intptr_t style : std::initializer_list<intptr_t>{0, 1, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON}) {
        b.Set(L"OLDSTYLE", style);
        Surface target = test::FilledSurface(10, 21, 0x000000);
        BlendButtonState(b.hwnd(), target.get());
        EXPECT_EQ(Pixels(target.get(), 0, 0, 10, 21), Pixels(b.picture(0), 0, 0, 10, 21)) << style;
    }
}

}  // namespace
}  // namespace zarvio::skin
