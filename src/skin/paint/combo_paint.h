// The drop-down button of a combo box (or drive list), drawn over the one the control painted.
#pragma once
#include <windows.h>

namespace zarvio::skin {

// Draws the button for state (0 normal, 1 hover, 2 pressed) one pixel inside the right, top and
// bottom edges, SM_CXVSCROLL + 1 wide. A dropped-down list sets state to 2. Unless force is set,
// a state equal to "OLDSTATE" draws nothing; a CBS_SIMPLE box is never drawn and keeps its
// "OLDSTATE". hdc 0 means the combo box's window DC.
void PaintComboButton(HWND hwnd, HDC hdc, int& state, bool force);

}  // namespace zarvio::skin
