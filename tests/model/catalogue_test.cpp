// The catalogue rows, the layout notation and selecting a game.
#include <cstring>
#include <set>
#include <string>

#include "test_support.h"

namespace korvat::test {
namespace {

// The definition words of a pile, for compact comparisons.
struct Def {
    int column, row, deal, down, limit, fan, accept, rank, suit, start, removal;
    unsigned flags;
    bool operator==(const Def&) const = default;
};

Def defOf(const Pile& p) {
    return {p.column,    p.row,       p.dealCount, p.faceDownCount, p.sizeLimit, p.fan,
            p.acceptCount, p.rankBuild, p.suitBuild, p.startCard,   p.removal,   p.flags};
}

std::ostream& operator<<(std::ostream& os, const Def& d) {
    return os << "{" << d.column << "," << d.row << " deal " << d.deal << "/" << d.down << " L" << d.limit
              << " fan " << d.fan << " acc " << d.accept << " rank " << d.rank << " suit " << d.suit
              << " start " << d.start << " rem " << d.removal << " flags 0x" << std::hex << d.flags
              << std::dec << "}";
}

const GameEntry& game(int commandId) {
    int row = findGameRow(commandId);
    EXPECT_GE(row, 0);
    return gameCatalogue()[static_cast<size_t>(row)];
}

TEST(Catalogue, RowsIdsAndFlagsAsCatalogued) {
    GameCatalogue& games = gameCatalogue();
    std::set<int> ids;
    int piles = 0;
    for (const GameEntry& g : games) {
        EXPECT_TRUE(ids.insert(g.commandId).second) << g.commandId;
        int id = g.commandId;
        bool inRange = (id >= 500 && id <= 512) || (id >= 600 && id <= 603) || (id >= 700 && id <= 701) ||
                       (id >= 800 && id <= 856) || (id >= 900 && id <= 936);
        EXPECT_TRUE(inRange) << id;
        EXPECT_GE(g.pileCount, 6);
        EXPECT_LE(g.pileCount, 43);
        EXPECT_EQ(g.ruleFlags & ~0x1FFFFu, 0u) << g.name;
        piles += g.pileCount;
    }
    EXPECT_EQ(ids.size(), 113u);
    EXPECT_EQ(piles, 1893);
    // Rows stored in the game log must keep finding their games.
    EXPECT_EQ(findGameRow(901), 109);
    EXPECT_EQ(findGameRow(827), 48);
    EXPECT_EQ(findGameRow(506), 0);
    EXPECT_EQ(findGameRow(923), 112);
    EXPECT_EQ(findGameRow(12345), -1);
    // Names as the title bar spells them.
    EXPECT_STREQ(games[19].name, "Aces up");
    EXPECT_STREQ(games[22].name, "Bakers Dozen");
    EXPECT_STREQ(games[67].name, "Tam O'Shanter");
    EXPECT_STREQ(games[78].name, "Blondes & Brunettes");
    EXPECT_STREQ(games[41].name, "Fortunes Favor");
    EXPECT_STREQ(games[72].name, "Westclif");
    // The three games with several deck forms.
    EXPECT_STREQ(games[1].name, "Copper Kettle");
    EXPECT_STREQ(games[13].name, "Copper Kettle");
    EXPECT_STREQ(games[17].name, "Copper Kettle");
    EXPECT_EQ(games[17].ruleFlags, 0x18u);
    EXPECT_EQ(games[37].ruleFlags, 0xC000u);
    EXPECT_EQ(games[38].ruleFlags, 0x10800u);
    EXPECT_EQ(games[89].ruleFlags, 0x86u);
}

TEST(Catalogue, KlondikeLayoutInFull) {
    const GameEntry& g = game(827);
    ASSERT_EQ(g.pileCount, 13);
    const int aces[] = {0, 2, 3, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(defOf(g.layout[i]), (Def{5 + 2 * i, 0, 0, 0, 0, -1, 0, 0, 2, aces[i], -1, 0x800000})) << i;
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(defOf(g.layout[4 + i]), (Def{2 + 2 * i, 2, 1 + i, i, 0, 1, -2, 1, 1, 52, 1, 0x40000})) << i;
    EXPECT_EQ(defOf(g.layout[11]), (Def{9, 8, 0, 0, 0, -1, -1, -1, -1, -1, 4, 0x40048}));
    EXPECT_EQ(defOf(g.layout[12]), (Def{7, 8, 24, 24, 0, -1, -1, -1, -1, -1, -1, 0x220004}));
}

TEST(Catalogue, NotationFormsParseToTheirValues) {
    // Spider: columns listed pile by pile, deal lists.
    const GameEntry& spider = game(901);
    EXPECT_EQ(defOf(spider.layout[4]), (Def{24, 0, 0, 0, 0, -1, -1, -1, -1, -1, -1, 0x800000}));
    EXPECT_EQ(defOf(spider.layout[11]), (Def{9, 0, 6, 5, 0, 1, -2, 1, -2, -2, 2, 0x4008}));
    EXPECT_EQ(defOf(spider.layout[17]), (Def{21, 0, 5, 4, 0, 1, -2, 1, -2, -2, 2, 0x4008}));
    EXPECT_EQ(defOf(spider.layout[18]), (Def{0, 11, 50, 50, 0, -1, -1, -1, -1, -1, -1, 0x4}));
    // Marble Steps: a column of rows with a step, a face-card start, a size limit.
    const GameEntry& steps = game(512);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(defOf(steps.layout[11 + i]), (Def{15, 1 + 2 * i, 0, 0, 3, 0, 0, 1, -2, 55, 4, 0x40000}));
    // Copper Kettle: a list of deal counts per pile.
    const GameEntry& kettle = game(503);
    EXPECT_EQ(defOf(kettle.layout[11]), (Def{16, 8, 17, 17, 0, -1, -1, -1, -1, -1, -1, 0x4}));
    EXPECT_EQ(defOf(kettle.layout[12]), (Def{0, 8, 14, 14, 0, -1, -1, -1, -1, -1, -1, 0x4}));
    // Agnes: one value per pile in the deal list.
    const GameEntry& agnes = game(828);
    EXPECT_EQ(agnes.layout[0].dealCount, 1);
    EXPECT_EQ(agnes.layout[1].dealCount, 0);
    EXPECT_EQ(agnes.layout[0].removal, -1);
    // Birchwood with four decks: a sixteen-card start list and counting ranges.
    const GameEntry& birch = game(701);
    EXPECT_EQ(birch.layout[15].startCard, 1);  // the last ace of clubs
    EXPECT_EQ(birch.layout[15].column, 19);
    EXPECT_EQ(birch.layout[15].row, 2);
    EXPECT_EQ(defOf(birch.layout[28]), (Def{24, 4, 18, 17, 0, 1, -2, 1, 1, 52, 5, 0x40000}));
    EXPECT_EQ(defOf(birch.layout[33]), (Def{0, 11, 16, 0, 0, 0, -1, -1, -1, -1, -1, 0x448000}));
    // Elevens: nine groupable piles that are filled from the stock.
    const GameEntry& elevens = game(840);
    EXPECT_EQ(elevens.ruleFlags, 0x2400u);
    EXPECT_EQ(defOf(elevens.layout[8]), (Def{10, 6, 1, 0, 0, -1, -1, -1, -1, -1, -1, 0x10000002}));
    EXPECT_EQ(defOf(elevens.layout[9]), (Def{4, 4, 43, 0, 0, -1, -1, -1, -1, -1, -1, 0x1}));
}

TEST(Catalogue, EveryLayoutDealsItsWholeDeck) {
    for (const GameEntry& g : gameCatalogue()) {
        int total = 0;
        for (int i = 0; i < g.pileCount; ++i) {
            total += g.layout[i].dealCount;
            EXPECT_LE(g.layout[i].faceDownCount, g.layout[i].dealCount) << g.name;
        }
        int deck = (g.ruleFlags & 0x8) ? 208 : (g.ruleFlags & 0x4) ? 104 : 52;
        EXPECT_EQ(total, deck) << g.name << " " << g.commandId;
    }
}

// A malformed layout is refused with a message naming the row.
std::string parseError(const std::string& text) {
    static GameCatalogue games;
    static Pile piles[4096];
    char error[256] = "";
    EXPECT_FALSE(parseLayouts(text.c_str(), games, piles, 4096, error, sizeof error)) << text;
    return error;
}

std::string withRow7Line(const std::string& replacement) {
    std::string text = layoutText();
    const std::string line = "  9x 0..16:2,2 | 1/0 | vgds * s L5 | 40002";
    size_t at = text.find(line);
    EXPECT_NE(at, std::string::npos);
    text.replace(at, line.size(), replacement);
    return text;
}

TEST(Catalogue, MalformedLayoutsNameTheRow) {
    char error[256];
    static GameCatalogue games;
    static Pile piles[4096];
    ASSERT_TRUE(parseLayouts(layoutText(), games, piles, 4096, error, sizeof error)) << error;

    for (const char* bad : {
             "  9x 0..16:2,2 | 1/0 | zgds * s L5 | 40002",   // unknown fan letter
             "  9x 0..16:2,2 | 1/0 | vgds * s L5 | 4000g",   // flags not hexadecimal
             "  9x 0..14:2,2 | 1/0 | vgds * s L5 | 40002",   // eight positions for nine piles
             "  9x 0..16:2,2 | 1,2/0 | vgds * s L5 | 40002",  // two deal counts for nine piles
             "  9x 0..16:2,2 | 1/0 | vgds ZZ s L5 | 40002",  // no such start card
             "  9x 0..16:2,2 | 1/0 | vgds * s L | 40002",    // limit without a number
             "  9x 0..16:2,2 | 1/0 | vgds * s L5",           // flags missing
             "  8x 0..14:2,2 | 1/0 | vgds * s L5 | 40002",   // one pile short of the header
             "  9x 0..16:2,2 | 2/0 | vgds * s L5 | 40002",   // deals more cards than the deck
             "  9x 0..16:2,2 | 1/2 | vgds * s L5 | 40002",   // more face down than dealt
         }) {
        std::string error = parseError(withRow7Line(bad));
        EXPECT_NE(error.find("row 7 (Velvet Rope)"), std::string::npos) << bad << " -> " << error;
    }
    std::string text = layoutText();
    text.replace(text.find("game 12 |"), 9, "game 14 |");
    EXPECT_NE(parseError(text).find("row 12"), std::string::npos);
    text = layoutText();
    text.resize(text.find("game 112 |"));
    EXPECT_NE(parseError(text).find("row 112"), std::string::npos);
}

class SelectGame : public GameTest {};

int pictureSwaps = 0;
bool lastSmall = false;

TEST_F(SelectGame, DerivesTheTableFromTheRuleFlags) {
    drawingHooks.useCardPictures = [](bool small) {
        ++pictureSwaps;
        lastSmall = small;
    };
    gameNumber = 777;
    selectGame(827);
    EXPECT_EQ(pictureSwaps, 0) << "the large pictures are loaded at start-up";
    EXPECT_EQ(table.gameIndex, 48);
    EXPECT_EQ(table.deckSize, 52);
    EXPECT_EQ(table.redealsLeft, 2);
    EXPECT_EQ(table.cardWidth, 64);
    EXPECT_EQ(table.fanStep, 16);
    EXPECT_EQ(table.maxColumn, 16);
    EXPECT_EQ(table.maxRow, 8);

    selectGame(901);  // Spider: two decks, small cards
    EXPECT_EQ(pictureSwaps, 1);
    EXPECT_TRUE(lastSmall);
    EXPECT_EQ(table.smallCards, 1);
    EXPECT_EQ(table.cardWidth, 48);
    EXPECT_EQ(table.cardHeight, 64);
    EXPECT_EQ(table.fanStep, 9);
    EXPECT_EQ(table.maxColumn, 24);
    EXPECT_EQ(table.maxRow, 11);
    EXPECT_EQ(table.deckSize, 104);
    EXPECT_EQ(table.redealsLeft, -1) << "no redeal bit means unlimited";

    selectGame(700);  // small again: no swap
    EXPECT_EQ(pictureSwaps, 1);
    EXPECT_EQ(table.deckSize, 208);

    selectGame(833);  // Aces up: back to large cards, aces high
    EXPECT_EQ(pictureSwaps, 2);
    EXPECT_FALSE(lastSmall);
    EXPECT_EQ(table.smallCards, 0);
    EXPECT_EQ(table.maxColumn, 16);
    EXPECT_EQ(table.baseRank, 1);
    selectGame(853);  // Captive Queens: queens high
    EXPECT_EQ(table.baseRank, 12);
    EXPECT_EQ(gameNumber, 777u) << "selecting never draws a game number";
    drawingHooks.useCardPictures = nullptr;
}

TEST_F(SelectGame, UnlimitedRedealsAndUnknownIds) {
    prefs.Unlimit = -1;
    selectGame(848);  // Puss in Corner: one redeal
    EXPECT_EQ(table.redealsLeft, -1);
    prefs.Unlimit = 0;
    selectGame(848);
    EXPECT_EQ(table.redealsLeft, 1);
    EXPECT_EQ(table.gameIndex, 55);

    table.undoCount = 5;
    table.won = 1;
    editPile = 3;
    selectGame(4242);  // a damaged LastGame
    EXPECT_EQ(currentGame, &gameCatalogue()[0]);
    EXPECT_EQ(table.gameIndex, 0) << "the row index follows the row selected";
    EXPECT_EQ(table.undoCount, 0);
    EXPECT_EQ(table.won, 0);
    EXPECT_EQ(editPile, 0);
    EXPECT_EQ(headless.title, "Salt Marsh    Not started");
}

}  // namespace
}  // namespace korvat::test
