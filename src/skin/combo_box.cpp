#include "skin/combo_box.h"

#include <windowsx.h>

#include "platform/handles.h"
#include "skin/hover.h"
#include "skin/paint/boxes.h"
#include "skin/paint/combo_paint.h"
#include "skin/paint/geometry.h"
#include "skin/window_kind.h"
#include "skin/window_props.h"

namespace zarvio::skin {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// CBS_DROPDOWN is the one style with bit 0 clear: a text field the user types into.
bool IsEditable(HWND hwnd) {
    return KindOf(hwnd) == WindowKind::Combo && (GetWindowLongPtrW(hwnd, GWL_STYLE) & 1) == 0;
}

void ButtonState(HWND hwnd, int state) { PaintComboButton(hwnd, nullptr, state, false); }

int StoredState(HWND hwnd) { return static_cast<int>(ReadWindowProp(hwnd, kOldStateProp)); }

WindowBox BoxOf(HWND hwnd) {
    WindowBox box;
    GetWindowBox(hwnd, box);
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
    int state = StoredState(hwnd);
    if (IsEditable(hwnd)) {
        // The text field is a child window that paints itself; the rest is the skin's.
        const PaintDc paint(hwnd);
        FillBox(paint.get(), {0, 0, box.width, box.height}, kWhite);
        FrameBox(paint.get(), {0, 0, box.width, box.height}, FrameColorOf(hwnd));
        PaintComboButton(hwnd, paint.get(), state, true);
        return 0;
    }
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    const WindowDc dc = WindowDc::Whole(hwnd);
    FrameBox(dc.get(), {0, 0, box.width, box.height}, FrameColorOf(hwnd));
    FrameBox(dc.get(), {1, 1, box.width - 2, box.height - 2}, kWhite);
    PaintComboButton(hwnd, dc.get(), state, true);
    return result;
}

LRESULT ComboMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    BeginHover(hwnd);
    const int overButton = (wParam & MK_LBUTTON) ? 2 : 1;
    if (IsEditable(hwnd)) {
        ButtonState(hwnd, InButtonZone(hwnd, lParam) ? overButton : 0);
    } else {
        ButtonState(hwnd, overButton);
    }
    return result;
}

LRESULT ComboButtonDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    if (!IsEditable(hwnd) || InButtonZone(hwnd, lParam)) ButtonState(hwnd, 2);
    return result;
}

LRESULT ComboButtonUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    POINT cursor{};
    GetCursorPos(&cursor);
    ButtonState(hwnd, WindowFromPoint(cursor) == hwnd ? 1 : 0);
    return result;
}

LRESULT ComboMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    WriteWindowProp(hwnd, kMouseFlagProp, 0);
    ButtonState(hwnd, 0);
    return result;
}

LRESULT ComboPosChanging(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (StillHooked(hwnd)) ButtonState(hwnd, 0);
    return result;
}

}  // namespace zarvio::skin
