#include <gtest/gtest.h>

#include "support/paint_test_support.h"
#include "skin/paint/geometry.h"
#include "skin/paint/surface.h"
#include "platform/window_text.h"

namespace zarvio::skin {
namespace {

TEST(Halving, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(7.5), 8);
    EXPECT_EQ(RoundHalfEven(5.5), 6);
    EXPECT_EQ(RoundHalfEven(4.5), 4);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-6.5), -6);
    EXPECT_EQ(RoundHalfEven(-7.5), -8);
    EXPECT_EQ(RoundHalfEven(3.4), 3);
    EXPECT_EQ(RoundHalfEven(-3.6), -4);
    EXPECT_EQ(Halve(5), 2);    // 13 - 8: the check mark's row in a 13-pixel box
    EXPECT_EQ(Halve(11), 6);   // 18 - 7: the arrow in an 18-wide combo button
    EXPECT_EQ(Halve(-13), -6);
}

TEST(Surface, HasTheScreenFormatAndOwnsItsBitmap) {
    EXPECT_EQ(CreateSurface(0, 5), nullptr);
    EXPECT_EQ(CreateSurface(5, -1), nullptr);

    DeleteSurface(CreateSurface(1, 1));  // the platform caches the screen DC on first use
    const int before = test::CountGdiObjects();
    HDC s = CreateSurface(40, 30);
    ASSERT_NE(s, nullptr);
    BITMAP info{};
    ASSERT_NE(GetObjectW(GetCurrentObject(s, OBJ_BITMAP), sizeof(info), &info), 0);
    EXPECT_EQ(info.bmWidth, 40);
    EXPECT_EQ(info.bmHeight, 30);
    EXPECT_GE(info.bmBitsPixel, 24);  // colour, not a monochrome memory-DC default
    EXPECT_EQ(test::CountGdiObjects(), before + 2);
    DeleteSurface(s);
    EXPECT_EQ(test::CountGdiObjects(), before);
}

TEST(WindowGeometry, BoxBorderAndCaption) {
    test::HostWindow host;
    HWND plain = host.Add(L"STATIC", L"", WS_BORDER, 10, 20, 100, 50);
    WindowBox box;
    EXPECT_NE(GetWindowBox(plain, box), 0);
    EXPECT_EQ(box.right - box.left, 100);
    EXPECT_EQ(box.width, 100);
    EXPECT_EQ(box.height, 50);

    int cx = -1, cy = -1;
    EXPECT_EQ(GetBorderSize(plain, cx, cy), 1);
    EXPECT_EQ(cx, 1);
    EXPECT_EQ(cy, 1);

    // A vertical scroll bar is not edge; the height difference is halved as it is.
    HWND scrolled = host.Add(L"STATIC", L"", WS_BORDER | WS_VSCROLL, 10, 80, 100, 50);
    ASSERT_TRUE(GetWindowLongPtrW(scrolled, GWL_STYLE) & WS_VSCROLL);
    RECT c{};
    GetClientRect(scrolled, &c);
    const int dw = 100 - c.right - GetSystemMetrics(SM_CXVSCROLL);
    const int dh = 50 - c.bottom;
    EXPECT_EQ(GetBorderSize(scrolled, cx, cy), 1);
    EXPECT_EQ(cx, Halve(dw));
    EXPECT_EQ(cy, Halve(dh));
    EXPECT_EQ(cx, 1);

    EXPECT_EQ(WindowText(plain), L"");
    SetWindowTextW(plain, L"你好, Zarvio ★");
    EXPECT_EQ(WindowText(plain), L"你好, Zarvio ★");
}

}  // namespace
}  // namespace zarvio::skin
