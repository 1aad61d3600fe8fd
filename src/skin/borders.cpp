#include "skin/borders.h"

#include <commctrl.h>

#include "platform/handles.h"
#include "skin/combo_box.h"
#include "skin/paint/boxes.h"
#include "skin/paint/geometry.h"
#include "skin/paint/surface.h"
#include "skin/window_kind.h"
#include "skin/window_props.h"

namespace zarvio::skin {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBarColor = RGB(0x4C, 0xD6, 0xF6);
constexpr float kProgressScale = 30000.0f;

struct Sizes {
    int W = 0, H = 0;    // the whole window
    int cw = 0, ch = 0;  // the client area
    int bx = 0, by = 0;  // the non-client edge on each side
};

Sizes SizesOf(HWND hwnd) {
    Sizes s;
    WindowBox box;
    GetWindowBox(hwnd, box);
    s.W = box.width;
    s.H = box.height;
    RECT client{};
    GetClientRect(hwnd, &client);
    s.cw = client.right - client.left;
    s.ch = client.bottom - client.top;
    GetBorderSize(hwnd, s.bx, s.by);
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
    FillBox(dc, {0, 0, s.W, s.H}, kFrameColor);
    FillBox(dc, {1, 1, s.W - 2, s.H - 2}, kWhite);
    if (f != 0) {
        if (IsVertical(hwnd)) {
            if (IsSmooth(hwnd)) FillBox(dc, {s.bx, s.by, s.cw, s.ch}, kBarColor);
            FillBox(dc, {s.bx, s.by, s.cw, RoundHalfEven(s.ch - f * s.ch)}, kWhite);
        } else {
            FillBox(dc, {s.bx, s.by, RoundHalfEven(f * s.cw), s.ch}, kBarColor);
        }
    }
    const WindowDc window = WindowDc::Whole(hwnd);
    BitBlt(window.get(), 0, 0, s.W, s.H, dc, 0, 0, SRCCOPY);
    return 0;
}

// A client edge of bx pixels becomes one line in the frame colour with rings of the client's
// background inside it.
void FlattenClientEdge(HWND hwnd) {
    if ((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) == 0) return;
    const Sizes s = SizesOf(hwnd);
    const WindowDc window = WindowDc::Whole(hwnd);
    const WindowDc client = WindowDc::Client(hwnd);
    FrameBox(window.get(), {0, 0, s.W, s.H}, FrameColorOf(hwnd));
    const COLORREF ring = GetBkColor(client.get());
    for (int i = 1; i <= s.bx; ++i) FrameBox(window.get(), {i, i, s.W - 1 - i, s.H - 1 - i}, ring);
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
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (StillHooked(hwnd)) FlattenClientEdge(hwnd);
    return result;
}

LRESULT ProgressPaint(WNDPROC, HWND hwnd, UINT, WPARAM, LPARAM) {
    const Sizes s = SizesOf(hwnd);
    const float f = ProgressFraction(hwnd);
    const Surface surface(CreateSurface(s.cw, s.ch));
    if (surface) {
        const HDC dc = surface.get();
        FillBox(dc, {0, 0, s.cw, s.ch}, kWhite);
        if (f != 0) {
            if (IsVertical(hwnd)) {
                // Grows upwards from the bottom.
                FillBox(dc, {0, RoundHalfEven(s.ch - f * s.ch), s.cw, RoundHalfEven(f * s.ch)}, kBarColor);
            } else {
                FillBox(dc, {0, 0, RoundHalfEven(f * s.cw), s.ch}, kBarColor);
            }
        }
    }
    const PaintDc paint(hwnd);
    if (surface) BitBlt(paint.get(), 0, 0, s.cw, s.ch, surface.get(), 0, 0, SRCCOPY);
    return 0;
}

LRESULT ListFramePaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    const Sizes s = SizesOf(hwnd);
    const WindowDc window = WindowDc::Whole(hwnd);
    FrameBox(window.get(), {0, 0, s.W, s.H}, FrameColorOf(hwnd));
    FrameBox(window.get(), {1, 1, s.W - 2, s.H - 2}, kWhite);
    return result;
}

LRESULT GridPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd) || (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_BORDER) == 0) return result;
    const Sizes s = SizesOf(hwnd);
    const WindowDc window = WindowDc::Whole(hwnd);
    FrameBox(window.get(), {0, 0, s.W, s.H}, FrameColorOf(hwnd));
    return result;
}

}  // namespace zarvio::skin
