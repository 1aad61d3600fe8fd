// The looks a skinned control can show. The values are what "OLDSTATE" holds, and a push
// button's picture for a state is picture number (int)state ("HDC0".."HDC3").
#pragma once
#include <windows.h>

#include "skin/paint/window_props.h"

namespace zarvio::skin {

enum class VisualState : int {
    Normal = 0,
    Hover = 1,  // under the pointer; a header's hot item
    Pressed = 2,
    Disabled = 3,
};

// The state last shown, as "OLDSTATE" holds it (absent reads as Normal).
inline VisualState StoredState(HWND hwnd) { return static_cast<VisualState>(ReadWindowProp(hwnd, kOldStateProp)); }
inline void StoreState(HWND hwnd, VisualState state) {
    WriteWindowProp(hwnd, kOldStateProp, static_cast<intptr_t>(state));
}

// A control's look while nothing happens to it: normal, or disabled for a disabled window.
inline VisualState RestingState(HWND hwnd) {
    return IsWindowEnabled(hwnd) ? VisualState::Normal : VisualState::Disabled;
}

}  // namespace zarvio::skin
