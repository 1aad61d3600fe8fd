// The skin's per-window state as the painters read and write it: pointer-sized integers in the
// window's property list, absent reading as 0.
#pragma once
#include <windows.h>
#include <cstdint>

namespace zarvio::skin {

inline constexpr wchar_t kOldStateProp[] = L"OLDSTATE";
inline constexpr wchar_t kAlphaLevelProp[] = L"ALPHALEVEL";
inline constexpr wchar_t kOldStyleProp[] = L"OLDSTYLE";

inline intptr_t ReadWindowProp(HWND hwnd, const wchar_t* name) {
    return reinterpret_cast<intptr_t>(GetPropW(hwnd, name));
}
inline void WriteWindowProp(HWND hwnd, const wchar_t* name, intptr_t value) {
    SetPropW(hwnd, name, reinterpret_cast<HANDLE>(value));
}

// "HDC0" .. "HDC3": the push button's picture for state 0 to 3; nullptr for other states.
inline const wchar_t* StateSurfaceProp(intptr_t state) {
    static constexpr const wchar_t* kNames[] = {L"HDC0", L"HDC1", L"HDC2", L"HDC3"};
    return (state >= 0 && state < 4) ? kNames[state] : nullptr;
}

}  // namespace zarvio::skin
