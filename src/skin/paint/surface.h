// Off-screen surfaces: memory DCs compatible with the display that own the one bitmap selected
// into them, so a surface is released in one step on its DC handle.
#pragma once
#include <windows.h>
#include "platform/handles.h"

namespace zarvio::skin {

// The pixel format of every surface: a top-down 32-bit DIB, one 0xRRGGBB value per pixel.
BITMAPINFO SurfaceFormat(int width, int height);

// A width x height surface, or nullptr when the size is not positive or a platform call fails.
// Its content is undefined until painted. Release it with DeleteSurface (or own it with Surface).
HDC CreateSurface(int width, int height);

// Gives the surface a new width x height bitmap (content undefined) and frees the one it had.
// Returns the new bitmap, which the surface owns from then on; nullptr, the surface unchanged,
// when it is nullptr, the size is not positive or a platform call fails.
HBITMAP ResizeSurface(HDC surface, int width, int height);

// Frees the surface's DC and the bitmap selected into it. Accepts nullptr.
void DeleteSurface(HDC surface);

struct SurfaceTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteSurface(h); }
};
using Surface = UniqueHandle<HDC, SurfaceTraits>;

}  // namespace zarvio::skin
