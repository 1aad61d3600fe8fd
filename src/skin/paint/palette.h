// The skin's colours, as COLORREF values. Every painter and every control under the skin takes
// its colours from here; the built-in images carry their own pixels (images.cpp).
#pragma once
#include <windows.h>

namespace zarvio::skin {

inline constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

// Frames of enabled, pressed and disabled controls, lists, grids, progress bars and client edges.
inline constexpr COLORREF kFrameColor = RGB(0x54, 0xA5, 0xD5);
inline constexpr COLORREF kPressedFrameColor = RGB(0x39, 0x86, 0xC4);
inline constexpr COLORREF kDisabledFrameColor = RGB(0xA4, 0xCF, 0xE9);
inline COLORREF FrameColorOf(HWND hwnd) { return IsWindowEnabled(hwnd) ? kFrameColor : kDisabledFrameColor; }

// The filled share of a progress bar.
inline constexpr COLORREF kBarColor = RGB(0x4C, 0xD6, 0xF6);

// Captions of push buttons and titles of header items; a disabled button's caption.
inline constexpr COLORREF kCaptionColor = RGB(0, 0, 0);
inline constexpr COLORREF kDisabledCaptionColor = RGB(0x79, 0x8A, 0x96);

// Magenta marks the pixels of a skin image that a colour-keyed copy leaves out.
inline constexpr COLORREF kKeyColor = RGB(0xFF, 0x00, 0xFF);

}  // namespace zarvio::skin
