#include "skin/hover.h"

#include <commctrl.h>

#include "skin/engine_state.h"
#include "skin/paint/button_paint.h"
#include "skin/paint/window_props.h"

namespace zarvio::skin {

void TrackMouseLeave(HWND hwnd) {
    TRACKMOUSEEVENT request{};
    request.cbSize = sizeof(request);
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = hwnd;
    request.dwHoverTime = 0;
    if (HasTrackMouseEvent()) {
        (void)TrackMouseEvent(&request);
    } else {
        (void)_TrackMouseEvent(&request);
    }
}

bool PointerIsOver(HWND hwnd) {
    POINT cursor{};
    (void)GetCursorPos(&cursor);
    return WindowFromPoint(cursor) == hwnd;
}

void BeginHover(HWND hwnd) {
    if (ReadWindowProp(hwnd, kMouseFlagProp) != 0) return;
    WriteWindowProp(hwnd, kMouseFlagProp, 1);
    TrackMouseLeave(hwnd);
}

UINT_PTR StartStateTimer(HWND hwnd) {
    if (ReadWindowProp(hwnd, kTimerIdProp) != 0) return 0;
    const UINT_PTR id = SetTimer(hwnd, kStateTimerId, kStateTimerInterval, nullptr);
    WriteWindowProp(hwnd, kTimerIdProp, static_cast<intptr_t>(id));
    return id;
}

BOOL StopStateTimer(HWND hwnd) {
    const auto id = static_cast<UINT_PTR>(ReadWindowProp(hwnd, kTimerIdProp));
    if (id == 0) return FALSE;
    const BOOL killed = KillTimer(hwnd, id);
    WriteWindowProp(hwnd, kTimerIdProp, 0);
    return killed;
}

void FadeStep(HWND hwnd) {
    const intptr_t level = ReadWindowProp(hwnd, kAlphaLevelProp);
    (void)BlendButtonState(hwnd, nullptr);
    const intptr_t next = level + kFadeStep;
    if (next > 255) {
        (void)StopStateTimer(hwnd);
        WriteWindowProp(hwnd, kAlphaLevelProp, 0);
    } else {
        WriteWindowProp(hwnd, kAlphaLevelProp, next);
    }
}

}  // namespace zarvio::skin
