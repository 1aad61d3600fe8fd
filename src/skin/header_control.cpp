#include "skin/header_control.h"

#include <commctrl.h>
#include <windowsx.h>

#include <optional>
#include <string>

#include "platform/handles.h"
#include "skin/hover.h"
#include "skin/paint/blit.h"
#include "skin/paint/boxes.h"
#include "skin/paint/geometry.h"
#include "skin/paint/header_paint.h"
#include "skin/paint/images.h"
#include "skin/paint/surface.h"

namespace zarvio::skin {
namespace {

constexpr int kCellWidth = 3;
constexpr int kImageHeight = 20;

int ItemCount(HWND hwnd) { return static_cast<int>(SendMessageW(hwnd, HDM_GETITEMCOUNT, 0, 0)); }

RECT ItemRect(HWND hwnd, int index) {
    RECT r{};
    (void)SendMessageW(hwnd, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

// The HeaderImage cell of an item: pressed, else hot, else normal.
int CellOf(int index, int pressed, int hot) {
    if (index == pressed) return static_cast<int>(VisualState::Pressed) * kCellWidth;
    if (index == hot) return static_cast<int>(VisualState::Hover) * kCellWidth;
    return static_cast<int>(VisualState::Normal) * kCellWidth;
}

int Index(HWND hwnd, const wchar_t* name) { return static_cast<int>(ReadWindowProp(hwnd, name)); }

}  // namespace

int HeaderItemAt(HWND hwnd, int x) {
    const int count = ItemCount(hwnd);
    for (int i = 0; i < count; ++i) {
        const RECT r = ItemRect(hwnd, i);
        if (r.left <= x && x <= r.right) return i;
    }
    return -1;
}

LRESULT HeaderPaint(WNDPROC, HWND hwnd, UINT, WPARAM, LPARAM) {
    WindowBox box;
    (void)GetWindowBox(hwnd, box);
    const int W = box.width, H = box.height;
    const Surface surface(CreateSurface(W, H));
    if (surface) {
        const HDC s = surface.get();
        // The middle column of the normal cell, stretched over everything as the background.
        (void)StretchBlt(s, 0, 0, W, H, HeaderImage(), 1, 0, 1, kImageHeight, SRCCOPY);
        const int count = ItemCount(hwnd);
        if (count > 0) {
            const int pressed = Index(hwnd, kPressedItemProp), hot = Index(hwnd, kHotItemProp);
            const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
            for (int i = 0; i < count; ++i) {
                const RECT r = ItemRect(hwnd, i);
                const std::wstring title = HeaderItemTitle(hwnd, i);
                (void)DrawNineSlice(s, {r.left, 0, r.right - r.left, H}, HeaderImage(),
                                    {CellOf(i, pressed, hot), 0, kCellWidth, kImageHeight}, {1, 1, 1, 1});
                if (title.empty()) continue;
                std::optional<SelectGuard> withFont;
                if (font) withFont.emplace(s, font);
                (void)SetBkMode(s, TRANSPARENT);
                (void)DrawTextBox(s, title, {r.left, 0, r.right - r.left, r.bottom}, kCenteredLabel);
            }
        }
    }
    const PaintDc paint(hwnd);
    if (surface) (void)BitBlt(paint.get(), 0, 0, W, H, surface.get(), 0, 0, SRCCOPY);
    return 0;
}

LRESULT HeaderButtonDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (ItemCount(hwnd) <= 0) return;
        const int item = HeaderItemAt(hwnd, GET_X_LPARAM(lParam));
        WriteWindowProp(hwnd, kPressedItemProp, item);
        if (item >= 0) (void)PaintHeaderItem(hwnd, nullptr, item, VisualState::Pressed);
    });
}

LRESULT HeaderMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        BeginHover(hwnd);
        const int item = HeaderItemAt(hwnd, GET_X_LPARAM(lParam));
        const int hot = Index(hwnd, kHotItemProp), pressed = Index(hwnd, kPressedItemProp);
        if (item == hot) return;
        if (hot >= 0 && hot != pressed) (void)PaintHeaderItem(hwnd, nullptr, hot, VisualState::Normal);
        if (wParam & MK_LBUTTON) {
            // Dragging: only the pressed item shows, the hot one is left as it was.
            if (item == pressed) (void)PaintHeaderItem(hwnd, nullptr, item, VisualState::Pressed);
        } else {
            WriteWindowProp(hwnd, kHotItemProp, item);
            (void)PaintHeaderItem(hwnd, nullptr, item, VisualState::Hover);
        }
    });
}

LRESULT HeaderButtonUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        const int pressed = Index(hwnd, kPressedItemProp);
        WriteWindowProp(hwnd, kPressedItemProp, -1);
        if (pressed < 0) return;
        (void)PaintHeaderItem(hwnd, nullptr, pressed, PointerIsOver(hwnd) ? VisualState::Normal : VisualState::Hover);
    });
}

LRESULT HeaderMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        const int hot = Index(hwnd, kHotItemProp);
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        WriteWindowProp(hwnd, kPressedItemProp, -1);
        WriteWindowProp(hwnd, kHotItemProp, -1);
        if (hot >= 0) (void)PaintHeaderItem(hwnd, nullptr, hot, VisualState::Normal);
    });
}

}  // namespace zarvio::skin
