// The drop-down button of a combo box (or drive list), drawn over the one the control painted.
#pragma once
#include <windows.h>

#include "skin/paint/visual_state.h"

namespace zarvio::skin {

// Draws the button for state (normal, hover or pressed) one pixel inside the right, top and
// bottom edges, SM_CXVSCROLL + 1 wide. A dropped-down list sets state to pressed. Unless force is set,
// a state equal to "OLDSTATE" draws nothing; a CBS_SIMPLE box is never drawn and keeps its
// "OLDSTATE". hdc 0 means the combo box's window DC.
void PaintComboButton(HWND hwnd, HDC hdc, VisualState& state, bool force);

}  // namespace zarvio::skin
