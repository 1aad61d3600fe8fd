#include "skin/paint/surface.h"

namespace zarvio::skin {

HDC CreateSurface(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    // The screen's DC, so the bitmap gets the display's pixel format; a memory DC made from
    // nullptr would hand CreateCompatibleBitmap its 1x1 monochrome default bitmap. Borrowing the
    // screen DC costs far less than creating a "DISPLAY" DC each time.
    const WindowDc display = WindowDc::Client(nullptr);
    if (!display) return nullptr;
    MemoryDc surface(CreateCompatibleDC(display.get()));
    if (!surface) return nullptr;
    Bitmap bitmap(CreateCompatibleBitmap(display.get(), width, height));
    if (!bitmap) return nullptr;
    // What this displaces is the DC's stock default bitmap, which needs no freeing.
    const HGDIOBJ previous = SelectObject(surface.get(), bitmap.get());
    if (!previous || previous == HGDI_ERROR) return nullptr;
    bitmap.release();  // from here on DeleteSurface frees it
    return surface.release();
}

void DeleteSurface(HDC surface) {
    if (!surface) return;
    // Deleting a DC leaves the bitmap selected into it alive: note it first, free it after.
    const HGDIOBJ bitmap = GetCurrentObject(surface, OBJ_BITMAP);
    DeleteDC(surface);
    if (bitmap) DeleteObject(bitmap);  // a stock default bitmap ignores this
}

}  // namespace zarvio::skin
