#include "skin/paint/header_paint.h"

#include <commctrl.h>

#include <cwchar>
#include <optional>
#include <string_view>

#include "platform/handles.h"
#include "skin/paint/blit.h"
#include "skin/paint/boxes.h"
#include "skin/paint/geometry.h"
#include "skin/paint/images.h"
#include "skin/paint/palette.h"
#include "skin/paint/surface.h"
#include "skin/paint/target_dc.h"

namespace zarvio::skin {
namespace {

constexpr int kCellWidth = 3;
constexpr int kCellHeight = 20;
constexpr int kTitleCapacity = 256;

// The cells of HeaderImage are normal, hover and pressed, in the order of their VisualState.
int FaceCell(VisualState state) {
    return (state == VisualState::Hover || state == VisualState::Pressed) ? static_cast<int>(state) : 0;
}

}  // namespace

std::wstring HeaderItemTitle(HWND hwnd, int index) {
    wchar_t title[kTitleCapacity] = {};
    HDITEMW query{};
    query.mask = HDI_TEXT;
    query.pszText = title;
    query.cchTextMax = kTitleCapacity;
    (void)SendMessageW(hwnd, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&query));
    return std::wstring(title, wcsnlen(title, kTitleCapacity));
}

int PaintHeaderItem(HWND hwnd, HDC hdc, int index, VisualState state) {
    if (index < 0) return 0;
    WindowBox window;
    (void)GetWindowBox(hwnd, window);
    const int H = window.height;
    RECT item{};
    (void)SendMessageW(hwnd, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const int w = item.right - item.left;
    // An index past the last item leaves the rectangle empty: nothing to show.
    const Surface face(CreateSurface(w, H));
    if (!face) return 0;
    const HDC s = face.get();

    const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    std::optional<SelectGuard> withFont;
    if (font) withFont.emplace(s, font);
    (void)SetBkMode(s, TRANSPARENT);
    (void)SetTextColor(s, kCaptionColor);

    (void)DrawNineSlice(s, {0, 0, w, H}, HeaderImage(),
                        {kCellWidth * FaceCell(state), 0, kCellWidth, kCellHeight}, {1, 1, 1, 1});

    const std::wstring text = HeaderItemTitle(hwnd, index);
    if (!text.empty()) (void)DrawTextBox(s, text, {0, 0, w, H}, kCenteredLabel);

    const TargetDc target(hwnd, hdc);
    (void)BitBlt(target.get(), item.left, 0, w, item.bottom - item.top, s, 0, 0, SRCCOPY);
    return 0;
}

}  // namespace zarvio::skin
