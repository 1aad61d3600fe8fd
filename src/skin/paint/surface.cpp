#include "skin/paint/surface.h"

namespace zarvio::skin {
namespace {

// A 32-bit DIB: the display's colour format without asking the display for it. A bitmap made
// compatible with the screen DC would cost a trip to the display driver every time, and the
// skin makes surfaces on every fade and paint.
HBITMAP CreateSurfaceBitmap(int width, int height) {
    const BITMAPINFO info = SurfaceFormat(width, height);
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

}  // namespace

BITMAPINFO SurfaceFormat(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, like the screen
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

HDC CreateSurface(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    Bitmap bitmap(CreateSurfaceBitmap(width, height));
    if (!bitmap) return nullptr;
    MemoryDc surface(CreateCompatibleDC(nullptr));
    if (!surface) return nullptr;
    // What this displaces is the DC's stock default bitmap, which needs no freeing.
    const HGDIOBJ previous = SelectObject(surface.get(), bitmap.get());
    if (!previous || previous == HGDI_ERROR) return nullptr;
    (void)bitmap.release();  // from here on DeleteSurface frees it
    return surface.release();
}

HBITMAP ResizeSurface(HDC surface, int width, int height) {
    if (!surface || width <= 0 || height <= 0) return nullptr;
    Bitmap bitmap(CreateSurfaceBitmap(width, height));
    if (!bitmap) return nullptr;
    const HGDIOBJ displaced = SelectObject(surface, bitmap.get());
    if (!displaced || displaced == HGDI_ERROR) return nullptr;
    (void)DeleteObject(displaced);
    return bitmap.release();  // from here on DeleteSurface frees it
}

void DeleteSurface(HDC surface) {
    if (!surface) return;
    // Deleting a DC leaves the bitmap selected into it alive: note it first, free it after.
    const HGDIOBJ bitmap = GetCurrentObject(surface, OBJ_BITMAP);
    (void)DeleteDC(surface);
    if (bitmap) (void)DeleteObject(bitmap);  // a stock default bitmap ignores this
}

}  // namespace zarvio::skin
