// The card counter and the completion graph, drawn onto surfaces with the
// test pictures (every card cell has colours of its own, the counter grid
// is index 226, each font character inks one row of its cell), their menu
// commands, and korvat-cli's render-counter and render-graph.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "cli/commands.h"
#include "model/drawing.h"
#include "model/gamelog.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/program.h"
#include "store/logfile.h"
#include "view/counter.h"
#include "view/graph.h"
#include "view/pictures.h"
#include "view/table_drawing.h"
#include "test_support.h"
#include "view_test_support.h"

namespace korvat::view {
namespace {

using test::CliOutput;
using test::runCli;

// ---------------------------------------------------------------- counter

constexpr int kEmptyCell = -1;
constexpr int kMixedCell = -2;

// What cell (column, row) of the counter shows: the face cell (row * 13 +
// column of the card picture) whose corner fills its 12 x 14 piece, or
// kEmptyCell when the piece area shows the grid. The one-pixel margin at the
// cell's left and top and the rest of the cell must always show the grid.
int shownFace(const Surface& s, int column, int row) {
    const uint32_t grid = test::testColour(226);
    const int x0 = column * 14, y0 = row * 16;
    for (int y = y0; y < y0 + 16; ++y)
        for (int x = x0; x < x0 + 14; ++x) {
            const bool inPiece = x > x0 && x <= x0 + 12 && y > y0 && y <= y0 + 14;
            if (!inPiece && s.at(x, y) != grid) return kMixedCell;
        }
    const uint32_t first = s.at(x0 + 1, y0 + 1);
    for (int y = y0 + 1; y <= y0 + 14; ++y)
        for (int x = x0 + 1; x <= x0 + 12; ++x)
            if (s.at(x, y) != first) return kMixedCell;
    if (first == grid) return kEmptyCell;
    for (int k = 1; k <= 52; ++k)
        if (first == test::testColour(k)) return k - 1;  // the top left quarter of face cell k - 1
    return kMixedCell;
}

// The cells that show a piece, as card values (column * 4 + row).
std::set<int> filledCells(const Surface& s) {
    std::set<int> filled;
    for (int column = 0; column < 13; ++column)
        for (int row = 0; row < 4; ++row) {
            const int face = shownFace(s, column, row);
            EXPECT_NE(face, kMixedCell) << "cell " << column << "," << row;
            if (face >= 0) filled.insert(column * 4 + row);
        }
    return filled;
}

Surface counterImage() {
    Surface s;
    s.allocate(kCounterWidth, kCounterHeight);
    drawCounter(s);
    return s;
}

std::set<int> faceDownIn(const Pile& p) {
    std::set<int> v;
    for (const Card* c = p.bottom; c; c = c->above)
        if (c->faceDown == kFaceDown) v.insert(c->value);
    return v;
}

Pile* firstPileWith(uint32_t flag, bool set) {
    for (Pile* p = currentGame->layout; p; p = p->next)
        if (((p->flags & flag) != 0) == set) return p;
    return nullptr;
}

class CounterTest : public test::TableTest {
protected:
    test::ScratchFolder folder;
    void SetUp() override {
        TableTest::SetUp();
        test::writeTestPictures(folder.path());
        ASSERT_TRUE(startGraphics());
        countStock = 0;
    }
    void TearDown() override {
        countStock = 0;
        table.counterOpen = 0;
        drawingHooks = {};
        closeGraphics();
        TableTest::TearDown();
    }
};

TEST_F(CounterTest, KlondikeShowsTheFaceDownCardsOfTheTableauOrOfTheStock) {
    deal(827, 0);
    Pile* stock = firstPileWith(PileFlags::stock, true);
    ASSERT_NE(stock, nullptr);
    const std::set<int> inStock = faceDownIn(*stock);
    ASSERT_EQ(inStock.size(), 24u);

    // Count stock off: the 21 hidden cards of the tableau, none of the stock.
    const Surface tableau = counterImage();
    const std::set<int> shownTableau = filledCells(tableau);
    EXPECT_EQ(shownTableau.size(), 21u);
    for (int v : shownTableau) EXPECT_EQ(inStock.count(v), 0u) << v;

    // Count stock on: exactly the stock's cards.
    countStock = 1;
    const Surface stockShown = counterImage();
    EXPECT_EQ(filledCells(stockShown), inStock);

    // Each piece is the corner of the card's own face: with rank 0 the ace,
    // column and row in the counter are those of the face cell.
    for (int column = 0; column < 13; ++column)
        for (int row = 0; row < 4; ++row) {
            const int face = shownFace(stockShown, column, row);
            if (face >= 0) {
                EXPECT_EQ(face, row * 13 + column);
            }
        }
    // The seven face-up tableau tops are shown in neither.
    std::set<int> seen = shownTableau;
    seen.insert(inStock.begin(), inStock.end());
    EXPECT_EQ(seen.size(), 45u);
}

TEST_F(CounterTest, AcesHighPutsTwosFirstAndAcesLastEachWithItsOwnFace) {
    emptyTable(833);  // Aces Up: aces rank high
    ASSERT_EQ(table.baseRank, 1);
    Pile* tableau = firstPileWith(PileFlags::stock, false);
    ASSERT_NE(tableau, nullptr);
    put(*tableau, 0, kFaceDown);       // the two of suit 0: lowest rank
    put(*tableau, 48 + 2, kFaceDown);  // the ace of suit 2: highest rank
    put(*tableau, 5, kFaceUp);         // face up: never counted
    put(*tableau, 9, kSelected);       // chosen for a discard: face up too
    const Surface s = counterImage();
    EXPECT_EQ(shownFace(s, 0, 0), 0 * 13 + 1) << "the two's corner in column 0";
    EXPECT_EQ(shownFace(s, 12, 2), 2 * 13 + 0) << "the ace's corner in column 12";
    EXPECT_EQ(filledCells(s), (std::set<int>{0, 50}));
}

TEST_F(CounterTest, SmallCardGamesTakeTheCornersFromTheSmallCells) {
    emptyTable(814);  // Baker's Dozen: one deck, small cards
    ASSERT_EQ(cardPicture.width, kSmallCardsWidth);
    Pile* tableau = firstPileWith(PileFlags::stock, false);
    // Cells far to the right and low in the picture: taken at large-card
    // places they would come from other cells or from outside the picture.
    put(*tableau, 40, kFaceDown);  // rank 10, suit 0
    put(*tableau, 27, kFaceDown);  // rank 6, suit 3
    put(*tableau, 51, kFaceDown);  // rank 12, suit 3
    const Surface s = counterImage();
    EXPECT_EQ(shownFace(s, 10, 0), 0 * 13 + 10);
    EXPECT_EQ(shownFace(s, 6, 3), 3 * 13 + 6);
    EXPECT_EQ(shownFace(s, 12, 3), 3 * 13 + 12);
    EXPECT_EQ(filledCells(s).size(), 3u);
}

TEST_F(CounterTest, TwoAndFourDeckGamesShowOnlyTheGrid) {
    for (int id : {901, 700}) {
        deal(id, 3);
        ASSERT_NE(table.deckSize, 52);
        for (int stock : {0, 1}) {
            countStock = stock;
            const Surface s = counterImage();
            for (int y = 0; y < kCounterHeight; ++y)
                for (int x = 0; x < kCounterWidth; ++x)
                    ASSERT_EQ(s.at(x, y), test::testColour(226)) << id << " at " << x << "," << y;
        }
    }
}

TEST_F(CounterTest, TableRepaintsRefreshTheOpenCounterOnly) {
    static Surface shown;
    static int refreshes;
    shown.allocate(kCounterWidth, kCounterHeight);
    refreshes = 0;
    void (*before)() = refreshCounter;
    refreshCounter = [] {
        ++refreshes;
        drawCounter(shown);
    };
    deal(827, 0);
    Pile* stock = firstPileWith(PileFlags::stock, true);
    const int top = stock->top->value;

    table.counterOpen = 0;
    repaintTable();
    EXPECT_EQ(refreshes, 0);

    table.counterOpen = 1;
    countStock = 1;
    repaintTable();
    EXPECT_EQ(refreshes, 1);
    EXPECT_GE(shownFace(shown, top >> 2, top & 3), 0);

    // Turning the stock's top card onto the waste: after the repaint its cell is empty.
    pressAt(stock->x + table.cardWidth / 2, stock->y + table.cardHeight / 2);
    release();
    ASSERT_NE(stock->top->value, top);
    repaintTable();
    EXPECT_EQ(shownFace(shown, top >> 2, top & 3), kEmptyCell);
    EXPECT_EQ(filledCells(shown).size(), 23u);
    refreshCounter = before;
}

TEST_F(CounterTest, DrawingIsCutToTheSurface) {
    deal(827, 0);
    for (auto [w, h] : {std::pair{20, 10}, std::pair{1, 1}, std::pair{0, 0}, std::pair{400, 300}}) {
        Surface s;
        s.allocate(w, h);
        drawCounter(s);
        if (w >= kCounterWidth) {
            EXPECT_EQ(s.at(kCounterWidth, 0), 0u) << "nothing right of the grid";
            EXPECT_EQ(s.at(0, kCounterHeight), 0u) << "nothing below the grid";
        }
    }
}

// ------------------------------------------------------------------ graph

// The ink rows of the test font along a line of text: for each character
// cell, the row (0..15) that is inked across the whole cell, or -1.
std::vector<int> inkRows(const Surface& s, int x, int y, size_t count) {
    std::vector<int> rows;
    for (size_t i = 0; i < count; ++i) {
        int found = -1;
        const int cx = x + static_cast<int>(i) * 8;
        for (int r = 0; r < 16 && y + r < s.height; ++r) {
            bool full = true;
            for (int k = 0; k < 8; ++k) full = full && s.at(cx + k, y + r) == kGraphBarColour;
            if (full) found = r;
        }
        rows.push_back(found);
    }
    return rows;
}
std::vector<int> expectedRows(const std::string& text) {
    std::vector<int> rows;
    for (char c : text) rows.push_back(c == ' ' ? -1 : (c - 32) % 16);
    return rows;
}

// The height of the black bar standing on y 225 at x, checked across its
// six columns; -1 when the columns differ.
int barHeight(const Surface& s, int x) {
    int height = -1;
    for (int k = 0; k < kGraphBarWidth; ++k) {
        int h = 0;
        while (225 - h - 1 >= 0 && s.at(x + k, 225 - h - 1) == kGraphBarColour) ++h;
        if (k > 0 && h != height) return -1;
        height = h;
    }
    return height;
}

class GraphTest : public test::GameTest {
protected:
    test::ScratchFolder folder;
    int next = 0;
    int klondikeRow = 0;
    void SetUp() override {
        GameTest::SetUp();
        test::writeTestPictures(folder.path());
        ASSERT_TRUE(startGraphics());
        deal(827, 0);
        klondikeRow = table.gameIndex;
    }
    void TearDown() override {
        drawingHooks = {};
        closeGraphics();
        GameTest::TearDown();
    }
    void log(int gameIndex, int32_t status) {
        LogEntry& e = gameLog[static_cast<size_t>(next)];
        e.gameNumber = static_cast<uint32_t>(next);
        e.gameIndex = gameIndex;
        e.status = status;
        ++next;
    }
    // The graph as the window draws it: logMatchCount taken as the command does.
    Surface graph() {
        table.logMatchCount = countLogEntries();
        Surface s;
        s.allocate(kGraphWidth, kGraphHeight);
        drawGraph(s);
        return s;
    }
    static std::vector<int> bars(const Surface& s, int count) {
        std::vector<int> h;
        for (int i = 0; i < count; ++i) h.push_back(barHeight(s, 50 + 8 * i));
        return h;
    }
};

TEST_F(GraphTest, TitleGridAndLabels) {
    log(klondikeRow, LogStatus::Started);
    const Surface s = graph();
    const std::string title = "Completion % for Klondike";
    EXPECT_EQ(inkRows(s, 10, 2, title.size() + 1), expectedRows(title + " "));
    for (int n = 100, y = 25; n >= 0; n -= 10, y += 20) {
        char label[8];
        std::snprintf(label, sizeof label, "%3d%%", n);
        EXPECT_EQ(inkRows(s, 5, y - 5, 4), expectedRows(label)) << n;
    }
    const uint32_t red = kGraphGridColour, grey = kGraphGround;
    // Vertical lines x = 45, 53, ... 453 from y 25 to 225; horizontal lines
    // y = 25, 45, ... 225 from x 45 to 453; light grey everywhere else (the
    // one deal was not completed: its bar has no height).
    for (int x = 40; x < kGraphWidth; ++x)
        for (int y = 20; y < kGraphHeight; ++y) {
            const bool vertical = x >= 45 && x <= 453 && (x - 45) % 8 == 0 && y >= 25 && y <= 225;
            const bool horizontal = y >= 25 && y <= 225 && (y - 25) % 20 == 0 && x >= 45 && x <= 453;
            ASSERT_EQ(s.at(x, y), vertical || horizontal ? red : grey) << x << "," << y;
        }
    for (int x = 0; x < kGraphWidth; ++x) EXPECT_EQ(s.at(x, 0), grey);
}

TEST_F(GraphTest, BarsAreTheRunningCompletionPercentage) {
    log(klondikeRow, LogStatus::Completed);
    Surface s = graph();
    EXPECT_EQ(barHeight(s, 50), 200);  // y 25 to 224
    EXPECT_EQ(s.at(53, 25), kGraphBarColour) << "over the grid line";
    EXPECT_EQ(s.at(50, 225), kGraphGridColour) << "the bar stands on the 0 % line";
    EXPECT_EQ(s.at(50, 24), kGraphGround);
    EXPECT_EQ(barHeight(s, 58), 0);

    // Three deals, the second completed: 0, 100 and 66 (rounded down).
    resetLog();
    next = 0;
    log(klondikeRow, LogStatus::Started);
    log(klondikeRow, LogStatus::Completed);
    log(klondikeRow, LogStatus::Started);
    s = graph();
    EXPECT_EQ(bars(s, 4), (std::vector<int>{0, 100, 66, 0}));
    EXPECT_EQ(s.at(58, 125), kGraphBarColour) << "the 100-pixel bar covers the 50 % line";
    EXPECT_EQ(s.at(58, 124), kGraphGround);
}

TEST_F(GraphTest, OtherGamesAndFreeEntriesAreSkipped) {
    const int other = klondikeRow + 1;
    log(other, LogStatus::Completed);
    log(klondikeRow, LogStatus::Started);
    log(other, LogStatus::Started);
    log(klondikeRow, LogStatus::Free);  // a free entry naming this game
    log(klondikeRow, LogStatus::Completed);
    log(0, LogStatus::Free);
    log(klondikeRow, LogStatus::Completed);
    const Surface s = graph();
    EXPECT_EQ(table.logMatchCount, 3);
    EXPECT_EQ(bars(s, 4), (std::vector<int>{0, 100, 133, 0}));
}

TEST_F(GraphTest, SixtyDealsShowTheLastFifty) {
    // The first ten completed, the rest not: the 11th deal stands at
    // 10 / 11, the 60th at 10 / 60.
    for (int i = 0; i < 60; ++i) log(klondikeRow, i < 10 ? LogStatus::Completed : LogStatus::Started);
    const Surface s = graph();
    const std::vector<int> h = bars(s, 51);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(h[static_cast<size_t>(i)], 200 * 10 / (11 + i)) << "bar " << i;
    EXPECT_EQ(h[50], 0);
    EXPECT_EQ(barHeight(s, 442), 33);
    for (int y = 0; y < 225; ++y)
        for (int x = 448; x < kGraphWidth; ++x) ASSERT_NE(s.at(x, y), kGraphBarColour) << x << "," << y;
}

TEST_F(GraphTest, ACountTakenForAnotherGameStillGivesTheLastFiftyOfThisOne) {
    // The window took its count when it opened for a game with 5 deals; the
    // player then chose a game with 60. Its next drawing still shows the last
    // 50 deals of the game in the title, within the grid.
    const int other = klondikeRow + 1;
    for (int i = 0; i < 5; ++i) log(other, LogStatus::Completed);
    for (int i = 0; i < 60; ++i) log(klondikeRow, LogStatus::Completed);
    table.logMatchCount = 5;
    Surface s;
    s.allocate(kGraphWidth, kGraphHeight);
    drawGraph(s);
    EXPECT_EQ(barHeight(s, 50), 200);
    EXPECT_EQ(barHeight(s, 442), 200);
    for (int x = 450; x < kGraphWidth; ++x) ASSERT_NE(s.at(x, 100), kGraphBarColour) << x;
}

TEST_F(GraphTest, DrawingIsCutToTheSurface) {
    for (int i = 0; i < 60; ++i) log(klondikeRow, LogStatus::Completed);
    for (auto [w, h] : {std::pair{100, 50}, std::pair{1, 1}, std::pair{0, 0}, std::pair{460, 230}}) {
        Surface s;
        s.allocate(w, h);
        drawGraph(s);
        if (w > 0 && h > 0) {
            EXPECT_EQ(s.at(0, 0), kGraphGround);
        }
    }
    // A long game name runs off the right edge.
    static char longName[200];
    std::memset(longName, 'W', sizeof longName - 1);
    const char* name = currentGame->name;
    currentGame->name = longName;
    Surface s;
    s.allocate(kGraphWidth, kGraphHeight);
    drawGraph(s);
    currentGame->name = name;
    EXPECT_EQ(s.at(kGraphWidth - 1, 2 + ('W' - 32) % 16), kGraphBarColour);
}

// --------------------------------------------------------------- commands

int openedCounters = 0, openedGraphs = 0;

class WindowCommandTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        deal(827, 0);
        openedCounters = openedGraphs = 0;
        shellHooks.openCounter = [] { ++openedCounters; };
        shellHooks.openGraph = [] { ++openedGraphs; };
    }
    void TearDown() override {
        shellHooks = {};
        table.counterOpen = table.graphOpen = 0;
        GameTest::TearDown();
    }
};

TEST_F(WindowCommandTest, CardCounterOpensOnceAndOnlyWhenAllowed) {
    prefs.AllowCounter = 0;
    runCommand(Command::CardCounter);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].caption, "WAIT!");
    EXPECT_EQ(headless.messages[0].text, "This feature has been disabled.  Go to preferences to enable this feature.");
    EXPECT_EQ(openedCounters, 0);

    prefs.AllowCounter = -1;
    runCommand(Command::CardCounter);
    EXPECT_EQ(openedCounters, 1);
    table.counterOpen = 1;
    runCommand(Command::CardCounter);
    EXPECT_EQ(openedCounters, 1);
    EXPECT_EQ(headless.messages.size(), 1u);
}

TEST_F(WindowCommandTest, GraphNeedsLoggedDealsOfThisGame) {
    // A deal of another game only.
    gameLog[0] = {7, table.gameIndex + 1, LogStatus::Completed, {}};
    runCommand(Command::Graph);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].caption, "CANNOT MAKE GRAPH.");
    EXPECT_EQ(headless.messages[0].text, "Not enough data for graph.");
    EXPECT_EQ(headless.messages[0].style & Mb::IconMask, Mb::IconStop);
    EXPECT_EQ(openedGraphs, 0);

    gameLog[1] = {8, table.gameIndex, LogStatus::Started, {}};
    gameLog[2] = {9, table.gameIndex, LogStatus::Completed, {}};
    runCommand(Command::Graph);
    EXPECT_EQ(openedGraphs, 1);
    EXPECT_EQ(table.logMatchCount, 2);

    // While it is open the command does nothing, not even recount.
    table.graphOpen = 1;
    gameLog[3] = {10, table.gameIndex, LogStatus::Started, {}};
    runCommand(Command::Graph);
    EXPECT_EQ(openedGraphs, 1);
    EXPECT_EQ(table.logMatchCount, 2);
    EXPECT_EQ(headless.messages.size(), 1u);
}

// -------------------------------------------------------------- korvat-cli

Surface readPng(const std::string& path) {
    QImage image(QString::fromStdString(path));
    Surface s;
    s.allocate(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) s.row(y)[x] = image.pixel(x, y) & 0xFFFFFFu;
    return s;
}

class CliWindowsTest : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    void SetUp() override { test::writeTestPictures(folder.path()); }
    void TearDown() override {
        drawingHooks = {};
        countStock = 0;
        closeGraphics();
        setPlatform(nullptr);
    }
};

TEST_F(CliWindowsTest, RenderCounterAfterTheActions) {
    CliOutput o = runCli({"render-counter", "827", "0", "counter.png"});
    ASSERT_EQ(o.status, 0) << o.err;
    Surface s = readPng("counter.png");
    ASSERT_EQ(s.width, 182);
    ASSERT_EQ(s.height, 64);
    EXPECT_EQ(filledCells(s).size(), 21u);

    // The stock, after one card was turned onto the waste.
    o = runCli({"render-counter", "827", "0", "stock.png", "--count-stock", "click:12"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(filledCells(readPng("stock.png")).size(), 23u);

    o = runCli({"render-counter", "827", "0", "off.png", "--pref", "AllowCounter=0"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("WAIT!"), std::string::npos);
    EXPECT_EQ(runCli({"render-counter", "827", "0"}).status, 2);
    EXPECT_EQ(runCli({"render-counter", "827", "0", "x.png", "--count"}).status, 2);
}

TEST_F(CliWindowsTest, RenderGraphFromALogFile) {
    selectGame(827);
    const int row = table.gameIndex;
    GameLog log{};
    log[0] = {1, row + 1, LogStatus::Completed, {}};
    log[1] = {2, row, LogStatus::Completed, {}};
    log[2] = {3, row, LogStatus::Started, {}};
    std::string error;
    ASSERT_TRUE(writeLogFile("LOG.DAT", log, error)) << error;
    resetLog();

    CliOutput o = runCli({"render-graph", "--log", "LOG.DAT", "827", "graph.png"});
    ASSERT_EQ(o.status, 0) << o.err;
    const Surface s = readPng("graph.png");
    ASSERT_EQ(s.width, 474);
    ASSERT_EQ(s.height, 235);
    EXPECT_EQ(barHeight(s, 50), 200);
    EXPECT_EQ(barHeight(s, 58), 100);
    EXPECT_EQ(barHeight(s, 66), 0);
    EXPECT_EQ(inkRows(s, 10, 2, 4), expectedRows("Comp"));

    o = runCli({"render-graph", "--log", "LOG.DAT", "833", "none.png"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Not enough data for graph."), std::string::npos);
    o = runCli({"render-graph", "--log", "MISSING.DAT", "827", "none.png"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(runCli({"render-graph", "827", "g.png"}).status, 2);
    EXPECT_EQ(runCli({"render-graph", "--log", "LOG.DAT", "1", "g.png"}).status, 2);
    EXPECT_EQ(runCli({"render-graph", "--log", "LOG.DAT", "827"}).status, 2);
}

}  // namespace
}  // namespace korvat::view
