#include "skin/borders.h"

#include <commctrl.h>

#include "platform/handles.h"
#include "skin/paint/boxes.h"
#include "skin/paint/geometry.h"
#include "skin/paint/palette.h"
#include "skin/paint/surface.h"
#include "skin/window_kind.h"

namespace zarvio::skin {
namespace {

constexpr float kProgressScale = 30000.0f;

struct Sizes {
    int W = 0, H = 0;    // the whole window
    int cw = 0, ch = 0;  // the client area
    int bx = 0, by = 0;  // the non-client edge on each side
};

Sizes SizesOf(HWND hwnd) {
    Sizes s;
    WindowBox box;
    (void)GetWindowBox(hwnd, box);
    s.W = box.width;
    s.H = box.height;
    RECT client{};
    (void)GetClientRect(hwnd, &client);
    s.cw = client.right - client.left;
    s.ch = client.bottom - client.top;
    (void)GetBorderSize(hwnd, s.bx, s.by);
    return s;
}

bool IsVertical(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & PBS_VERTICAL) != 0; }
bool IsSmooth(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & PBS_SMOOTH) != 0; }

// Frame and bar composed off screen, then copied to the whole window at once.
LRESULT ProgressNcPaint(HWND hwnd) {
    const Sizes s = SizesOf(hwnd);
    const Surface surface(CreateSurface(s.W, s.H));
    if (!surface) return 0;
    const HDC dc = surface.get();
    const float f = ProgressFraction(hwnd);
    (void)FillBox(dc, {0, 0, s.W, s.H}, kFrameColor);
    (void)FillBox(dc, {1, 1, s.W - 2, s.H - 2}, kWhite);
    if (f != 0) {
        if (IsVertical(hwnd)) {
            if (IsSmooth(hwnd)) (void)FillBox(dc, {s.bx, s.by, s.cw, s.ch}, kBarColor);
            (void)FillBox(dc, {s.bx, s.by, s.cw, RoundHalfEven(s.ch - f * s.ch)}, kWhite);
        } else {
            (void)FillBox(dc, {s.bx, s.by, RoundHalfEven(f * s.cw), s.ch}, kBarColor);
        }
    }
    const WindowDc window = WindowDc::Whole(hwnd);
    (void)BitBlt(window.get(), 0, 0, s.W, s.H, dc, 0, 0, SRCCOPY);
    return 0;
}

// A client edge of bx pixels becomes one line in the frame colour with rings of the client's
// background inside it.
void FlattenClientEdge(HWND hwnd) {
    if ((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) == 0) return;
    const Sizes s = SizesOf(hwnd);
    const WindowDc window = WindowDc::Whole(hwnd);
    const WindowDc client = WindowDc::Client(hwnd);
    (void)FrameBox(window.get(), {0, 0, s.W, s.H}, FrameColorOf(hwnd));
    const COLORREF ring = GetBkColor(client.get());
    for (int i = 1; i <= s.bx; ++i) (void)FrameBox(window.get(), {i, i, s.W - 1 - i, s.H - 1 - i}, ring);
}

}  // namespace

float ProgressFraction(HWND hwnd) {
    return static_cast<float>(SendMessageW(hwnd, PBM_GETPOS, 0, 0)) / kProgressScale;
}

LRESULT BorderNcPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (KindOf(hwnd)) {
    case WindowKind::Progress: return ProgressNcPaint(hwnd);
    case WindowKind::DataList: return PassOn(oldProc, hwnd, msg, wParam, lParam);
    default: break;
    }
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] { FlattenClientEdge(hwnd); });
}

LRESULT ProgressPaint(WNDPROC, HWND hwnd, UINT, WPARAM, LPARAM) {
    const Sizes s = SizesOf(hwnd);
    const float f = ProgressFraction(hwnd);
    const Surface surface(CreateSurface(s.cw, s.ch));
    if (surface) {
        const HDC dc = surface.get();
        (void)FillBox(dc, {0, 0, s.cw, s.ch}, kWhite);
        if (f != 0) {
            if (IsVertical(hwnd)) {
                // Grows upwards from the bottom.
                (void)FillBox(dc, {0, RoundHalfEven(s.ch - f * s.ch), s.cw, RoundHalfEven(f * s.ch)}, kBarColor);
            } else {
                (void)FillBox(dc, {0, 0, RoundHalfEven(f * s.cw), s.ch}, kBarColor);
            }
        }
    }
    const PaintDc paint(hwnd);
    if (surface) (void)BitBlt(paint.get(), 0, 0, s.cw, s.ch, surface.get(), 0, 0, SRCCOPY);
    return 0;
}

LRESULT ListFramePaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        const Sizes s = SizesOf(hwnd);
        const WindowDc window = WindowDc::Whole(hwnd);
        (void)FrameBox(window.get(), {0, 0, s.W, s.H}, FrameColorOf(hwnd));
        (void)FrameBox(window.get(), {1, 1, s.W - 2, s.H - 2}, kWhite);
    });
}

LRESULT GridPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_BORDER) == 0) return;
        const Sizes s = SizesOf(hwnd);
        const WindowDc window = WindowDc::Whole(hwnd);
        (void)FrameBox(window.get(), {0, 0, s.W, s.H}, FrameColorOf(hwnd));
    });
}

}  // namespace zarvio::skin
