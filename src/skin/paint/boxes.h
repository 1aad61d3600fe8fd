// Thin drawing wrappers that take a Box instead of a RECT.
#pragma once
#include <windows.h>
#include <string_view>
#include "skin/paint/geometry.h"

namespace zarvio::skin {

// The format every painter uses for captions and titles.
inline constexpr UINT kCenteredLabel = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

// Fills the box with a solid colour; returns FillRect's result.
int FillBox(HDC hdc, const Box& box, COLORREF color);

// One-pixel frame on the inside of the box; returns FrameRect's result.
int FrameBox(HDC hdc, const Box& box, COLORREF color);

// Returns DrawFocusRect's result.
BOOL DrawFocusBox(HDC hdc, const Box& box);

// Draws the whole text into the box with DrawText format flags; returns the text height.
int DrawTextBox(HDC hdc, std::wstring_view text, const Box& box, UINT format);

}  // namespace zarvio::skin
