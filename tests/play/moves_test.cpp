// Lifting, gliding, landing, recording and undoing moves.
#include "model/gamelog.h"
#include "model/score.h"
#include "play/card_moves.h"
#include "play/stock.h"
#include "test_support.h"

namespace korvat::test {
namespace {

constexpr int card(int rank, int suit) { return rank * 4 + suit; }

class Moves : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        emptyTable(827);
    }
};

TEST_F(Moves, UndoBufferOverflowResetsAndWarns) {
    Pile& a = pile(4);
    Pile& b = pile(5);
    put(a, card(3, 0));
    for (int i = 0; i < 2047; ++i) recordMove(b, a, 0);
    EXPECT_EQ(table.undoCount, 2047);
    EXPECT_TRUE(headless.messages.empty());
    recordMove(b, a, 0);  // the 2048th entry
    EXPECT_EQ(table.undoCount, 0);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].caption, "CRITICAL ERROR");
    EXPECT_EQ(headless.messages[0].text, "UNDO BUFFER FULL!\nRESETTING.\nALL PREVIOUS UNDO POSITIONS ARE LOST.");
    undo();
    EXPECT_EQ(headless.messages.back().caption, "CANNOT UNDO");
    EXPECT_EQ(headless.messages.back().text,
              "No more moves to undo, or an attempted play has not been completed.");

    // A count beyond the buffer (say from a damaged saved game) never writes past it.
    table.undoCount = 5000;
    recordMove(b, a, 0);
    EXPECT_EQ(table.undoCount, 1);
}

TEST_F(Moves, UndoRefusesAnEntryWhoseCardIsNotThere) {
    Pile& a = pile(4);
    Pile& b = pile(5);
    put(a, card(3, 0));
    // Claims three cards went to b above its second card; b is empty.
    undoBuffer[0] = {pileIndex(b), pileIndex(a), 1, 0};
    undoBuffer[1] = {-1, pileIndex(b), -1, 1};
    table.undoCount = 2;
    undo();
    EXPECT_EQ(headless.messages.back().caption, "CANNOT UNDO");
    EXPECT_EQ(table.undoCount, 2) << "nothing changes";
    EXPECT_EQ(a.count, 1);
    undoBuffer[1] = {7, 99, 0, 0};  // a pile that does not exist
    undo();
    EXPECT_EQ(table.undoCount, 2);
}

TEST_F(Moves, GlideFramesAndEndPoints) {
    Pile& source = pile(5);
    Pile& target = pile(11);
    target.fan = Fan::Right;
    put(source, card(4, 1));
    put(source, card(6, 2));
    for (int move : {0, 1, 2, 3}) {
        prefs.Move = move;
        headless.frames = 0;
        liftCards(source, *source.top);
        glideTo(target);
        EXPECT_EQ(headless.frames, 16 << move);
        EXPECT_NEAR(carriedPile.x, target.x + target.count * table.fanStep, 2);
        EXPECT_NEAR(carriedPile.y, target.y, 2);
        landCards(target);
        EXPECT_EQ(target.top->x, target.x + (target.count - 1) * table.fanStep) << "landed in place";
        liftCards(target, *target.top);
        glideTo(source);
        landCards(source);
    }
    // Empty rightward fan: the glide ends at its origin.
    prefs.Move = 0;
    Pile& empty = pile(6);
    empty.fan = Fan::Right;
    liftCards(source, *source.top);
    glideTo(empty);
    EXPECT_NEAR(carriedPile.x, empty.x, 2);
    EXPECT_NEAR(carriedPile.y, empty.y, 2);
    landCards(empty);
    EXPECT_EQ(carriedPile.count, 0);
    EXPECT_EQ(carriedPile.bottom, nullptr);
}

TEST_F(Moves, FirstRecordedMoveEntersTheLog) {
    Pile& a = pile(4);
    Pile& b = pile(5);
    put(a, card(3, 0));
    EXPECT_EQ(table.logIndex, -1);
    EXPECT_EQ(headless.title, "Klondike    Not started");
    recordMove(b, a, 0);
    EXPECT_EQ(table.logIndex, 0);
    EXPECT_EQ(gameLog[0].status, LogStatus::Started);
    EXPECT_EQ(gameLog[0].gameIndex, 48);
    EXPECT_EQ(headless.title, "Klondike    Score 0.  Money $-52.  Never completed.");
    recordMove(b, a, 0);
    EXPECT_EQ(countLogEntries(), 1);
}

TEST_F(Moves, UndoTakesWholeActionsBackNewestFirst) {
    Pile& a = pile(4);
    Pile& b = pile(5);
    Pile& c = pile(6);
    put(a, card(1, 0), kFaceDown);
    put(a, card(2, 0));
    put(a, card(3, 0));
    // One action: two cards to b, a turn on a, one card to c.
    moveCard(a, *a.top, b, 0);
    moveCard(a, *a.top, b, 1);
    turnCard(a, *a.top, kFaceUp, 1);
    moveCard(a, *a.top, c, 1);
    // A second action.
    moveCard(b, *b.top, c, 0);
    EXPECT_EQ(table.undoCount, 5);
    undo();
    EXPECT_EQ(table.undoCount, 4);
    EXPECT_EQ(values(b), (std::vector<int>{card(3, 0), card(2, 0)}));
    undo();
    EXPECT_EQ(table.undoCount, 0);
    EXPECT_EQ(values(a), (std::vector<int>{card(1, 0), card(2, 0), card(3, 0)}));
    EXPECT_EQ(faceStates(a), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(b.count + c.count, 0);
}

TEST_F(Moves, UndoOfTurnEntriesFlipsEitherWay) {
    Pile& a = pile(4);
    Card& top = put(a, card(5, 2), kFaceDown);
    turnCard(a, top, kFaceUp, 0);
    undo();
    EXPECT_EQ(top.faceDown, kFaceDown);
    turnCard(a, top, kFaceUp, 0);
    top.faceDown = kFaceUp;
    recordTurn(a, 0);  // a turn whose card now lies face up
    undo();
    EXPECT_EQ(top.faceDown, kFaceDown);
    recordTurn(a, 0);
    undo();
    EXPECT_EQ(top.faceDown, kFaceUp);
}

TEST_F(Moves, SingleCardsComeBackOnTopOrInSortedOrder) {
    Pile& a = pile(4);
    Pile& b = pile(5);
    a.flags |= PileFlags::anySingleCard;
    put(a, card(1, 0));
    Card& middle = put(a, card(5, 0));
    put(a, card(9, 0));
    moveCard(a, middle, b, 0);
    EXPECT_EQ(values(a), (std::vector<int>{card(1, 0), card(9, 0)}));
    undo();
    EXPECT_EQ(values(a), (std::vector<int>{card(1, 0), card(9, 0), card(5, 0)})) << "back on top";
    a.flags |= PileFlags::sortAscending;
    moveCard(a, *cardAt(a, 1), b, 0);
    undo();
    EXPECT_EQ(values(a), (std::vector<int>{card(1, 0), card(5, 0), card(9, 0)})) << "sorted back in place";
}

TEST_F(Moves, OpenSelectionBlocksUndo) {
    Pile& a = pile(4);
    put(a, card(1, 0));
    moveCard(a, *a.top, pile(5), 0);
    pile(5).top->faceDown = kSelected;
    EXPECT_TRUE(selectionPending());
    undo();
    EXPECT_EQ(headless.messages.back().caption, "CANNOT UNDO");
    EXPECT_EQ(table.undoCount, 1);
}

TEST_F(Moves, CardSoundsDrawOnlyWhileSoundIsOn) {
    Pile& a = pile(4);
    put(a, card(1, 0));
    put(a, card(2, 0));
    effectRandom.state = 12345;
    moveCard(a, *a.top, pile(5), 0);
    EXPECT_EQ(effectRandom.state, 12345u) << "no draw with sounds off";
    EXPECT_TRUE(headless.sounds.empty());
    prefs.Sound = -1;
    Generator expected{12345};
    int choice = static_cast<int>(expected(5));
    moveCard(a, *a.top, pile(6), 0);
    EXPECT_EQ(effectRandom.state, expected.state) << "one draw per card move";
    EXPECT_EQ(headless.sounds, (std::vector<int>{kFirstCardSound + choice}));
}

}  // namespace
}  // namespace korvat::test
