#include "skin/combo_box.h"

#include <windowsx.h>

#include "platform/handles.h"
#include "skin/hover.h"
#include "skin/paint/boxes.h"
#include "skin/paint/combo_paint.h"
#include "skin/paint/geometry.h"
#include "skin/paint/palette.h"
#include "skin/window_kind.h"

namespace zarvio::skin {
namespace {

// CBS_DROPDOWN is the one style with bit 0 clear: a text field the user types into.
bool IsEditable(HWND hwnd) {
    return KindOf(hwnd) == WindowKind::Combo && (GetWindowLongPtrW(hwnd, GWL_STYLE) & 1) == 0;
}

void ButtonState(HWND hwnd, VisualState state) { PaintComboButton(hwnd, nullptr, state, false); }

WindowBox BoxOf(HWND hwnd) {
    WindowBox box;
    (void)GetWindowBox(hwnd, box);
    return box;
}

bool InButtonZone(HWND hwnd, LPARAM lParam) {
    const WindowBox box = BoxOf(hwnd);
    return InComboButtonZone(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), box.width, box.height);
}

}  // namespace

bool InComboButtonZone(int x, int y, int width, int height) {
    const int sb = GetSystemMetrics(SM_CXVSCROLL);
    return width - sb - 2 <= x && x <= width - 2 && 2 <= y && y <= height - 2;
}

LRESULT ComboPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const WindowBox box = BoxOf(hwnd);
    VisualState state = StoredState(hwnd);
    if (IsEditable(hwnd)) {
        // The text field is a child window that paints itself; the rest is the skin's.
        const PaintDc paint(hwnd);
        (void)FillBox(paint.get(), {0, 0, box.width, box.height}, kWhite);
        (void)FrameBox(paint.get(), {0, 0, box.width, box.height}, FrameColorOf(hwnd));
        PaintComboButton(hwnd, paint.get(), state, true);
        return 0;
    }
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        const WindowDc dc = WindowDc::Whole(hwnd);
        (void)FrameBox(dc.get(), {0, 0, box.width, box.height}, FrameColorOf(hwnd));
        (void)FrameBox(dc.get(), {1, 1, box.width - 2, box.height - 2}, kWhite);
        PaintComboButton(hwnd, dc.get(), state, true);
    });
}

LRESULT ComboMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        BeginHover(hwnd);
        const VisualState overButton = (wParam & MK_LBUTTON) ? VisualState::Pressed : VisualState::Hover;
        if (IsEditable(hwnd)) {
            ButtonState(hwnd, InButtonZone(hwnd, lParam) ? overButton : VisualState::Normal);
        } else {
            ButtonState(hwnd, overButton);
        }
    });
}

LRESULT ComboButtonDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (!IsEditable(hwnd) || InButtonZone(hwnd, lParam)) ButtonState(hwnd, VisualState::Pressed);
    });
}

LRESULT ComboButtonUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        ButtonState(hwnd, PointerIsOver(hwnd) ? VisualState::Hover : VisualState::Normal);
    });
}

LRESULT ComboMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        ButtonState(hwnd, VisualState::Normal);
    });
}

LRESULT ComboPosChanging(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] { ButtonState(hwnd, VisualState::Normal); });
}

}  // namespace zarvio::skin
