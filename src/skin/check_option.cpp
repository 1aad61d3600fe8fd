#include "skin/check_option.h"

#include "skin/paint/check_paint.h"
#include "skin/window_kind.h"
#include "skin/window_props.h"

namespace zarvio::skin {

BOOL CALLBACK RepaintMarkProc(HWND hwnd, LPARAM) {
    if (!StillHooked(hwnd)) return TRUE;
    switch (KindOf(hwnd)) {
    case WindowKind::CheckBox: PaintCheckBox(hwnd, 0, true); break;
    case WindowKind::Option: PaintOptionButton(hwnd, 0, true); break;
    default: break;
    }
    return TRUE;
}

void RefreshMarks(HWND hwnd) {
    HWND scope = GetParent(hwnd);
    if (!scope) scope = hwnd;
    EnumChildWindows(scope, RepaintMarkProc, 0);
}

}  // namespace zarvio::skin
