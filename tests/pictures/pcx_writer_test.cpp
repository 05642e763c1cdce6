// The PCX writer and the shared palette: what the program's reader and
// other programs need from our files.
#include <gtest/gtest.h>

#include <set>

#include "pcx_reading.h"
#include "pcx_writer.h"

namespace {

using korvat::tests::decodePcx;
using korvat::tools::buildPalette;
using korvat::tools::encodePcx;
using korvat::tools::Histogram;
using korvat::tools::NearestColour;
using korvat::tools::Palette;
using korvat::tools::pack;
using korvat::tools::Rgb;

Palette greyPalette() {
    Palette p{};
    for (size_t i = 0; i < p.size(); ++i) {
        p[i] = Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)};
    }
    return p;
}

// Pixels that exercise every kind of run: lone values above 0xC0, runs of
// exactly 63 and 64, runs that reach a line end, long runs of 0xFF.
std::vector<uint8_t> awkwardPixels(int width, int height) {
    std::vector<uint8_t> px(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t v = 0;
            switch (y % 5) {
            case 0: v = static_cast<uint8_t>(x * 37 + y); break;      // every value, few runs
            case 1: v = x < 63 ? 0xC0 : x < 127 ? 0x3F : 0xFF; break; // runs of 63 and 64
            case 2: v = static_cast<uint8_t>(0xC0 + (x % 64)); break; // lone high values
            case 3: v = 0xFF; break;                                 // a whole line
            default: v = static_cast<uint8_t>((x / 3) & 1 ? 0xC1 : 12); break;
            }
            px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = v;
        }
    }
    return px;
}

TEST(PcxWriter, HeaderAndTrailerAreWhatReadersExpect) {
    const Palette pal = greyPalette();
    const std::vector<uint8_t> file = encodePcx(8, 3, std::vector<uint8_t>(24, 5), pal);
    ASSERT_GE(file.size(), 128u + 769u);
    EXPECT_EQ(file[0], 10);
    EXPECT_EQ(file[1], 5);
    EXPECT_EQ(file[2], 1);
    EXPECT_EQ(file[3], 8);
    EXPECT_EQ(file[8] | (file[9] << 8), 7);    // Xmax
    EXPECT_EQ(file[10] | (file[11] << 8), 2);  // Ymax
    EXPECT_EQ(file[65], 1);                    // planes
    EXPECT_EQ(file[66] | (file[67] << 8), 8);  // bytes per line
    EXPECT_EQ(file[68] | (file[69] << 8), 1);  // palette info
    EXPECT_EQ(file[file.size() - 769], 12);
    for (size_t i = 0; i < 256; ++i) {
        const size_t at = file.size() - 768 + 3 * i;
        EXPECT_EQ((Rgb{file[at], file[at + 1], file[at + 2]}), pal[i]) << "entry " << i;
    }
    // One run of 8 per line: 3 x (0xC8, 5).
    EXPECT_EQ(file.size(), 128u + 6u + 769u);
}

TEST(PcxWriter, EveryRunDecodesBackAndNoneCrossesALine) {
    const int width = 200;
    const int height = 10;
    const std::vector<uint8_t> px = awkwardPixels(width, height);
    const std::vector<uint8_t> file = encodePcx(width, height, px, greyPalette());
    std::string why;
    const auto pic = decodePcx(file, &why);
    ASSERT_TRUE(pic) << why;
    EXPECT_EQ(pic->pixels, px);

    // Walk the stream: every count is 1..63, and the lines end on run
    // boundaries (readers that decode line by line rely on it).
    size_t i = 128;
    const size_t end = file.size() - 769;
    size_t pixels = 0;
    while (i < end) {
        const uint8_t b = file[i++];
        size_t count = 1;
        if (b >= 0xC0) {
            count = b & 63;
            ASSERT_GE(count, 1u);
            ASSERT_LT(i, end);
            ++i;
        }
        const size_t lineLeft = static_cast<size_t>(width) - pixels % static_cast<size_t>(width);
        ASSERT_LE(count, lineLeft) << "a run crosses the end of a line";
        pixels += count;
    }
    EXPECT_EQ(pixels, px.size());
}

TEST(PcxWriter, RefusesWhatTheReaderCannotTake) {
    const Palette pal = greyPalette();
    EXPECT_TRUE(encodePcx(6, 2, std::vector<uint8_t>(12, 0), pal).empty());  // width not a multiple of 4
    EXPECT_TRUE(encodePcx(0, 2, {}, pal).empty());
    EXPECT_TRUE(encodePcx(4, 0, {}, pal).empty());
    EXPECT_TRUE(encodePcx(4, 2, std::vector<uint8_t>(7, 0), pal).empty());  // too few pixels
}

TEST(SharedPalette, FixedColoursFirstAllEntriesDifferentSameEveryTime) {
    const std::vector<Rgb> fixed = {{0, 0, 0}, {255, 255, 255}, {64, 64, 64}, {192, 192, 192}, {208, 18, 36}};
    Histogram h;
    // A smooth ramp and a noisy patch, far more colours than entries.
    for (int i = 0; i < 4000; ++i) {
        h[pack(Rgb{static_cast<uint8_t>(i % 256), static_cast<uint8_t>((i * 7) % 256),
                   static_cast<uint8_t>(i / 16)})] += 1 + static_cast<uint64_t>(i % 5);
    }
    h[pack(Rgb{255, 255, 255})] += 1000000;  // the white that dominates the cards
    const Palette a = buildPalette(fixed, h);
    const Palette b = buildPalette(fixed, h);
    EXPECT_EQ(a, b);
    for (size_t i = 0; i < fixed.size(); ++i) {
        EXPECT_EQ(a[i], fixed[i]);
    }
    std::set<uint32_t> distinct;
    for (const Rgb& c : a) {
        distinct.insert(pack(c));
    }
    EXPECT_EQ(distinct.size(), 256u);

    // Every colour of the histogram finds an entry near it.
    NearestColour nearest(a);
    int worst = 0;
    for (const auto& [rgb, count] : h) {
        worst = std::max(worst, korvat::tools::colourDistance(korvat::tools::unpack(rgb), a[nearest.index(rgb)]));
    }
    EXPECT_LT(worst, 9 * 24 * 24) << "some colour is more than ~24 levels from every entry";
}

TEST(SharedPalette, FewColoursComeOutExactly) {
    Histogram h;
    std::vector<Rgb> used;
    for (int i = 0; i < 100; ++i) {
        const Rgb c{static_cast<uint8_t>(i * 2), static_cast<uint8_t>(200 - i), static_cast<uint8_t>(i * 3 % 256)};
        used.push_back(c);
        h[pack(c)] += static_cast<uint64_t>(1 + i);
    }
    const Palette p = buildPalette({{0, 0, 0}, {255, 255, 255}}, h);
    NearestColour nearest(p);
    for (const Rgb& c : used) {
        EXPECT_EQ(p[nearest.index(pack(c))], c);
    }
    EXPECT_EQ(nearest.index(0xFFFFFF), 1);
    EXPECT_EQ(nearest.index(0x000000), 0);
}

}  // namespace
