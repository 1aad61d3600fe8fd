#include "platform/toolkit/twips.h"

namespace zarvio {

int ScreenDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
        if (screen) (void)ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

}  // namespace zarvio
