// Autoplay, complete runs and discard groups as the program records and
// undoes them (which cards they move is the core's, tested there).
#include "play/autoplay.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "test_support.h"

namespace korvat::test {
namespace {

constexpr int card(int rank, int suit) { return rank * 4 + suit; }
constexpr int S = 0, H = 2;

class Autoplay : public TableTest {};

TEST_F(Autoplay, FaceDownTopIsTurnedAsTheStep) {
    emptyTable(827);
    put(pile(4), card(0, S), kFaceDown);
    EXPECT_TRUE(autoStep());
    EXPECT_EQ(pile(4).top->faceDown, kFaceUp);
    EXPECT_EQ(pile(0).count, 0);
    EXPECT_TRUE(autoStep());
    EXPECT_EQ(pile(0).count, 1);
    EXPECT_EQ(table.undoCount, 2);
    undo();
    undo();
    EXPECT_EQ(pile(4).top->faceDown, kFaceDown) << "each step is one undo action";
}

TEST_F(Autoplay, FaceDownBottomOfASingleCardPileIsTurnedNotLooped) {
    emptyTable(827);
    Pile& p = pile(6);
    p.flags |= PileFlags::anySingleCard;
    put(p, card(5, S), kFaceDown);
    put(p, card(9, H));
    int steps = 0;
    while (autoStep() && steps < 100) ++steps;
    EXPECT_EQ(steps, 1) << "one turn, then nothing to play";
    EXPECT_EQ(p.bottom->faceDown, kFaceUp);
    undo();
    EXPECT_EQ(p.bottom->faceDown, kFaceDown) << "the turn was recorded";
    EXPECT_EQ(p.top->faceDown, kFaceUp) << "and undone on the card it turned";
}

TEST_F(Autoplay, ACompleteRunIsOneUndoAction) {
    emptyTable(901);  // Spider: eight foundations, ten piles with autoplaySuite
    for (int rank = 12; rank >= 0; --rank) put(pile(9), card(rank, H));
    EXPECT_TRUE(playSuiteRun());
    EXPECT_EQ(pile(0).count, 13);
    undo();
    EXPECT_EQ(pile(9).count, 13) << "one action";
}

class Discards : public TableTest {
protected:
    // Selects the top card of pile i by pressing it.
    void select(int i) {
        Pile& p = pile(i);
        pressAt(p.x + table.cardWidth / 2, p.y + table.cardHeight / 2);
    }
};

TEST_F(Discards, SelectingWritesNoUndoEntries) {
    emptyTable(842);  // Thirteens: pairs totalling 13, kings singly
    const int ranks[] = {12, 5, 6, 5, 7, 8, 3, 2, 1, 0};
    for (int i = 0; i < 10; ++i) put(pile(i), card(ranks[i], i % 4));
    select(0);  // a king goes at once
    select(1);
    select(3);  // 6 and 6 stay selected
    select(3);
    select(2);  // 6 and 7
    select(4);
    select(5);
    select(6);
    select(4);  // deselecting the 8 leaves 9 and 4
    EXPECT_EQ(table.undoCount, 5) << "one entry per card discarded";
    EXPECT_FALSE(selectionPending());
}

}  // namespace
}  // namespace korvat::test
