// The picture reader: decoding, the row order, the colour table and every
// kind of file it refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "view/pcx.h"
#include "view/pictures.h"
#include "view_test_support.h"

namespace korvat::view {
namespace {

using test::pcxEncode;
using test::pcxFile;
using test::testPalette;

std::vector<uint8_t> decode(const std::vector<uint8_t>& file, int minW = 0, int minH = 0) {
    std::vector<uint8_t> bitmap;
    EXPECT_TRUE(decodePicture(file.data(), file.size(), minW, minH, bitmap));
    return bitmap;
}

// The indices of the decoded picture, top row first.
std::vector<uint8_t> indices(const std::vector<uint8_t>& bitmap) {
    std::vector<uint8_t> v;
    for (int y = 0; y < bitmapHeight(bitmap); ++y)
        for (int x = 0; x < bitmapWidth(bitmap); ++x) v.push_back(bitmapIndex(bitmap, x, y));
    return v;
}

TEST(PictureDecoding, EncodedPicturesComeBackAsWritten) {
    std::mt19937 random(7);
    for (auto [w, h] : {std::pair{4, 1}, {8, 3}, {64, 5}, {128, 33}}) {
        std::vector<uint8_t> px(static_cast<size_t>(w * h));
        for (size_t i = 0; i < px.size(); ++i)
            px[i] = static_cast<uint8_t>(i % 5 == 0 ? random() : px[i ? i - 1 : 0] ^ (i % 3 == 0 ? 200 : 0));
        const std::vector<uint8_t> bitmap = decode(pcxFile(w, h, pcxEncode(px), testPalette()));
        ASSERT_EQ(bitmapWidth(bitmap), w);
        ASSERT_EQ(bitmapHeight(bitmap), h);
        EXPECT_EQ(bitmap.size(), kBitmapPixelsOffset + px.size());
        EXPECT_EQ(indices(bitmap), px) << w << " x " << h;

        // The surface shows each index in the file's own palette colour.
        Surface s;
        bitmapToSurface(bitmap, s);
        ASSERT_EQ(s.width, w);
        ASSERT_EQ(s.height, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(s.at(x, y), test::testColour(px[static_cast<size_t>(y * w + x)]));
    }
}

TEST(PictureDecoding, RunBytes) {
    // A run byte 192 has length 0: it and its value byte write nothing.
    auto b = decode(pcxFile(4, 1, {0xC0, 0x55, 7, 0xC0, 0xC0, 8, 0xC2, 9}));
    EXPECT_EQ(indices(b), (std::vector<uint8_t>{7, 8, 9, 9}));

    // A run byte 255 writes 63 copies of the next byte.
    b = decode(pcxFile(64, 1, {0xFF, 201, 5}));
    std::vector<uint8_t> want(63, 201);
    want.push_back(5);
    EXPECT_EQ(indices(b), want);

    // Runs cross the ends of scan lines: the stream is one sequence.
    b = decode(pcxFile(4, 3, {0xC6, 3, 0xC5, 4, 1}));
    EXPECT_EQ(indices(b), (std::vector<uint8_t>{3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 1}));
}

TEST(PictureDecoding, RowsAreStoredBottomUpAndOddHeightsKeepTheMiddleRow) {
    // Rows 0, 1, 2 of the file hold 1s, 2s and 3s.
    const auto b3 = decode(pcxFile(4, 3, {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}));
    const uint8_t* px = b3.data() + kBitmapPixelsOffset;
    EXPECT_EQ(std::vector<uint8_t>(px, px + 12), (std::vector<uint8_t>{3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1}));
    EXPECT_EQ(indices(b3), (std::vector<uint8_t>{1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}));

    const auto b2 = decode(pcxFile(4, 2, {1, 2, 3, 4, 5, 6, 7, 8}));
    px = b2.data() + kBitmapPixelsOffset;
    EXPECT_EQ(std::vector<uint8_t>(px, px + 8), (std::vector<uint8_t>{5, 6, 7, 8, 1, 2, 3, 4}));

    const auto b1 = decode(pcxFile(4, 1, {1, 2, 3, 4}));
    EXPECT_EQ(indices(b1), (std::vector<uint8_t>{1, 2, 3, 4}));
}

// The stream must fill the picture exactly and end at the palette marker:
// any other stream is a damaged picture, treated as no picture.
TEST(PictureDecoding, StreamMustEndWhereThePaletteStarts) {
    std::vector<uint8_t> bitmap;
    auto refused = [&](const std::vector<uint8_t>& f) {
        bitmap = {1, 2, 3};
        return !decodePicture(f.data(), f.size(), 0, 0, bitmap) && bitmap == std::vector<uint8_t>{1, 2, 3};
    };
    EXPECT_FALSE(refused(pcxFile(4, 2, {5, 6, 0xC2, 7, 0xC4, 1})));
    EXPECT_TRUE(refused(pcxFile(4, 2, {5, 6, 0xC2, 7}))) << "cut short";
    EXPECT_TRUE(refused(pcxFile(4, 1, {5, 6, 7, 8, 9}))) << "a byte more";
    EXPECT_TRUE(refused(pcxFile(4, 1, {5, 6, 0xC3, 9}))) << "a run past the last pixel";
    EXPECT_TRUE(refused(pcxFile(4, 1, {5, 6, 7, 0xC1}))) << "a run taking the marker as its value";
    EXPECT_TRUE(refused(pcxFile(4, 1, {5, 6, 7, 8, 0xC0, 3}))) << "even a run of 0 after the last pixel";
    std::vector<uint8_t> f = pcxFile(4, 1, {5, 6, 7, 8});
    f[128 + 4] = 9;
    EXPECT_TRUE(refused(f)) << "no marker before the palette";

    // Every cut of a whole picture is refused (a truncated LARGE.PCX is no
    // longer drawn in wrong colours).
    std::vector<uint8_t> px(64 * 8);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 7 / 5);
    const std::vector<uint8_t> whole = pcxFile(64, 8, pcxEncode(px), testPalette());
    EXPECT_FALSE(refused(whole));
    for (size_t size = 0; size < whole.size(); ++size)
        EXPECT_TRUE(refused(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(size)))) << size;
}

TEST(PictureDecoding, FilesTreatedAsNoPicture) {
    std::vector<uint8_t> bitmap;
    auto refused = [&](const std::vector<uint8_t>& f, int minW = 0, int minH = 0) {
        bitmap = {1, 2, 3};
        const bool ok = decodePicture(f.data(), f.size(), minW, minH, bitmap);
        return !ok && bitmap == std::vector<uint8_t>{1, 2, 3};  // nothing changed
    };
    // Too short: 896 bytes hold a header and a palette but not the marker.
    std::vector<uint8_t> f = pcxFile(4, 1, {});
    ASSERT_EQ(f.size(), 897u);
    EXPECT_TRUE(refused(f));
    f.pop_back();
    EXPECT_TRUE(refused(f));
    // A header that is not our kind of picture: maker, encoding, bits per
    // pixel, planes, bytes per line.
    for (auto [offset, value] : {std::pair{0, 5}, {2, 0}, {3, 4}, {65, 3}, {66, 8}, {67, 1}}) {
        f = pcxFile(4, 1, {1, 2, 3, 4});
        ASSERT_FALSE(refused(f));
        f[static_cast<size_t>(offset)] = static_cast<uint8_t>(value);
        EXPECT_TRUE(refused(f)) << "byte " << offset;
    }
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused(std::vector<uint8_t>(20, 0)));
    EXPECT_FALSE(decodePicture(nullptr, 0, 0, 0, bitmap));

    // A stream that fills a picture of that size.
    auto filled = [](int w, int h) {
        return pcxFile(w, h, pcxEncode(std::vector<uint8_t>(static_cast<size_t>(w) * static_cast<size_t>(h), 1)));
    };
    // Widths that are not a multiple of 4.
    for (int w : {1, 2, 3, 5, 830, 831}) EXPECT_TRUE(refused(filled(w, 1))) << w;
    // Sides that would need an unreasonable buffer.
    EXPECT_TRUE(refused(pcxFile(65536, 1, {1})));
    EXPECT_TRUE(refused(pcxFile(4100, 4, {1})));
    EXPECT_TRUE(refused(pcxFile(4, 4097, {1})));
    EXPECT_TRUE(refused(pcxFile(4, 65536, {1})));
    EXPECT_TRUE(pictureFileFits(pcxFile(4096, 4096, {1}).data(), pcxFile(4096, 4096, {1}).size(), 0, 0));

    // Smaller than the grid it must hold.
    const std::pair<int, int> grids[] = {{832, 480}, {624, 384}, {512, 192}};
    for (auto [w, h] : grids) {
        EXPECT_TRUE(refused(filled(w - 4, h), w, h));
        EXPECT_TRUE(refused(filled(w, h - 1), w, h));
        EXPECT_FALSE(refused(filled(w, h), w, h));
        EXPECT_FALSE(refused(filled(w + 4, h + 1), w, h));
    }
}

TEST(PictureFiles, PaletteComesFromTheLast768Bytes) {
    test::ScratchFolder folder;
    std::vector<uint8_t> pal(768);
    for (int i = 0; i < 768; ++i) pal[static_cast<size_t>(i)] = static_cast<uint8_t>(255 - i % 256);
    test::writeFile("P.PCX", pcxFile(4, 1, {1, 2, 3, 4}, pal));
    Palette p;
    ASSERT_TRUE(loadPalette("P.PCX", p));
    for (size_t e = 0; e < 256; ++e) {
        EXPECT_EQ(p[e].red, pal[e * 3]);
        EXPECT_EQ(p[e].green, pal[e * 3 + 1]);
        EXPECT_EQ(p[e].blue, pal[e * 3 + 2]);
        EXPECT_EQ(p[e].flags, 0);
    }
    Palette untouched{};
    EXPECT_FALSE(loadPalette("MISSING.PCX", untouched));
    test::writeFile("SHORT.PCX", std::vector<uint8_t>(700, 1));
    EXPECT_FALSE(loadPalette("SHORT.PCX", untouched));
    EXPECT_EQ(untouched[5].red, 0);

    Surface s;
    EXPECT_FALSE(loadPicture("MISSING.PCX", 0, 0, s));
    EXPECT_FALSE(loadPicture(folder.path(), 0, 0, s));  // a folder is no picture
    ASSERT_TRUE(loadPicture("P.PCX", 0, 0, s));
    EXPECT_EQ(s.at(3, 0), (uint32_t{pal[12]} << 16) | (uint32_t{pal[13]} << 8) | pal[14]);
}

// An outside check: a picture that ImageMagick writes as a 256-colour PCX
// reads back to the colours it was made from.
TEST(PictureFiles, ReadsWhatImageMagickWrites) {
    if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ImageMagick";
    test::ScratchFolder folder;
    const int w = 64, h = 33;
    // 200 colours in runs of different lengths, so that indices of 192 and
    // more and runs across scan lines both occur.
    std::vector<uint32_t> colours(static_cast<size_t>(w * h));
    std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int i = 0; i < w * h; ++i) {
        const int k = (i / (1 + i % 7)) % 200;
        const uint32_t c = static_cast<uint32_t>((k * 37) % 256) << 16 | static_cast<uint32_t>(k) << 8 |
                           static_cast<uint32_t>(255 - k);
        colours[static_cast<size_t>(i)] = c;
        ppm += static_cast<char>(c >> 16);
        ppm += static_cast<char>(c >> 8);
        ppm += static_cast<char>(c);
    }
    test::writeFile("in.ppm", std::vector<uint8_t>(ppm.begin(), ppm.end()));
    ASSERT_EQ(std::system("convert in.ppm -type Palette PCX:OUT.PCX"), 0);

    Surface s;
    ASSERT_TRUE(loadPicture("OUT.PCX", w, h, s));
    ASSERT_EQ(s.width, w);
    ASSERT_EQ(s.height, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(s.at(x, y), colours[static_cast<size_t>(y * w + x)]) << x << "," << y;
}

}  // namespace
}  // namespace korvat::view
