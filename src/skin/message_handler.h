// The engine's message handlers and how they pass a message on. A handler gets the procedure the
// window had before it was hooked and the message, and returns the message result; most pass the
// message on to that procedure first and then add the skin's drawing.
#pragma once
#include <windows.h>

#include "skin/paint/window_props.h"

namespace zarvio::skin {

// The type of every handler; headers declare handlers with it (`MessageHandler PushButtonPaint;`).
using MessageHandler = LRESULT(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

inline WNDPROC OldProcOf(HWND hwnd) { return reinterpret_cast<WNDPROC>(ReadWindowProp(hwnd, kProcAddrProp)); }

// Whether the window is (still) hooked. A handler that passed a message on asks this before it
// touches the window's state again: the message may have destroyed or unhooked the window (a
// click that closes its form), and state written then would be left behind on it.
inline bool StillHooked(HWND hwnd) { return ReadWindowProp(hwnd, kProcAddrProp) != 0; }

// Passing a message on: the window's previous procedure with the message's own arguments.
inline LRESULT PassOn(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(oldProc, hwnd, msg, wParam, lParam);
}

// Passes the message on, then runs after() only when the window is still hooked; returns what
// passing on returned.
template <typename After>
LRESULT AfterPassingOn(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, After after) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (StillHooked(hwnd)) after();
    return result;
}

}  // namespace zarvio::skin
