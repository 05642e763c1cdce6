// Pressing, carrying and dropping cards with the pointer.
#include "play/card_moves.h"
#include "play/pointer.h"
#include "test_support.h"

namespace korvat::test {
namespace {

constexpr int card(int rank, int suit) { return rank * 4 + suit; }
constexpr int S = 0, C = 1, H = 2, D = 3;

class Pointer : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        emptyTable(827);
    }
    // Drags the carried cards so their lowest card's centre lies at (x, y).
    void carryTo(int x, int y) {
        dragTo(x - table.cardWidth / 2 + table.grabX, y - table.cardHeight / 2 + table.grabY);
    }
};

TEST_F(Pointer, PressingBeneathARunSnapsItToThePointer) {
    Pile& p = pile(4);  // downward fan, alternating runs
    put(p, card(9, S));
    Card& queen = put(p, card(11, H));  // the run 9-8 does not continue onto it
    put(p, card(8, C));
    put(p, card(7, D));
    // Press on the visible strip of the queen, beneath the run.
    int x = queen.x + 30, y = queen.y + 5;
    EXPECT_EQ(hitTest(x, y), &p);
    EXPECT_EQ(table.pickBelowGroup, 1);
    pressAt(x, y);
    ASSERT_TRUE(carrying());
    EXPECT_EQ(carriedPile.count, 2);
    EXPECT_EQ(table.grabX, 30);
    EXPECT_EQ(table.grabY, 8);
    EXPECT_EQ(carriedPile.x, x - 30);
    EXPECT_EQ(carriedPile.y, y - 8) << "the lowest card's top edge 8 pixels above the pointer";
    EXPECT_TRUE(headless.captured);
    EXPECT_EQ(headless.cursor, CursorShape::Carrying);
    release();
    EXPECT_FALSE(carrying());
    EXPECT_FALSE(headless.captured);
    EXPECT_EQ(headless.cursor, CursorShape::Arrow);
    EXPECT_EQ(p.count, 4) << "dropped nowhere: back on their pile";
    EXPECT_EQ(table.undoCount, 0);

    // In a rightward fan the left edge goes 8 pixels left of the pointer.
    Pile& r = pile(11);
    r.fan = Fan::Right;
    r.removal = Removal::AnySuitRun;
    r.rankBuild = RankBuild::Down;
    Card& king = put(r, card(12, S));
    put(r, card(3, C));
    put(r, card(2, D));
    put(r, card(1, H));
    pressAt(king.x + 4, king.y + 33);
    ASSERT_TRUE(carrying());
    EXPECT_EQ(table.grabX, 8);
    EXPECT_EQ(table.grabY, 33);
    EXPECT_EQ(carriedPile.count, 3);
    EXPECT_EQ(carriedPile.fan, Fan::Down) << "carried as a downward fan";
    release();
    EXPECT_EQ(r.top->x, r.x + 3 * table.fanStep) << "lands in its pile's own fan";
}

TEST_F(Pointer, PressingTheGroupKeepsItsPlace) {
    Pile& p = pile(4);
    put(p, card(9, S));
    Card& top = put(p, card(8, H));
    pressAt(top.x + 10, top.y + 20);
    ASSERT_TRUE(carrying());
    EXPECT_EQ(table.pickBelowGroup, 0);
    EXPECT_EQ(table.grabX, 10);
    EXPECT_EQ(table.grabY, 20);
    EXPECT_EQ(carriedPile.x, top.x);
    EXPECT_EQ(carriedPile.y, top.y);
    pressAt(0, 0);  // a press while carrying is ignored
    EXPECT_EQ(carriedPile.count, 1);
    release();
}

TEST_F(Pointer, TurningFaceDownTopCards) {
    Pile& p = pile(4);
    put(p, card(2, S), kFaceDown);
    Card& top = put(p, card(3, H), kFaceDown);
    pressAt(top.x + 5, top.y + 70);
    EXPECT_FALSE(carrying());
    EXPECT_EQ(top.faceDown, kFaceUp);
    EXPECT_EQ(table.undoCount, 1);
    undo();
    EXPECT_EQ(top.faceDown, kFaceDown);

    // With removal 5, a face-down card below the top does nothing when pressed.
    Pile& q = pile(5);
    q.removal = Removal::FaceUpAndAbove;
    Card& hidden = put(q, card(4, S), kFaceDown);
    put(q, card(9, D));
    pressAt(hidden.x + 5, hidden.y + 5);
    EXPECT_FALSE(carrying());
    EXPECT_EQ(hidden.faceDown, kFaceDown);
    EXPECT_EQ(table.undoCount, 0);
    // With a run rule the same press lifts the face-up run above it, snapped.
    q.removal = Removal::AlternatingRun;
    pressAt(hidden.x + 5, hidden.y + 5);
    ASSERT_TRUE(carrying());
    EXPECT_EQ(carriedPile.count, 1);
    EXPECT_EQ(carriedPile.y, hidden.y + 5 - 8);
    release();
}

TEST_F(Pointer, DroppingRecordsAndPlaysTheAutomaticMoves) {
    Pile& from = pile(4);
    Pile& to = pile(5);
    put(to, card(9, S));
    Card& moving = put(from, card(8, H));
    pressAt(moving.x + 32, moving.y + 40);
    // The drop target follows the centre of the lowest carried card, not the pointer.
    dragTo(to.x + 32 - 31, to.y + 40);  // centre just inside the target's left edge
    EXPECT_EQ(dropTarget, &to);
    dragTo(to.x + 32 - 33, to.y + 40);  // centre just outside: on no pile
    EXPECT_EQ(dropTarget, nullptr);
    carryTo(to.top->x + 32, to.top->y + 40);
    EXPECT_EQ(dropTarget, &to);
    release();
    EXPECT_EQ(values(to), (std::vector<int>{card(9, S), card(8, H)}));
    EXPECT_EQ(table.undoCount, 1);
    EXPECT_EQ(dropTarget, nullptr);

    // A refused drop glides back and writes nothing.
    Card& wrong = put(from, card(2, D));
    pressAt(wrong.x + 32, wrong.y + 40);
    carryTo(to.top->x + 32, to.top->y + 40);
    EXPECT_EQ(dropTarget, nullptr);
    release();
    EXPECT_EQ(from.top, &wrong);
    EXPECT_EQ(table.undoCount, 1);
}

TEST_F(Pointer, DroppingBackOnTheSourceStillFillsSpaces) {
    emptyTable(840);  // Elevens: pile 9 fills the nine groupable spaces
    // Make pile 0 carryable onto itself, with pile 1 empty and pile 9 filling it.
    Pile& p = pile(0);
    p.removal = Removal::TopCard;
    p.acceptCount = Accept::OneCard;
    p.startCard = StartCard::AnyCard;
    p.flags &= ~PileFlags::groupable;
    Card& c = put(p, card(4, S));
    for (int i = 2; i < 9; ++i) put(pile(i), card(12, H));
    put(pile(9), card(7, D));
    pressAt(c.x + 20, c.y + 20);
    ASSERT_TRUE(carrying());
    EXPECT_EQ(dropTarget, nullptr);
    dragTo(c.x + 20, c.y + 20);
    EXPECT_EQ(dropTarget, &p) << "the source can take its cards back";
    release();
    EXPECT_EQ(p.count, 1);
    EXPECT_EQ(pile(1).count, 1) << "the space was filled";
    EXPECT_EQ(table.undoCount, 1) << "only the filling was recorded";
    EXPECT_EQ(undoBuffer[0].sourceIndex, 9);
}

TEST_F(Pointer, HitTestingPilesAndEmptyAreas) {
    Pile& a = pile(4);
    Pile& b = pile(5);
    EXPECT_EQ(hitTest(a.x, a.y), &a) << "an empty pile covers one card's area";
    EXPECT_EQ(hitTest(a.x + 63, a.y + 79), &a);
    EXPECT_EQ(hitTest(a.x + 64, a.y), nullptr);
    EXPECT_EQ(hitTest(-5, -5), nullptr);
    // Overlapping extents: the pile earlier in the layout wins.
    b.x = a.x + 10;
    b.y = a.y + 10;
    layoutPile(b);
    EXPECT_EQ(hitTest(a.x + 20, a.y + 20), &a);
    EXPECT_EQ(hitTest(a.x + 70, a.y + 20), &b);
}

TEST_F(Pointer, StockPressesAndRedealCounts) {
    deal(827, 5);
    Pile& stock = pile(12);
    // An open selection blocks the stock.
    pile(4).top->faceDown = kSelected;
    pressAt(stock.x + 10, stock.y + 10);
    EXPECT_EQ(stock.count, 24);
    pile(4).top->faceDown = kFaceUp;
    pressAt(stock.x + 10, stock.y + 10);
    EXPECT_EQ(stock.count, 23);
    // Waiting for reserves before dealing.
    stock.flags |= PileFlags::waitReservesToDeal;
    pile(11).flags |= PileFlags::reserve;
    pressAt(stock.x + 10, stock.y + 10);
    EXPECT_EQ(stock.count, 23);
}

TEST_F(Pointer, RightButtonAutoplaysOrExplains) {
    put(pile(5), card(0, H));
    prefs.Right = 0;
    static Pile* explained = reinterpret_cast<Pile*>(1);
    explainRulesHook = [](Pile* p) { explained = p; };
    rightPressAt(pile(5).x + 5, pile(5).y + 5);
    EXPECT_EQ(explained, &pile(5));
    rightPressAt(630, 470);
    EXPECT_EQ(explained, nullptr) << "no pile: the whole game";
    prefs.Right = 1;
    rightPressAt(pile(5).x + 5, pile(5).y + 5);
    EXPECT_EQ(pile(1).count, 1);
    prefs.Right = 7;
    put(pile(6), card(0, D));
    rightPressAt(pile(6).x + 5, pile(6).y + 5);
    EXPECT_EQ(pile(6).count, 1) << "any other value does nothing";
    explainRulesHook = nullptr;
}

}  // namespace
}  // namespace korvat::test
