// Running this thread's messages while a test waits for something that arrives by message.
#pragma once
#include <windows.h>

#include <algorithm>
#include <functional>

namespace zarvio::test {

// Dispatches the messages this thread has now, without waiting for more.
inline void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps this thread's messages until done() holds or timeoutMs passed; returns done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)),
                                  QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

// Pumps for a fixed time.
inline void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

}  // namespace zarvio::test
