#include "skin/paint/check_paint.h"

#include "platform/handles.h"
#include "skin/paint/blit.h"
#include "skin/paint/boxes.h"
#include "skin/paint/geometry.h"
#include "skin/paint/images.h"
#include "skin/paint/palette.h"
#include "skin/paint/surface.h"

namespace zarvio::skin {
namespace {

// MarkImage places: the disabled glyphs sit 9 pixels right of the enabled ones.
constexpr int kDisabledMarkShift = 9;
constexpr POINT kCheckMark{0, 0};
constexpr SIZE kCheckMarkSize{9, 8};
constexpr POINT kSquareMark{1, 9};
constexpr SIZE kSquareMarkSize{7, 7};
constexpr POINT kDotMark{2, 18};
constexpr SIZE kDotMarkSize{5, 5};

// OptionImage rows whose middle five rows (x 1 to 11) fill a hovered or pressed square.
constexpr int kHoverStripY = 17;
constexpr int kPressedStripY = 30;
constexpr int kOptionCell = 13;
constexpr int kDisabledOptionY = 39;

// Records the state about to be drawn; false when there is nothing to draw.
bool TakeState(HWND hwnd, VisualState state, bool force) {
    if (state == StoredState(hwnd) && !force) return false;
    StoreState(hwnd, state);
    return true;
}

int CheckValue(HWND hwnd) { return static_cast<int>(SendMessageW(hwnd, BM_GETCHECK, 0, 0)); }

int WindowHeight(HWND hwnd) {
    WindowBox window;
    (void)GetWindowBox(hwnd, window);
    return window.height;
}

POINT MarkAt(POINT enabledPlace, bool enabled) {
    return enabled ? enabledPlace : POINT{enabledPlace.x + kDisabledMarkShift, enabledPlace.y};
}

}  // namespace

SIZE MenuCheckSize() {
    return SIZE{GetSystemMetrics(SM_CXMENUCHECK), GetSystemMetrics(SM_CYMENUCHECK)};
}

int PaintCheckBox(HWND hwnd, VisualState state, bool force) {
    return PaintCheckBox(hwnd, state, force, MenuCheckSize());
}

int PaintCheckBox(HWND hwnd, VisualState state, bool force, SIZE glyph) {
    if (!TakeState(hwnd, state, force)) return 0;
    const int cx = glyph.cx, cy = glyph.cy;
    const int H = WindowHeight(hwnd);
    const int check = CheckValue(hwnd);
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;

    const Surface square(CreateSurface(cx, cy));
    if (!square) return 0;
    const HDC s = square.get();
    (void)SetStretchBltMode(s, COLORONCOLOR);
    (void)FillBox(s, {0, 0, cx, cy}, kWhite);
    if (enabled) {
        const bool pressed = state == VisualState::Pressed;
        (void)FrameBox(s, {0, 0, cx, cy}, pressed ? kPressedFrameColor : kFrameColor);
        if (state == VisualState::Hover || pressed) {
            (void)StretchBlt(s, 1, 1, cx - 2, cy - 2, OptionImage(), 1, pressed ? kPressedStripY : kHoverStripY,
                             11, 5, SRCCOPY);
        }
    } else {
        // Disabled: pale frame and white inside whatever the pointer does.
        (void)FrameBox(s, {0, 0, cx, cy}, kDisabledFrameColor);
    }
    if (check == BST_CHECKED) {
        TransparentBlit(s, {Halve(cx - kCheckMarkSize.cx), Halve(cy - kCheckMarkSize.cy),
                            kCheckMarkSize.cx, kCheckMarkSize.cy},
                        MarkImage(), MarkAt(kCheckMark, enabled), kKeyColor);
    } else if (check == BST_INDETERMINATE) {
        TransparentBlit(s, {Halve(cx - kSquareMarkSize.cx), Halve(cy - kSquareMarkSize.cy),
                            kSquareMarkSize.cx, kSquareMarkSize.cy},
                        MarkImage(), MarkAt(kSquareMark, enabled), kKeyColor);
    }

    const WindowDc window = WindowDc::Whole(hwnd);
    if (!window) return 0;
    (void)BitBlt(window.get(), 0, Halve(H - cy), cx, cy, s, 0, 0, SRCCOPY);
    return 1;
}

int PaintOptionButton(HWND hwnd, VisualState state, bool force) {
    return PaintOptionButton(hwnd, state, force, MenuCheckSize());
}

int PaintOptionButton(HWND hwnd, VisualState state, bool force, SIZE glyph) {
    if (!TakeState(hwnd, state, force)) return 0;
    const int cx = glyph.cx, cy = glyph.cy;
    const int y0 = Halve(WindowHeight(hwnd) - cy);
    const int check = CheckValue(hwnd);
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;

    const WindowDc window = WindowDc::Whole(hwnd);
    if (!window) return 0;
    int cellY = -1;
    if (!enabled) {
        cellY = kDisabledOptionY;
    } else if (state == VisualState::Normal || state == VisualState::Hover || state == VisualState::Pressed) {
        cellY = kOptionCell * static_cast<int>(state);
    }
    if (cellY >= 0) {
        (void)DrawNineSlice(window.get(), {0, y0, cx, cy}, OptionImage(),
                      {0, cellY, kOptionCell, kOptionCell}, {5, 5, 5, 5}, kKeyColor);
    }
    if (check == BST_CHECKED) {
        // Rounded once, after adding y0: the half of an odd difference then goes to the even row.
        TransparentBlit(window.get(),
                        {Halve(cx - kDotMarkSize.cx), RoundHalfEven((cy - kDotMarkSize.cy) / 2.0 + y0),
                         kDotMarkSize.cx, kDotMarkSize.cy},
                        MarkImage(), MarkAt(kDotMark, enabled), kKeyColor);
    }
    return 1;
}

}  // namespace zarvio::skin
