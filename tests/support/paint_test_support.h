// Helpers of the painting tests: colours written as 0xRRGGBB, pixel read-back through a DIB,
// real windows under Wine, and a count of the process's GDI objects.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "support/message_pump.h"
#include "support/object_counts.h"
#include "skin/paint/surface.h"

namespace zarvio::skin::test {

inline constexpr uint32_t KEY = 0xFF00FF;

inline COLORREF ToColorRef(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// A block of pixels copied out of a DC, as 0xRRGGBB.
class Pixels {
public:
    Pixels(HDC source, int x, int y, int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        MemoryDc dc(CreateCompatibleDC(nullptr));
        Bitmap dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        {
            SelectGuard select(dc.get(), dib.get());
            BitBlt(dc.get(), 0, 0, width, height, source, x, y, SRCCOPY);
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            data_.assign(p, p + static_cast<size_t>(width) * height);
        }
        for (auto& v : data_) v &= 0xFFFFFF;
    }
    uint32_t at(int x, int y) const { return data_[static_cast<size_t>(y) * width_ + x]; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool operator==(const Pixels& o) const {
        return width_ == o.width_ && height_ == o.height_ && data_ == o.data_;
    }

private:
    int width_, height_;
    std::vector<uint32_t> data_;
};

// A surface painted with one colour everywhere.
inline Surface FilledSurface(int width, int height, uint32_t rgb) {
    Surface s(CreateSurface(width, height));
    Brush brush(CreateSolidBrush(ToColorRef(rgb)));
    RECT r{0, 0, width, height};
    FillRect(s.get(), &r, brush.get());
    return s;
}

// Sets pixels of a surface from rows of 0xRRGGBB (test set-up only, so SetPixel is fine).
inline void PutPixels(HDC dc, int x0, int y0, const std::vector<std::vector<uint32_t>>& rows) {
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            SetPixelV(dc, x0 + static_cast<int>(x), y0 + static_cast<int>(y), ToColorRef(rows[y][x]));
}

using ::zarvio::test::CountGdiObjects;

// Runs what is queued for this thread's windows (their own painting included).
inline void PumpMessages() {
    for (int round = 0; round < 3; ++round) {
        ::zarvio::test::PumpPending();
        Sleep(10);
    }
}

// A visible top-level window at the screen's top left that the test's controls live in.
class HostWindow {
public:
    HostWindow(int width = 320, int height = 200) {
        hwnd_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        PumpMessages();
    }
    ~HostWindow() { if (hwnd_) DestroyWindow(hwnd_); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND get() const { return hwnd_; }

    // A child control; shown and painted before it is returned.
    HWND Add(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h) {
        HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
        UpdateWindow(child);
        PumpMessages();
        return child;
    }

private:
    HWND hwnd_ = nullptr;
};

// The whole window (non-client area included) as it is on the screen now.
inline Pixels WindowPixels(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const WindowDc dc = WindowDc::Whole(hwnd);
    return Pixels(dc.get(), 0, 0, r.right - r.left, r.bottom - r.top);
}

}  // namespace zarvio::skin::test
