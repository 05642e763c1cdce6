// Autoplay to the foundations, complete runs and discard groups.
#include "play/autoplay.h"
#include "play/moves.h"
#include "play/pointer.h"
#include "test_support.h"

namespace korvat::test {
namespace {

constexpr int card(int rank, int suit) { return rank * 4 + suit; }
constexpr int S = 0, C = 1, H = 2, D = 3;

class Autoplay : public TableTest {};

TEST_F(Autoplay, StepPlaysTheFirstPileToTheFirstFoundation) {
    emptyTable(827);
    // Two tableau piles could both play; two foundations could both take an ace.
    pile(0).startCard = StartCard::AnyAce;
    pile(1).startCard = StartCard::AnyAce;
    put(pile(6), card(0, D));
    put(pile(5), card(0, H));
    EXPECT_TRUE(autoStep());
    EXPECT_EQ(values(pile(0)), (std::vector<int>{card(0, H)}));
    EXPECT_TRUE(autoStep());
    EXPECT_EQ(values(pile(1)), (std::vector<int>{card(0, D)}));
    EXPECT_FALSE(autoStep());
    EXPECT_EQ(table.undoCount, 2);
}

TEST_F(Autoplay, FaceDownTopIsTurnedAsTheStep) {
    emptyTable(827);
    put(pile(4), card(0, S), kFaceDown);
    EXPECT_TRUE(autoStep());
    EXPECT_EQ(pile(4).top->faceDown, kFaceUp);
    EXPECT_EQ(pile(0).count, 0);
    EXPECT_TRUE(autoStep());
    EXPECT_EQ(pile(0).count, 1);
    undo();
    undo();
    EXPECT_EQ(pile(4).top->faceDown, kFaceDown) << "each step is one undo action";
}

TEST_F(Autoplay, WaitingPilesAndSingleCardPiles) {
    emptyTable(827);
    pile(4).flags |= PileFlags::waitReservesToTake;
    pile(11).flags |= PileFlags::reserve;
    put(pile(11), card(5, C));
    put(pile(4), card(0, S));
    put(pile(5), card(0, H));
    EXPECT_TRUE(autoStep());
    EXPECT_EQ(pile(4).count, 1) << "the waiting pile is passed over";
    EXPECT_EQ(pile(1).count, 1);

    pile(6).flags |= PileFlags::anySingleCard;
    put(pile(6), card(7, H));
    put(pile(6), card(1, H));
    put(pile(6), card(0, D));
    put(pile(6), card(9, S));
    EXPECT_TRUE(autoplayPile(&pile(6)));
    EXPECT_EQ(values(pile(1)), (std::vector<int>{card(0, H), card(1, H)})) << "the lowest card a foundation takes";
    EXPECT_TRUE(autoplayPile(&pile(6)));
    EXPECT_EQ(values(pile(2)), (std::vector<int>{card(0, D)}));
    EXPECT_EQ(values(pile(6)), (std::vector<int>{card(7, H), card(9, S)}));
    EXPECT_FALSE(autoplayPile(&pile(6)));
    EXPECT_FALSE(autoplayPile(nullptr));
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

class Runs : public TableTest {
protected:
    void run(Pile& p, bool oneSuit) {
        for (int rank = 12; rank >= 0; --rank) put(p, card(rank, oneSuit ? H : rank % 4));
    }
};

TEST_F(Runs, CompleteStraightGoesToTheFirstEmptyFoundation) {
    emptyTable(901);  // Spider: eight foundations, ten piles with autoplaySuite
    Pile& p = pile(8);
    p.flags = (p.flags & ~PileFlags::autoplaySuite) | PileFlags::autoplayStraight;
    put(p, card(4, S), kFaceDown);
    run(p, false);
    put(pile(0), card(3, C));  // the first foundation is not empty
    EXPECT_TRUE(playStraightRun());
    EXPECT_EQ(pile(1).count, 13);
    EXPECT_EQ(rankOf(pile(1).bottom->value), 0);
    EXPECT_EQ(rankOf(pile(1).top->value), 12);
    EXPECT_EQ(values(p), (std::vector<int>{card(4, S)}));
    EXPECT_FALSE(playStraightRun());
    EXPECT_FALSE(playSuiteRun());
}

TEST_F(Runs, SuiteRunsNeedOneSuitAndAnEmptyFoundation) {
    emptyTable(901);
    Pile& p = pile(9);
    run(p, false);
    EXPECT_FALSE(playSuiteRun()) << "mixed suits";
    emptyTable(901);
    run(pile(9), true);
    for (int i = 0; i < 8; ++i) put(pile(i), card(5, D));
    EXPECT_FALSE(playSuiteRun()) << "no empty foundation";
    pile(5).bottom = pile(5).top = nullptr;
    layoutPile(pile(5));
    EXPECT_TRUE(playSuiteRun());
    EXPECT_EQ(pile(5).count, 13);
    EXPECT_EQ(pile(9).count, 0);
    undo();
    EXPECT_EQ(pile(9).count, 13) << "one action";
}

TEST_F(Runs, RunStopsAtAFaceDownCard) {
    emptyTable(901);
    Pile& p = pile(9);
    run(p, true);
    cardAt(p, 6)->faceDown = kFaceDown;
    EXPECT_FALSE(playSuiteRun());
}

class Discards : public TableTest {
protected:
    // Selects the top card of pile i by pressing it.
    void select(int i) {
        Pile& p = pile(i);
        pressAt(p.x + table.cardWidth / 2, p.y + table.cardHeight / 2);
    }
    int selected() {
        int n = 0;
        for (Pile* p = currentGame->layout; p; p = p->next)
            if (p->top && p->top->faceDown == kSelected) ++n;
        return n;
    }
    Pile& foundation() {
        for (Pile* p = currentGame->layout; p; p = p->next)
            if (p->flags & PileFlags::foundation) return *p;
        return pile(0);
    }
};

TEST_F(Discards, ThirteensWithKingsSingly) {
    emptyTable(842);  // Thirteens: pairs totalling 13, kings singly
    const int ranks[] = {12, 5, 6, 5, 7, 8, 3, 2, 1, 0};
    for (int i = 0; i < 10; ++i) put(pile(i), card(ranks[i], i % 4));
    select(0);
    EXPECT_EQ(foundation().count, 1) << "a king goes at once";
    select(1);
    select(3);
    EXPECT_EQ(selected(), 2) << "6 and 6 stay selected";
    select(3);
    select(2);
    EXPECT_EQ(foundation().count, 3) << "6 and 7";
    EXPECT_EQ(selected(), 0);
    // Deselecting can complete a group.
    select(4);  // 8
    select(5);  // 9
    select(6);  // 4
    EXPECT_EQ(selected(), 3);
    select(4);  // deselect the 8: 9 and 4 remain, 13
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(foundation().count, 5);
    EXPECT_EQ(table.undoCount, 5) << "selecting writes no entries";
}

TEST_F(Discards, FifteensQuartetsAndTriplets) {
    emptyTable(841);  // Fifteens: nines and lower adding to 15, quartets of tens and higher
    const int ranks[] = {3, 4, 6, 5, 9, 9, 9, 9, 8, 8, 8, 8, 0, 1, 2, 3};
    for (int i = 0; i < 16; ++i) put(pile(i), card(ranks[i], i % 4));
    select(0);  // 4
    select(1);  // 5
    select(2);  // 7: 16
    EXPECT_EQ(selected(), 3);
    select(2);
    select(3);  // 6: 4 + 5 + 6
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(foundation().count, 3);
    for (int i = 4; i < 8; ++i) select(i);  // four tens
    EXPECT_EQ(foundation().count, 7);
    for (int i = 8; i < 12; ++i) select(i);  // four nines
    EXPECT_EQ(selected(), 4);
    EXPECT_EQ(foundation().count, 7);
    for (int i = 8; i < 12; ++i) select(i);
    // A ten with small cards never makes fifteen.
    EXPECT_FALSE(isDiscardGroup());

    emptyTable(840);  // Elevens: pairs totalling 11, jack-queen-king
    put(pile(0), card(10, S));
    put(pile(1), card(11, H));
    put(pile(2), card(12, D));
    put(pile(3), card(10, C));
    select(0);
    select(3);
    select(2);
    EXPECT_EQ(selected(), 3) << "J, J, K is no triplet";
    select(3);
    select(1);
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(foundation().count, 3);
}

TEST_F(Discards, MoreThanTenSelectedIsNeverAGroup) {
    emptyTable(841);
    // Eleven aces and small cards: no group, and nothing overflows.
    for (int i = 0; i < 16; ++i) put(pile(i), card(i < 11 ? 0 : 12, i % 4));
    for (int i = 0; i < 11; ++i) select(i);
    EXPECT_EQ(selected(), 11);
    EXPECT_FALSE(isDiscardGroup());
    select(10);
    EXPECT_EQ(selected(), 10) << "ten aces add up to ten, not fifteen";
}

}  // namespace
}  // namespace korvat::test
