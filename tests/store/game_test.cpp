// Saved games: the byte layout, reading back every game as it was saved,
// refusing bad files without touching anything, and the File commands.
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "model/gamelog.h"
#include "model/score.h"
#include "play/autoplay.h"
#include "core/legality.h"
#include "play/current.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "play/redo.h"
#include "shell/file_commands.h"
#include "shell/menu.h"
#include "shell/program.h"
#include "store/gamefile.h"
#include "store/logfile.h"
#include "store/persistence.h"
#include "store_test_support.h"
#include "test_support.h"

namespace korvat::test {
namespace {

// ---- Views of the table ----

// Every pile's cards and face states, the history and the definitions of
// the current game, as text (so that a difference is readable).
std::string gameText() {
    std::string s = std::to_string(currentGame->commandId) + " #" + std::to_string(gameNumber) +
                    " base " + std::to_string(table.baseRank) + "\n";
    int i = 0;
    for (const Pile* p = currentGame->layout; p; p = p->next, ++i) {
        s += "pile " + std::to_string(i) + " at " + std::to_string(p->x) + "," + std::to_string(p->y) + " [" +
             std::to_string(p->column) + " " + std::to_string(p->row) + " " + std::to_string(p->dealCount) + " " +
             std::to_string(p->faceDownCount) + " " + std::to_string(p->sizeLimit) + " " + std::to_string(p->fan) +
             " " + std::to_string(p->acceptCount) + " " + std::to_string(p->rankBuild) + " " +
             std::to_string(p->suitBuild) + " " + std::to_string(p->startCard) + " " + std::to_string(p->removal) +
             " " + std::to_string(p->flags) + "] count " + std::to_string(p->count) + ":";
        for (const Card* c = p->bottom; c; c = c->above)
            s.append(" ").append(std::to_string(c->value)).append("/").append(std::to_string(c->faceDown));
        s += "\n";
    }
    s += "history " + std::to_string(table.undoCount) + ":";
    for (int k = 0; k < table.undoCount && k < kUndoEntries; ++k) {
        const UndoEntry& e = undoBuffer[static_cast<size_t>(k)];
        s += " (" + std::to_string(e.targetIndex) + "," + std::to_string(e.sourceIndex) + "," +
             std::to_string(e.targetCount) + "," + std::to_string(e.chained) + ")";
    }
    return s;
}

template <typename T>
void appendRaw(std::vector<uint8_t>& out, const T& object) {
    const auto* p = reinterpret_cast<const uint8_t*>(&object);
    out.insert(out.end(), p, p + sizeof(T));
}

// Everything a refused file must leave alone, byte for byte: the table
// state, the deck, the history, the log, every pile record of every game,
// the selected game and its numbers.
std::vector<uint8_t> wholeState() {
    std::vector<uint8_t> out;
    appendRaw(out, table);
    appendRaw(out, deck);
    appendRaw(out, undoBuffer);
    appendRaw(out, gameLog);
    for (const GameEntry& g : gameCatalogue())
        for (int i = 0; i < g.pileCount; ++i) appendRaw(out, g.layout[i]);
    appendRaw(out, currentGame);
    appendRaw(out, gameNumber);
    appendRaw(out, dealRandom.state);
    appendRaw(out, editPile);
    return out;
}

Pile& pileOf(int index) { return *pileAt(index); }

// A pile record of any game's layout, whether or not that game is dealt.
Pile& layoutRecord(int commandId, int index) {
    return gameCatalogue()[static_cast<size_t>(findGameRow(commandId))].layout[index];
}

// Presses and lets go on the top card (or the place) of a pile: deals from
// a stock, turns a card, or picks up and drops back.
void clickPile(int index) {
    Pile& p = pileOf(index);
    pressAt((p.top ? p.top->x : p.x) + table.cardWidth / 2, (p.top ? p.top->y : p.y) + table.cardHeight / 2);
    release();
}

// Deals from the game's stock.
void clickStock() {
    int i = 0;
    for (const Pile* p = currentGame->layout; p; p = p->next, ++i)
        if (p->flags & PileFlags::stock) {
            clickPile(i);
            return;
        }
}

// Random play through the pointer: clicks, autoplay steps and drags of top
// cards to piles that accept them.
void playRandomly(std::mt19937& rng, int actions) {
    auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int a = 0; a < actions; ++a) {
        switch (below(4)) {
            case 0: clickPile(below(currentGame->pileCount)); break;
            case 1: autoStep(); break;
            default: {
                std::vector<Pile*> sources;
                for (Pile* p = currentGame->layout; p; p = p->next)
                    if (p->top && p->top->faceDown == kFaceUp && !(p->flags & PileFlags::stock)) sources.push_back(p);
                if (sources.empty()) break;
                Pile* from = sources[static_cast<size_t>(below(static_cast<int>(sources.size())))];
                pressAt(from->top->x + table.cardWidth / 2, from->top->y + table.cardHeight / 2);
                if (!carrying()) break;
                std::vector<Pile*> targets;
                for (Pile* t = currentGame->layout; t; t = t->next)
                    if (t != sourcePile && core::canPlace(currentRules(), currentTable(), pileIndex(*sourcePile), pileIndex(*t), carriedPile.bottom->value,
                                   carriedPile.count))
                        targets.push_back(t);
                if (!targets.empty()) {
                    Pile* to = targets[static_cast<size_t>(below(static_cast<int>(targets.size())))];
                    const int x = (to->top ? to->top->x : to->x) + table.grabX;
                    const int y = (to->top ? to->top->y : to->y) + table.grabY;
                    dragTo(x, y);
                }
                release();
            }
        }
    }
}

// A written file with the run-time words of its pile records (links,
// places, extents, drift steps) cleared: they mean nothing in a file.
std::vector<uint8_t> withoutRunTimeWords(std::vector<uint8_t> bytes) {
    const size_t records = static_cast<size_t>(currentGame->pileCount) * 96;
    for (size_t at = bytes.size() - records; at < bytes.size(); at += 96)
        std::fill(bytes.begin() + static_cast<long>(at + 48), bytes.begin() + static_cast<long>(at + 96), 0);
    return bytes;
}

void undoEverything() {
    while (table.undoCount > 0) {
        const int before = table.undoCount;
        undo();
        if (table.undoCount == before) break;
    }
}

// Reads bytes as a saved game and puts it on the table.
::testing::AssertionResult load(const std::vector<uint8_t>& bytes) {
    SavedGame game;
    std::string error;
    const GameFileCheck check = decodeGameFile(bytes.data(), bytes.size(), game, error);
    if (check != GameFileCheck::Good)
        return ::testing::AssertionFailure() << "refused: " << static_cast<int>(check) << " " << error;
    restoreSavedGame(game);
    return ::testing::AssertionSuccess();
}

// ---- A Klondike file written by hand from the tables ----
//
// Klondike (827) has 13 piles: 0..3 foundations, 4..10 the tableau, 11 the
// waste, 12 the stock.
struct HandMadeFile {
    std::string signature = "<KORVAT>";
    unsigned game = 827;
    uint32_t number = 4242;
    std::vector<std::vector<std::pair<unsigned, unsigned>>> piles;  // (value, faceDown) bottom to top
    int moveCount = -1;                                              // -1: the number of moves
    std::vector<std::array<int32_t, 4>> moves;
    bool withDefinitions = true;
    int pileCount = 13;
    std::vector<std::array<int32_t, 24>> definitions;
    std::vector<uint8_t> trailing;

    HandMadeFile() {
        piles.resize(13);
        piles[0] = {{0, 0}};                // the ace of spades on its foundation
        piles[4] = {{1, 1}, {2, 0}};        // face down under face up
        piles[5] = {{3, 0}, {4, 1}};        // face up under face down
        piles[6] = {{6, 2}};                // selected for a discard group
        for (unsigned v = 5; v < 52; ++v)
            if (v != 6) piles[12].push_back({v, 1});
        moves = {{0, 4, 0, 0}};  // the ace went from pile 4 to the foundation
        // The compiled-in Klondike layout, with junk where the reader must
        // not look.
        const int32_t column[13] = {5, 7, 9, 11, 2, 4, 6, 8, 10, 12, 14, 9, 7};
        const int32_t row[13] = {0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 8, 8};
        for (int i = 0; i < 13; ++i) {
            std::array<int32_t, 24> d{};
            d.fill(-12345);
            d[0] = column[i];
            d[1] = row[i];
            d[2] = i >= 4 && i <= 10 ? i - 3 : i == 12 ? 24 : 0;
            d[3] = i >= 4 && i <= 10 ? i - 4 : i == 12 ? 24 : 0;
            d[4] = 0;
            d[5] = i >= 4 && i <= 10 ? Fan::Down : Fan::Squared;
            d[6] = i < 4 ? Accept::OneCard : i <= 10 ? Accept::AnyNumber : Accept::Nothing;
            definitions.push_back(d);
        }
    }

    std::vector<uint8_t> bytes() const {
        Bytes b;
        b.text(signature.data(), signature.size()).u16(game).u32(number);
        for (const auto& pile : piles) {
            b.u16(static_cast<unsigned>(pile.size()));
            for (auto [value, face] : pile) b.u16(value).u16(face);
        }
        b.u16(static_cast<unsigned>(moveCount >= 0 ? moveCount : static_cast<int>(moves.size())));
        for (const auto& m : moves) b.i32(m[0]).i32(m[1]).i32(m[2]).i32(m[3]);
        if (withDefinitions) {
            b.u16(static_cast<unsigned>(pileCount));
            for (const auto& d : definitions)
                for (int32_t w : d) b.i32(w);
        }
        b.b.insert(b.b.end(), trailing.begin(), trailing.end());
        return b.b;
    }
};

// ---- The byte layout ----

class SavedGameBytes : public GameTest {};

TEST_F(SavedGameBytes, WrittenFileFollowsTheRecordLayout) {
    deal(827, 1);
    clickPile(12);  // a card from the stock to the waste: one move, and the turn of it
    ASSERT_GT(table.undoCount, 0);
    const std::vector<uint8_t> bytes = encodeGameFile();

    // Its first bytes, as the table fixes them.
    const uint8_t head[] = {'<', 'K', 'O', 'R', 'V', 'A', 'T', '>', 0x3B, 0x03, 1, 0, 0, 0,
                            0, 0, 0, 0, 0, 0, 0, 0};  // four empty foundations
    ASSERT_GE(bytes.size(), sizeof head);
    EXPECT_EQ(0, std::memcmp(bytes.data(), head, sizeof head));

    // All of it, field by field.
    Bytes expected;
    expected.text("<KORVAT>", 8).u16(827).u32(1);
    for (const Pile* p = currentGame->layout; p; p = p->next) {
        expected.u16(static_cast<unsigned>(p->count));
        for (const Card* c = p->bottom; c; c = c->above)
            expected.u16(static_cast<unsigned>(c->value)).u16(static_cast<unsigned>(c->faceDown));
    }
    expected.u16(static_cast<unsigned>(table.undoCount));
    for (int i = 0; i < table.undoCount; ++i) {
        const UndoEntry& e = undoBuffer[static_cast<size_t>(i)];
        expected.i32(e.targetIndex).i32(e.sourceIndex).i32(e.targetCount).i32(e.chained);
    }
    expected.u16(13);
    for (const Pile* p = currentGame->layout; p; p = p->next) {
        expected.i32(p->column).i32(p->row).i32(p->dealCount).i32(p->faceDownCount).i32(p->sizeLimit).i32(p->fan);
        expected.i32(p->acceptCount).i32(p->rankBuild).i32(p->suitBuild).i32(p->startCard).i32(p->removal);
        expected.u32(p->flags);
        for (int link = 0; link < 5; ++link) expected.i32(0);
        expected.i32(p->x).i32(p->y).i32(p->width).i32(p->height).i32(p->count).i32(p->driftX).i32(p->driftY);
    }
    EXPECT_EQ(bytes, expected.b);
    EXPECT_EQ(bytes.size(), 8u + 2 + 4 + 13 * 2 + 52 * 4 + 2 + 16u * static_cast<unsigned>(table.undoCount) + 2 + 13 * 96);
}

TEST_F(SavedGameBytes, HandBuiltFileIsReadIntoTheTable) {
    deal(901, 3);  // Spider is being played
    layoutRecord(827, 4).rankBuild = RankBuild::UpOrDown;  // changed in the pile editor
    prefs.Sound = -1;
    HandMadeFile file;
    file.definitions[4][0] = 3;   // column
    file.definitions[4][1] = 3;   // row
    file.definitions[4][5] = Fan::Right;
    file.definitions[4][6] = Accept::OneCard;
    file.definitions[5][3] = 1;   // faceDownCount
    file.definitions[6][4] = 7;   // sizeLimit
    file.definitions[4][2] = 2;   // dealCount 2 and 1 instead of 1 and 2: still 52 in all
    file.definitions[5][2] = 1;
    ASSERT_TRUE(load(file.bytes()));

    EXPECT_EQ(currentGame->commandId, 827);
    EXPECT_EQ(gameNumber, 4242u);
    EXPECT_EQ(values(pileOf(0)), std::vector<int>{0});
    EXPECT_EQ(values(pileOf(4)), (std::vector<int>{1, 2}));
    EXPECT_EQ(faceStates(pileOf(4)), (std::vector<int>{1, 0}));
    EXPECT_EQ(faceStates(pileOf(5)), (std::vector<int>{0, 1}));  // face up below a face-down card
    EXPECT_EQ(faceStates(pileOf(6)), std::vector<int>{2});       // still selected
    EXPECT_EQ(pileOf(12).count, 46);
    EXPECT_EQ(table.undoCount, 1);
    EXPECT_EQ(undoBuffer[0].targetIndex, 0);
    EXPECT_EQ(undoBuffer[0].sourceIndex, 4);
    // The six leading fields and acceptCount come from the file ...
    Pile& p4 = pileOf(4);
    EXPECT_EQ(p4.column, 3);
    EXPECT_EQ(p4.row, 3);
    EXPECT_EQ(p4.fan, Fan::Right);
    EXPECT_EQ(p4.acceptCount, Accept::OneCard);
    EXPECT_EQ(p4.dealCount, 2);
    EXPECT_EQ(pileOf(5).faceDownCount, 1);
    EXPECT_EQ(pileOf(6).sizeLimit, 7);
    EXPECT_EQ(p4.x, 3 * 35 + 6);
    EXPECT_EQ(p4.y, 3 * 43 + 8);
    // ... and the rest of the definition stays as the program has it.
    EXPECT_EQ(p4.rankBuild, RankBuild::UpOrDown);
    EXPECT_EQ(p4.suitBuild, SuitBuild::OppositeColour);
    EXPECT_EQ(p4.flags, 0x40000u);
    EXPECT_EQ(pileOf(12).flags, 0x220004u);
    ASSERT_FALSE(headless.sounds.empty());
    EXPECT_EQ(headless.sounds.back(), kShuffleSound);

    // The recorded move undoes (once no discard group is being chosen):
    // the ace goes back onto pile 4.
    undo();
    EXPECT_EQ(table.undoCount, 1);
    EXPECT_EQ(headless.messages.back().caption, "CANNOT UNDO");
    pileOf(6).top->faceDown = kFaceUp;
    undo();
    EXPECT_EQ(table.undoCount, 0);
    EXPECT_EQ(values(pileOf(4)), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(pileOf(0).count, 0);
}

TEST_F(SavedGameBytes, FileEndingAfterTheMovesKeepsTheLayout) {
    layoutRecord(827, 4).column = 15;  // an edit made in this run
    layoutRecord(827, 4).acceptCount = Accept::Nothing;
    deal(901, 1);
    HandMadeFile file;
    file.withDefinitions = false;
    ASSERT_TRUE(load(file.bytes()));
    EXPECT_EQ(pileOf(4).column, 15);
    EXPECT_EQ(pileOf(4).acceptCount, Accept::Nothing);
    EXPECT_EQ(pileOf(4).x, 15 * 35 + 6);
    EXPECT_EQ(values(pileOf(4)), (std::vector<int>{1, 2}));
}

// ---- Round trips ----

class SavedGameRoundTrip : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        prefs.Move = 0;
    }
};

TEST_F(SavedGameRoundTrip, EveryGameReadsBackAsSavedAndUndoesTheSame) {
    std::mt19937 rng(20240607);
    int withHistory = 0, redone = 0;
    for (int row = 0; row < kGameCount; ++row) {
        const int id = gameCatalogue()[static_cast<size_t>(row)].commandId;
        SCOPED_TRACE("game " + std::to_string(id));
        resetPointerPlay();
        deal(id, 1000u + static_cast<uint32_t>(row));
        playRandomly(rng, 100);
        ASSERT_FALSE(carrying());
        withHistory += table.undoCount > 0;
        const std::string saved = gameText();
        const std::vector<uint8_t> bytes = encodeGameFile();
        undoEverything();
        const std::string undone = gameText();

        deal(row == 0 ? 827 : 506, 77);  // something else on the table
        ASSERT_TRUE(load(bytes));
        EXPECT_EQ(gameText(), saved);
        EXPECT_EQ(withoutRunTimeWords(encodeGameFile()), withoutRunTimeWords(bytes))
            << "written again, the file is not the same";
        // The file holds no moves, only undo entries: Redo finds the move
        // that makes its last action again.
        if (table.undoCount > 0) {
            undo();
            redo();
            redone += gameText() == saved;
        }
        undoEverything();
        EXPECT_EQ(gameText(), undone);
    }
    EXPECT_GT(withHistory, 100) << "the random play hardly moved a card";
    std::printf("%d of %d read histories redo their last action\n", redone, withHistory);
    EXPECT_GT(redone, withHistory * 9 / 10);
}

TEST_F(SavedGameRoundTrip, EditedLayoutComesBackWithoutTheRulesOfThePiles) {
    deal(827, 5);
    clickPile(12);
    Pile& p = pileOf(4);
    p.column = 15;
    p.row = 5;
    p.fan = 2;
    p.faceDownCount = 0;
    p.sizeLimit = 9;
    p.acceptCount = Accept::Nothing;
    p.dealCount = 2;
    pileOf(5).dealCount = 1;
    p.rankBuild = RankBuild::DownByTwos;  // edited too, but never read from a file
    const std::vector<uint8_t> bytes = encodeGameFile();

    reloadCatalogue();  // the layouts as compiled in
    deal(827, 6);
    pileOf(4).rankBuild = RankBuild::Any;
    ASSERT_TRUE(load(bytes));
    Pile& q = pileOf(4);
    EXPECT_EQ(q.column, 15);
    EXPECT_EQ(q.row, 5);
    EXPECT_EQ(q.fan, 2);
    EXPECT_EQ(q.faceDownCount, 0);
    EXPECT_EQ(q.sizeLimit, 9);
    EXPECT_EQ(q.acceptCount, Accept::Nothing);
    EXPECT_EQ(q.dealCount, 2);
    EXPECT_EQ(pileOf(5).dealCount, 1);
    EXPECT_EQ(q.rankBuild, RankBuild::Any);
    EXPECT_EQ(q.x, 15 * 35 + 6);
}

TEST_F(SavedGameRoundTrip, HighRankRedealsWinAndSortedPilesAfterReading) {
    // A game whose high rank is drawn shows the same faces after reading.
    int randomGame = 0;
    for (const GameEntry& g : gameCatalogue())
        if (g.ruleFlags & GameRuleFlags::randomHigh) randomGame = g.commandId;
    ASSERT_NE(randomGame, 0);
    deal(randomGame, 123456);
    const int baseRank = table.baseRank;
    const std::string saved = gameText();
    std::vector<uint8_t> bytes = encodeGameFile();
    for (uint32_t n = 1; table.baseRank == baseRank; ++n) deal(randomGame, n);
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(table.baseRank, baseRank);
    EXPECT_EQ(gameText(), saved);

    // Used redeals come back whole, a won game is not won.
    deal(827, 9);
    table.redealsLeft = 0;
    table.won = 1;
    bytes = encodeGameFile();
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(table.redealsLeft, 2);
    EXPECT_EQ(table.won, 0);
    prefs.Unlimit = -1;
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(table.redealsLeft, -1);

    // A sorted pile holding cards out of order is sorted again.
    int sortedGame = 0, sortedPile = -1;
    for (const GameEntry& g : gameCatalogue())
        for (int i = 0; i < g.pileCount && !sortedGame; ++i)
            if (g.layout[i].flags & PileFlags::sortAscending) {
                sortedGame = g.commandId;
                sortedPile = i;
            }
    ASSERT_NE(sortedGame, 0);
    deal(sortedGame, 1);
    for (Pile* p = currentGame->layout; p; p = p->next) {
        p->bottom = p->top = nullptr;
        layoutPile(*p);
    }
    Pile& sorted = pileOf(sortedPile);
    Pile& rest = pileOf(sortedPile == 0 ? 1 : 0);
    const int outOfOrder[3] = {20, 4, 12};
    int slot = 0;
    for (int v : outOfOrder) {
        Card& c = deck[static_cast<size_t>(slot++)];
        c = Card{};
        c.value = v;
        insertCardAbove(sorted, sorted.top, c);
    }
    // The rest of the decks, each card once per deck in all.
    for (int v = 0; slot < table.deckSize; ++v) {
        if (v < 52 && std::find(std::begin(outOfOrder), std::end(outOfOrder), v) != std::end(outOfOrder)) continue;
        Card& c = deck[static_cast<size_t>(slot++)];
        c = Card{};
        c.value = v % 52;
        insertCardAbove(rest, rest.top, c);
    }
    layoutPile(sorted);
    layoutPile(rest);
    ASSERT_TRUE(load(encodeGameFile()));
    EXPECT_EQ(values(pileOf(sortedPile)), (std::vector<int>{4, 12, 20}));
}

TEST_F(SavedGameRoundTrip, FullHistoryOf2047Moves) {
    deal(827, 3);
    Pile& p = pileOf(10);
    for (int i = 0; i < kMaxSavedMoves; ++i) turnCard(p, *p.top, i % 2 == 0 ? kFaceDown : kFaceUp, 0);
    ASSERT_EQ(table.undoCount, 2047);
    ASSERT_TRUE(headless.messages.empty());
    const std::string saved = gameText();
    const std::vector<uint8_t> bytes = encodeGameFile();
    EXPECT_EQ(bytes.size(), 8u + 2 + 4 + 13 * 2 + 52 * 4 + 2 + 2047 * 16 + 2 + 13 * 96);
    deal(901, 1);
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(gameText(), saved);
    EXPECT_EQ(pileOf(10).top->faceDown, kFaceDown);
    undo();
    EXPECT_EQ(table.undoCount, 2046);
    EXPECT_EQ(pileOf(10).top->faceDown, kFaceUp);
}

// ---- Refusals ----

class SavedGameRefusal : public GameTest {
protected:
    ScratchFolder folder;
    void SetUp() override {
        GameTest::SetUp();
        // A game in progress, logged, with an edited layout; Klondike's
        // layout is edited too, so that a half-read file would show.
        layoutRecord(827, 4).column = 9;
        deal(901, 3);
        pileOf(2).column = 1;
        clickStock();
        autoStep();
        ASSERT_NE(table.logIndex, -1);
    }

    // The file is refused with a "MAJOR ERROR!" box and nothing changes.
    void expectRefused(const std::vector<uint8_t>& bytes, const std::string& what,
                       const char* text = nullptr) {
        SCOPED_TRACE(what);
        const std::string path = folder.file("bad.GAM");
        putFile(path, bytes);
        const std::vector<uint8_t> before = wholeState();
        const size_t messages = headless.messages.size();
        EXPECT_FALSE(readGameFile(path));
        ASSERT_EQ(headless.messages.size(), messages + 1);
        const RecordedMessage& m = headless.messages.back();
        EXPECT_EQ(m.caption, "MAJOR ERROR!");
        EXPECT_EQ(m.style, Mb::Ok | Mb::IconExclamation);
        if (text)
            EXPECT_EQ(m.text, text);
        else
            EXPECT_NE(m.text, "I'm sorry, but I can only load saved Korvat games.");
        EXPECT_TRUE(wholeState() == before) << "the refused file changed the program's state";
    }
};

constexpr const char* kNotOurs = "I'm sorry, but I can only load saved Korvat games.";

TEST_F(SavedGameRefusal, WrongSignature) {
    HandMadeFile file;
    file.signature = "<KORVAX>";
    expectRefused(file.bytes(), "one letter wrong", kNotOurs);
    expectRefused({'G', 'I', 'F'}, "a short file of something else", kNotOurs);
    expectRefused({'<', 'K', 'O', 'R'}, "the signature's first bytes only");
    expectRefused({}, "an empty file");
}

TEST_F(SavedGameRefusal, WrongGameOrCards) {
    for (unsigned id : {0u, 499u, 599u, 1000u, 65535u}) {
        HandMadeFile file;
        file.game = id;
        expectRefused(file.bytes(), "game id " + std::to_string(id));
    }
    {
        HandMadeFile file;
        file.piles[12].pop_back();
        expectRefused(file.bytes(), "51 cards");
    }
    {
        HandMadeFile file;
        file.piles[11].push_back({7, 0});
        expectRefused(file.bytes(), "53 cards");
    }
    {
        HandMadeFile file;
        file.piles[12].assign(2000, {5, 1});
        expectRefused(file.bytes(), "far more cards than the deck");
    }
    for (unsigned value : {52u, 65535u}) {
        HandMadeFile file;
        file.piles[12][3].first = value;
        expectRefused(file.bytes(), "card value " + std::to_string(value));
    }
    {
        HandMadeFile file;
        file.piles[4][0].second = 3;
        expectRefused(file.bytes(), "face state 3");
    }
    {
        HandMadeFile file;  // one changed byte: a card twice, another missing
        file.piles[12][3].first = 7;
        expectRefused(file.bytes(), "a card twice");
    }
    {
        HandMadeFile file;
        for (auto& pile : file.piles)
            for (auto& card : pile) card.first = 0;
        expectRefused(file.bytes(), "52 aces of spades");
    }
}

TEST_F(SavedGameRefusal, HistoryThatDoesNotReplay) {
    const std::vector<std::pair<std::string, std::vector<std::array<int32_t, 4>>>> histories = {
        {"source past the last pile", {{0, 13, 0, 0}}},
        {"negative source", {{0, -1, 0, 0}}},
        {"target past the last pile", {{13, 4, 0, 0}}},
        {"target -2", {{-2, 4, 0, 0}}},
        {"no card at the recorded place", {{0, 4, 1, 0}}},
        {"negative target count", {{0, 4, -1, 0}}},
        {"turn on an empty pile", {{-1, 1, -1, 0}}},
        {"turn below the bottom", {{-1, 4, -2, 0}}},
        {"turn above the top", {{-1, 4, 2, 0}}},
        // The newest entry replays; after it the older one finds no card.
        {"fails only after the newest is undone", {{0, 5, 0, 0}, {0, 4, 0, 0}}},
    };
    for (const auto& [what, moves] : histories) {
        HandMadeFile file;
        file.moves = moves;
        expectRefused(file.bytes(), what);
    }
    HandMadeFile full;
    full.moves.assign(2048, {-1, 4, -1, 0});
    expectRefused(full.bytes(), "2048 moves");
}

TEST_F(SavedGameRefusal, DamagedLayout) {
    struct Change {
        const char* what;
        int pile, field;
        int32_t value;
    };
    const Change changes[] = {
        {"column 25", 4, 0, 25},         {"column -1", 4, 0, -1},     {"row 12", 4, 1, 12},
        {"column 17 of large cards", 4, 0, 17}, {"row 10 of large cards", 4, 1, 10},
        {"row -1", 4, 1, -1},            {"deal total 53", 12, 2, 25}, {"deal total 51", 12, 2, 23},
        {"negative deal", 0, 2, -1},     {"more face down than dealt", 4, 3, 2},
        {"negative face down", 4, 3, -1}, {"size limit 52", 4, 4, 52}, {"size limit -1", 4, 4, -1},
        {"fan 3", 4, 5, 3},              {"fan -2", 4, 5, -2},        {"placement 1", 4, 6, 1},
        {"placement -3", 4, 6, -3},
    };
    for (const Change& c : changes) {
        HandMadeFile file;
        file.definitions[static_cast<size_t>(c.pile)][static_cast<size_t>(c.field)] = c.value;
        expectRefused(file.bytes(), c.what);
    }
    {
        HandMadeFile file;  // a negative deal made up for elsewhere: the total is right
        file.definitions[0][2] = -1;
        file.definitions[12][2] = 25;
        expectRefused(file.bytes(), "negative deal, total 52");
    }
    {
        HandMadeFile file;  // every pile off the table
        for (auto& d : file.definitions) d[0] = 20;
        expectRefused(file.bytes(), "every pile at column 20");
    }
    {
        HandMadeFile file;
        file.pileCount = 12;
        file.definitions.pop_back();
        expectRefused(file.bytes(), "12 pile records");
    }
    {
        HandMadeFile file;
        file.pileCount = 14;
        file.definitions.push_back(file.definitions.back());
        expectRefused(file.bytes(), "14 pile records");
    }
    {
        HandMadeFile file;
        file.pileCount = 14;
        expectRefused(file.bytes(), "a pile count of 14 over 13 records");
    }
    {
        HandMadeFile file;
        file.trailing = {0};
        expectRefused(file.bytes(), "a byte after the layout");
    }
}

TEST_F(SavedGameRefusal, FilesCutShort) {
    const std::vector<uint8_t> whole = HandMadeFile().bytes();
    HandMadeFile noLayout;
    noLayout.withDefinitions = false;
    const size_t afterMoves = noLayout.bytes().size();
    ASSERT_TRUE(load(noLayout.bytes()));  // the one short file that is whole
    SetUp();
    for (size_t cut : {size_t{9}, size_t{13}, size_t{20}, size_t{100}, afterMoves - 1, afterMoves + 1,
                       afterMoves + 2, afterMoves + 50, whole.size() - 1}) {
        std::vector<uint8_t> bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
        expectRefused(bytes, "cut at " + std::to_string(cut));
    }
}

TEST_F(SavedGameRefusal, FileThatCannotBeRead) {
    const std::vector<uint8_t> before = wholeState();
    EXPECT_FALSE(readGameFile(folder.file("not there.GAM")));
    EXPECT_FALSE(readGameFile(folder.path()));  // a folder
    ASSERT_EQ(::mkfifo(folder.file("pipe.GAM").c_str(), 0600), 0);
    EXPECT_FALSE(readGameFile(folder.file("pipe.GAM")));  // refused at once, not waited on
    ASSERT_EQ(headless.messages.size(), 3u);
    EXPECT_EQ(headless.messages[0].caption, "MAJOR ERROR!");
    EXPECT_NE(headless.messages[0].text.find("not there.GAM"), std::string::npos);
    EXPECT_TRUE(wholeState() == before);
}

// ---- The File commands ----

class FileCommands : public GameTest {
protected:
    ScratchFolder folder;
    void SetUp() override {
        GameTest::SetUp();
        gameFileName.clear();
        prefs.Move = 0;
    }
    void TearDown() override {
        gameFileName.clear();
        GameTest::TearDown();
    }
    void startedDeal(int id, uint32_t number) {
        deal(id, number);
        clickStock();
        autoStep();
        ASSERT_NE(table.logIndex, -1);
    }
};

TEST_F(FileCommands, SaveNeedsAStartedGame) {
    deal(827, 1);
    headless.scriptedFiles = {folder.file("a.GAM")};
    runCommand(Command::Save);
    runCommand(Command::SaveAs);
    ASSERT_EQ(headless.messages.size(), 2u);
    for (const RecordedMessage& m : headless.messages) {
        EXPECT_EQ(m.caption, "NO REASON TO SAVE.");
        EXPECT_EQ(m.text, "Game has not been started.");
    }
    EXPECT_EQ(headless.messages[0].style, Mb::Ok);
    EXPECT_EQ(headless.messages[1].style, Mb::Ok | Mb::IconStop);
    EXPECT_EQ(headless.scriptedFiles.size(), 1u);  // no dialog was shown
    EXPECT_TRUE(folder.names().empty());
}

TEST_F(FileCommands, SaveAsThenSaveWritesOverTheSameFile) {
    startedDeal(827, 1);
    const std::string path = folder.file("first.GAM");
    headless.scriptedFiles = {path};
    runCommand(Command::SaveAs);
    EXPECT_EQ(gameFileName, path);
    EXPECT_EQ(fileBytes(path), encodeGameFile());

    // Prompt off: written over without a question.
    clickPile(12);
    runCommand(Command::Save);
    EXPECT_TRUE(headless.messages.empty());
    EXPECT_EQ(fileBytes(path), encodeGameFile());

    // Prompt on: asked first; No keeps the file.
    prefs.Prompt = -1;
    clickPile(12);
    const std::vector<uint8_t> kept = fileBytes(path);
    headless.scriptedAnswers = {IdNo};
    runCommand(Command::Save);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].text, "Save over this game?");
    EXPECT_EQ(headless.messages[0].caption, "ARE YOU SURE?");
    EXPECT_EQ(fileBytes(path), kept);
    headless.scriptedAnswers = {IdYes};
    runCommand(Command::Save);
    EXPECT_EQ(fileBytes(path), encodeGameFile());
    EXPECT_EQ(folder.names(), std::vector<std::string>{"first.GAM"});

    // Save As to an existing file replaces it without a question; a new
    // deal forgets the file, a restart keeps it.
    prefs.Prompt = 0;
    const std::string other = folder.file("other.GAM");
    putFile(other, {'o', 'l', 'd'});
    headless.scriptedFiles = {other};
    runCommand(Command::SaveAs);
    EXPECT_EQ(fileBytes(other), encodeGameFile());
    runCommand(Command::Restart);
    EXPECT_EQ(gameFileName, other);
    runCommand(Command::New);
    EXPECT_TRUE(gameFileName.empty());
}

TEST_F(FileCommands, OpenLoadsTheGameAndLogsIt) {
    startedDeal(827, 1);
    const std::string path = folder.file("saved.GAM");
    headless.scriptedFiles = {path};
    runCommand(Command::SaveAs);
    const std::string saved = gameText();

    resetLog();
    deal(901, 2);
    gameFileName = "elsewhere.GAM";
    headless.scriptedFiles = {path};
    runCommand(Command::Open);
    EXPECT_EQ(gameText(), saved);
    EXPECT_EQ(gameFileName, path);
    ASSERT_EQ(table.logIndex, 0);
    EXPECT_EQ(gameLog[0].gameNumber, 1u);
    EXPECT_EQ(gameLog[0].status, LogStatus::Started);
    EXPECT_NE(headless.title.find("Never completed."), std::string::npos);

    // Cancelled: no file name, but the game on the table now has its entry.
    deal(901, 4);
    ASSERT_EQ(table.logIndex, -1);
    headless.scriptedFiles = {""};
    runCommand(Command::Open);
    EXPECT_TRUE(gameFileName.empty());
    EXPECT_EQ(table.logIndex, 1);
    EXPECT_EQ(headless.title.find("Not started"), std::string::npos);
}

TEST_F(FileCommands, RefusedFileForgetsItsNameAndLeavesTheLog) {
    deal(901, 4);
    gameFileName = "mine.GAM";
    const std::string path = folder.file("picture.GAM");
    putFile(path, {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0});
    const std::vector<uint8_t> log = encodeLog(gameLog);
    headless.scriptedFiles = {path};
    runCommand(Command::Open);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].text, kNotOurs);
    EXPECT_TRUE(gameFileName.empty());  // a later Save cannot write over it
    EXPECT_EQ(table.logIndex, -1);
    EXPECT_EQ(encodeLog(gameLog), log);
    EXPECT_EQ(fileBytes(path).size(), 10u);
}

TEST_F(FileCommands, SaveThatCannotBeWrittenSaysSoAndKeepsTheOldFile) {
    startedDeal(827, 1);
    const std::string path = folder.file("kept.GAM");
    headless.scriptedFiles = {path};
    runCommand(Command::SaveAs);
    const std::vector<uint8_t> old = fileBytes(path);
    ASSERT_FALSE(old.empty());

    // A full disk: no file may grow past 100 bytes.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit saved = limit;
    limit.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    clickPile(12);
    runCommand(Command::Save);
    setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].caption, "MAJOR ERROR!");
    EXPECT_NE(headless.messages[0].text.find("could not be saved"), std::string::npos);
    EXPECT_EQ(fileBytes(path), old);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"kept.GAM"});  // no temporary file left
    EXPECT_EQ(gameFileName, path);

    // Save As into a folder that is not there: reported, and the name is
    // not kept for the next Save.
    headless.scriptedFiles = {folder.file("missing/x.GAM")};
    runCommand(Command::SaveAs);
    ASSERT_EQ(headless.messages.size(), 2u);
    EXPECT_EQ(headless.messages[1].caption, "MAJOR ERROR!");
    EXPECT_TRUE(gameFileName.empty());
}

TEST_F(FileCommands, SavedGameNamedOnTheCommandLine) {
    logFilePath = folder.file("LOG.DAT");
    startedDeal(901, 7);
    const std::string path = folder.file("spider game.GAM");
    std::string error;
    ASSERT_TRUE(writeGameFile(path, error)) << error;
    const std::string saved = gameText();
    resetLog();
    reloadCatalogue();

    ASSERT_TRUE(startProgram(path));
    EXPECT_EQ(gameText(), saved);
    EXPECT_EQ(gameFileName, path);
    EXPECT_EQ(table.logIndex, -1);  // looked up, not added
    EXPECT_NE(headless.title.find("Not started"), std::string::npos);
    shutDownProgram();

    // A file that cannot be loaded: its message, then the last game played.
    putFile(folder.file("bad.GAM"), {'<', 'K', 'O', 'R', 'V', 'A', 'T', '>', 0x3B});
    headless.ini["Prefs/LastGame"] = "506";
    headless.messages.clear();
    ASSERT_TRUE(startProgram(folder.file("bad.GAM")));
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].caption, "MAJOR ERROR!");
    EXPECT_EQ(currentGame->commandId, 506);
    EXPECT_TRUE(gameFileName.empty());
    EXPECT_NE(headless.title.find("Salt Marsh"), std::string::npos);
    shutDownProgram();
    logChanged = nullptr;
    logFilePath = "LOG.DAT";
}

// ---- korvat-cli ----

using CliRun = CliOutput;

CliRun cli(const std::vector<std::string>& args) { return runCli(args); }

TEST(CliFiles, SaveLoadAndLog) {
    ScratchFolder folder;
    const std::string game = folder.file("k.GAM"), log = folder.file("L.DAT");
    CliRun played = cli({"play", "827", "1", "click:12", "click:12", "--save", game, "--log", log});
    ASSERT_EQ(played.status, 0) << played.err;
    EXPECT_NE(played.out.find("\"undoCount\":"), std::string::npos);
    ASSERT_TRUE(fileExists(game));
    EXPECT_EQ(fileBytes(log).size(), 28672u);
    GameLog onDisk{};
    std::string error;
    ASSERT_TRUE(readLogFile(log, onDisk, error));
    EXPECT_EQ(onDisk[0].gameNumber, 1u);
    EXPECT_EQ(onDisk[0].status, LogStatus::Started);

    // Loading shows the same piles as playing did, and plays on.
    CliRun loaded = cli({"load", game});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    const auto piles = [](const std::string& json) { return json.substr(0, json.find("],\"status\"")); };
    EXPECT_EQ(piles(loaded.out), piles(played.out));
    EXPECT_NE(loaded.out.find("\"logIndex\":0"), std::string::npos);
    CliRun undone = cli({"load", game, "undo", "undo"});
    ASSERT_EQ(undone.status, 0) << undone.err;
    EXPECT_EQ(piles(undone.out), piles(cli({"deal", "827", "1"}).out.substr(0, piles(undone.out).size())));

    // A refused file: its message, status 1, nothing printed.
    putFile(folder.file("x.GAM"), {'M', 'Z'});
    CliRun refused = cli({"load", folder.file("x.GAM")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.out.empty());
    EXPECT_NE(refused.err.find(kNotOurs), std::string::npos);

    // Nothing to save before the first move: status 1 and the message.
    CliRun early = cli({"play", "827", "1", "--save", folder.file("early.GAM")});
    EXPECT_EQ(early.status, 1);
    EXPECT_NE(early.out.find("Game has not been started."), std::string::npos);
    EXPECT_FALSE(fileExists(folder.file("early.GAM")));

    // A damaged log is not used, nor written over.
    putFile(log, std::vector<uint8_t>(28, 0xFF));
    CliRun damaged = cli({"play", "827", "1", "click:12", "--log", log});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(fileBytes(log), std::vector<uint8_t>(28, 0xFF));
}

}  // namespace
}  // namespace korvat::test
