// Score, money, the status line, the win and the game log.
#include <algorithm>
#include <cstring>

#include "core/moves.h"
#include "core/table.h"
#include "model/gamelog.h"
#include "model/score.h"
#include "play/card_moves.h"
#include "play/current.h"
#include "play/stock.h"
#include "test_support.h"

namespace korvat::test {
namespace {

constexpr int card(int rank, int suit) { return rank * 4 + suit; }

class Score : public TableTest {};

TEST_F(Score, StatusLineTexts) {
    deal(827, 1234);
    EXPECT_EQ(headless.title, "Klondike    Not started");
    prefs.Seed = -1;
    updateStatusLine();
    EXPECT_EQ(headless.title, "Klondike  1234  Not started");
    moveCard(pile(12), *pile(12).top, pile(11), 0);
    EXPECT_EQ(headless.title, "Klondike  1234  Score 0.  Money $-52.  Never completed.");
    gameLog[static_cast<size_t>(table.logIndex)].status = LogStatus::Completed;
    updateStatusLine();
    EXPECT_EQ(headless.title, "Klondike  1234  Completed before.");
    // A long name with the largest number still fits the title.
    prefs.Seed = -1;
    deal(934, 4294967295u);
    EXPECT_EQ(headless.title, "Busy Aces  4294967295  Not started");
}

TEST_F(Score, MoneyAndStartCards) {
    deal(904, 3);  // Forty Thieves: two decks
    EXPECT_EQ(cardsOnFoundations(), 0);
    EXPECT_EQ(money(), -104);
    deal(511, 3);  // Velvet Rope deals the ace of spades to a foundation
    EXPECT_EQ(cardsOnFoundations(), 1);
    EXPECT_EQ(money(), -47);
}

TEST_F(Score, TickRefreshesOnlyOnAChangedScore) {
    deal(827, 0);
    scoreTick();  // 0 == lastScore: nothing happens
    headless.title = "untouched";
    scoreTick();
    EXPECT_EQ(headless.title, "untouched");
    pile(0).count = 3;  // as if three cards had landed without a refresh
    scoreTick();
    EXPECT_EQ(lastScore, 3);
    EXPECT_EQ(headless.title, "Klondike    Not started");
}

TEST_F(Score, WinIsRecognisedOnceAndLogged) {
    emptyTable(827, 9);
    // Everything but the king of clubs on the foundations, in order.
    const int suits[] = {0, 2, 3, 1};
    for (int f = 0; f < 4; ++f)
        for (int rank = 0; rank < 13; ++rank)
            if (!(f == 3 && rank == 12)) put(pile(f), card(rank, suits[f]));
    put(pile(4), card(12, 1));
    recordMove(pile(5), pile(4), 0);  // the deal enters the log
    ASSERT_EQ(table.logIndex, 0);
    int x[13], y[13];
    for (int i = 0; i < 13; ++i) {
        x[i] = pile(i).x;
        y[i] = pile(i).y;
    }
    scoreTick();
    EXPECT_EQ(table.won, 0) << "one card short";
    EXPECT_EQ(headless.frames, 0);
    moveCard(pile(4), *pile(4).top, pile(3), 0);
    EXPECT_EQ(table.won, 0) << "the timer recognises the win";
    scoreTick();
    EXPECT_EQ(table.won, 1);
    EXPECT_EQ(gameLog[0].status, LogStatus::Completed);
    EXPECT_EQ(headless.title, "Klondike    Completed before.");
    int animation = headless.frames - 16 * 4;  // less the glide
    EXPECT_EQ(animation, 100);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(pile(i).x, x[i]) << "every pile back home";
        EXPECT_EQ(pile(i).y, y[i]);
    }
    // Undo after the win neither repeats it nor changes the log.
    undo();
    scoreTick();
    moveCard(pile(4), *pile(4).top, pile(3), 0);
    headless.frames = 0;
    scoreTick();
    EXPECT_EQ(headless.frames, 0);
    EXPECT_EQ(gameLog[0].status, LogStatus::Completed);
}

TEST_F(Score, WinWithoutALogEntryRecordsNothing) {
    emptyTable(827, 9);
    for (int f = 0; f < 4; ++f)
        for (int rank = 0; rank < 13; ++rank) put(pile(f), card(rank, 0));
    scoreTick();
    EXPECT_EQ(table.won, 1);
    EXPECT_EQ(table.logIndex, -1);
    EXPECT_EQ(countLogEntries(), 0);
}

// Two and four decks are won with their last card home, not at 52: every
// foundation holds its suit from the ace up, one king waits on the tableau.
TEST_F(Score, TwoAndFourDeckGamesAreWonWithTheirLastCard) {
    for (int id : {904, 701}) {  // Forty Thieves, Birchwood
        deal(id, 5);
        const core::GameRules rules = currentRules();
        core::Table t = core::emptyTable(rules);
        int tableau = -1, last = -1;
        for (int p = 0; p < rules.pileCount; ++p) {
            const core::PileRules& pile = rules.piles[p];
            if (!(rules.foundations & core::bit(p))) {
                if (tableau < 0 && pile.removal != Removal::Nothing) tableau = p;
                continue;
            }
            const int suit = suitOf(pile.startCard);
            for (int rank = 0; rank < 12; ++rank) {
                const uint8_t c = core::cardByte(card(rank, suit), kFaceUp);
                t.push(p, &c, 1);
            }
            if (last >= 0) {
                const uint8_t king = core::cardByte(card(12, suitOf(rules.piles[last].startCard)), kFaceUp);
                t.push(last, &king, 1);
            }
            last = p;
        }
        ASSERT_GE(tableau, 0) << id;
        const uint8_t king = core::cardByte(card(12, suitOf(rules.piles[last].startCard)), kFaceUp);
        t.push(tableau, &king, 1);
        ASSERT_EQ(t.cardCount(), rules.deckSize);
        ASSERT_EQ(rules.deckSize, id == 904 ? 104 : 208);
        EXPECT_FALSE(core::isWon(rules, t)) << id << ": one card short";
        setCurrentTable(t);
        scoreTick();
        EXPECT_EQ(table.won, 0) << id;

        const core::Move home = core::Move::place(tableau, 0, last);
        core::MoveList moves;
        core::legalMoves(rules, t, moves);
        ASSERT_EQ(std::count(moves.begin(), moves.end(), home), 1) << id;
        core::apply(rules, t, home);
        EXPECT_TRUE(core::isWon(rules, t)) << id;
        playMove(home);
        scoreTick();
        EXPECT_EQ(table.won, 1) << id << " is won in the window";
        EXPECT_EQ(money(), 5 * rules.deckSize - rules.deckSize);
    }
}

class Log : public TableTest {};

TEST_F(Log, DealsAreLoggedAtTheirFirstMoveAndFoundAgain) {
    deal(827, 77);
    EXPECT_EQ(findLogEntry(), -1);
    moveCard(pile(12), *pile(12).top, pile(11), 0);
    EXPECT_EQ(table.logIndex, 0);
    gameLog[0].status = LogStatus::Completed;
    deal(827, 78);
    moveCard(pile(12), *pile(12).top, pile(11), 0);
    EXPECT_EQ(table.logIndex, 1);
    deal(901, 77);  // the same number in another game is another deal
    moveCard(*pileAt(18), *pileAt(18)->top, *pileAt(8), 0);
    EXPECT_EQ(table.logIndex, 2);
    deal(827, 77);
    EXPECT_EQ(table.logIndex, 0);
    EXPECT_EQ(headless.title, "Klondike    Completed before.");
    moveCard(pile(12), *pile(12).top, pile(11), 0);
    EXPECT_EQ(gameLog[0].status, LogStatus::Completed) << "finding it does not change it";

    EXPECT_EQ(countLogEntries(), 2);
    EXPECT_EQ(nthLogEntry(0), 0);
    EXPECT_EQ(nthLogEntry(1), 1);
    EXPECT_EQ(nthLogEntry(2), -1);
    gameNumber = 78;
    EXPECT_EQ(logPosition(), 1);
    gameNumber = 79;
    EXPECT_EQ(logPosition(), -1);
    resetLog();
    EXPECT_EQ(countLogEntries(), 0);
    for (const LogEntry& e : gameLog) ASSERT_EQ(e.status, 0);
}

TEST_F(Log, AFullLogWarnsAtEveryMove) {
    for (int i = 0; i < kLogEntries; ++i) gameLog[static_cast<size_t>(i)] = {static_cast<uint32_t>(i + 1000), 48, 1, {}};
    deal(827, 5);
    moveCard(pile(12), *pile(12).top, pile(11), 0);
    moveCard(pile(12), *pile(12).top, pile(11), 0);
    EXPECT_EQ(table.logIndex, -1);
    ASSERT_EQ(headless.messages.size(), 2u);
    EXPECT_EQ(headless.messages[0].caption, "MODERATE ERROR");
    EXPECT_EQ(headless.messages[0].text, "Log file is full.  Make a copy and reset stats.");
    EXPECT_EQ(headless.title, "Klondike    Not started");
}

}  // namespace
}  // namespace korvat::test
