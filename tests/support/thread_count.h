// The number of threads of this process, for tests that playback leaves none behind.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

namespace zarvio::test {

inline int CountProcessThreads() {
    const HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 e{};
    e.dwSize = sizeof(e);
    int count = 0;
    for (BOOL ok = Thread32First(snap, &e); ok; ok = Thread32Next(snap, &e))
        if (e.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snap);
    return count;
}

inline int CountProcessHandles() {
    DWORD n = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &n) ? static_cast<int>(n) : -1;
}

}  // namespace zarvio::test
