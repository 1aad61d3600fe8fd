#include "skin/check_option.h"

#include "skin/hover.h"
#include "skin/paint/check_paint.h"
#include "skin/window_kind.h"

namespace zarvio::skin {
namespace {

// force false repaints only a state that differs from the one last drawn.
void DrawMark(HWND hwnd, VisualState state, bool force) {
    switch (KindOf(hwnd)) {
    case WindowKind::CheckBox: (void)PaintCheckBox(hwnd, state, force); break;
    case WindowKind::Option: (void)PaintOptionButton(hwnd, state, force); break;
    default: break;
    }
}

}  // namespace

LRESULT MarkPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] { DrawMark(hwnd, VisualState::Normal, true); });
}

LRESULT MarkMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        BeginHover(hwnd);
        DrawMark(hwnd, (wParam & MK_LBUTTON) ? VisualState::Pressed : VisualState::Hover, true);
    });
}

LRESULT MarkButtonDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] { DrawMark(hwnd, VisualState::Pressed, false); });
}

LRESULT MarkButtonUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] { DrawMark(hwnd, VisualState::Normal, false); });
}

LRESULT MarkKeyDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (wParam == VK_SPACE) DrawMark(hwnd, VisualState::Pressed, false);
    });
}

LRESULT MarkKeyUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (wParam == VK_SPACE) DrawMark(hwnd, VisualState::Normal, false);
    });
}

LRESULT MarkMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        DrawMark(hwnd, VisualState::Normal, false);
    });
}

LRESULT MarkRedrawAfter(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        DrawMark(hwnd, StoredState(hwnd), true);
    });
}

LRESULT MarkFocus(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (KindOf(hwnd) == WindowKind::Option) DrawMark(hwnd, VisualState::Normal, true);
    });
}

BOOL CALLBACK RepaintMarkProc(HWND hwnd, LPARAM) {
    if (StillHooked(hwnd)) DrawMark(hwnd, VisualState::Normal, true);
    return TRUE;
}

void RefreshMarks(HWND hwnd) {
    HWND scope = GetParent(hwnd);
    if (!scope) scope = hwnd;
    (void)EnumChildWindows(scope, RepaintMarkProc, 0);
}

}  // namespace zarvio::skin
