// Counts of the process's GDI and USER objects, for tests that an operation repeated many times
// gives back everything it takes.
#pragma once
#include <windows.h>

namespace zarvio::test {

// GDI objects alive in this process. Wine's GetGuiResources is a stub that answers 0; there,
// Wine accepts a bare handle-table index as a handle, so the live entries can be counted.
inline int CountGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return static_cast<int>(reported);
    int live = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

// Windows that belong to this thread, top-level and child.
inline int CountThreadWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND top, LPARAM p) -> BOOL {
            ++*reinterpret_cast<int*>(p);
            EnumChildWindows(top, [](HWND, LPARAM q) -> BOOL { ++*reinterpret_cast<int*>(q); return TRUE; }, p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// USER objects of the process where the platform counts them (Wine does not); the windows of
// this thread otherwise, which is what a leaking window or control would show in.
inline int CountUserObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return reported != 0 ? static_cast<int>(reported) : CountThreadWindows();
}

}  // namespace zarvio::test
