#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <utility>

#include "support/paint_test_support.h"
#include "skin/paint/blit.h"
#include "skin/paint/images.h"

namespace zarvio::skin {
namespace {

using test::KEY;
using test::Pixels;

constexpr uint32_t K = KEY;

// Push-button cells, columns 0 to 3, one row of all four cells per line:
// normal x0-x3, hover x0-x3, pressed x0-x3, disabled x0-x3.
constexpr uint32_t kButtonRows[21][16] = {
    {0xBFE1F9, 0x6BB3E3, 0x2C97D8, 0x1B8FD5, 0xBFE1F9, 0x6BB3E3, 0x2C97D8, 0x1B8FD5, 0xBFE1F9, 0x6BB3E3, 0x2C97D8, 0x1B8FD5, 0xF2F7FB, 0xAFD5EF, 0x8FC7EA, 0x87C3E8},
    {0x69B2E2, 0x7EC0E7, 0xE7F3FB, 0xFFFFFF, 0x69B2E2, 0x28A3E6, 0x3CBBF8, 0x4CC3FB, 0x69B2E2, 0x22A1E6, 0x30B5F8, 0x39BCFB, 0xAED5EF, 0xB8DCF1, 0xEDF5FB, 0xF8FBFD},
    {0x2995D7, 0xECF6FC, 0xFFFFFF, 0xFFFFFF, 0x2995D7, 0x3DBCF9, 0x8DDAFE, 0xC6EDFF, 0x2995D7, 0x2EB6F8, 0x6FC9F8, 0x86CCF3, 0x8EC6E9, 0xEFF7FB, 0xF8FBFD, 0xF8FBFD},
    {0x1B8FD5, 0xF5FAFD, 0xF1F8FC, 0xF1F8FC, 0x1B8FD5, 0x46C1FB, 0xAEE3FD, 0xD2EEFC, 0x1B8FD5, 0x31B7F9, 0x83CAF2, 0x9FD4F3, 0x87C3E8, 0xF3F8FC, 0xF2F7FB, 0xF2F7FB},
    {0x1B8FD5, 0xF3F9FC, 0xEEF6FB, 0xEEF6FB, 0x1B8FD5, 0x4AC2FB, 0xBAE7FD, 0xDFF2FC, 0x1B8FD5, 0x35B8F9, 0x8DCCF2, 0xABD7F3, 0x87C3E8, 0xF2F8FB, 0xF0F7FB, 0xF0F7FB},
    {0x1B8FD5, 0xF0F7FC, 0xEAF4FB, 0xEAF4FB, 0x1B8FD5, 0x4CC3FB, 0xC0E8FD, 0xE4F2FC, 0x1B8FD5, 0x37B9F9, 0x95CEF1, 0xB3D9F3, 0x87C3E8, 0xF1F7FB, 0xEEF6FB, 0xEEF6FB},
    {0x1B8FD5, 0xEEF6FC, 0xE6F2FB, 0xE6F2FB, 0x1B8FD5, 0x4CC3FB, 0xC0E7FD, 0xE2F2FC, 0x1B8FD5, 0x3AB9F9, 0x9AD0F2, 0xB7DBF3, 0x87C3E8, 0xF0F7FB, 0xECF5FB, 0xECF5FB},
    {0x1B8FD5, 0xEBF5FC, 0xE2F0FA, 0xE2F0FA, 0x1B8FD5, 0x4CC3FB, 0xBFE7FC, 0xE0F1FB, 0x1B8FD5, 0x3BBAF9, 0x9FD3F3, 0xBCDDF5, 0x87C3E8, 0xEFF6FB, 0xEAF4FB, 0xEAF4FB},
    {0x1B8FD5, 0xE8F3FC, 0xDEEEFA, 0xDEEEFA, 0x1B8FD5, 0x4BC2FB, 0xBCE6FC, 0xDDF0FB, 0x1B8FD5, 0x3CBBFA, 0xA3D6F5, 0xBFE1F6, 0x87C3E8, 0xEDF5FB, 0xE8F3FB, 0xE8F3FB},
    {0x1B8FD5, 0xE5F2FB, 0xDAECF9, 0xDAECF9, 0x1B8FD5, 0x4AC2FB, 0xBAE5FC, 0xDBEEFB, 0x1B8FD5, 0x3DBCFA, 0xA7D8F6, 0xC3E2F8, 0x87C3E8, 0xECF5FB, 0xE6F2FA, 0xE6F2FA},
    {0x1B8FD5, 0xE3F0FB, 0xD7EAF9, 0xD7EAF9, 0x1B8FD5, 0x4AC2FB, 0xB9E4FC, 0xD9EDFB, 0x1B8FD5, 0x3FBDFB, 0xAADAF8, 0xC5E4F9, 0x87C3E8, 0xEBF4FB, 0xE5F1FA, 0xE5F1FA},
    {0x1B8FD5, 0xDBEBF8, 0xCCE2F5, 0xCCE2F5, 0x1B8FD5, 0x46BFFA, 0xAEDDF9, 0xCBE4F7, 0x1B8FD5, 0x42BFFC, 0xB5E2FB, 0xCFEBFB, 0x87C3E8, 0xE7F1FA, 0xDFEDF8, 0xDFEDF8},
    {0x1B8FD5, 0xD9E9F7, 0xC8DFF3, 0xC8DFF3, 0x1B8FD5, 0x45BFFA, 0xAADAF7, 0xC7E1F5, 0x1B8FD5, 0x43C0FC, 0xB7E3FB, 0xD1ECFB, 0x87C3E8, 0xE6F0F9, 0xDDEBF7, 0xDDEBF7},
    {0x1B8FD5, 0xD5E7F5, 0xC3DCF1, 0xC3DCF1, 0x1B8FD5, 0x44BEF9, 0xA7D8F6, 0xC2DEF3, 0x1B8FD5, 0x44C0FC, 0xB9E4FC, 0xD4EDFC, 0x87C3E8, 0xE4EFF8, 0xDBEAF6, 0xDBEAF6},
    {0x1B8FD5, 0xD2E4F4, 0xBED8EF, 0xBED8EF, 0x1B8FD5, 0x42BDF8, 0xA2D6F4, 0xBCDBF2, 0x1B8FD5, 0x45C1FC, 0xBCE5FC, 0xD6EEFC, 0x87C3E8, 0xE2EDF8, 0xD8E7F5, 0xD8E7F5},
    {0x1B8FD5, 0xCDE2F2, 0xB8D5ED, 0xB8D5ED, 0x1B8FD5, 0x41BCF8, 0x9DD2F3, 0xB7D7F1, 0x1B8FD5, 0x44C1FC, 0xBDE6FC, 0xD6EFFC, 0x87C3E8, 0xE0ECF7, 0xD5E6F4, 0xD5E6F4},
    {0x1B8FD5, 0xCBE0F1, 0xB4D2EB, 0xB4D2EB, 0x1B8FD5, 0x3DBBF8, 0x96D0F3, 0xAFD5EF, 0x1B8FD5, 0x42C0FC, 0xB8E6FC, 0xD1EEFC, 0x87C3E8, 0xDFEBF6, 0xD3E4F3, 0xD3E4F3},
    {0x1B8FD5, 0xC9DEF0, 0xB1D0EA, 0xB1D0EA, 0x1B8FD5, 0x39BAF8, 0x8FD0F5, 0xA7D4F2, 0x1B8FD5, 0x3EBFFC, 0xAEE4FE, 0xC3EAFD, 0x87C3E8, 0xDEEAF6, 0xD2E3F3, 0xD2E3F3},
    {0x2895D7, 0xBAD7EE, 0xBBD6EC, 0xB0CFE9, 0x2895D7, 0x33B6F6, 0x70C9F7, 0x99D2F3, 0x2895D7, 0x36B9FA, 0x86D7FE, 0xAEE4FD, 0x8DC6E9, 0xD6E7F5, 0xD7E6F4, 0xD1E3F2},
    {0x64B0E2, 0x68B2E1, 0xBBD8EE, 0xCCE0F1, 0x64B0E2, 0x25A1E5, 0x33B5F6, 0x3FBBF8, 0x64B0E2, 0x25A3E6, 0x37BAF9, 0x40C1FD, 0xABD3EF, 0xADD4EE, 0xD7E7F5, 0xDFEBF6},
    {0xCAE7FB, 0x60AEE1, 0x2A96D8, 0x1B8FD5, 0xCAE7FB, 0x60AEE1, 0x2A96D8, 0x1B8FD5, 0xCAE7FB, 0x60AEE1, 0x2A96D8, 0x1B8FD5, 0xF2F6FB, 0xA9D2EE, 0x8EC6EA, 0x87C3E8},
};

// Drop-down button cells per row: hover x1, hover x2, pressed x5, pressed x6.
constexpr uint32_t kComboRows[18][4] = {
    {0xE8F9FF, 0xE8F9FF, 0xBEE1F3, 0xBEE1F3},
    {0xE6F8FE, 0xC1EEFD, 0xC0E1F3, 0x61B5E2},
    {0xE4F7FE, 0xBCEBFC, 0xC1E3F4, 0x65B8E3},
    {0xE2F6FD, 0xB7E8FA, 0xC3E4F5, 0x6ABBE5},
    {0xE0F5FD, 0xB2E5F9, 0xC6E5F5, 0x70BEE6},
    {0xDEF3FC, 0xACE1F7, 0xC8E7F6, 0x76C2E8},
    {0xDBF1FB, 0xA5DDF5, 0xCBE8F7, 0x7CC5EA},
    {0xD9F0FA, 0x9FD9F3, 0xCDE9F7, 0x83C9EC},
    {0xD6EEF9, 0x98D5F1, 0xD0EBF8, 0x8ACDEE},
    {0xD3EDF9, 0x91D1EF, 0xD3EDF9, 0x91D1EF},
    {0xD0EBF8, 0x8ACDEE, 0xD6EEF9, 0x98D5F1},
    {0xCDE9F7, 0x83C9EC, 0xD9F0FA, 0x9FD9F3},
    {0xCBE8F7, 0x7CC5EA, 0xDBF1FB, 0xA5DDF5},
    {0xC8E7F6, 0x76C2E8, 0xDEF3FC, 0xACE1F7},
    {0xC6E5F5, 0x70BEE6, 0xE0F5FD, 0xB2E5F9},
    {0xC3E4F5, 0x6ABBE5, 0xE2F6FD, 0xB7E8FA},
    {0xC1E3F4, 0x65B8E3, 0xE4F7FE, 0xBCEBFC},
    {0xC0E1F3, 0xC0E1F3, 0xE6F8FE, 0xE6F8FE},
};

// Check-box fills: image rows of the hover and pressed circles, x 1 to 11.
const std::map<int, std::vector<uint32_t>> kOptionStrips = {
    {17, {0xC3EAF8, 0xC3EAF8, 0xC4EAF8, 0xC4EAF8, 0xC6ECF9, 0xC9ECF9, 0xCBEDF9, 0xCDEEFA, 0xD0EFFA, 0xD3F0FB, 0xD6F1FA}},
    {18, {0xC3EAF8, 0xC3EAF8, 0xC5EBF8, 0xC7ECF8, 0xC9EDF9, 0xCBEDF9, 0xCEEEFA, 0xD0F0FA, 0xD3F0FB, 0xD6F1FB, 0xD9F2FB}},
    {19, {0xC4EAF8, 0xC5EBF8, 0xC7ECF9, 0xC9EDF9, 0xCCEEFA, 0xCFEEFA, 0xD0F0FA, 0xD4F1FA, 0xD6F1FB, 0xD9F2FB, 0xDBF4FC}},
    {20, {0xC5EBF8, 0xC7EBF8, 0xC9ECF9, 0xCCEEFA, 0xCEEFFA, 0xD1F0FB, 0xD4F0FB, 0xD7F1FC, 0xD9F3FC, 0xDCF3FC, 0xDEF4FC}},
    {21, {0xC7ECF9, 0xCAEDF9, 0xCCEEF9, 0xCFEFFA, 0xD2EFFA, 0xD4F1FB, 0xD8F2FB, 0xDAF3FB, 0xDCF4FC, 0xDEF4FC, 0xE0F5FD}},
    {30, {0xB0E2F5, 0xB3E5F7, 0xB8E6F7, 0xBAE7F8, 0xBEEAF8, 0xC3ECF8, 0xC7ECFA, 0xCCEEF9, 0xCEEFFA, 0xD3F1FD, 0xD5F1FA}},
    {31, {0xAEE2F5, 0xB0E2F7, 0xB3E5F7, 0xB8E6F7, 0xBBE7F8, 0xBEEAF8, 0xC3EAF9, 0xC8EDF9, 0xCDEEFA, 0xCFEFFD, 0xD3F1FA}},
    {32, {0xADE1F5, 0xAEE2F5, 0xB1E2F5, 0xB4E5F7, 0xB8E6F7, 0xBCE7F8, 0xBFEAF9, 0xC3ECF9, 0xC8EDF9, 0xCDEFFA, 0xCFEFFA}},
    {33, {0xADE1F5, 0xADE1F5, 0xAEE1F5, 0xB1E5F7, 0xB4E6F7, 0xB9E7F8, 0xBBE8F8, 0xC1E8F8, 0xC5ECF9, 0xC8EDF9, 0xCDEEFA}},
    {34, {0xADE1F5, 0xADE1F5, 0xADE1F5, 0xAEE1F5, 0xB2E5F5, 0xB4E6F7, 0xB9E7F8, 0xBCE8F8, 0xC1EAF9, 0xC6ECF9, 0xCAEEFA}},
};

// The header rows that must match exactly, all nine columns.
const std::map<int, std::vector<uint32_t>> kHeaderRows = {
    {0, {0xEAF5FE, 0xEAF5FE, 0xEAF5FE, 0xBDE6FD, 0xD3EEFE, 0xBDE6FD, 0x97D7FB, 0x97D7FB, 0x97D7FB}},
    {1, {0xE9F4FE, 0xE9F4FE, 0xE9F4FE, 0xA7DEFC, 0xD6EFFF, 0xA7DEFC, 0x7ECEFA, 0x9FDCFF, 0x7ECEFA}},
    {5, {0xECF5FD, 0xE2F0FC, 0xAED1EB, 0x5EC2FA, 0xC8EBFE, 0x54B1EA, 0x5EC2FA, 0xA6E0FF, 0x54B1EA}},
    {9, {0xEDF5FB, 0xD3E5F6, 0x7AB0D9, 0x5EC2FA, 0xAFE1FD, 0x4BA2DB, 0x5EC2FA, 0xB0E7FF, 0x4BA2DB}},
    {13, {0xE2EEF9, 0xD3E5F6, 0x97C1E3, 0x5EC2FA, 0xAFE1FD, 0x51ACE5, 0x65C5FA, 0xBCEDFF, 0x55ADE5}},
    {18, {0xD3E5F6, 0xD3E5F6, 0xD3E5F6, 0x73CCFB, 0xA8DDFC, 0x73CCFB, 0xA8E3FD, 0xC8F2FF, 0xA8E3FD}},
    {19, {0xC0DAF2, 0xC0DAF2, 0xC0DAF2, 0xC0DAF2, 0xC0DAF2, 0xC0DAF2, 0xC0DAF2, 0xC0DAF2, 0xC0DAF2}},
};

class SkinImages : public testing::Test {
protected:
    static void SetUpTestSuite() { BuildSkinImages(); }
    static void TearDownTestSuite() { ReleaseSkinImages(); }
};

TEST_F(SkinImages, ButtonCellsAndTheirMirroredRightHalves) {
    Pixels p(ButtonImage(), 0, 0, 7, 84);
    for (int cell = 0; cell < 4; ++cell)
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 4; ++x) {
                const uint32_t want = kButtonRows[y][cell * 4 + x];
                EXPECT_EQ(p.at(x, cell * 21 + y), want) << "cell " << cell << " x " << x << " y " << y;
                EXPECT_EQ(p.at(6 - x, cell * 21 + y), want) << "cell " << cell << " x " << 6 - x << " y " << y;
            }
    EXPECT_EQ(p.at(0, 0), 0xBFE1F9u);
    EXPECT_EQ(p.at(3, 0), 0x1B8FD5u);
    EXPECT_EQ(p.at(3, 63), 0x87C3E8u);
}

TEST_F(SkinImages, ButtonCellDrawnAtItsOwnSizeIsUnchanged) {
    Surface dest = test::FilledSurface(7, 21, 0x000000);
    DrawNineSlice(dest.get(), {0, 0, 7, 21}, ButtonImage(), {0, 0, 7, 21}, {3, 3, 3, 3});
    EXPECT_EQ(Pixels(dest.get(), 0, 0, 7, 21), Pixels(ButtonImage(), 0, 0, 7, 21));
}

TEST_F(SkinImages, ComboCellsAndArrows) {
    Pixels p(ComboImage(), 0, 0, 15, 18);
    for (int y = 0; y < 18; ++y) {
        const auto& r = kComboRows[y];
        const uint32_t want[8] = {0x4EA0D1, r[0], r[1], r[0], 0x4EA0D1, r[2], r[3], r[2]};
        for (int x = 0; x < 8; ++x) EXPECT_EQ(p.at(x, y), want[x]) << x << "," << y;
    }
    // Arrows: a downward triangle, enabled in rows 0-3, disabled in rows 4-7; key elsewhere.
    for (int y = 0; y < 18; ++y)
        for (int x = 8; x < 15; ++x) {
            const int r = y % 4;
            const bool arrow = y < 8 && x >= 8 + r && x <= 14 - r;
            const uint32_t want = !arrow ? K : (y < 4 ? 0x19555Fu : 0x84A5ACu);
            EXPECT_EQ(p.at(x, y), want) << x << "," << y;
        }
}

TEST_F(SkinImages, MarkGlyphs) {
    // Expected image: key everywhere, then the glyphs laid out row by row.
    std::vector<std::vector<uint32_t>> want(24, std::vector<uint32_t>(18, K));
    auto run = [&](int row, int first, int last, uint32_t on, uint32_t off) {
        for (int x = first; x <= last; ++x) {
            want[row][x] = on;
            want[row][x + 9] = off;
        }
    };
    run(0, 8, 8, 0x54B71D, 0xA8DA8C);
    run(1, 7, 8, 0x51B41B, 0xA6D98B);
    run(2, 6, 8, 0x4DAF17, 0xA4D689);
    run(3, 0, 1, 0x48A913, 0xA2D387);
    run(3, 5, 7, 0x48A913, 0xA2D387);
    run(4, 0, 2, 0x43A20F, 0x9FD085);
    run(4, 4, 6, 0x43A20F, 0x9FD085);
    run(5, 1, 5, 0x3E9C0A, 0x9DCD82);
    run(6, 2, 4, 0x399606, 0x9AC980);
    run(7, 3, 3, 0x359102, 0x98C77E);
    const uint32_t square[7][2] = {{0x51B41B, 0xA6D98B}, {0x4EB018, 0xA4D689}, {0x49AB14, 0xA3D487},
                                   {0x45A410, 0xA0D186}, {0x409E0C, 0x9ECE83}, {0x3B9807, 0x9BCA81},
                                   {0x399606, 0x9AC980}};
    for (int i = 0; i < 7; ++i) run(9 + i, 1, 7, square[i][0], square[i][1]);
    const std::vector<std::vector<uint32_t>> dotOn = {
        {0x87CC60, 0x5CBA28, 0x87CC60},
        {0x83C85E, 0x4FB119, 0x4FB119, 0x4FB119, 0x83C85E},
        {0x50AC1D, 0x47A812, 0x47A812, 0x47A812, 0x50AC1D},
        {0x78BA54, 0x3F9D0B, 0x3F9D0B, 0x3F9D0B, 0x78BA54},
        {0x73B44F, 0x409910, 0x73B44F}};
    const std::vector<std::vector<uint32_t>> dotOff = {
        {0xC3E5AF, 0xADDC93, 0xC3E5AF},
        {0xC1E3AE, 0xA7D88C, 0xA7D88C, 0xA7D88C, 0xC1E3AE},
        {0xA7D58E, 0xA3D388, 0xA3D388, 0xA3D388, 0xA7D58E},
        {0xBBDCA9, 0x9FCE85, 0x9FCE85, 0x9FCE85, 0xBBDCA9},
        {0xB9D9A7, 0x9FCC87, 0xB9D9A7}};
    for (int r = 0; r < 5; ++r) {
        const int first = dotOn[r].size() == 3 ? 1 : 0;
        for (size_t c = 0; c < dotOn[r].size(); ++c) {
            want[18 + r][2 + first + c] = dotOn[r][c];
            want[18 + r][11 + first + c] = dotOff[r][c];
        }
    }
    Pixels p(MarkImage(), 0, 0, 18, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 18; ++x) EXPECT_EQ(p.at(x, y), want[y][x]) << x << "," << y;
    for (int y : {8, 16, 17, 23})
        for (int x = 0; x < 18; ++x) EXPECT_EQ(p.at(x, y), K) << x << "," << y;
}

TEST_F(SkinImages, OptionCirclesShareOutlineShapeAndFills) {
    Pixels p(OptionImage(), 0, 0, 13, 52);
    // The 24 key pixels, the same in every cell; nothing else is key.
    std::set<std::pair<int, int>> key;
    for (int x : {0, 1, 2, 10, 11, 12}) key.insert({x, 0}), key.insert({x, 12});
    for (int x : {0, 1, 11, 12}) key.insert({x, 1}), key.insert({x, 11});
    for (int x : {0, 12}) key.insert({x, 2}), key.insert({x, 10});
    ASSERT_EQ(key.size(), 24u);
    for (int cell = 0; cell < 4; ++cell)
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x)
                EXPECT_EQ(p.at(x, cell * 13 + y) == K, key.count({x, y}) == 1)
                    << "cell " << cell << " " << x << "," << y;

    // Outline: four runs of seven from the ends to the middle, and the eight diagonal steps.
    const uint32_t outline[4][5] = {{0xBCCFE7, 0x95B3D9, 0x86A8D3, 0x83A6D2, 0x9DB8DB},
                                    {0xBCCFE7, 0x95B3D9, 0x86A8D3, 0x83A6D2, 0x9DB8DB},
                                    {0xA4BCDD, 0x7699CA, 0x678BC2, 0x6489C1, 0x7F9FCD},
                                    {0xDDE7F3, 0xCAD9EC, 0xC2D3E9, 0xC1D2E8, 0xCEDBED}};
    for (int cell = 0; cell < 4; ++cell) {
        const auto& o = outline[cell];
        const uint32_t run[7] = {o[0], o[1], o[2], o[3], o[2], o[1], o[0]};
        const int top = cell * 13;
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(p.at(3 + i, top + 0), run[i]) << cell << " top " << i;
            EXPECT_EQ(p.at(3 + i, top + 12), run[i]) << cell << " bottom " << i;
            EXPECT_EQ(p.at(0, top + 3 + i), run[i]) << cell << " left " << i;
            EXPECT_EQ(p.at(12, top + 3 + i), run[i]) << cell << " right " << i;
        }
        for (auto [x, y] : {std::pair{2, 1}, {10, 1}, {1, 2}, {11, 2}, {1, 10}, {11, 10}, {2, 11}, {10, 11}})
            EXPECT_EQ(p.at(x, top + y), o[4]) << cell << " diagonal " << x << "," << y;
    }
    for (const auto& [row, values] : kOptionStrips)
        for (int i = 0; i < 11; ++i) EXPECT_EQ(p.at(1 + i, row), values[i]) << row << " x " << 1 + i;

    // Normal and disabled: white in the lower middle, symmetric left to right.
    for (int cell : {0, 3}) {
        EXPECT_EQ(p.at(6, cell * 13 + 9), 0xFFFFFFu);
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(p.at(x, cell * 13 + y), p.at(12 - x, cell * 13 + y)) << cell << " " << x << "," << y;
    }
}

TEST_F(SkinImages, HeaderCells) {
    Pixels p(HeaderImage(), 0, 0, 9, 20);
    for (const auto& [row, values] : kHeaderRows)
        for (int x = 0; x < 9; ++x) EXPECT_EQ(p.at(x, row), values[x]) << x << "," << row;
    // The rows in between follow the stated runs.
    for (int y = 9; y < 19; ++y) EXPECT_EQ(p.at(1, y), 0xD3E5F6u) << y;
    EXPECT_EQ(p.at(2, 10), 0x7AB0D9u);
    EXPECT_EQ(p.at(5, 10), 0x4BA2DBu);
    for (int y = 5; y < 18; ++y) EXPECT_EQ(p.at(3, y), 0x5EC2FAu) << y;
    for (int y = 3; y < 13; ++y) EXPECT_EQ(p.at(6, y), 0x5EC2FAu) << y;
    for (int y = 1; y < 19; ++y) EXPECT_NE(p.at(0, y), K);
}

TEST_F(SkinImages, ReleaseAndRebuild) {
    ReleaseSkinImages();
    EXPECT_EQ(ButtonImage(), nullptr);
    EXPECT_EQ(HeaderImage(), nullptr);
    const int before = test::CountGdiObjects();
    BuildSkinImages();
    EXPECT_EQ(test::CountGdiObjects(), before + 10);  // five DCs, five bitmaps
    BuildSkinImages();                                 // building again replaces, never adds
    EXPECT_EQ(test::CountGdiObjects(), before + 10);
    EXPECT_EQ(Pixels(ButtonImage(), 0, 0, 1, 1).at(0, 0), 0xBFE1F9u);
}

}  // namespace
}  // namespace zarvio::skin
