#include "skin/paint/geometry.h"

#include <cmath>

namespace zarvio::skin {

int RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    const int lower = static_cast<int>(floor);
    if (fraction < 0.5) return lower;
    if (fraction > 0.5) return lower + 1;
    return (lower % 2 == 0) ? lower : lower + 1;
}

BOOL GetWindowBox(HWND hwnd, WindowBox& box) {
    RECT r{};
    const BOOL ok = GetWindowRect(hwnd, &r);
    box.left = r.left;
    box.top = r.top;
    box.right = r.right;
    box.bottom = r.bottom;
    box.width = r.right - r.left;
    box.height = r.bottom - r.top;
    return ok;
}

int GetBorderSize(HWND hwnd, int& cx, int& cy) {
    RECT window{}, client{};
    (void)GetWindowRect(hwnd, &window);
    (void)GetClientRect(hwnd, &client);
    int dw = (window.right - window.left) - (client.right - client.left);
    int dh = (window.bottom - window.top) - (client.bottom - client.top);
    // Scroll bars sit inside the window rectangle but outside the client area; they are not edge.
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    if (style & WS_VSCROLL) dw -= GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) dh -= GetSystemMetrics(SM_CYHSCROLL);
    cx = Halve(dw);
    cy = Halve(dh);
    return 1;
}

}  // namespace zarvio::skin
