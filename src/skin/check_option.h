// Check boxes and option buttons under the skin: the controls draw their caption and background
// themselves, the skin draws the square or circle with its mark over them, in the normal, hover
// or pressed state. Each handler passes the message on first, so the mark shows the check value
// the control has after handling it.
#pragma once
#include <windows.h>

#include "skin/message_handler.h"

namespace zarvio::skin {

MessageHandler MarkPaint, MarkMouseMove, MarkButtonDown, MarkButtonUp, MarkKeyDown, MarkKeyUp, MarkMouseLeave;
// The platform redraws its own glyph straight away when the check value or the enabled state
// changes from code; the skin's mark is drawn over it again in the state last shown.
MessageHandler MarkRedrawAfter;
MessageHandler MarkFocus;

// EnumChildWindows callback: redraws the mark of a hooked check box or option button in the
// normal state; every other window is left alone. Always continues.
BOOL CALLBACK RepaintMarkProc(HWND hwnd, LPARAM);

// After a button release anywhere: every mark among the descendants of the window's parent (or
// of the window itself when it has none) is drawn anew, since a click on one option button
// clears the dots of the others.
void RefreshMarks(HWND hwnd);

}  // namespace zarvio::skin
