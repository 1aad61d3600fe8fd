// Check boxes and option buttons under the skin: the controls draw their caption and background
// themselves, the skin draws the square or circle with its mark over them.
#pragma once
#include <windows.h>

namespace zarvio::skin {

// EnumChildWindows callback: redraws the mark of a hooked check box or option button in the
// normal state; every other window is left alone. Always continues.
BOOL CALLBACK RepaintMarkProc(HWND hwnd, LPARAM);

// After a button release anywhere: every mark among the descendants of the window's parent (or
// of the window itself when it has none) is drawn anew, since a click on one option button
// clears the dots of the others.
void RefreshMarks(HWND hwnd);

}  // namespace zarvio::skin
