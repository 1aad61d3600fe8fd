// Keys pressed the way the program's message loop sees them: a key-down message to the window
// with the focus, handed to the program's own dispatch step (dialog keys first), then every
// message that follows from it.
#pragma once
#include <windows.h>

#include <vector>

#include "app/message_loop.h"

namespace zarvio::test {

inline void PumpProgramMessages() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) zarvio::DispatchProgramMessage(m);
}

inline void PressKey(UINT vk) {
    HWND target = GetFocus() ? GetFocus() : GetActiveWindow();
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    MSG down{target, WM_KEYDOWN, vk, 1 | scan, GetTickCount(), {}};
    zarvio::DispatchProgramMessage(down);
    MSG up{target, WM_KEYUP, vk, 1 | scan | (3u << 30), GetTickCount(), {}};
    zarvio::DispatchProgramMessage(up);
    PumpProgramMessages();
}

// The control ids the focus visits on count presses of Tab, starting where it is now.
inline std::vector<int> TabSequence(int count) {
    std::vector<int> ids;
    for (int i = 0; i < count; ++i) {
        PressKey(VK_TAB);
        ids.push_back(GetFocus() ? GetDlgCtrlID(GetFocus()) : 0);
    }
    return ids;
}

// Makes window the active one, the way a click on it would.
inline void Activate(HWND window) {
    SetForegroundWindow(window);
    SetActiveWindow(window);
    PumpProgramMessages();
}

}  // namespace zarvio::test
