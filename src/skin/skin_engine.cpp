#include "skin/skin_engine.h"

#include "platform/module_probe.h"
#include "skin/message_handler.h"
#include "skin/paint/images.h"
#include "skin/paint/window_props.h"
#include "skin/push_button.h"
#include "skin/window_kind.h"

namespace zarvio::skin {
namespace {

// The engine's module-wide state; per-window state lives in the windows' property lists.
struct EngineState {
    bool ready = false;
    bool hasTrackMouseEvent = false;
    int hookedCount = 0;
};

EngineState& Engine() {
    static EngineState state;
    return state;
}

// Shows the new (or the window's own) look at once: frame and whole area.
void RepaintAll(HWND hwnd) {
    (void)SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    (void)RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT);
}

}  // namespace

bool SkinReady() { return Engine().ready; }
bool HasTrackMouseEvent() { return Engine().hasTrackMouseEvent; }
int HookedCount() { return Engine().hookedCount; }
bool IsHooked(HWND hwnd) { return hwnd && StillHooked(hwnd); }

int InitSkin(HWND hwnd) {
    EngineState& engine = Engine();
    if (!engine.ready) {
        engine.ready = true;
        engine.hasTrackMouseEvent = ProcExists("TrackMouseEvent", L"User32");
        BuildSkinImages();
    }
    return AttachWindow(hwnd);
}

int ExitSkin(HWND hwnd) { return DetachWindow(hwnd); }

int AttachWindow(HWND hwnd) {
    if (!hwnd || IsHooked(hwnd)) return 0;
    // Only windows of this thread: another program's dialog must never have its buttons turned
    // owner-drawn or its corners cut, and a foreign procedure cannot be replaced anyway.
    if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return 0;

    switch (KindOf(hwnd)) {
    case WindowKind::Form:
        (void)EnumChildWindows(hwnd, AttachChildProc, 0);
        break;
    case WindowKind::Button:
        PreparePushButton(hwnd);
        break;
    case WindowKind::Combo:
    case WindowKind::DriveList:
    case WindowKind::CheckBox:
    case WindowKind::Option:
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        WriteWindowProp(hwnd, kOldStateProp, 0);
        break;
    case WindowKind::Header:
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        WriteWindowProp(hwnd, kPressedItemProp, -1);
        WriteWindowProp(hwnd, kHotItemProp, -1);
        break;
    default:
        break;
    }

    ++Engine().hookedCount;
    const auto old = SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinWindowProc));
    WriteWindowProp(hwnd, kProcAddrProp, old);
    RepaintAll(hwnd);
    return 1;
}

int DetachWindow(HWND hwnd) {
    if (!hwnd || !IsHooked(hwnd)) return 0;
    const intptr_t old = ReadWindowProp(hwnd, kProcAddrProp);

    switch (KindOf(hwnd)) {
    case WindowKind::Form:
        (void)EnumChildWindows(hwnd, DetachChildProc, 0);
        break;
    case WindowKind::Button:
        ReleasePushButton(hwnd);
        break;
    case WindowKind::Combo:
    case WindowKind::DriveList:
    case WindowKind::CheckBox:
    case WindowKind::Option:
        RemoveWindowProp(hwnd, kMouseFlagProp);
        RemoveWindowProp(hwnd, kOldStateProp);
        break;
    case WindowKind::Header:
        RemoveWindowProp(hwnd, kMouseFlagProp);
        RemoveWindowProp(hwnd, kPressedItemProp);
        RemoveWindowProp(hwnd, kHotItemProp);
        break;
    default:
        break;
    }

    RemoveWindowProp(hwnd, kProcAddrProp);
    (void)SetWindowLongPtrW(hwnd, GWLP_WNDPROC, old);
    RepaintAll(hwnd);

    EngineState& engine = Engine();
    if (--engine.hookedCount <= 0) {
        engine.hookedCount = 0;
        ReleaseSkinImages();
        engine.ready = false;
    }
    return 1;
}

BOOL CALLBACK AttachChildProc(HWND hwnd, LPARAM) {
    (void)AttachWindow(hwnd);
    return TRUE;
}

BOOL CALLBACK DetachChildProc(HWND hwnd, LPARAM) {
    (void)DetachWindow(hwnd);
    return TRUE;
}

}  // namespace zarvio::skin
