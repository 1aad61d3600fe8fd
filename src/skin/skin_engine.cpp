#include "skin/skin_engine.h"

#include <cstdint>
#include <span>

#include "platform/module_probe.h"
#include "skin/message_handler.h"
#include "skin/paint/images.h"
#include "skin/paint/visual_state.h"
#include "skin/paint/window_props.h"
#include "skin/push_button.h"
#include "skin/window_kind.h"

namespace zarvio::skin {
namespace {

// A state property a window kind carries while hooked, and the value hooking gives it.
struct KindProp {
    const wchar_t* name;
    intptr_t (*initial)(HWND);
};

intptr_t Zero(HWND) { return 0; }
intptr_t NoItem(HWND) { return -1; }
intptr_t Resting(HWND hwnd) { return static_cast<intptr_t>(RestingState(hwnd)); }

constexpr KindProp kButtonProps[] = {
    {kMouseFlagProp, Zero}, {kTimerIdProp, Zero}, {kOldStateProp, Resting}, {kAlphaLevelProp, Zero}};
// Combo boxes, drive lists, check boxes and option buttons.
constexpr KindProp kTrackedProps[] = {{kMouseFlagProp, Zero}, {kOldStateProp, Zero}};
constexpr KindProp kHeaderProps[] = {{kMouseFlagProp, Zero}, {kPressedItemProp, NoItem}, {kHotItemProp, NoItem}};

void AttachChildren(HWND hwnd) { (void)EnumChildWindows(hwnd, AttachChildProc, 0); }
void DetachChildren(HWND hwnd) { (void)EnumChildWindows(hwnd, DetachChildProc, 0); }

// What hooking gives a window of a kind and unhooking takes away again: its state properties,
// and a step of its own that runs after they are written (prepare) and before they are removed
// (release).
struct KindState {
    WindowKind kind;
    std::span<const KindProp> props;
    void (*prepare)(HWND) = nullptr;
    void (*release)(HWND) = nullptr;
};

const KindState kKindStates[] = {
    {WindowKind::Form, {}, AttachChildren, DetachChildren},
    {WindowKind::Button, kButtonProps, PreparePushButton, ReleasePushButton},
    {WindowKind::Combo, kTrackedProps},
    {WindowKind::DriveList, kTrackedProps},
    {WindowKind::CheckBox, kTrackedProps},
    {WindowKind::Option, kTrackedProps},
    {WindowKind::Header, kHeaderProps},
};

// Every other kind gets nothing beyond being hooked.
const KindState& StateOf(WindowKind kind) {
    static const KindState kNothing{WindowKind::Other, {}};
    for (const KindState& entry : kKindStates) {
        if (entry.kind == kind) return entry;
    }
    return kNothing;
}

// Shows the new (or the window's own) look at once: frame and whole area.
void RepaintAll(HWND hwnd) {
    (void)SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    (void)RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT);
}

}  // namespace

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

    const KindState& state = StateOf(KindOf(hwnd));
    for (const KindProp& prop : state.props) WriteWindowProp(hwnd, prop.name, prop.initial(hwnd));
    if (state.prepare) state.prepare(hwnd);

    ++Engine().hookedCount;
    const auto old = SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinWindowProc));
    WriteWindowProp(hwnd, kProcAddrProp, old);
    RepaintAll(hwnd);
    return 1;
}

int DetachWindow(HWND hwnd) {
    if (!hwnd || !IsHooked(hwnd)) return 0;
    const intptr_t old = ReadWindowProp(hwnd, kProcAddrProp);

    const KindState& state = StateOf(KindOf(hwnd));
    if (state.release) state.release(hwnd);
    for (const KindProp& prop : state.props) RemoveWindowProp(hwnd, prop.name);

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
