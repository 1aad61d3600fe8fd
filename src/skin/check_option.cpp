#include "skin/check_option.h"

#include "skin/hover.h"
#include "skin/paint/check_paint.h"
#include "skin/window_kind.h"
#include "skin/window_props.h"

namespace zarvio::skin {
namespace {

constexpr int kNormal = 0;
constexpr int kHover = 1;
constexpr int kPressed = 2;

// force false repaints only a state that differs from the one last drawn.
void DrawMark(HWND hwnd, int state, bool force) {
    switch (KindOf(hwnd)) {
    case WindowKind::CheckBox: PaintCheckBox(hwnd, state, force); break;
    case WindowKind::Option: PaintOptionButton(hwnd, state, force); break;
    default: break;
    }
}

// Passes the message on, then draws the mark when the window is still ours.
template <typename After>
LRESULT AfterPassingOn(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, After after) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (StillHooked(hwnd)) after();
    return result;
}

}  // namespace

LRESULT MarkPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] { DrawMark(hwnd, kNormal, true); });
}

LRESULT MarkMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        BeginHover(hwnd);
        DrawMark(hwnd, (wParam & MK_LBUTTON) ? kPressed : kHover, true);
    });
}

LRESULT MarkButtonDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] { DrawMark(hwnd, kPressed, false); });
}

LRESULT MarkButtonUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] { DrawMark(hwnd, kNormal, false); });
}

LRESULT MarkKeyDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (wParam == VK_SPACE) DrawMark(hwnd, kPressed, false);
    });
}

LRESULT MarkKeyUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (wParam == VK_SPACE) DrawMark(hwnd, kNormal, false);
    });
}

LRESULT MarkMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        DrawMark(hwnd, kNormal, false);
    });
}

LRESULT MarkRedrawAfter(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        DrawMark(hwnd, static_cast<int>(ReadWindowProp(hwnd, kOldStateProp)), true);
    });
}

LRESULT MarkFocus(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (KindOf(hwnd) == WindowKind::Option) DrawMark(hwnd, kNormal, true);
    });
}

BOOL CALLBACK RepaintMarkProc(HWND hwnd, LPARAM) {
    if (StillHooked(hwnd)) DrawMark(hwnd, kNormal, true);
    return TRUE;
}

void RefreshMarks(HWND hwnd) {
    HWND scope = GetParent(hwnd);
    if (!scope) scope = hwnd;
    EnumChildWindows(scope, RepaintMarkProc, 0);
}

}  // namespace zarvio::skin
