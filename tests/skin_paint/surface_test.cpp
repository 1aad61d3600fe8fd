#include <gtest/gtest.h>

#include "paint_test_support.h"
#include "skin/paint/boxes.h"
#include "skin/paint/geometry.h"
#include "skin/paint/surface.h"

namespace zarvio::skin {
namespace {

using test::FilledSurface;
using test::Pixels;

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

TEST(Boxes, FillAndFrameCoverExactlyTheBox) {
    Surface s = FilledSurface(10, 10, 0x000000);
    EXPECT_NE(FillBox(s.get(), {2, 3, 4, 5}, RGB(0x12, 0x34, 0x56)), 0);
    Pixels p(s.get(), 0, 0, 10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 3 && y < 8;
            EXPECT_EQ(p.at(x, y), inside ? 0x123456u : 0u) << x << "," << y;
        }

    Surface f = FilledSurface(10, 10, 0x000000);
    EXPECT_NE(FrameBox(f.get(), {1, 1, 5, 4}, RGB(255, 0, 0)), 0);
    Pixels q(f.get(), 0, 0, 10, 10);
    EXPECT_EQ(q.at(1, 1), 0xFF0000u);
    EXPECT_EQ(q.at(5, 1), 0xFF0000u);
    EXPECT_EQ(q.at(5, 4), 0xFF0000u);
    EXPECT_EQ(q.at(3, 2), 0u);  // inside stays
    EXPECT_EQ(q.at(6, 1), 0u);  // the frame lies on the inside of the box
    EXPECT_EQ(q.at(1, 5), 0u);
}

TEST(Boxes, TextIsDrawnInsideTheBoxOnly) {
    Surface s = FilledSurface(60, 20, 0xFFFFFF);
    SetBkMode(s.get(), TRANSPARENT);
    EXPECT_GT(DrawTextBox(s.get(), L"WWWWWWWWWWWW", {10, 2, 30, 16}, kCenteredLabel), 0);
    Pixels p(s.get(), 0, 0, 60, 20);
    int inked = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (p.at(x, y) != 0xFFFFFF) {
                EXPECT_TRUE(x >= 10 && x < 40 && y >= 2 && y < 18) << x << "," << y;
                ++inked;
            }
    EXPECT_GT(inked, 0);
    EXPECT_EQ(DrawTextBox(s.get(), L"", {0, 0, 10, 10}, kCenteredLabel) >= 0, true);
}

TEST(WindowGeometry, BoxBorderAndCaption) {
    test::HostWindow host;
    HWND plain = host.Add(L"STATIC", L"", WS_BORDER, 10, 20, 100, 50);
    WindowBox box;
    EXPECT_NE(GetWindowBox(plain, box), 0);
    RECT r{};
    GetWindowRect(plain, &r);
    EXPECT_EQ(box.left, r.left);
    EXPECT_EQ(box.top, r.top);
    EXPECT_EQ(box.right, r.right);
    EXPECT_EQ(box.bottom, r.bottom);
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

    EXPECT_EQ(GetWindowCaption(plain), L"");
    SetWindowTextW(plain, L"你好, Zarvio ★");
    EXPECT_EQ(GetWindowCaption(plain), L"你好, Zarvio ★");
}

}  // namespace
}  // namespace zarvio::skin
