// One item of a header control (the column-title bar of lists), redrawn from HeaderImage.
#pragma once
#include <windows.h>

namespace zarvio::skin {

// Draws item index (0-based; negative draws nothing) with the face of state (1 hover,
// 2 pressed, anything else normal) and its title centred whatever the item's own alignment.
// hdc 0 means the header's window DC. Returns 0.
int PaintHeaderItem(HWND hwnd, HDC hdc, int index, int state);

}  // namespace zarvio::skin
