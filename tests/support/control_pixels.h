// A control's client area as it paints itself (WM_PRINTCLIENT into a memory bitmap), read back
// pixel by pixel.
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/handles.h"

namespace zarvio::test {

struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;

    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // The columns and rows holding anything but the colour of the top-left pixel.
    RECT Ink() const {
        RECT r{width, height, -1, -1};
        const COLORREF back = at(0, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y) != back) {
                    r.left = std::min<LONG>(r.left, x);
                    r.right = std::max<LONG>(r.right, x + 1);
                    r.top = std::min<LONG>(r.top, y);
                    r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        return r;
    }
    int Count(COLORREF c) const { return static_cast<int>(std::count(pixels.begin(), pixels.end(), c)); }
    // The longest run of colour c along any row.
    int LongestRow(COLORREF c) const {
        int best = 0;
        for (int y = 0; y < height; ++y) {
            int run = 0;
            for (int x = 0; x < width; ++x) {
                run = at(x, y) == c ? run + 1 : 0;
                best = std::max(best, run);
            }
        }
        return best;
    }
};

inline Picture Render(HWND control) {
    Picture p;
    RECT r{};
    GetClientRect(control, &r);
    p.width = r.right;
    p.height = r.bottom;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc) return p;
    {
        SelectGuard keep(dc.get(), bitmap.get());
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
        GdiFlush();
    }
    const auto* px = static_cast<const BYTE*>(bits);
    for (int i = 0; i < p.width * p.height; ++i) p.pixels.push_back(RGB(px[4 * i + 2], px[4 * i + 1], px[4 * i]));
    return p;
}

}  // namespace zarvio::test
