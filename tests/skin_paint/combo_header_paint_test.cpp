#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "support/paint_test_support.h"
#include "skin/paint/blit.h"
#include "skin/paint/combo_paint.h"
#include "skin/paint/geometry.h"
#include "skin/paint/header_paint.h"
#include "skin/paint/images.h"

namespace zarvio::skin {
namespace {

using test::Pixels;
using test::WindowPixels;

class ComboPaint : public testing::Test {
protected:
    void SetUp() override { BuildSkinImages(); }
    void TearDown() override { ReleaseSkinImages(); }
    HWND Combo(DWORD style) {
        HWND h = host_.Add(L"COMBOBOX", L"", style | WS_VSCROLL, 10, 10, 120, 150);
        SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"一"));
        SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"two"));
        test::PumpMessages();
        return h;
    }
    static intptr_t OldState(HWND h) { return reinterpret_cast<intptr_t>(GetPropW(h, L"OLDSTATE")); }
    test::HostWindow host_{320, 260};
};

// Where the button and its arrow land for a combo box of height H.
struct ButtonPlace {
    int x, bw, bh, arrowX, arrowY;
};
ButtonPlace PlaceFor(HWND combo) {
    WindowBox box;
    GetWindowBox(combo, box);
    const int bw = GetSystemMetrics(SM_CXVSCROLL) + 1;
    return {box.width - bw - 1, bw, box.height - 2, Halve(bw - 7), 1 + Halve(box.height - 6)};
}

TEST_F(ComboPaint, ButtonSitsInsideTheRightEdgeWithACentredArrow) {
    HWND combo = Combo(CBS_DROPDOWNLIST);
    const ButtonPlace at = PlaceFor(combo);
    if (GetSystemMetrics(SM_CXVSCROLL) == 17) {
        EXPECT_EQ(at.bw, 18);
        EXPECT_EQ(at.arrowX, 6);
    }
    const Pixels before = WindowPixels(combo);
    VisualState state = VisualState::Hover;
    PaintComboButton(combo, nullptr, state, true);
    EXPECT_EQ(state, VisualState::Hover);
    EXPECT_EQ(OldState(combo), 1);
    const Pixels p = WindowPixels(combo);
    // Hover face: the border line, then the cell's columns; the one-pixel margin is untouched.
    EXPECT_EQ(p.at(at.x, 1), 0x4EA0D1u);
    EXPECT_EQ(p.at(at.x, at.bh), 0x4EA0D1u);
    EXPECT_EQ(p.at(at.x + 1, 1), 0xE8F9FFu);       // hover row 0, x 1
    EXPECT_EQ(p.at(at.x + at.bw - 1, at.bh), 0xC0E1F3u);  // hover row 17, x 3
    EXPECT_EQ(p.at(at.x + at.bw, 5), before.at(at.x + at.bw, 5));
    EXPECT_EQ(p.at(at.x + 4, 0), before.at(at.x + 4, 0));
    EXPECT_EQ(p.at(at.x + 4, at.bh + 1), before.at(at.x + 4, at.bh + 1));
    // The arrow: 7, 5, 3, 1 pixels wide.
    for (int row = 0; row < 4; ++row)
        for (int x = -1; x <= 7; ++x) {
            const bool ink = x >= row && x <= 6 - row;
            const uint32_t got = p.at(at.x + at.arrowX + x, at.arrowY + row);
            if (ink) EXPECT_EQ(got, 0x19555Fu) << x << "," << row;
            else EXPECT_NE(got, 0x19555Fu) << x << "," << row;
        }

    // Normal: white face; pressed: the reversed cell.
    state = VisualState::Normal;
    PaintComboButton(combo, nullptr, state, false);
    EXPECT_EQ(WindowPixels(combo).at(at.x, 1), 0xFFFFFFu);
    state = VisualState::Pressed;
    PaintComboButton(combo, nullptr, state, false);
    EXPECT_EQ(WindowPixels(combo).at(at.x + 1, 1), 0xBEE1F3u);  // pressed row 0, x 5
}

TEST_F(ComboPaint, SameStateSkipsAndAGivenDcIsDrawnInto) {
    HWND combo = Combo(CBS_DROPDOWNLIST);
    const ButtonPlace at = PlaceFor(combo);
    VisualState state = VisualState::Hover;
    PaintComboButton(combo, nullptr, state, true);
    const WindowDc dc = WindowDc::Whole(combo);
    RECT r{at.x, 1, at.x + at.bw, 1 + at.bh};
    FillRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    PaintComboButton(combo, nullptr, state, false);
    EXPECT_EQ(WindowPixels(combo).at(at.x, 1), 0u);

    WindowBox box;
    GetWindowBox(combo, box);
    Surface target = test::FilledSurface(box.width, box.height, 0x000000);
    PaintComboButton(combo, target.get(), state, true);
    Pixels p(target.get(), 0, 0, box.width, box.height);
    EXPECT_EQ(p.at(at.x, 1), 0x4EA0D1u);
    EXPECT_EQ(p.at(at.x - 1, 1), 0u);
    EXPECT_EQ(WindowPixels(combo).at(at.x, 1), 0u);  // the window itself was not touched
}

TEST_F(ComboPaint, DroppedListForcesThePressedLook) {
    HWND combo = Combo(CBS_DROPDOWNLIST);
    const ButtonPlace at = PlaceFor(combo);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_NE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), 0);
    VisualState state = VisualState::Normal;
    PaintComboButton(combo, nullptr, state, true);
    const uint32_t face = WindowPixels(combo).at(at.x + 1, 1);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(state, VisualState::Pressed);
    EXPECT_EQ(OldState(combo), 2);
    EXPECT_EQ(face, 0xBEE1F3u);
}

TEST_F(ComboPaint, SimpleComboIsNeverPainted) {
    HWND combo = Combo(CBS_SIMPLE);
    SetPropW(combo, L"OLDSTATE", reinterpret_cast<HANDLE>(0));
    const Pixels before = WindowPixels(combo);
    VisualState state = VisualState::Hover;
    PaintComboButton(combo, nullptr, state, true);
    EXPECT_EQ(OldState(combo), 0);
    EXPECT_EQ(WindowPixels(combo), before);
}

TEST_F(ComboPaint, DisabledComboShowsTheGreyArrowOnTheRequestedFace) {
    HWND combo = Combo(CBS_DROPDOWN);
    EnableWindow(combo, FALSE);
    const ButtonPlace at = PlaceFor(combo);
    VisualState state = VisualState::Hover;
    PaintComboButton(combo, nullptr, state, true);
    const Pixels p = WindowPixels(combo);
    EXPECT_EQ(p.at(at.x + 1, 1), 0xE8F9FFu);
    EXPECT_EQ(p.at(at.x + at.arrowX, at.arrowY), 0x84A5ACu);
    EXPECT_EQ(p.at(at.x + at.arrowX + 3, at.arrowY + 3), 0x84A5ACu);
}

class HeaderPaint : public testing::Test {
protected:
    void SetUp() override {
        BuildSkinImages();
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        header_ = host_.Add(WC_HEADERW, L"", HDS_HORZ, 0, 0, 240, 24);
        font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                NONANTIALIASED_QUALITY, 0, L"Tahoma"));
        SendMessageW(header_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        Insert(0, L"Name", 100, HDF_RIGHT);
        Insert(1, L"", 60, HDF_LEFT);
        test::PumpMessages();
    }
    void TearDown() override {
        DestroyWindow(header_);
        ReleaseSkinImages();
    }
    void Insert(int index, const wchar_t* text, int width, int format) {
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.pszText = const_cast<wchar_t*>(text);
        item.cxy = width;
        item.fmt = format | HDF_STRING;
        SendMessageW(header_, HDM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
    }
    RECT ItemRect(int index) const {
        RECT r{};
        SendMessageW(header_, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // The face cell k stretched over an item of width w.
    static Pixels Face(int k, int w, int h) {
        Surface s(CreateSurface(w, h));
        DrawNineSlice(s.get(), {0, 0, w, h}, HeaderImage(), {3 * k, 0, 3, 20}, {1, 1, 1, 1});
        return Pixels(s.get(), 0, 0, w, h);
    }
    test::HostWindow host_;
    HWND header_ = nullptr;
    Font font_;
};

TEST_F(HeaderPaint, EmptyTitleShowsOnlyTheFace) {
    const RECT r = ItemRect(1);
    const int w = r.right - r.left, h = 24;
    for (int state : {0, 1, 2, 7}) {
        EXPECT_EQ(PaintHeaderItem(header_, nullptr, 1, static_cast<VisualState>(state)), 0);
        const WindowDc dc = WindowDc::Whole(header_);
        EXPECT_EQ(Pixels(dc.get(), r.left, 0, w, h), Face(state == 7 ? 0 : state, w, h)) << state;
    }
}

TEST_F(HeaderPaint, TitleIsAlwaysCentred) {
    const RECT r = ItemRect(0);
    const int w = r.right - r.left, h = 24;
    Surface target = test::FilledSurface(240, 24, 0x0000FF);
    PaintHeaderItem(header_, target.get(), 0, VisualState::Hover);
    const Pixels p(target.get(), 0, 0, 240, 24);
    const Pixels face = Face(1, w, h);
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (p.at(r.left + x, y) == face.at(x, y)) continue;
            EXPECT_EQ(p.at(r.left + x, y), 0u) << x << "," << y;  // black title ink
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    ASSERT_GE(right, left);
    EXPECT_LE(std::abs(left - (w - 1 - right)), 2);  // centred though the item asks for right
    EXPECT_LE(std::abs(top - (h - 1 - bottom)), 3);
    EXPECT_EQ(p.at(r.right, 5), 0x0000FFu);           // nothing beyond the item
}

TEST_F(HeaderPaint, NoItemDrawsNothing) {
    Surface target = test::FilledSurface(240, 24, 0x0000FF);
    EXPECT_EQ(PaintHeaderItem(header_, target.get(), -1, VisualState::Hover), 0);
    EXPECT_EQ(PaintHeaderItem(header_, target.get(), 5, VisualState::Hover), 0);
    EXPECT_EQ(Pixels(target.get(), 0, 0, 240, 24), Pixels(test::FilledSurface(240, 24, 0x0000FF).get(), 0, 0, 240, 24));
}

}  // namespace
}  // namespace zarvio::skin
