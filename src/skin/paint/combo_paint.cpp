#include "skin/paint/combo_paint.h"

#include "skin/paint/blit.h"
#include "skin/paint/boxes.h"
#include "skin/paint/geometry.h"
#include "skin/paint/images.h"
#include "skin/paint/palette.h"
#include "skin/paint/surface.h"
#include "skin/paint/target_dc.h"

namespace zarvio::skin {
namespace {

constexpr Box kHoverCell{0, 0, 4, 18};
constexpr Box kPressedCell{4, 0, 4, 18};
constexpr Edges kCellEdges{2, 1, 1, 1};
constexpr POINT kArrow{8, 0};
constexpr POINT kDisabledArrow{8, 4};
constexpr SIZE kArrowSize{7, 4};

}  // namespace

void PaintComboButton(HWND hwnd, HDC hdc, VisualState& state, bool force) {
    if (SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0)) state = VisualState::Pressed;
    if (state == StoredState(hwnd) && !force) return;
    // Bit 1 of the style is what CBS_DROPDOWN and CBS_DROPDOWNLIST share: no bit, no button.
    if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & 2) == 0) return;
    StoreState(hwnd, state);

    WindowBox window;
    (void)GetWindowBox(hwnd, window);
    const int bw = GetSystemMetrics(SM_CXVSCROLL) + 1;
    const int bh = window.height - 2;
    const Surface button(CreateSurface(bw, bh));
    if (!button) return;
    const HDC s = button.get();

    switch (state) {
    case VisualState::Hover:
        (void)DrawNineSlice(s, {0, 0, bw, bh}, ComboImage(), kHoverCell, kCellEdges);
        break;
    case VisualState::Pressed:
        (void)DrawNineSlice(s, {0, 0, bw, bh}, ComboImage(), kPressedCell, kCellEdges);
        break;
    default:
        // Normal, and any unknown state: a new surface's content is undefined and must not show.
        (void)FillBox(s, {0, 0, bw, bh}, kWhite);
        break;
    }
    TransparentBlit(s, {Halve(bw - kArrowSize.cx), Halve(window.height - 6), kArrowSize.cx, kArrowSize.cy},
                    ComboImage(), IsWindowEnabled(hwnd) ? kArrow : kDisabledArrow, kKeyColor);

    const TargetDc target(hwnd, hdc);
    (void)BitBlt(target.get(), window.width - bw - 1, 1, bw, bh, s, 0, 0, SRCCOPY);
}

}  // namespace zarvio::skin
