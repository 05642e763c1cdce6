// The table at other sizes than 1x, drawn by korvat-cli render --scale with
// the pictures the build makes: at 1x it is the table as it always was;
// larger, the cards keep sharp edges at every scale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/preferences.h"
#include "model/records.h"
#include "test_support.h"
#include "view/pictures.h"
#include "view/scaled_pictures.h"
#include "view_test_support.h"

namespace korvat::view {
namespace {

// FNV-1a over the pixels' red, green and blue, row by row.
uint64_t digest(const Surface& s) {
    uint64_t h = 14695981039346656037ull;
    for (uint32_t p : s.pixels)
        for (int k = 0; k < 4; ++k) h = (h ^ (((p & 0xFFFFFFu) >> (8 * k)) & 0xFF)) * 1099511628211ull;
    return h;
}

class ScaledDrawing : public test::GameTest {
protected:
    test::ScratchFolder folder;
    void SetUp() override {
        GameTest::SetUp();
        // What the drawing tests before may have left switched on in this process.
        table.editMode = table.showAllCards = table.darkenReserves = 0;
        if (!std::filesystem::exists(std::string(KORVAT_TEST_DATA_DIR) + "/LARGE.PCX"))
            GTEST_SKIP() << "no pictures in " << KORVAT_TEST_DATA_DIR;
        ::setenv("KORVAT_DATA", KORVAT_TEST_DATA_DIR, 1);
    }
    static void render(std::vector<std::string> args) {
        args.insert(args.begin(), "render");
        const test::CliOutput o = test::runCli(args);
        ASSERT_EQ(o.status, 0) << o.err;
    }
};

// The tables drawn before the table could be drawn at any size, pinned by
// their pixels: without a scale and at scale 1 they stay exactly these.
TEST_F(ScaledDrawing, AtScaleOneTheTableIsAsItWas) {
    const struct {
        std::vector<std::string> args;
        uint64_t pixels;
    } tables[] = {
        {{"827", "0", "t.png"}, 0xf82c9abc12d6cc5dull},
        {{"827", "5", "t.png", "--pref", "Sizes=1", "click:12"}, 0x493f55bd0e7e0da4ull},
        {{"901", "3", "t.png", "--pref", "Sizes=1"}, 0xcd1264ab6bf9c4dfull},
        {{"833", "1", "t.png"}, 0xe763e1e27928ea33ull},
    };
    for (const auto& t : tables) {
        for (bool scaled : {false, true}) {
            std::vector<std::string> args = t.args;
            if (scaled) args.insert(args.begin() + 3, {"--scale", "1"});
            render(args);
            ASSERT_EQ(windowSurface.width, 640);
            EXPECT_EQ(digest(windowSurface), t.pixels) << t.args[0] << " " << t.args[1] << (scaled ? " at scale 1" : "");
        }
    }
}

// At a fractional scale every card still has sharp edges: beside it the
// table's own pixels, then its border as one solid run of its colour, then
// within a pixel the card's white.
TEST_F(ScaledDrawing, CardsKeepSharpEdgesAtFractionalScales) {
    for (const char* scale : {"1.5", "2.5"}) {
        render({"827", "0", "t.png", "--scale", scale});
        const double s = std::atof(scale);
        ASSERT_EQ(windowSurface.width, static_cast<int>(std::lround(640 * s)));
        const Picture tile = tablePicture(prefs.TableBack);
        auto table = [&](int x, int y) { return tile.surface->at(x % tile.width, y % tile.height); };
        const int cw = cardCellWidth(), ch = cardCellHeight();
        const int widest = static_cast<int>(std::ceil(s));
        for (int p = 4; p <= 10; ++p) {  // the tableaus' top cards, face up with the table around them
            const Card& c = *pileAt(p)->top;
            const int left = tableScale.x(c.x), top = tableScale.y(c.y), y = top + ch / 2;
            const uint32_t* row = windowSurface.row(y);
            auto edge = [&](int outside, int step) {
                SCOPED_TRACE(::testing::Message() << scale << "x, pile " << p << ", edge at " << outside);
                EXPECT_EQ(row[outside], table(outside, y));
                int run = 0;
                while (run <= widest && row[outside + step * (run + 1)] == 0x404040u) ++run;
                EXPECT_GE(run, 1);
                EXPECT_LE(run, widest);
                const int paper = outside + step * (run + 1);
                EXPECT_TRUE(row[paper] == 0xFFFFFFu || row[paper + step] == 0xFFFFFFu);
            };
            edge(left - 1, 1);
            edge(left + cw, -1);
            // Below the card, the table at once.
            EXPECT_EQ(windowSurface.at(left + cw / 2, top + ch - 1), 0x404040u);
            EXPECT_EQ(windowSurface.at(left + cw / 2, top + ch), table(left + cw / 2, top + ch));
        }
    }
}

}  // namespace
}  // namespace korvat::view
