// The skin's per-window state. Everything the skin knows about a hooked window lives in that
// window's own property list, under the names below, as pointer-sized integers: an absent
// property reads as 0, and -1 reads back as -1. A window is hooked exactly while it has a nonzero
// "PROCADDR". The engine and the painters read and write the same names.
#pragma once
#include <windows.h>

#include <cstdint>

namespace zarvio::skin {

inline constexpr wchar_t kProcAddrProp[] = L"PROCADDR";      // the procedure the window had before
inline constexpr wchar_t kOldStyleProp[] = L"OLDSTYLE";      // a push button's style before hooking
inline constexpr wchar_t kMouseFlagProp[] = L"MOUSEFLAG";    // 1 while a leave report is pending
inline constexpr wchar_t kTimerIdProp[] = L"TIMERID";        // the running fade timer, 0 for none
inline constexpr wchar_t kOldStateProp[] = L"OLDSTATE";      // the visual state last shown
inline constexpr wchar_t kAlphaLevelProp[] = L"ALPHALEVEL";  // a push button's fade opacity
inline constexpr wchar_t kPressedItemProp[] = L"HDINDEX";    // header item being pressed, -1 none
inline constexpr wchar_t kHotItemProp[] = L"HMINDEX";        // header item under the pointer, -1 none

inline intptr_t ReadWindowProp(HWND hwnd, const wchar_t* name) {
    return reinterpret_cast<intptr_t>(GetPropW(hwnd, name));
}
inline void WriteWindowProp(HWND hwnd, const wchar_t* name, intptr_t value) {
    (void)SetPropW(hwnd, name, reinterpret_cast<HANDLE>(value));
}
inline void RemoveWindowProp(HWND hwnd, const wchar_t* name) { (void)RemovePropW(hwnd, name); }

// A push button has four pictures, one per visual state (normal, hover, pressed, disabled):
// "HDC0".."HDC3" hold the pictures' surfaces and "BMP0".."BMP3" the bitmap selected into each.
// Both give nullptr for any other number.
inline constexpr int kPictureCount = 4;
inline const wchar_t* StateSurfaceProp(intptr_t n) {
    static constexpr const wchar_t* kNames[kPictureCount] = {L"HDC0", L"HDC1", L"HDC2", L"HDC3"};
    return (n >= 0 && n < kPictureCount) ? kNames[n] : nullptr;
}
inline const wchar_t* StateBitmapProp(intptr_t n) {
    static constexpr const wchar_t* kNames[kPictureCount] = {L"BMP0", L"BMP1", L"BMP2", L"BMP3"};
    return (n >= 0 && n < kPictureCount) ? kNames[n] : nullptr;
}

// Every name the skin ever writes, for checks that a window was handed back clean.
inline constexpr const wchar_t* kAllSkinProps[] = {
    L"PROCADDR", L"OLDSTYLE", L"MOUSEFLAG", L"HDC0", L"HDC1", L"HDC2", L"HDC3", L"BMP0", L"BMP1",
    L"BMP2",     L"BMP3",     L"TIMERID",   L"OLDSTATE", L"ALPHALEVEL", L"HDINDEX", L"HMINDEX"};

}  // namespace zarvio::skin
