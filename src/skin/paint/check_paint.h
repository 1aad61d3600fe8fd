// Check-box squares and option-button circles, painted over the glyph the control drew itself:
// at the left edge, vertically centred, in a glyph box of the menu check-mark size.
// state: normal, hover or pressed. Unless force is set, a state equal to the window's
// "OLDSTATE" draws nothing; the state drawn is stored there. Return 1 when drawn, else 0.
#pragma once
#include <windows.h>

#include "skin/paint/visual_state.h"

namespace zarvio::skin {

// The glyph box: SM_CXMENUCHECK x SM_CYMENUCHECK.
SIZE MenuCheckSize();

// Composed off screen and copied to the window in one opaque copy.
int PaintCheckBox(HWND hwnd, VisualState state, bool force);
int PaintCheckBox(HWND hwnd, VisualState state, bool force, SIZE glyph);

// Colour-keyed straight onto the window, so the control's background shows outside the circle.
int PaintOptionButton(HWND hwnd, VisualState state, bool force);
int PaintOptionButton(HWND hwnd, VisualState state, bool force, SIZE glyph);

}  // namespace zarvio::skin
