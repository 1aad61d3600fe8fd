// Layout in twips: 1440 per inch, so 15 twips are one pixel at 96 DPI.
#pragma once
#include <windows.h>

namespace zarvio {

struct TwipsRect {
    int left, top, width, height;
};

// The screen's logical DPI, read once; the program is system-DPI aware.
int ScreenDpi();

// Twips to pixels at the screen's DPI, rounded to the nearest pixel.
inline int TwipsToPixels(int twips) { return MulDiv(twips, ScreenDpi(), 1440); }
inline int TwipsPerPixel() { return 1440 / ScreenDpi(); }

// Font height for LOGFONT from a size in tenths of a point (105 = 10.5 pt).
inline int FontHeightFromTenths(int tenths) { return -MulDiv(tenths, ScreenDpi(), 720); }

}  // namespace zarvio
