#include "skin/paint/blit.h"

#include <olectl.h>

#include "platform/handles.h"
#include "skin/paint/surface.h"

namespace zarvio::skin {
namespace {

constexpr DWORD kDestAndNotSource = 0x00220326;  // DSna

// One piece of a nine-slice: skipped when either rectangle has no area.
void DrawPiece(HDC dest, const Box& to, HDC source, const Box& from, bool stretch) {
    if (to.width <= 0 || to.height <= 0 || from.width <= 0 || from.height <= 0) return;
    if (stretch) {
        (void)StretchBlt(dest, to.x, to.y, to.width, to.height, source, from.x, from.y, from.width,
                         from.height, SRCCOPY);
    } else {
        (void)BitBlt(dest, to.x, to.y, to.width, to.height, source, from.x, from.y, SRCCOPY);
    }
}

// A memory DC with its own bitmap selected; everything is put back and freed on scope exit.
class Scratch {
public:
    Scratch(HDC display, HBITMAP bitmap)
        : dc_(CreateCompatibleDC(display)), bitmap_(bitmap), select_(dc_.get(), bitmap_.get()) {}
    HDC get() const { return dc_.get(); }
    explicit operator bool() const { return dc_ && bitmap_; }

private:
    MemoryDc dc_;
    Bitmap bitmap_;
    SelectGuard select_;
};

}  // namespace

int DrawNineSlice(HDC dest, const Box& to, HDC source, const Box& cell, const Edges& edges,
                  std::optional<OLE_COLOR> key) {
    const int W = to.width, H = to.height, w = cell.width, h = cell.height;
    if (W <= 0 || H <= 0 || w <= 0 || h <= 0) return 0;
    const Surface surface(CreateSurface(W, H));
    if (!surface) return 0;
    const HDC s = surface.get();
    // Dropping rows and columns keeps a shrunken gradient's colours; the default mode would
    // AND the dropped pixels together and darken them. Enlarging repeats pixels either way.
    (void)SetStretchBltMode(s, COLORONCOLOR);

    const int L = edges.left, T = edges.top, R = edges.right, B = edges.bottom;
    // Source pieces are relative to the cell.
    auto src = [&](int x, int y, int width, int height) {
        return Box{cell.x + x, cell.y + y, width, height};
    };
    if (L <= 0 && T <= 0 && R <= 0 && B <= 0) {
        DrawPiece(s, {0, 0, W, H}, source, src(L, T, w - R, h - B), true);
    } else {
        if (L > 0 && T > 0) DrawPiece(s, {0, 0, L, T}, source, src(0, 0, L, T), false);
        if (R > 0 && T > 0) DrawPiece(s, {W - R, 0, R, T}, source, src(w - R, 0, R, T), false);
        if (L > 0 && B > 0) DrawPiece(s, {0, H - B, L, B}, source, src(0, h - B, L, B), false);
        if (R > 0 && B > 0)
            DrawPiece(s, {W - R, H - B, R, B}, source, src(w - R, h - B, R, B), false);
        if (L > 0) DrawPiece(s, {0, T, L, H - T - B}, source, src(0, T, L, h - T - B), true);
        if (R > 0)
            DrawPiece(s, {W - R, T, R, H - T - B}, source, src(w - R, T, R, h - T - B), true);
        if (T > 0) DrawPiece(s, {L, 0, W - L - R, T}, source, src(L, 0, w - L - R, T), true);
        if (B > 0)
            DrawPiece(s, {L, H - B, W - L - R, B}, source, src(L, h - B, w - L - R, B), true);
        DrawPiece(s, {L, T, W - L - R, H - T - B}, source, src(L, T, w - L - R, h - T - B), true);
    }

    if (key) {
        TransparentBlit(dest, to, s, POINT{0, 0}, *key);
        return 1;
    }
    return BitBlt(dest, to.x, to.y, W, H, s, 0, 0, SRCCOPY);
}

void TransparentBlit(HDC dest, const Box& to, HDC source, POINT from, OLE_COLOR key,
                     HPALETTE palette) {
    const int w = to.width, h = to.height;
    if (w <= 0 || h <= 0) return;
    COLORREF translated = 0;
    if (FAILED(OleTranslateColor(key, palette, &translated))) return;
    const COLORREF k = translated & 0xFFFFFF;

    // True-colour displays only: the palette selection of palette-based displays is left out.
    const WindowDc display = WindowDc::Client(nullptr);
    if (!display) return;
    // Working copy, starting as the destination's current pixels.
    const Scratch work(display.get(), CreateCompatibleBitmap(display.get(), w, h));
    // Source copy, with the source's colours in case the source is monochrome.
    const Scratch copy(display.get(), CreateCompatibleBitmap(display.get(), w, h));
    // Mask: 1 where the source has the key colour.
    const Scratch mask(display.get(), CreateBitmap(w, h, 1, 1, nullptr));
    if (!work || !copy || !mask) return;

    (void)BitBlt(work.get(), 0, 0, w, h, dest, to.x, to.y, SRCCOPY);
    (void)SetBkColor(copy.get(), GetBkColor(source));
    (void)SetTextColor(copy.get(), GetTextColor(source));
    (void)BitBlt(copy.get(), 0, 0, w, h, source, from.x, from.y, SRCCOPY);

    // Colour to monochrome: pixels equal to the source DC's background colour become 1.
    (void)SetBkColor(copy.get(), k);
    (void)SetTextColor(copy.get(), kWhite);
    (void)BitBlt(mask.get(), 0, 0, w, h, copy.get(), 0, 0, SRCCOPY);

    // Monochrome to colour maps 1 to the background colour (white) and 0 to the text colour
    // (black): the key pixels of the source copy turn black, the others keep their colour.
    (void)SetTextColor(copy.get(), 0);
    (void)SetBkColor(copy.get(), kWhite);
    (void)BitBlt(copy.get(), 0, 0, w, h, mask.get(), 0, 0, kDestAndNotSource);

    // The working DC keeps black text on white: the background survives only under key pixels,
    // and OR-ing the source copy fills in the rest.
    (void)BitBlt(work.get(), 0, 0, w, h, mask.get(), 0, 0, SRCAND);
    (void)BitBlt(work.get(), 0, 0, w, h, copy.get(), 0, 0, SRCPAINT);

    (void)BitBlt(dest, to.x, to.y, w, h, work.get(), 0, 0, SRCCOPY);
}

}  // namespace zarvio::skin
