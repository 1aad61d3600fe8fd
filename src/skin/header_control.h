// Column headers under the skin: drawn entirely by the skin, one skinned cell per item with the
// title centred, the item under the pointer hot ("HMINDEX") and the item being clicked pressed
// ("HDINDEX"), both -1 when there is none.
#pragma once
#include <windows.h>

#include "skin/message_handler.h"

namespace zarvio::skin {

// The item whose left <= x <= right, the lower index where two share an edge; -1 for none.
int HeaderItemAt(HWND hwnd, int x);

// The whole header composed on one surface and copied in one go; not passed on.
MessageHandler HeaderPaint;
MessageHandler HeaderButtonDown, HeaderMouseMove, HeaderButtonUp, HeaderMouseLeave;

}  // namespace zarvio::skin
