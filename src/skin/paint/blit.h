// Copies between DCs that the skin builds on: nine-slice scaling and colour-keyed copies.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <optional>
#include "skin/paint/geometry.h"
#include "skin/paint/palette.h"  // kKeyColor, the key of every skin image

namespace zarvio::skin {

// Widths of the four edges of a nine-slice cell.
struct Edges {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Draws the cell at any size: corners at their natural size, the edges stretched along their
// length, the centre both ways (enlarging repeats pixels). All edges <= 0 stretch the cell as a
// whole. Composed off screen and copied once; with a key colour the copy leaves it out.
// Returns 0 and draws nothing when a size is not positive; otherwise the final BitBlt's result,
// or 1 after a colour-keyed copy.
int DrawNineSlice(HDC dest, const Box& to, HDC source, const Box& cell, const Edges& edges,
                  std::optional<OLE_COLOR> key = std::nullopt);

// Copies the width x height block at from in source to box in dest, except the pixels equal to
// key (a COLORREF or a system-colour reference), which keep what dest shows. The result reaches
// dest in one copy. palette only serves to translate key.
void TransparentBlit(HDC dest, const Box& to, HDC source, POINT from, OLE_COLOR key,
                     HPALETTE palette = nullptr);

}  // namespace zarvio::skin
