// The pictures the build draws: sizes, the one palette, and what the table
// and the card counter need of each part of them.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "pcx_reading.h"

namespace {

using korvat::tests::decodePcx;
using korvat::tests::Picture;
using korvat::tools::pack;
using korvat::tools::Rgb;

std::string pathOf(const char* name) {
    const char* dir = std::getenv("KORVAT_PICTURE_DIR");
    return std::string(dir != nullptr ? dir : KORVAT_PICTURE_DIR) + "/" + name;
}

// Each file is read once per test process.
const Picture& picture(const char* name) {
    static std::array<std::pair<std::string, Picture>, 4> cache;
    static size_t used = 0;
    for (size_t i = 0; i < used; ++i) {
        if (cache[i].first == name) {
            return cache[i].second;
        }
    }
    std::string why;
    const auto pic = decodePcx(korvat::tests::readFile(pathOf(name)), &why);
    if (!pic) {
        ADD_FAILURE() << name << ": " << why;
        std::abort();
    }
    cache[used] = {name, *pic};
    return cache[used++].second;
}

struct Sheet {
    const char* name;
    int cardW;
    int cardH;
};
constexpr Sheet kLarge{"LARGE.PCX", 64, 80};
constexpr Sheet kSmall{"SMALL.PCX", 48, 64};
constexpr std::array<Sheet, 2> kSheets{kLarge, kSmall};

int luma(Rgb c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }

// Ink on a card: anything clearly darker or more coloured than the paper.
bool isInk(Rgb c) { return std::min({c.r, c.g, c.b}) < 150; }

// An area of a picture as colours, for comparing areas with each other.
std::vector<uint32_t> area(const Picture& pic, int x, int y, int w, int h) {
    std::vector<uint32_t> out;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            out.push_back(pack(pic.rgb(x + i, y + j)));
        }
    }
    return out;
}

size_t distinctColours(const Picture& pic, int x, int y, int w, int h) {
    const std::vector<uint32_t> a = area(pic, x, y, w, h);
    return std::set<uint32_t>(a.begin(), a.end()).size();
}

void expectPairwiseDifferent(const std::vector<std::vector<uint32_t>>& areas, const std::string& what) {
    for (size_t i = 0; i < areas.size(); ++i) {
        for (size_t j = i + 1; j < areas.size(); ++j) {
            EXPECT_NE(areas[i], areas[j]) << what << " " << i << " and " << j << " are the same";
        }
    }
}

TEST(PictureFiles, AreWellFormedAndOfTheirSizes) {
    const struct {
        const char* name;
        int w;
        int h;
    } files[] = {{"LARGE.PCX", 832, 480}, {"SMALL.PCX", 624, 384}, {"BACK.PCX", 512, 192}, {"FONT.PCX", 128, 96}};
    for (const auto& f : files) {
        const Picture& pic = picture(f.name);
        EXPECT_EQ(pic.width, f.w) << f.name;
        EXPECT_EQ(pic.height, f.h) << f.name;
    }
}

TEST(PictureFiles, ShareOnePaletteWithTheExactColours) {
    const Picture& back = picture("BACK.PCX");
    EXPECT_EQ(picture("LARGE.PCX").palette, back.palette);
    EXPECT_EQ(picture("SMALL.PCX").palette, back.palette);
    std::set<uint32_t> entries;
    for (const Rgb& c : back.palette) {
        entries.insert(pack(c));
    }
    EXPECT_EQ(entries.size(), 256u) << "palette entries repeat";
    for (const uint32_t exact : {0x000000u, 0xFFFFFFu, 0x404040u, 0xC0C0C0u}) {
        EXPECT_TRUE(entries.count(exact)) << std::hex << exact;
    }
}

// The 12 x 14 corner at (2, 2) that the card counter copies.
std::vector<uint32_t> cornerOf(const Picture& pic, const Sheet& s, int suit, int face) {
    return area(pic, face * s.cardW + 2, suit * s.cardH + 2, 12, 14);
}

TEST(CardFaces, CornersArePairwiseDifferentInBothSizes) {
    for (const Sheet& s : kSheets) {
        const Picture& pic = picture(s.name);
        std::vector<std::vector<uint32_t>> corners;
        for (int suit = 0; suit < 4; ++suit) {
            for (int face = 0; face < 13; ++face) {
                corners.push_back(cornerOf(pic, s, suit, face));
            }
        }
        expectPairwiseDifferent(corners, std::string(s.name) + " corners");
    }
}

TEST(CardFaces, CornerInkIsClearlyRedOrDark) {
    for (const Sheet& s : kSheets) {
        const Picture& pic = picture(s.name);
        for (int suit = 0; suit < 4; ++suit) {
            const bool red = suit >= 2;
            for (int face = 0; face < 13; ++face) {
                int ink = 0;
                for (int y = 0; y < 14; ++y) {
                    for (int x = 0; x < 12; ++x) {
                        const Rgb c = pic.rgb(face * s.cardW + 2 + x, suit * s.cardH + 2 + y);
                        if (!isInk(c)) {
                            continue;
                        }
                        ++ink;
                        if (red) {
                            EXPECT_TRUE(c.r >= 160 && c.g <= 80 && c.b <= 80)
                                << s.name << " suit " << suit << " face " << face << " at " << x << "," << y;
                        } else {
                            EXPECT_LE(luma(c), 60) << s.name << " suit " << suit << " face " << face << " at "
                                                   << x << "," << y;
                        }
                    }
                }
                // Rank and suit need a fair number of pixels to be read.
                EXPECT_GE(ink, 30) << s.name << " suit " << suit << " face " << face;
            }
        }
    }
}

// Where cards overlap, each covered card shows only a strip: its top rows in
// a downward fan, its left columns in a rightward one, as many as the fan
// step (16 for the large cards, 9 for the small). That strip alone must say
// which card it is: by the shapes of its ink, not by colour alone, every
// card's strip differs from every other's, and a spade's from the club of
// the same rank by at least a suit mark's worth of pixels.
TEST(CardFaces, TheStripLeftVisibleInAFanShowsRankAndSuit) {
    const struct {
        Sheet sheet;
        int step;
    } fans[] = {{kLarge, 16}, {kSmall, 9}};
    for (const auto& fan : fans) {
        const Sheet& s = fan.sheet;
        const Picture& pic = picture(s.name);
        for (const bool downward : {true, false}) {
            const int w = downward ? s.cardW : fan.step;
            const int h = downward ? fan.step : s.cardH;
            auto inkOf = [&](int suit, int face) {
                std::vector<bool> ink;
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) {
                        ink.push_back(isInk(pic.rgb(face * s.cardW + x, suit * s.cardH + y)));
                    }
                }
                return ink;
            };
            std::vector<std::vector<bool>> strips;
            for (int suit = 0; suit < 4; ++suit) {
                for (int face = 0; face < 13; ++face) {
                    strips.push_back(inkOf(suit, face));
                }
            }
            auto apart = [&](size_t a, size_t b) {
                int n = 0;
                for (size_t i = 0; i < strips[a].size(); ++i) {
                    n += strips[a][i] != strips[b][i] ? 1 : 0;
                }
                return n;
            };
            const std::string where = std::string(s.name) + (downward ? " top " : " left ") +
                                      std::to_string(fan.step) + ": ";
            for (size_t a = 0; a < strips.size(); ++a) {
                for (size_t b = a + 1; b < strips.size(); ++b) {
                    EXPECT_GE(apart(a, b), 4) << where << "suit " << a / 13 << " face " << a % 13 << " and suit "
                                              << b / 13 << " face " << b % 13;
                }
            }
            for (size_t face = 0; face < 13; ++face) {
                EXPECT_GE(apart(face, 13 + face), 8) << where << "spade and club of face " << face;
            }
        }
    }
}

TEST(CardSheets, EmptyPlaceOutlinesBacksMarkersAndBackgroundsAreAllDifferent) {
    for (const Sheet& s : kSheets) {
        const Picture& pic = picture(s.name);
        auto cell = [&](int col, int row) { return area(pic, col * s.cardW, row * s.cardH, s.cardW, s.cardH); };
        std::vector<std::vector<uint32_t>> cells;
        for (int face = 0; face < 13; ++face) cells.push_back(cell(face, 4));  // the outlines
        for (int col = 0; col <= 12; ++col)
            if (col != 8) cells.push_back(cell(col, 5));  // the backs and the markers
        expectPairwiseDifferent(cells, std::string(s.name) + " rows 4 and 5");
    }
    const Picture& back = picture("BACK.PCX");
    std::vector<std::vector<uint32_t>> tiles;
    for (int i = 0; i < 16; ++i) tiles.push_back(area(back, (i % 8) * 64, (i / 8) * 64, 64, 64));
    expectPairwiseDifferent(tiles, "table backgrounds");
}

TEST(BackPicture, CounterGridWinTileAndEditMarker) {
    const Picture& pic = picture("BACK.PCX");
    // Counter grid: 13 x 4 cells of 14 x 16 at (0, 128). Each card corner
    // goes at (1, 1) of its cell; the cell's own area is light and plain and
    // the lines between cells stand out from it.
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 13; ++col) {
            const int x = col * 14;
            const int y = 128 + row * 16;
            EXPECT_EQ(distinctColours(pic, x + 1, y + 1, 12, 14), 1u) << "counter cell " << col << "," << row;
            EXPECT_GE(luma(pic.rgb(x + 6, y + 6)), 180) << "counter cell " << col << "," << row;
            EXPECT_NE(pack(pic.rgb(x + 13, y + 6)), pack(pic.rgb(x + 6, y + 6))) << "no line after column " << col;
            EXPECT_NE(pack(pic.rgb(x + 6, y + 15)), pack(pic.rgb(x + 6, y + 6))) << "no line under row " << row;
        }
    }
    // Win tile at (182, 128) and edit marker at (448, 128): pictures, not blanks.
    EXPECT_GT(distinctColours(pic, 182, 128, 216, 64), 1u);
    EXPECT_GT(distinctColours(pic, 448, 128, 16, 16), 1u);
}

TEST(TextFont, EveryPrintableCharacterHasItsOwnGlyph) {
    const Picture& font = picture("FONT.PCX");
    auto glyph = [&](int c) {
        std::vector<uint8_t> bits;
        const int x = ((c - 32) % 16) * 8;
        const int y = ((c - 32) / 16) * 16;
        for (int j = 0; j < 16; ++j) {
            for (int i = 0; i < 8; ++i) {
                bits.push_back(font.index(x + i, y + j) != 0 ? 1 : 0);
            }
        }
        return bits;
    };
    const std::vector<uint8_t> blank = glyph(' ');
    EXPECT_EQ(std::count(blank.begin(), blank.end(), 1), 0) << "the blank has ink";
    std::vector<std::vector<uint8_t>> glyphs;
    for (int c = 33; c < 127; ++c) {
        glyphs.push_back(glyph(c));
        EXPECT_GE(std::count(glyphs.back().begin(), glyphs.back().end(), 1), 2) << "no ink for '" << char(c) << "'";
    }
    for (size_t i = 0; i < glyphs.size(); ++i) {
        for (size_t j = i + 1; j < glyphs.size(); ++j) {
            EXPECT_NE(glyphs[i], glyphs[j]) << "'" << char(33 + i) << "' and '" << char(33 + j) << "' look the same";
        }
    }
}

// ---------------------------------------------------------------------------
// The outside check: ImageMagick sees our pictures as we mean them.

bool haveTool(const char* name) {
    const std::string probe = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(probe.c_str()) == 0;
}

std::string runCommand(const std::string& command) {
    std::string out;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char buf[512];
        size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) {
            out.append(buf, n);
        }
        pclose(p);
    }
    return out;
}

TEST(ImageMagick, IdentifiesOurPicturesAs256ColourImages) {
    if (!haveTool("identify")) {
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    }
    const struct {
        const char* name;
        const char* size;
    } files[] = {{"LARGE.PCX", "832x480"}, {"SMALL.PCX", "624x384"}, {"BACK.PCX", "512x192"}};
    for (const auto& f : files) {
        const std::string path = pathOf(f.name);
        const std::string line = runCommand("identify '" + path + "' 2>&1");
        EXPECT_NE(line.find(std::string("PCX ") + f.size + " "), std::string::npos) << line;
        EXPECT_NE(line.find(" 8-bit "), std::string::npos) << line;
        EXPECT_NE(line.find(" 256c "), std::string::npos) << line;
        const std::string cls = runCommand("identify -format '%r' '" + path + "' 2>&1");
        EXPECT_NE(cls.find("PseudoClass"), std::string::npos) << cls;
    }
}

TEST(ImageMagick, DecodesOurPicturesToTheSamePixels) {
    if (!haveTool("convert")) {
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    }
    for (const char* name : {"LARGE.PCX", "SMALL.PCX", "BACK.PCX"}) {
        const Picture& pic = picture(name);
        const std::string raw = runCommand("convert '" + pathOf(name) + "' -depth 8 rgb:- 2>/dev/null");
        ASSERT_EQ(raw.size(), static_cast<size_t>(pic.width * pic.height * 3)) << name;
        size_t wrong = 0;
        for (int y = 0; y < pic.height; ++y) {
            for (int x = 0; x < pic.width; ++x) {
                const size_t at = 3 * (static_cast<size_t>(y) * static_cast<size_t>(pic.width) + static_cast<size_t>(x));
                const Rgb theirs{static_cast<uint8_t>(raw[at]), static_cast<uint8_t>(raw[at + 1]),
                                 static_cast<uint8_t>(raw[at + 2])};
                wrong += theirs == pic.rgb(x, y) ? 0 : 1;
            }
        }
        EXPECT_EQ(wrong, 0u) << name;
    }
}

}  // namespace
