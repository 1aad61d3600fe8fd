// Combo boxes and drive lists under the skin: a flat frame in the skin's blue and the skin's own
// drop-down button, whose state follows the pointer. An editable combo box (CBS_DROPDOWN) is
// painted by the skin alone and reacts only over its button; the others paint themselves first
// and count as button all over.
#pragma once
#include <windows.h>

#include "skin/message_handler.h"

namespace zarvio::skin {

// Whether the pointer at (x, y) of an editable combo box of size width x height is over its
// button: W - sb - 2 <= x <= W - 2 and 2 <= y <= H - 2, sb the scroll-bar width.
bool InComboButtonZone(int x, int y, int width, int height);

MessageHandler ComboPaint, ComboMouseMove, ComboButtonDown, ComboButtonUp, ComboMouseLeave, ComboPosChanging;

}  // namespace zarvio::skin
