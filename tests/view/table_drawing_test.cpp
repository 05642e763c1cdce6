// The table drawing, checked at chosen pixels against the cells of the
// pictures they must come from. The test pictures give every cell, every
// background and every marker colours of its own.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/drawing.h"
#include "play/pointer.h"
#include "view/pictures.h"
#include "view/table_drawing.h"
#include "view_test_support.h"

namespace korvat::view {
namespace {

constexpr uint32_t kMarked = ~0x404040u;

// The pixel (dx, dy) of card picture cell (column, row).
uint32_t cell(int column, int row, int dx, int dy) {
    return cardPicture.at(column * table.cardWidth + dx, row * table.cardHeight + dy);
}
uint32_t faceOf(const Card& c, int dx, int dy) { return cell(faceColumn(c.value), c.value & 3, dx, dy); }

class DrawingTest : public test::GameTest {
protected:
    test::ScratchFolder folder;
    test::PresentRecorder recorder;
    void SetUp() override {
        GameTest::SetUp();
        test::writeTestPictures(folder.path());
        ASSERT_TRUE(startGraphics());
        setPlatform(&recorder);
    }
    void TearDown() override {
        drawingHooks = {};
        closeGraphics();
        GameTest::TearDown();
    }
    // Klondike: 4 foundations, 7 tableaus (fanned down), the waste, the stock.
    void klondike() {
        deal(827, 0);
        repaintTable();
    }
    Pile& pile(int index) { return *pileAt(index); }
    static uint32_t shown(int x, int y) { return tableImage.at(x, y); }
};

TEST(EmptyPileMarkers, EachStartCodeWithEachBaseRank) {
    for (int base : {0, 1, 12}) {
        table.baseRank = base;
        table.redealsLeft = 0;
        auto rank = [base](int r) { return (r + base) % 13; };
        Pile p;
        Marker m{};
        auto check = [&](int code, int column, int row, RasterMode mode) {
            p.startCard = code;
            ASSERT_TRUE(emptyPileMarker(p, m)) << code;
            EXPECT_EQ(m.column, column) << "code " << code << " base " << base;
            EXPECT_EQ(m.row, row) << "code " << code << " base " << base;
            EXPECT_EQ(m.mode, mode) << "code " << code << " base " << base;
        };
        for (int v = 0; v < 52; ++v) check(v, rank(v >> 2), v & 3, RasterMode::Mark);
        check(52, rank(12), 4, RasterMode::Copy);
        check(53, rank(0), 4, RasterMode::Copy);
        check(54, rank(11), 4, RasterMode::Copy);
        check(55, 9, 5, RasterMode::Copy);
        check(56, rank(1), 4, RasterMode::Copy);
        check(57, rank(5), 4, RasterMode::Copy);
        check(58, rank(6), 4, RasterMode::Copy);
        check(-2, 11, 5, RasterMode::Copy);
        check(-1, 12, 5, RasterMode::Copy);
        for (int code : {59, 60, -3, 1000}) {
            p.startCard = code;
            EXPECT_FALSE(emptyPileMarker(p, m)) << code;
        }

        // A redeal pile shows the redeal marker while redeals remain or are
        // unlimited, and its start marker once they are used up.
        p.flags = PileFlags::redealable;
        for (int left : {-1, 1, 2}) {
            table.redealsLeft = left;
            check(-1, 10, 5, RasterMode::Copy);
        }
        table.redealsLeft = 0;
        check(-1, 12, 5, RasterMode::Copy);
        p.flags = 0;
    }
    // Aces high: "any ace" shows the two's outline, "any king" the ace's.
    table.baseRank = 1;
    Pile p;
    Marker m{};
    p.startCard = 53;
    emptyPileMarker(p, m);
    EXPECT_EQ(m.column, 1);
    p.startCard = 52;
    emptyPileMarker(p, m);
    EXPECT_EQ(m.column, 0);
}

TEST_F(DrawingTest, KlondikeDealShowsBacksFacesStripsAndMarkers) {
    prefs.CardBack = 3;
    prefs.TableBack = 9;
    klondike();
    ASSERT_EQ(table.fanStep, 16);

    // The background: tile 9, from (64, 64) of the back picture, laid from (0, 0).
    EXPECT_EQ(shown(0, 0), test::testColour(230));
    EXPECT_EQ(shown(64, 64), test::testColour(230));
    EXPECT_EQ(shown(639, 479), backPicture.at(64 + 639 % 64, 64 + 479 % 64));
    EXPECT_EQ(shown(639, 479), test::testColour(209));

    // The last tableau: six face-down cards as 16-pixel strips of back 3, then its face-up top card.
    Pile& t = pile(10);
    ASSERT_EQ(t.count, 7);
    int k = 0;
    for (Card* c = t.bottom; c != t.top; c = c->above, ++k) {
        ASSERT_EQ(c->faceDown, kFaceDown);
        for (auto [dx, dy] : {std::pair{0, 0}, {1, 1}, {63, 15}, {40, 8}})
            EXPECT_EQ(shown(c->x + dx, c->y + dy), cell(3, 5, dx, dy)) << "card " << k;
    }
    for (auto [dx, dy] : {std::pair{0, 0}, {63, 79}, {10, 50}, {50, 10}})
        EXPECT_EQ(shown(t.top->x + dx, t.top->y + dy), faceOf(*t.top, dx, dy));
    // Below the pile the table shows again.
    EXPECT_EQ(shown(t.x + 5, t.y + t.height), backPicture.at(64 + (t.x + 5) % 64, 64 + (t.y + t.height) % 64));

    // The stock is squared: only its top card, face down.
    Pile& stock = pile(12);
    ASSERT_EQ(stock.count, 24);
    EXPECT_EQ(shown(stock.x + 63, stock.y + 79), cell(3, 5, 63, 79));

    // Empty foundations must start with one exact ace: that face, marked.
    for (int f = 0; f < 4; ++f) {
        Pile& found = pile(f);
        ASSERT_EQ(found.count, 0);
        const int v = found.startCard;
        ASSERT_GE(v, 0);
        for (auto [dx, dy] : {std::pair{2, 3}, {60, 70}})
            EXPECT_EQ(shown(found.x + dx, found.y + dy), cell(faceColumn(v), v & 3, dx, dy) & kMarked);
    }
    // The empty waste takes nothing.
    EXPECT_EQ(shown(pile(11).x + 30, pile(11).y + 30), cell(12, 5, 30, 30));
}

TEST_F(DrawingTest, RightwardFansAndSquaredPiles) {
    klondike();
    // The last tableau (six face-down cards under one face) moved to free
    // table and fanned rightward.
    Pile& t = pile(10);
    t.fan = Fan::Right;
    t.x = 0;
    t.y = 390;
    layoutPile(t);
    composeTable();
    int k = 0;
    for (Card* c = t.bottom; c != t.top; c = c->above, ++k) {
        EXPECT_EQ(shown(c->x, c->y + 79), cell(prefs.CardBack, 5, 0, 79)) << k;
        EXPECT_EQ(shown(c->x + 15, c->y + 40), cell(prefs.CardBack, 5, 15, 40)) << k;
    }
    EXPECT_EQ(k, 6);
    EXPECT_EQ(shown(t.top->x + 63, t.top->y), faceOf(*t.top, 63, 0));
    EXPECT_EQ(t.top->x, 96);

    // Squared: the covered cards are not drawn at all; the top card shows
    // alone, here marked as the drop target.
    t.fan = Fan::Squared;
    layoutPile(t);
    dropTarget = &t;
    composeTable();
    EXPECT_EQ(shown(t.x + 5, t.y + 5), faceOf(*t.top, 5, 5) & kMarked);
    EXPECT_EQ(shown(t.x + 70, t.y + 5), backPicture.at((prefs.TableBack % 8) * 64 + 70 % 64,
                                                       (prefs.TableBack / 8) * 64 + (t.y + 5) % 64));
    dropTarget = nullptr;
}

TEST_F(DrawingTest, MarkedCards) {
    klondike();
    Pile& t = pile(10);
    // Show All Cards: face-down cards show their faces, marked.
    table.showAllCards = 1;
    composeTable();
    for (Card* c = t.bottom; c != t.top; c = c->above)
        EXPECT_EQ(shown(c->x + 3, c->y + 3), faceOf(*c, 3, 3) & kMarked);
    EXPECT_EQ(shown(t.top->x + 3, t.top->y + 3), faceOf(*t.top, 3, 3));
    table.showAllCards = 0;

    // A selected card and the drop target's top card are marked.
    pile(4).top->faceDown = kSelected;
    dropTarget = &pile(5);
    composeTable();
    EXPECT_EQ(shown(pile(4).top->x + 50, pile(4).top->y + 70), faceOf(*pile(4).top, 50, 70) & kMarked);
    EXPECT_EQ(shown(pile(5).top->x + 50, pile(5).top->y + 70), faceOf(*pile(5).top, 50, 70) & kMarked);
    // ... but not the cards under the drop target's top.
    Card* under = pile(5).top->below;
    EXPECT_EQ(shown(under->x + 5, under->y + 5), cell(prefs.CardBack, 5, 5, 5));
    dropTarget = nullptr;
}

TEST_F(DrawingTest, WonTableAndTableBacks) {
    klondike();
    for (int back : {0, 7, 9, 15}) {
        prefs.TableBack = back;
        table.won = 1;
        composeTable();
        // The 216 x 64 win tile, whatever the table back.
        for (auto [x, y] : {std::pair{0, 0}, {216, 0}, {432, 0}, {216 * 2, 64 * 7}})
            EXPECT_EQ(shown(x, y), test::testColour(228)) << x << "," << y;
        EXPECT_EQ(shown(639, 479), backPicture.at(182 + 639 % 216, 128 + 479 % 64));
        EXPECT_EQ(shown(215, 1), test::testColour(227));

        table.won = 0;
        composeTable();
        EXPECT_EQ(shown(639, 479), test::testColour(200 + back));
        EXPECT_EQ(shown(576, 448), test::testColour(230));
    }
}

TEST_F(DrawingTest, DarkenedReservesAreBlackWithTheirSizesOnTop) {
    klondike();
    prefs.Sizes = 1;
    pile(10).flags |= PileFlags::reserve;  // a covered pile
    pile(2).flags |= PileFlags::reserve;   // an empty pile with a marker
    table.darkenReserves = 1;
    composeTable();
    for (int i : {10, 2}) {
        const Pile& p = pile(i);
        for (int y = p.y; y < p.y + p.height; ++y)
            for (int x = p.x; x < p.x + p.width; ++x) ASSERT_EQ(shown(x, y), 0u) << i << ": " << x << "," << y;
    }
    // The piles around them are drawn as always.
    EXPECT_EQ(shown(pile(9).top->x + 5, pile(9).top->y + 5), faceOf(*pile(9).top, 5, 5));

    table.darkenReserves = 0;
    composeTable();
    EXPECT_EQ(shown(pile(10).top->x + 5, pile(10).top->y + 5), faceOf(*pile(10).top, 5, 5));
}

TEST_F(DrawingTest, PileSizesStandOnTheTopCards) {
    klondike();
    prefs.Sizes = 1;
    composeTable();
    // The test font inks row (c - 32) mod 16 of each character cell.
    auto inkRow = [](char c) { return (c - 32) % 16; };
    auto expectText = [&](int x, int y, const char* text, const Surface& under) {
        for (int i = 0; i < 3; ++i)
            for (int r = 0; r < 16; ++r)
                for (int dx = 0; dx < 8; ++dx) {
                    const int px = x + i * 8 + dx, py = y + r;
                    const bool ink = text[i] != ' ' && r == inkRow(text[i]);
                    ASSERT_EQ(shown(px, py) == 0, ink) << text << " at " << px << "," << py;
                    if (!ink) {
                        ASSERT_EQ(shown(px, py), under.at(px, py));
                    }
                }
    };
    Surface without = tableImage;
    prefs.Sizes = 0;
    composeTable();
    without = tableImage;
    prefs.Sizes = 1;
    composeTable();

    // Squared stock of 24: " 24" at 20 pixels in from its left edge.
    expectText(pile(12).x + 20, pile(12).y, " 24", without);
    // A downward fan of 7: on its top card.
    expectText(pile(10).x + 20, pile(10).y + 6 * 16, "  7", without);
    // An empty pile: "  0" at its origin.
    expectText(pile(0).x + 20, pile(0).y, "  0", without);
    // A rightward fan: along its top card.
    pile(9).fan = Fan::Right;
    layoutPile(pile(9));
    prefs.Sizes = 0;
    composeTable();
    without = tableImage;
    prefs.Sizes = 1;
    composeTable();
    expectText(pile(9).x + 20 + 5 * 16, pile(9).y, "  6", without);
}

TEST_F(DrawingTest, EditMarkerFollowsItsPileAndLaterPilesCoverIt) {
    klondike();
    table.editMode = 1;
    for (int index : {0, 4, 12}) {
        editPile = index;
        composeTable();
        const Pile& p = pile(index);
        EXPECT_EQ(shown(p.x, p.y), test::testColour(229));
        EXPECT_EQ(shown(p.x + 15, p.y + 15), test::testColour(229));
        EXPECT_NE(shown(p.x + 16, p.y + 16), test::testColour(229));
    }
    // A pile later in the layout drawn over the marked pile covers the marker.
    editPile = 4;
    pile(5).x = pile(4).x;
    pile(5).y = pile(4).y;
    layoutPile(pile(5));
    composeTable();
    EXPECT_NE(shown(pile(4).x, pile(4).y), test::testColour(229));
    table.editMode = 0;
    editPile = 0;
    composeTable();
    EXPECT_NE(shown(pile(0).x, pile(0).y), test::testColour(229));
}

TEST_F(DrawingTest, RepaintPresentsTheWholeTableAndRefreshesAnOpenCounter) {
    static int refreshes = 0;
    refreshCounter = [] { ++refreshes; };
    klondike();
    ASSERT_FALSE(recorder.presented.empty());
    EXPECT_EQ(recorder.presented.back(), (test::Presented{0, 0, 640, 480}));
    EXPECT_EQ(windowSurface.pixels, tableImage.pixels);
    EXPECT_EQ(refreshes, 0);
    table.counterOpen = 1;
    repaintTable();
    repaintTable();
    EXPECT_EQ(refreshes, 2);
    table.counterOpen = 0;
}

TEST_F(DrawingTest, MovedPileIsDrawnOverTheTableWithoutChangingIt) {
    klondike();
    Pile& stock = pile(12);
    // Carry thirteen cards of the stock as a downward fan.
    splitRun(stock, carriedPile, *cardAt(stock, 11));
    layoutPile(stock);
    carriedPile.fan = Fan::Down;
    carriedPile.x = stock.x;
    carriedPile.y = stock.y;
    layoutPile(carriedPile);
    ASSERT_EQ(carriedPile.count, 13);
    composeTable();
    presentTable();
    const Surface table0 = tableImage;

    const int steps[][2] = {{100, 50}, {130, 70}, {-30, 400}, {600, 470}, {-500, -500}, {200, 20}};
    int oldX = carriedPile.x, oldY = carriedPile.y;
    const int oldW = carriedPile.width, oldH = carriedPile.height;
    for (auto [x, y] : steps) {
        recorder.presented.clear();
        const Surface window0 = windowSurface;
        carriedPile.x = x;
        carriedPile.y = y;
        view::redrawMovedPile(carriedPile);
        EXPECT_EQ(tableImage.pixels, table0.pixels);
        EXPECT_EQ(carriedPile.bottom->x, x);
        EXPECT_EQ(carriedPile.top->y, y + 12 * table.fanStep);

        // Exactly the rectangle over both places, cut to the window, changes and is shown.
        const int left = std::max(std::min(oldX, x), 0), top = std::max(std::min(oldY, y), 0);
        const int right = std::min(std::max(oldX, x) + oldW, 640);
        const int bottom = std::min(std::max(oldY, y) + oldH, 480);
        if (right > left && bottom > top) {
            ASSERT_EQ(recorder.presented.size(), 1u);
            EXPECT_EQ(recorder.presented[0], (test::Presented{left, top, right - left, bottom - top}));
        } else {
            EXPECT_TRUE(recorder.presented.empty());
        }
        for (int py = 0; py < 480; ++py)
            for (int px = 0; px < 640; ++px) {
                const bool inRect = px >= left && px < right && py >= top && py < bottom;
                const bool onPile = px >= x && px < x + oldW && py >= y && py < y + oldH;
                if (!inRect) {
                    ASSERT_EQ(windowSurface.at(px, py), window0.at(px, py)) << px << "," << py;
                } else if (!onPile) {
                    ASSERT_EQ(windowSurface.at(px, py), table0.at(px, py)) << px << "," << py;
                }
            }
        // The carried cards are there: strips of backs and the top card.
        const Card& topCard = *carriedPile.top;
        if (topCard.x >= 0 && topCard.y >= 0 && topCard.x + 64 <= 640 && topCard.y + 80 <= 480) {
            EXPECT_EQ(windowSurface.at(topCard.x + 63, topCard.y + 79), cell(prefs.CardBack, 5, 63, 79));
            EXPECT_EQ(windowSurface.at(x + 63, y + 15), cell(prefs.CardBack, 5, 63, 15));
        }
        oldX = x;
        oldY = y;
    }
}

TEST_F(DrawingTest, TopCardOfTheDropTarget) {
    klondike();
    Pile& t = pile(7);
    recorder.presented.clear();
    dropTarget = &t;
    drawTopCardShown(t);
    EXPECT_EQ(tableImage.at(t.top->x + 40, t.top->y + 60), faceOf(*t.top, 40, 60) & kMarked);
    EXPECT_EQ(windowSurface.at(t.top->x + 40, t.top->y + 60), faceOf(*t.top, 40, 60) & kMarked);
    ASSERT_EQ(recorder.presented.size(), 1u);
    EXPECT_EQ(recorder.presented[0], (test::Presented{t.top->x, t.top->y, 64, 80}));
    dropTarget = nullptr;
    drawTopCard(t);  // through the engine's hook
    EXPECT_EQ(windowSurface.at(t.top->x + 40, t.top->y + 60), faceOf(*t.top, 40, 60));
    EXPECT_EQ(tableImage.at(t.top->x + 40, t.top->y + 60), faceOf(*t.top, 40, 60));

    // The top card is drawn face up even when it lies face down.
    Pile& stock = pile(12);
    drawTopCardShown(stock);
    EXPECT_EQ(tableImage.at(stock.x + 5, stock.y + 5), faceOf(*stock.top, 5, 5));

    // Nothing for an empty pile.
    const Surface before = tableImage;
    recorder.presented.clear();
    drawTopCardShown(pile(0));
    EXPECT_EQ(tableImage.pixels, before.pixels);
    EXPECT_TRUE(recorder.presented.empty());
}

TEST_F(DrawingTest, DrawingAllocatesNothing) {
    klondike();
    prefs.Sizes = 1;
    table.editMode = 1;
    Pile& stock = pile(12);
    splitRun(stock, carriedPile, *cardAt(stock, 11));
    layoutPile(stock);
    carriedPile.fan = Fan::Down;
    layoutPile(carriedPile);
    repaintTable();
    const long before = test::allocations();
    for (int i = 0; i < 20; ++i) {
        repaintTable();
        composeTable();
        carriedPile.x = 10 * i;
        carriedPile.y = 7 * i;
        korvat::redrawMovedPile(carriedPile);  // through the engine's hook
        dropTarget = &pile(4);
        drawTopCard(pile(4));
        dropTarget = nullptr;
        drawTopCard(pile(4));
    }
    EXPECT_EQ(test::allocations(), before);
}

TEST_F(DrawingTest, SpiderUsesTheSmallCards) {
    deal(901, 0);
    repaintTable();
    ASSERT_EQ(cardPicture.width, 624);
    ASSERT_EQ(table.cardWidth, 48);
    ASSERT_EQ(table.fanStep, 9);
    // The first tableau: five face-down cards as 9-pixel strips, then a face.
    Pile& t = pile(8);
    ASSERT_EQ(t.count, 6);
    for (Card* c = t.bottom; c != t.top; c = c->above) {
        EXPECT_EQ(shown(c->x + 47, c->y + 8), cell(prefs.CardBack, 5, 47, 8));
        EXPECT_EQ(shown(c->x + 3, c->y + 3), test::testColour(test::testCardIndex(prefs.CardBack, 5, true)));
    }
    EXPECT_EQ(shown(t.top->x + 47, t.top->y + 63), faceOf(*t.top, 47, 63));
    EXPECT_EQ(shown(t.top->x + 47, t.top->y + 64), backPicture.at(
        (prefs.TableBack % 8) * 64 + (t.top->x + 47) % 64, (prefs.TableBack / 8) * 64 + (t.top->y + 64) % 64));
}

// The pictures the program ships, when the build has made them.
TEST_F(DrawingTest, ShippedPicturesDrawTheTable) {
    const std::string shipped = KORVAT_TEST_DATA_DIR;
    if (!std::filesystem::exists(shipped + "/LARGE.PCX")) GTEST_SKIP() << "no pictures in " << shipped;
    for (const char* name : {"LARGE.PCX", "SMALL.PCX", "BACK.PCX", "FONT.PCX"})
        std::filesystem::remove(folder.path() + "/" + name);
    ::setenv("KORVAT_DATA", shipped.c_str(), 1);
    closeGraphics();
    setPlatform(&headless);
    ASSERT_TRUE(startGraphics());
    EXPECT_TRUE(headless.messages.empty());
    ASSERT_TRUE(textFont.loaded);
    klondike();
    const Surface without = tableImage;
    prefs.Sizes = 1;
    repaintTable();
    const Pile& t = pile(10);
    EXPECT_EQ(shown(t.bottom->x + 30, t.bottom->y + 8), cell(prefs.CardBack, 5, 30, 8));
    EXPECT_EQ(shown(t.top->x + 30, t.top->y + 60), faceOf(*t.top, 30, 60));
    // Some ink of the pile size on the stock.
    int ink = 0;
    for (int y = pile(12).y; y < pile(12).y + 16; ++y)
        for (int x = pile(12).x + 28; x < pile(12).x + 44; ++x)
            ink += shown(x, y) == 0 && without.at(x, y) != 0;
    EXPECT_GT(ink, 10);
    deal(901, 0);
    repaintTable();
    EXPECT_EQ(cardPicture.width, 624);
}

}  // namespace
}  // namespace korvat::view
