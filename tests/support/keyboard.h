// Keys pressed as the program's message loop sees them: a key-down and key-up to the window
// with the focus, through the program's own dispatch step (dialog keys first).
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
    for (UINT msg : {WM_KEYDOWN, WM_KEYUP}) {
        MSG m{target, msg, vk, msg == WM_KEYDOWN ? 1 : static_cast<LPARAM>(0xC0000001), GetTickCount(), {}};
        zarvio::DispatchProgramMessage(m);
    }
    PumpProgramMessages();
}

// The control ids the focus visits on count presses of Tab.
inline std::vector<int> TabSequence(int count) {
    std::vector<int> ids;
    for (int i = 0; i < count; ++i) {
        PressKey(VK_TAB);
        ids.push_back(GetDlgCtrlID(GetFocus()));
    }
    return ids;
}

inline void Activate(HWND window) {
    SetForegroundWindow(window);
    SetActiveWindow(window);
    PumpProgramMessages();
}

}  // namespace zarvio::test
