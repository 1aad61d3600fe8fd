// SkinWindowProc and the message handlers it routes to. Each handler asks the window's kind
// afresh and runs that kind's behaviour; a kind without behaviour for a message has it passed on.
#include <windows.h>

#include "skin/check_option.h"
#include "skin/hover.h"
#include "skin/push_button.h"
#include "skin/skin_engine.h"
#include "skin/window_kind.h"
#include "skin/window_props.h"

namespace zarvio::skin {
namespace {

using Handler = LRESULT (*)(WNDPROC, HWND, UINT, WPARAM, LPARAM);

// Runs the push-button behaviour for buttons, passes the message on for every other kind.
LRESULT ForButtons(Handler buttonBehaviour, WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam,
                   LPARAM lParam) {
    if (KindOf(hwnd) == WindowKind::Button) return buttonBehaviour(oldProc, hwnd, msg, wParam, lParam);
    return PassOn(oldProc, hwnd, msg, wParam, lParam);
}

// A form shown later takes the activation from a hooked window, which hooks it with everything
// inside it; so does a window this one owns or contains (a message box, say).
LRESULT OnActivate(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto other = reinterpret_cast<HWND>(lParam);
    if (other && (GetParent(other) == hwnd || KindOf(other) == WindowKind::Form)) AttachWindow(other);
    return PassOn(oldProc, hwnd, msg, wParam, lParam);
}

// A modal dialog (WM_ENTERIDLE) or a drop-down list (WM_CTLCOLORLISTBOX) named in lParam.
LRESULT HookNamedWindow(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (lParam) AttachWindow(reinterpret_cast<HWND>(lParam));
    return result;
}

LRESULT OnPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonPaint, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnNcPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return PassOn(oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnSize(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonSize, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnLButtonDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonPress, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnLButtonDblClk(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonPress, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnLButtonUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonRelease, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnKeyDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonKeyDown, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnKeyUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonKeyUp, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonMouseMove, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonMouseLeave, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnTimer(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonTimer, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnEnable(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonEnable, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnFocus(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonFocus, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnSetStyle(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ForButtons(PushButtonSetStyle, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnWindowPosChanging(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return PassOn(oldProc, hwnd, msg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK SkinWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return 0;
    const WNDPROC oldProc = OldProcOf(hwnd);
    if (!oldProc) return DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
    case WM_DESTROY:
        // Give the window back before it goes, then let its own procedure see the message.
        DetachWindow(hwnd);
        return PassOn(oldProc, hwnd, msg, wParam, lParam);
    case WM_SIZE: return OnSize(oldProc, hwnd, msg, wParam, lParam);
    case WM_ACTIVATE: return OnActivate(oldProc, hwnd, msg, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return OnFocus(oldProc, hwnd, msg, wParam, lParam);
    case WM_ENABLE: return OnEnable(oldProc, hwnd, msg, wParam, lParam);
    case WM_PAINT: return OnPaint(oldProc, hwnd, msg, wParam, lParam);
    case WM_WINDOWPOSCHANGING: return OnWindowPosChanging(oldProc, hwnd, msg, wParam, lParam);
    case WM_NCPAINT: return OnNcPaint(oldProc, hwnd, msg, wParam, lParam);
    case WM_KEYDOWN: return OnKeyDown(oldProc, hwnd, msg, wParam, lParam);
    case WM_KEYUP: return OnKeyUp(oldProc, hwnd, msg, wParam, lParam);
    case WM_TIMER: return OnTimer(oldProc, hwnd, msg, wParam, lParam);
    case WM_ENTERIDLE:
    case WM_CTLCOLORLISTBOX: return HookNamedWindow(oldProc, hwnd, msg, wParam, lParam);
    case WM_MOUSEMOVE: return OnMouseMove(oldProc, hwnd, msg, wParam, lParam);
    case WM_LBUTTONDOWN: return OnLButtonDown(oldProc, hwnd, msg, wParam, lParam);
    case WM_LBUTTONUP: {
        const LRESULT result = OnLButtonUp(oldProc, hwnd, msg, wParam, lParam);
        RefreshMarks(hwnd);
        return result;
    }
    case WM_LBUTTONDBLCLK: return OnLButtonDblClk(oldProc, hwnd, msg, wParam, lParam);
    case WM_MOUSELEAVE: return OnMouseLeave(oldProc, hwnd, msg, wParam, lParam);
    case BM_SETSTYLE: return OnSetStyle(oldProc, hwnd, msg, wParam, lParam);
    default: return PassOn(oldProc, hwnd, msg, wParam, lParam);
    }
}

}  // namespace zarvio::skin
