// Combo boxes and drive lists under the skin: a flat frame in the skin's blue and the skin's own
// drop-down button, whose state follows the pointer. An editable combo box (CBS_DROPDOWN) is
// painted by the skin alone and reacts only over its button; the others paint themselves first
// and count as button all over.
#pragma once
#include <windows.h>

namespace zarvio::skin {

// Frame colours of enabled and disabled controls, shared with the list and border frames.
inline constexpr COLORREF kFrameColor = RGB(0x54, 0xA5, 0xD5);
inline constexpr COLORREF kDisabledFrameColor = RGB(0xA4, 0xCF, 0xE9);
inline COLORREF FrameColorOf(HWND hwnd) { return IsWindowEnabled(hwnd) ? kFrameColor : kDisabledFrameColor; }

// Whether the pointer at (x, y) of an editable combo box of size width x height is over its
// button: W - sb - 2 <= x <= W - 2 and 2 <= y <= H - 2, sb the scroll-bar width.
bool InComboButtonZone(int x, int y, int width, int height);

LRESULT ComboPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ComboMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ComboButtonDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ComboButtonUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ComboMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ComboPosChanging(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace zarvio::skin
