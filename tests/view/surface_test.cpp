// Rectangle copies in the three raster modes, their clipping, tiling and text.
#include <gtest/gtest.h>

#include <climits>

#include "view/surface.h"

namespace korvat {
namespace {

// A surface whose every pixel tells its own place: 0x00XXYY plus a tag.
Surface numbered(int w, int h, uint32_t tag) {
    Surface s;
    s.allocate(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.row(y)[x] = tag | static_cast<uint32_t>(x << 8 | y);
    return s;
}

Surface filled(int w, int h, uint32_t colour) {
    Surface s;
    s.allocate(w, h);
    std::fill(s.pixels.begin(), s.pixels.end(), colour);
    return s;
}

TEST(RasterModes, EachModeGivesItsPixelsAndTouchesNothingElse) {
    const uint32_t colours[] = {0xFFFFFF, 0x404040, 0xBFBFBF, 0x123456, 0xC0C0C0, 0x000000, 0x7F4080};
    Surface src;
    src.allocate(7, 1);
    for (int i = 0; i < 7; ++i) src.row(0)[i] = colours[i];

    for (RasterMode mode : {RasterMode::Copy, RasterMode::Blackout, RasterMode::Mark}) {
        Surface dst = filled(9, 3, 0xABCDEF);
        copyRect(dst, 1, 1, src, 0, 0, 7, 1, mode);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x) {
                uint32_t want = 0xABCDEF;
                if (y == 1 && x >= 1 && x <= 7) {
                    const uint32_t c = colours[x - 1];
                    want = mode == RasterMode::Copy ? c : mode == RasterMode::Blackout ? 0 : (c & ~0x404040u);
                }
                EXPECT_EQ(dst.at(x, y), want) << "mode " << static_cast<int>(mode) << " at " << x << "," << y;
            }
    }
    // Mark with the dark grey pattern: the 64-valued bit of each channel goes.
    Surface dst;
    dst.allocate(7, 1);
    copyRect(dst, 0, 0, src, 0, 0, 7, 1, RasterMode::Mark);
    EXPECT_EQ(dst.at(0, 0), 0xBFBFBFu);
    EXPECT_EQ(dst.at(1, 0), 0x000000u);
    EXPECT_EQ(dst.at(2, 0), 0xBFBFBFu);
    EXPECT_EQ(dst.at(3, 0), 0x123416u);
    EXPECT_EQ(dst.at(4, 0), 0x808080u);
    EXPECT_EQ(dst.at(6, 0), 0x3F0080u);
}

TEST(RasterModes, BlackoutNeedsNoSource) {
    Surface empty;
    Surface dst = filled(4, 4, 0x111111);
    copyRect(dst, 1, 1, empty, 0, 0, 2, 2, RasterMode::Blackout);
    EXPECT_EQ(dst.at(1, 1), 0u);
    EXPECT_EQ(dst.at(2, 2), 0u);
    EXPECT_EQ(dst.at(0, 0), 0x111111u);
    EXPECT_EQ(dst.at(3, 3), 0x111111u);
    // Copy and Mark from nothing leave the destination alone.
    copyRect(dst, 0, 0, empty, 0, 0, 4, 4, RasterMode::Copy);
    copyRect(dst, 0, 0, empty, 0, 0, 4, 4, RasterMode::Mark);
    EXPECT_EQ(dst.at(0, 0), 0x111111u);
}

TEST(Clipping, CopiesAreCutToBothSurfaces) {
    const Surface src = numbered(10, 8, 0x100000);
    // Past every edge of the destination at once.
    Surface dst = filled(6, 5, 0xEEEEEE);
    copyRect(dst, -2, -3, src, 1, 1, 20, 20, RasterMode::Copy);
    // The source has rows up to 7, so the destination's last row stays.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(dst.at(x, y), y < 4 ? 0x100000u | ((x + 3) << 8) | (y + 4) : 0xEEEEEEu) << x << "," << y;

    // A source rectangle that starts before the source: the missing part is
    // not drawn and the rest lands where it belongs.
    dst = filled(6, 5, 0xEEEEEE);
    copyRect(dst, 1, 1, src, -2, -1, 4, 3, RasterMode::Copy);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool drawn = x >= 3 && x <= 4 && y >= 2 && y <= 3;
            EXPECT_EQ(dst.at(x, y), drawn ? (0x100000u | ((x - 3) << 8) | (y - 2)) : 0xEEEEEEu) << x << "," << y;
        }

    // A source rectangle running off the source's right and bottom.
    dst = filled(6, 5, 0xEEEEEE);
    copyRect(dst, 0, 0, src, 8, 6, 6, 5, RasterMode::Mark);
    EXPECT_EQ(dst.at(1, 1), (0x100000u | (9 << 8) | 7) & ~0x404040u);
    EXPECT_EQ(dst.at(2, 1), 0xEEEEEEu);
    EXPECT_EQ(dst.at(1, 2), 0xEEEEEEu);

    // Blackout past the edges.
    dst = filled(6, 5, 0xEEEEEE);
    copyRect(dst, 4, 3, src, 0, 0, 100, 100, RasterMode::Blackout);
    EXPECT_EQ(dst.at(5, 4), 0u);
    EXPECT_EQ(dst.at(3, 4), 0xEEEEEEu);
}

TEST(Clipping, ExtremeCoordinatesDrawNothingOutside) {
    const Surface src = numbered(10, 8, 0);
    Surface dst = filled(6, 5, 0xEEEEEE);
    const int cases[][6] = {
        {INT_MIN, INT_MIN, 0, 0, INT_MAX, INT_MAX}, {INT_MAX, INT_MAX, 0, 0, INT_MAX, INT_MAX},
        {0, 0, INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, INT_MAX, INT_MAX, 5, 5},
        {-100, 0, 0, 0, 50, 50},                    {0, 0, 0, 0, -5, 5},
        {0, 0, 0, 0, 0, 0},                         {INT_MIN + 1, 0, INT_MAX, 0, INT_MAX, 1},
    };
    for (const auto& c : cases) {
        copyRect(dst, c[0], c[1], src, c[2], c[3], c[4], c[5], RasterMode::Copy);
        copyRect(dst, c[0], c[1], src, c[2], c[3], c[4], c[5], RasterMode::Blackout);
    }
    // Only the third case reaches the destination: its Blackout covers it all.
    int black = 0;
    for (uint32_t p : dst.pixels) black += p == 0;
    EXPECT_EQ(black, 30);

    // A huge rectangle from a negative place copies the part that overlaps.
    dst = filled(6, 5, 0xEEEEEE);
    copyRect(dst, -100, -100, src, 0, 0, INT_MAX, INT_MAX, RasterMode::Copy);
    EXPECT_EQ(dst.at(0, 0), 0xEEEEEEu);  // source ends before reaching it
    copyRect(dst, -4, -3, src, 0, 0, INT_MAX, INT_MAX, RasterMode::Copy);
    EXPECT_EQ(dst.at(0, 0), (4u << 8) | 3);
    EXPECT_EQ(dst.at(5, 4), (9u << 8) | 7);
}

TEST(Tiling, TilesAreLaidFromTheOriginAndCutAtTheEdges) {
    const Surface src = numbered(40, 20, 0x200000);
    Surface dst = filled(50, 23, 0);
    // A 7 x 5 tile taken at (3, 2).
    tileRect(dst, 0, 0, 50, 23, src, 3, 2, 7, 5);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(dst.at(x, y), src.at(3 + x % 7, 2 + y % 5)) << x << "," << y;

    // A rectangle that starts off the surface keeps its tile grid.
    dst = filled(10, 10, 0);
    tileRect(dst, -9, -6, 19, 16, src, 0, 0, 4, 4);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(dst.at(x, y), src.at((x + 9) % 4, (y + 6) % 4)) << x << "," << y;
}

TEST(Text, InkIsBlackTheBackgroundStaysAndEdgesClip) {
    BitmapFont font;
    font.loaded = true;
    // '1' has a vertical bar in column 3, 'A' a horizontal bar in row 2.
    for (int r = 0; r < 16; ++r) font.rows['1' - 32][r] = 0x10;
    font.rows['A' - 32][2] = 0xFF;

    Surface s = filled(30, 20, 0x00FF00);
    drawText(s, 2, 1, " 1A\x01", font);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool ink = (x == 2 + 8 + 3 && y >= 1 && y < 17) || (y == 3 && x >= 18 && x < 26);
            ASSERT_EQ(s.at(x, y), ink ? 0u : 0x00FF00u) << x << "," << y;
        }

    // Off the left, top, right and bottom edges: what is inside is drawn.
    s = filled(10, 10, 0x00FF00);
    drawText(s, -8, -2, "1A", font);  // 'A' row 2 lands on row 0
    EXPECT_EQ(s.at(0, 0), 0u);
    EXPECT_EQ(s.at(7, 0), 0u);
    EXPECT_EQ(s.at(8, 0), 0x00FF00u);
    drawText(s, 5, 8, "1111", font);
    EXPECT_EQ(s.at(8, 9), 0u);
    drawText(s, INT_MAX - 3, INT_MIN, "AAAA", font);
    drawText(s, INT_MIN, 5, "AAAA", font);

    // Without a font nothing is drawn.
    Surface t = filled(10, 10, 0x00FF00);
    drawText(t, 0, 0, "AAAA", BitmapFont{});
    for (uint32_t p : t.pixels) ASSERT_EQ(p, 0x00FF00u);
}

}  // namespace
}  // namespace korvat
