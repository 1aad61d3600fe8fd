#include <gtest/gtest.h>

#include "support/paint_test_support.h"
#include "skin/paint/check_paint.h"
#include "skin/paint/geometry.h"
#include "skin/paint/images.h"

namespace zarvio::skin {
namespace {

using test::Pixels;
using test::WindowPixels;

constexpr SIZE kGlyph13{13, 13};

class GlyphPaint : public testing::Test {
protected:
    void SetUp() override { BuildSkinImages(); }
    void TearDown() override { ReleaseSkinImages(); }
    HWND Control(DWORD style, int height, int check) {
        HWND h = host_.Add(L"BUTTON", L"Label", style, 10, 10, 120, height);
        SendMessageW(h, BM_SETCHECK, check, 0);
        UpdateWindow(h);
        test::PumpMessages();
        return h;
    }
    static intptr_t OldState(HWND h) { return reinterpret_cast<intptr_t>(GetPropW(h, L"OLDSTATE")); }
    test::HostWindow host_;
};

// The check mark's pixels, 9 x 8, 0 where the glyph leaves the background.
uint32_t CheckMark(int x, int y, bool enabled) {
    static const int first[8][2] = {{8, 8}, {7, 8}, {6, 8}, {0, 1}, {0, 2}, {1, 5}, {2, 4}, {3, 3}};
    static const uint32_t on[8] = {0x54B71D, 0x51B41B, 0x4DAF17, 0x48A913, 0x43A20F, 0x3E9C0A, 0x399606, 0x359102};
    static const uint32_t off[8] = {0xA8DA8C, 0xA6D98B, 0xA4D689, 0xA2D387, 0x9FD085, 0x9DCD82, 0x9AC980, 0x98C77E};
    bool inside = x >= first[y][0] && x <= first[y][1];
    if (y == 3) inside = inside || (x >= 5 && x <= 7);
    if (y == 4) inside = inside || (x >= 4 && x <= 6);
    return inside ? (enabled ? on[y] : off[y]) : 0;
}

TEST_F(GlyphPaint, CheckBoxFramesFillsAndMarksPerState) {
    HWND box = Control(BS_CHECKBOX, 21, BST_CHECKED);
    const int y0 = 4;  // (21 - 13) / 2

    EXPECT_EQ(PaintCheckBox(box, VisualState::Normal, true, kGlyph13), 1);
    Pixels normal = WindowPixels(box);
    EXPECT_EQ(normal.at(0, y0), 0x54A5D5u);
    EXPECT_EQ(normal.at(12, y0 + 12), 0x54A5D5u);
    EXPECT_EQ(normal.at(1, y0 + 1), 0xFFFFFFu);
    // Check mark at (2, 2) inside the glyph box.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 9; ++x) {
            const uint32_t mark = CheckMark(x, y, true);
            EXPECT_EQ(normal.at(2 + x, y0 + 2 + y), mark ? mark : 0xFFFFFFu) << x << "," << y;
        }

    // Hover: the hover strip of the option circle stretched over the inside.
    EXPECT_EQ(PaintCheckBox(box, VisualState::Hover, false, kGlyph13), 1);
    Pixels hover = WindowPixels(box);
    EXPECT_EQ(hover.at(0, y0 + 6), 0x54A5D5u);
    EXPECT_EQ(hover.at(1, y0 + 1), 0xC3EAF8u);    // strip row 17, x 1
    EXPECT_EQ(hover.at(11, y0 + 1), 0xD6F1FAu);   // strip row 17, x 11
    EXPECT_EQ(hover.at(11, y0 + 11), 0xE0F5FDu);  // strip row 21, x 11
    EXPECT_EQ(hover.at(2 + 8, y0 + 2), 0x54B71Du);

    EXPECT_EQ(PaintCheckBox(box, VisualState::Pressed, false, kGlyph13), 1);
    Pixels pressed = WindowPixels(box);
    EXPECT_EQ(pressed.at(0, y0), 0x3986C4u);
    EXPECT_EQ(pressed.at(1, y0 + 1), 0xB0E2F5u);   // strip row 30, x 1
    EXPECT_EQ(pressed.at(11, y0 + 11), 0xCAEEFAu); // strip row 34, x 11
    EXPECT_EQ(OldState(box), 2);
}

TEST_F(GlyphPaint, SameStateIsSkippedUnlessForced) {
    HWND box = Control(BS_CHECKBOX, 21, BST_UNCHECKED);
    EXPECT_EQ(PaintCheckBox(box, VisualState::Hover, true, kGlyph13), 1);
    {
        const WindowDc dc = WindowDc::Whole(box);
        RECT r{0, 0, 13, 21};
        FillRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    EXPECT_EQ(PaintCheckBox(box, VisualState::Hover, false, kGlyph13), 0);
    EXPECT_EQ(WindowPixels(box).at(0, 4), 0u);
    EXPECT_EQ(PaintCheckBox(box, VisualState::Hover, true, kGlyph13), 1);
    EXPECT_EQ(WindowPixels(box).at(0, 4), 0x54A5D5u);

    HWND option = Control(BS_RADIOBUTTON, 21, BST_UNCHECKED);
    EXPECT_EQ(PaintOptionButton(option, VisualState::Normal, false, kGlyph13), 0);  // absent OLDSTATE reads 0
    EXPECT_EQ(PaintOptionButton(option, VisualState::Normal, true, kGlyph13), 1);
}

TEST_F(GlyphPaint, DisabledCheckBoxStaysPaleWhileHovered) {
    HWND box = Control(BS_CHECKBOX, 21, BST_CHECKED);
    EnableWindow(box, FALSE);
    test::PumpMessages();
    for (int state : {1, 2}) {
        EXPECT_EQ(PaintCheckBox(box, static_cast<VisualState>(state), true, kGlyph13), 1);
        Pixels p = WindowPixels(box);
        EXPECT_EQ(p.at(0, 4), 0xA4CFE9u) << state;
        EXPECT_EQ(p.at(12, 16), 0xA4CFE9u) << state;
        EXPECT_EQ(p.at(1, 5), 0xFFFFFFu) << state;
        EXPECT_EQ(p.at(11, 15), 0xFFFFFFu) << state;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 9; ++x) {
                const uint32_t mark = CheckMark(x, y, false);
                EXPECT_EQ(p.at(2 + x, 6 + y), mark ? mark : 0xFFFFFFu) << x << "," << y;
            }
    }
}

TEST_F(GlyphPaint, IndeterminateSquareIsCentred) {
    HWND box = Control(BS_3STATE, 21, BST_INDETERMINATE);
    EXPECT_EQ(PaintCheckBox(box, VisualState::Normal, true, kGlyph13), 1);
    Pixels p = WindowPixels(box);
    const uint32_t rows[7] = {0x51B41B, 0x4EB018, 0x49AB14, 0x45A410, 0x409E0C, 0x3B9807, 0x399606};
    for (int y = 1; y < 12; ++y)
        for (int x = 1; x < 12; ++x) {
            const bool in = x >= 3 && x < 10 && y >= 3 && y < 10;
            EXPECT_EQ(p.at(x, 4 + y), in ? rows[y - 3] : 0xFFFFFFu) << x << "," << y;
        }
}

TEST_F(GlyphPaint, GlyphFollowsTheMenuCheckSizeAndIsClippedInLowControls) {
    // The platform's own glyph size: marks keep their size and stay centred.
    const SIZE glyph = MenuCheckSize();
    EXPECT_EQ(glyph.cx, GetSystemMetrics(SM_CXMENUCHECK));
    HWND box = Control(BS_CHECKBOX, 30, BST_CHECKED);
    EXPECT_EQ(PaintCheckBox(box, VisualState::Normal, true), 1);
    Pixels p = WindowPixels(box);
    const int y0 = Halve(30 - glyph.cy);
    EXPECT_EQ(p.at(0, y0), 0x54A5D5u);
    EXPECT_EQ(p.at(glyph.cx - 1, y0 + glyph.cy - 1), 0x54A5D5u);
    EXPECT_EQ(p.at(Halve(glyph.cx - 9) + 8, y0 + Halve(glyph.cy - 8)), 0x54B71Du);
    EXPECT_EQ(p.at(Halve(glyph.cx - 9) + 3, y0 + Halve(glyph.cy - 8) + 7), 0x359102u);

    // A control lower than the glyph: y = (9 - 13) / 2 = -2, the top two rows are cut off.
    HWND low = Control(BS_CHECKBOX, 9, BST_UNCHECKED);
    EXPECT_EQ(PaintCheckBox(low, VisualState::Normal, true, kGlyph13), 1);
    Pixels q = WindowPixels(low);
    EXPECT_EQ(q.at(0, 0), 0x54A5D5u);
    EXPECT_EQ(q.at(1, 0), 0xFFFFFFu);  // glyph row 2 is inside the frame
    EXPECT_EQ(q.at(12, 8), 0x54A5D5u);
}

TEST_F(GlyphPaint, OptionCircleIsKeyedOntoTheControlWithItsDot) {
    HWND option = Control(BS_RADIOBUTTON | BS_LEFTTEXT, 21, BST_CHECKED);
    const Pixels before = WindowPixels(option);
    const int y0 = 4;
    EXPECT_EQ(PaintOptionButton(option, VisualState::Normal, true, kGlyph13), 1);
    Pixels p = WindowPixels(option);
    EXPECT_EQ(p.at(0, y0), before.at(0, y0));          // key corner: the control's own pixels
    EXPECT_EQ(p.at(12, y0 + 12), before.at(12, y0 + 12));
    EXPECT_EQ(p.at(6, y0), 0x83A6D2u);                 // outline middle, normal cell
    EXPECT_EQ(p.at(0, y0 + 6), 0x83A6D2u);
    EXPECT_EQ(p.at(2, y0 + 1), 0x9DB8DBu);
    // The dot's 5 x 5 box at (4, 4 + y0).
    EXPECT_EQ(p.at(4 + 2, y0 + 4 + 2), 0x47A812u);
    EXPECT_EQ(p.at(4 + 0, y0 + 4 + 1), 0x83C85Eu);
    EXPECT_EQ(p.at(4 + 2, y0 + 4 + 4), 0x409910u);
    EXPECT_EQ(p.at(4 + 1, y0 + 4 + 0), 0x87CC60u);

    EXPECT_EQ(PaintOptionButton(option, VisualState::Pressed, false, kGlyph13), 1);
    p = WindowPixels(option);
    EXPECT_EQ(p.at(6, y0), 0x6489C1u);
    EXPECT_EQ(p.at(1, y0 + 4), 0xB0E2F5u);

    EnableWindow(option, FALSE);
    EXPECT_EQ(PaintOptionButton(option, VisualState::Hover, true, kGlyph13), 1);
    p = WindowPixels(option);
    EXPECT_EQ(p.at(6, y0), 0xC1D2E8u);
    EXPECT_EQ(p.at(6, y0 + 6), 0xA3D388u);  // the pale dot

    // Unchecked: the circle's own inside, no dot.
    SendMessageW(option, BM_SETCHECK, BST_UNCHECKED, 0);
    EnableWindow(option, TRUE);
    EXPECT_EQ(PaintOptionButton(option, VisualState::Hover, true, kGlyph13), 1);
    p = WindowPixels(option);
    EXPECT_EQ(p.at(6, y0 + 6), Pixels(OptionImage(), 6, 13 + 6, 1, 1).at(0, 0));
}

TEST_F(GlyphPaint, OptionDotRoundsOnceAfterAddingTheOffset) {
    // Height 20 with a 14-pixel glyph: y0 = 3, dot y = 4.5 + 3 = 7.5 -> 8 (not 4 + 3 = 7).
    HWND option = Control(BS_RADIOBUTTON, 20, BST_CHECKED);
    EXPECT_EQ(PaintOptionButton(option, VisualState::Normal, true, SIZE{14, 14}), 1);
    Pixels p = WindowPixels(option);
    const int dotX = 4;  // (14 - 5) / 2 = 4.5 -> 4
    EXPECT_EQ(p.at(dotX + 2, 8 + 2), 0x47A812u);
    EXPECT_EQ(p.at(dotX + 2, 8 + 4), 0x409910u);
}

}  // namespace
}  // namespace zarvio::skin
