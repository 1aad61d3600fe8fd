// The skin engine's per-window state. Everything the engine knows about a hooked window lives in
// that window's own property list, under the names below, as pointer-sized integers: an absent
// property reads as 0, and -1 reads back as -1. A window is hooked exactly while it has a nonzero
// "PROCADDR". The painters' share of these names is declared beside the painters.
#pragma once
#include <windows.h>

#include <cstdint>

#include "skin/paint/window_props.h"

namespace zarvio::skin {

inline constexpr wchar_t kProcAddrProp[] = L"PROCADDR";    // the procedure the window had before
inline constexpr wchar_t kMouseFlagProp[] = L"MOUSEFLAG";  // 1 while a leave report is pending
inline constexpr wchar_t kTimerIdProp[] = L"TIMERID";      // the running fade timer, 0 for none
inline constexpr wchar_t kPressedItemProp[] = L"HDINDEX";  // header item being pressed, -1 none
inline constexpr wchar_t kHotItemProp[] = L"HMINDEX";      // header item under the pointer, -1 none

// "BMP0".."BMP3": the bitmap selected into the push button's "HDC0".."HDC3".
inline const wchar_t* StateBitmapProp(int state) {
    static constexpr const wchar_t* kNames[] = {L"BMP0", L"BMP1", L"BMP2", L"BMP3"};
    return (state >= 0 && state < 4) ? kNames[state] : nullptr;
}

inline void RemoveWindowProp(HWND hwnd, const wchar_t* name) { RemovePropW(hwnd, name); }

// Every name the engine ever writes, for checks that a window was handed back clean.
inline constexpr const wchar_t* kAllSkinProps[] = {
    L"PROCADDR", L"OLDSTYLE", L"MOUSEFLAG", L"HDC0", L"HDC1", L"HDC2", L"HDC3", L"BMP0", L"BMP1",
    L"BMP2",     L"BMP3",     L"TIMERID",   L"OLDSTATE", L"ALPHALEVEL", L"HDINDEX", L"HMINDEX"};

inline WNDPROC OldProcOf(HWND hwnd) { return reinterpret_cast<WNDPROC>(ReadWindowProp(hwnd, kProcAddrProp)); }

// Whether the window is (still) hooked. A handler that passed a message on asks this before it
// touches the window's state again: the message may have destroyed or unhooked the window (a
// click that closes its form), and state written then would be left behind on it.
inline bool StillHooked(HWND hwnd) { return ReadWindowProp(hwnd, kProcAddrProp) != 0; }

// Passing a message on: the window's previous procedure with the message's own arguments.
inline LRESULT PassOn(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(oldProc, hwnd, msg, wParam, lParam);
}

}  // namespace zarvio::skin
