#include <gtest/gtest.h>

#include "support/paint_test_support.h"
#include "skin/paint/blit.h"
#include "skin/paint/surface.h"

namespace zarvio::skin {
namespace {

using test::FilledSurface;
using test::KEY;
using test::Pixels;
using test::PutPixels;

// A 5 x 5 cell with every pixel distinct: 0xRRGGBB = 0x10 * (row + 1), 0x10 * (column + 1), 0.
Surface DistinctCell(int originX = 0, int originY = 0) {
    Surface s = FilledSurface(originX + 5, originY + 5, 0x000000);
    std::vector<std::vector<uint32_t>> rows(5, std::vector<uint32_t>(5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) rows[y][x] = (0x10u * (y + 1) << 16) | (0x10u * (x + 1) << 8);
    PutPixels(s.get(), originX, originY, rows);
    return s;
}
uint32_t CellPixel(int x, int y) { return (0x10u * (y + 1) << 16) | (0x10u * (x + 1) << 8); }

TEST(NineSlice, CellSizedDestinationIsAnExactCopy) {
    Surface cell = DistinctCell(3, 2);
    Surface dest = FilledSurface(9, 9, 0x0000FF);
    EXPECT_NE(DrawNineSlice(dest.get(), {2, 1, 5, 5}, cell.get(), {3, 2, 5, 5}, {2, 1, 1, 2}), 0);
    Pixels p(dest.get(), 0, 0, 9, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = x >= 2 && x < 7 && y >= 1 && y < 6;
            EXPECT_EQ(p.at(x, y), inside ? CellPixel(x - 2, y - 1) : 0x0000FFu) << x << "," << y;
        }
}

TEST(NineSlice, EnlargingKeepsCornersAndRepeatsEdgePixels) {
    Surface cell = DistinctCell();
    Surface dest = FilledSurface(12, 9, 0x0000FF);
    DrawNineSlice(dest.get(), {0, 0, 12, 9}, cell.get(), {0, 0, 5, 5}, {2, 2, 2, 2});
    Pixels p(dest.get(), 0, 0, 12, 9);
    // Destination column -> cell column: corners 2 wide each, the 1-pixel centre column repeated.
    auto column = [](int x) { return x < 2 ? x : (x >= 10 ? x - 7 : 2); };
    auto row = [](int y) { return y < 2 ? y : (y >= 7 ? y - 4 : 2); };
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(p.at(x, y), CellPixel(column(x), row(y))) << x << "," << y;
}

TEST(NineSlice, NoEdgesStretchesTheWholeCellByNearestNeighbour) {
    Surface cell = DistinctCell();
    Surface dest = FilledSurface(10, 15, 0x0000FF);
    DrawNineSlice(dest.get(), {0, 0, 10, 15}, cell.get(), {0, 0, 5, 5}, {0, 0, 0, 0});
    Pixels p(dest.get(), 0, 0, 10, 15);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(p.at(x, y), CellPixel(x / 2, y / 3)) << x << "," << y;
}

TEST(NineSlice, ZeroSizesDrawNothing) {
    Surface cell = DistinctCell();
    Surface dest = FilledSurface(6, 6, 0x0000FF);
    EXPECT_EQ(DrawNineSlice(dest.get(), {0, 0, 0, 5}, cell.get(), {0, 0, 5, 5}, {1, 1, 1, 1}), 0);
    EXPECT_EQ(DrawNineSlice(dest.get(), {0, 0, 5, 0}, cell.get(), {0, 0, 5, 5}, {1, 1, 1, 1}), 0);
    EXPECT_EQ(DrawNineSlice(dest.get(), {0, 0, 5, 5}, cell.get(), {0, 0, 0, 5}, {1, 1, 1, 1}), 0);
    EXPECT_EQ(DrawNineSlice(dest.get(), {0, 0, 5, 5}, cell.get(), {0, 0, 5, 0}, {1, 1, 1, 1}, kKeyColor), 0);
    EXPECT_EQ(Pixels(dest.get(), 0, 0, 6, 6), Pixels(FilledSurface(6, 6, 0x0000FF).get(), 0, 0, 6, 6));
}

TEST(TransparentBlit, CopiesAllButKeyPixelsInOneGo) {
    // No key pixel: a plain copy.
    Surface source = DistinctCell(1, 1);
    Surface dest = FilledSurface(8, 8, 0x0000FF);
    TransparentBlit(dest.get(), {2, 3, 5, 5}, source.get(), {1, 1}, kKeyColor);
    Pixels plain(dest.get(), 0, 0, 8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 7 && y >= 3 && y < 8;
            EXPECT_EQ(plain.at(x, y), inside ? CellPixel(x - 2, y - 3) : 0x0000FFu) << x << "," << y;
        }

    // Only key pixels: the destination is unchanged.
    Surface keyOnly = FilledSurface(5, 5, KEY);
    Surface dest2 = DistinctCell();
    TransparentBlit(dest2.get(), {0, 0, 5, 5}, keyOnly.get(), {0, 0}, kKeyColor);
    EXPECT_EQ(Pixels(dest2.get(), 0, 0, 5, 5), Pixels(DistinctCell().get(), 0, 0, 5, 5));

    // Mixed, with near-key colours that must not count as key.
    Surface mixed = FilledSurface(3, 2, 0x000000);
    PutPixels(mixed.get(), 0, 0, {{KEY, 0xFE00FF, 0xFFFFFF}, {0x000000, KEY, 0xFF01FF}});
    Surface dest3 = FilledSurface(3, 2, 0x336699);
    TransparentBlit(dest3.get(), {0, 0, 3, 2}, mixed.get(), {0, 0}, kKeyColor);
    Pixels m(dest3.get(), 0, 0, 3, 2);
    EXPECT_EQ(m.at(0, 0), 0x336699u);
    EXPECT_EQ(m.at(1, 0), 0xFE00FFu);
    EXPECT_EQ(m.at(2, 0), 0xFFFFFFu);
    EXPECT_EQ(m.at(0, 1), 0x000000u);
    EXPECT_EQ(m.at(1, 1), 0x336699u);
    EXPECT_EQ(m.at(2, 1), 0xFF01FFu);
}

TEST(TransparentBlit, SystemColourKeyIsTranslatedFirst) {
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    Surface source = FilledSurface(2, 1, 0x123456);
    SetPixelV(source.get(), 0, 0, window);
    Surface dest = FilledSurface(2, 1, 0x00FF00);
    TransparentBlit(dest.get(), {0, 0, 2, 1}, source.get(), {0, 0}, 0x80000000 | COLOR_WINDOW);
    Pixels p(dest.get(), 0, 0, 2, 1);
    EXPECT_EQ(p.at(0, 0), 0x00FF00u);
    EXPECT_EQ(p.at(1, 0), 0x123456u);
}

}  // namespace
}  // namespace zarvio::skin
