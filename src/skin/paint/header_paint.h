// One item of a header control (the column-title bar of lists), redrawn from HeaderImage.
#pragma once
#include <windows.h>

#include <string>

#include "skin/paint/visual_state.h"

namespace zarvio::skin {

// The title of item index, as HDM_GETITEM gives it (at most 255 characters).
std::wstring HeaderItemTitle(HWND hwnd, int index);

// Draws item index (0-based; negative draws nothing) with the face of state (hover, pressed,
// anything else normal) and its title centred whatever the item's own alignment.
// hdc 0 means the header's window DC. Returns 0.
int PaintHeaderItem(HWND hwnd, HDC hdc, int index, VisualState state);

}  // namespace zarvio::skin
