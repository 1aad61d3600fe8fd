// The private messages by which the toolkit's controls tell the form they sit on what happened
// to them. The controls know nothing of the Form class: they send to their root window, and a
// form acts on the message (tooltips, status bar part tips, the window's own reaction).
#pragma once
#include <windows.h>

#include "platform/toolkit/class_names.h"

namespace zarvio {

// Pointer movement over a control (wParam = control id, lParam = control handle). Sent to the
// root window whatever its class, for the window's own use.
inline constexpr UINT kControlMouseMove = WM_APP + 0x301;

// A mouse message of a control, for the form's tooltip to see (lParam = const MSG*, the
// control's message; the time and the position are the current message's). Sent to forms only.
inline constexpr UINT kControlMouseMessage = WM_APP + 0x302;

// A status bar's parts moved (wParam = the status bar): their tips must follow. Forms only.
inline constexpr UINT kStatusPartsMoved = WM_APP + 0x303;

// True when the window is one of the toolkit's forms.
inline bool IsFormWindow(HWND hwnd) {
    wchar_t cls[64] = {};
    return hwnd && GetClassNameW(hwnd, cls, 64) && lstrcmpiW(cls, kFormClass) == 0;
}

// The form a control sits on, or nullptr when its root window is no form.
inline HWND FormWindowOf(HWND control) {
    HWND root = GetAncestor(control, GA_ROOT);
    return IsFormWindow(root) ? root : nullptr;
}

}  // namespace zarvio
