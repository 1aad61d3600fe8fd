// SkinWindowProc and the message handlers it routes to. Each handler asks the window's kind
// afresh and runs that kind's behaviour; a kind without behaviour for a message has it passed on.
#include <windows.h>

#include "skin/borders.h"
#include "skin/check_option.h"
#include "skin/combo_box.h"
#include "skin/header_control.h"
#include "skin/message_handler.h"
#include "skin/push_button.h"
#include "skin/skin_engine.h"
#include "skin/window_kind.h"

namespace zarvio::skin {
namespace {

// Each row names the behaviour of the kinds that have one for a message; every other kind has
// the message passed on.
using Handler = MessageHandler*;

struct KindBehaviour {
    Handler button = nullptr;
    Handler mark = nullptr;    // check boxes and option buttons
    Handler combo = nullptr;   // combo boxes and drive lists
    Handler header = nullptr;
};

LRESULT RouteByKind(WindowKind kind, const KindBehaviour& behaviour, WNDPROC oldProc, HWND hwnd, UINT msg,
                    WPARAM wParam, LPARAM lParam) {
    Handler handler = nullptr;
    switch (kind) {
    case WindowKind::Button: handler = behaviour.button; break;
    case WindowKind::CheckBox:
    case WindowKind::Option: handler = behaviour.mark; break;
    case WindowKind::Combo:
    case WindowKind::DriveList: handler = behaviour.combo; break;
    case WindowKind::Header: handler = behaviour.header; break;
    default: break;
    }
    return handler ? handler(oldProc, hwnd, msg, wParam, lParam) : PassOn(oldProc, hwnd, msg, wParam, lParam);
}

LRESULT Route(const KindBehaviour& behaviour, WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return RouteByKind(KindOf(hwnd), behaviour, oldProc, hwnd, msg, wParam, lParam);
}

// A form shown later takes the activation from a hooked window, which hooks it with everything
// inside it; so does a window this one owns or contains (a message box, say).
LRESULT OnActivate(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto other = reinterpret_cast<HWND>(lParam);
    if (other && (GetParent(other) == hwnd || KindOf(other) == WindowKind::Form)) (void)AttachWindow(other);
    return PassOn(oldProc, hwnd, msg, wParam, lParam);
}

// A modal dialog (WM_ENTERIDLE) or a drop-down list (WM_CTLCOLORLISTBOX) named in lParam.
LRESULT HookNamedWindow(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (lParam) (void)AttachWindow(reinterpret_cast<HWND>(lParam));
    return result;
}

// The only handler that tells grids from other windows.
LRESULT OnPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const WindowKind kind = KindOf(hwnd, true);
    switch (kind) {
    case WindowKind::Progress: return ProgressPaint(oldProc, hwnd, msg, wParam, lParam);
    case WindowKind::DataList:
    case WindowKind::ComboList: return ListFramePaint(oldProc, hwnd, msg, wParam, lParam);
    case WindowKind::Grid: return GridPaint(oldProc, hwnd, msg, wParam, lParam);
    default:
        return RouteByKind(kind, {PushButtonPaint, MarkPaint, ComboPaint, HeaderPaint}, oldProc, hwnd, msg, wParam,
                           lParam);
    }
}

LRESULT OnSize(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonSize}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnLButtonDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonPress, MarkButtonDown, ComboButtonDown, HeaderButtonDown}, oldProc, hwnd, msg, wParam,
                 lParam);
}
LRESULT OnLButtonDblClk(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonPress, nullptr, nullptr, HeaderButtonDown}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnLButtonUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonRelease, MarkButtonUp, ComboButtonUp, HeaderButtonUp}, oldProc, hwnd, msg, wParam,
                 lParam);
}
LRESULT OnKeyDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonKeyDown, MarkKeyDown}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnKeyUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonKeyUp, MarkKeyUp}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonMouseMove, MarkMouseMove, ComboMouseMove, HeaderMouseMove}, oldProc, hwnd, msg, wParam,
                 lParam);
}
LRESULT OnMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonMouseLeave, MarkMouseLeave, ComboMouseLeave, HeaderMouseLeave}, oldProc, hwnd, msg,
                 wParam, lParam);
}
LRESULT OnTimer(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonTimer}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnEnable(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonEnable, MarkRedrawAfter}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnSetCheck(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({nullptr, MarkRedrawAfter}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnFocus(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonFocus, MarkFocus}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnSetStyle(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({PushButtonSetStyle}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnWindowPosChanging(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Route({nullptr, nullptr, ComboPosChanging}, oldProc, hwnd, msg, wParam, lParam);
}
LRESULT OnNcPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return BorderNcPaint(oldProc, hwnd, msg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK SkinWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return 0;
    const WNDPROC oldProc = OldProcOf(hwnd);
    if (!oldProc) return DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
    case WM_DESTROY:
        // Give the window back before it goes, then let its own procedure see the message.
        (void)DetachWindow(hwnd);
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
    case BM_SETCHECK: return OnSetCheck(oldProc, hwnd, msg, wParam, lParam);
    default: return PassOn(oldProc, hwnd, msg, wParam, lParam);
    }
}

}  // namespace zarvio::skin
