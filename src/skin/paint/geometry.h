// Boxes, window geometry and the rounding used whenever the skin centres something.
#pragma once
#include <windows.h>

namespace zarvio::skin {

// Every skin drawing operation takes its rectangle as x, y, width, height.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    RECT ToRect() const { return RECT{x, y, x + width, y + height}; }
};

// A window's rectangle in screen coordinates (non-client area included) with its size.
struct WindowBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width = 0;
    int height = 0;
};

// Nearest integer, exact halves to the even neighbour (7.5 -> 8, 4.5 -> 4, -6.5 -> -6).
int RoundHalfEven(double value);

// Half of a difference by RoundHalfEven: the offset that centres a thing in a space.
inline int Halve(int difference) { return RoundHalfEven(difference / 2.0); }

// Fills box from GetWindowRect; returns that call's result.
BOOL GetWindowBox(HWND hwnd, WindowBox& box);

// Thickness of the non-client edge on each side, scroll bars left out. Always returns 1.
int GetBorderSize(HWND hwnd, int& cx, int& cy);

}  // namespace zarvio::skin
