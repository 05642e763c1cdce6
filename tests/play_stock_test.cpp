// The stock, filling spaces, redeals and the four-suits discard.
#include "play/moves.h"
#include "play/pointer.h"
#include "play/stock.h"
#include "test_support.h"

namespace korvat::test {
namespace {

constexpr int card(int rank, int suit) { return rank * 4 + suit; }

class Stock : public TableTest {};

int centreX(const Pile& p) { return p.x + table.cardWidth / 2; }
int centreY(const Pile& p) { return p.y + table.cardHeight / 2; }
void press(const Pile& p) {
    pressAt(centreX(p), centreY(p));
    release();
}

TEST_F(Stock, KlondikeDealsOneOrThreeAndRedealsTheWaste) {
    deal(827, 0);
    Pile& waste = pile(11);
    Pile& stock = pile(12);
    press(stock);
    EXPECT_EQ(waste.count, 1);
    EXPECT_EQ(waste.top->value, 17) << "the stock's top card";
    EXPECT_EQ(waste.top->faceDown, kFaceUp);
    EXPECT_EQ(table.undoCount, 2) << "a turn and a move";
    undo();
    EXPECT_EQ(waste.count, 0);
    EXPECT_EQ(stock.count, 24);
    EXPECT_EQ(stock.top->faceDown, kFaceDown) << "one undo turns the card face down again";

    prefs.Three = -1;
    press(stock);
    EXPECT_EQ(values(waste), (std::vector<int>{17, 43, 24})) << "three cards, the last dealt on top";
    undo();
    EXPECT_EQ(stock.count, 24);
    for (Card* c = stock.bottom; c; c = c->above) EXPECT_EQ(c->faceDown, kFaceDown);

    prefs.Three = 0;
    std::vector<int> dealt;
    for (int i = 0; i < 24; ++i) press(stock);
    for (Card* c = waste.bottom; c; c = c->above) dealt.push_back(c->value);
    EXPECT_EQ(stock.count, 0);
    EXPECT_EQ(table.redealsLeft, 2);
    press(stock);  // the empty stock redeals
    EXPECT_EQ(table.redealsLeft, 1);
    EXPECT_EQ(waste.count, 0);
    EXPECT_EQ(stock.count, 24);
    EXPECT_EQ(stock.top->value, dealt.front()) << "the first-dealt card comes back on top";
    for (Card* c = stock.bottom; c; c = c->above) EXPECT_EQ(c->faceDown, kFaceDown);
    undo();
    EXPECT_EQ(waste.count, 24) << "undo brings the cards back";
    EXPECT_EQ(table.redealsLeft, 1) << "but not the redeal";
}

TEST_F(Stock, RedealAllowance) {
    deal(827, 3);
    Pile& stock = pile(12);
    for (int r : {2, 1, 0}) {
        EXPECT_EQ(table.redealsLeft, r);
        while (stock.count) press(stock);
        press(stock);
    }
    EXPECT_EQ(table.redealsLeft, 0);
    EXPECT_EQ(stock.count, 0) << "no redeal once none are left";

    prefs.Unlimit = -1;
    deal(827, 3);
    EXPECT_EQ(table.redealsLeft, -1);
    for (int i = 0; i < 4; ++i) {
        while (stock.count) press(stock);
        press(stock);
        EXPECT_EQ(stock.count, 24);
    }
    EXPECT_EQ(table.redealsLeft, -1);

    prefs.Unlimit = 0;
    deal(823, 3);  // Canfield: no redeal bits, so unlimited
    EXPECT_EQ(table.redealsLeft, -1);
}

TEST_F(Stock, WasteSizeLimitSetsTheCardsPerPress) {
    deal(827, 0);
    pile(11).sizeLimit = 4;
    press(pile(12));
    EXPECT_EQ(pile(11).count, 4);
    prefs.Three = -1;
    press(pile(12));
    EXPECT_EQ(pile(11).count, 7) << "three while the stock deals three";
    pile(12).flags &= ~PileFlags::dealThree;
    press(pile(12));
    EXPECT_EQ(pile(11).count, 11);
}

TEST_F(Stock, RedealRefillsPilesInLayoutOrderAndRepeatsItsPattern) {
    deal(845, 7);  // La Belle Lucie: seventeen fans of 3 and one of 1, refilled on a redeal
    Pile& redealPile = pile(22);
    auto snapshot = [] {
        std::vector<std::vector<int>> s;
        for (Pile* p = currentGame->layout; p; p = p->next) s.push_back(values(*p));
        return s;
    };
    // Play some cards out of the fans so the refill runs short.
    int moved = 0;
    for (int i = 4; i < 22 && moved < 9; ++i)
        while (pile(i).count > 2 && moved < 9) {
            Pile& target = pile(i + 1 < 22 ? i + 1 : 4);
            moveCard(pile(i), *pile(i).top, pile(0), 0);
            (void)target;
            ++moved;
        }
    const int before = redealCardCount();
    EXPECT_EQ(before, 52 - 9);
    std::vector<std::vector<int>> start = snapshot();
    const int undoBefore = table.undoCount;
    press(redealPile);
    int expectedLeft = before;
    for (int i = 4; i < 22; ++i) {
        int want = std::min(pile(i).dealCount, expectedLeft);
        EXPECT_EQ(pile(i).count, want) << i;
        expectedLeft -= want;
    }
    EXPECT_EQ(redealPile.count, expectedLeft);
    std::vector<std::vector<int>> first = snapshot();
    // Undo and redeal again from the same position: the same gathering.
    while (table.undoCount > undoBefore) undo();
    EXPECT_EQ(snapshot(), start);
    press(redealPile);
    EXPECT_EQ(snapshot(), first);
}

TEST_F(Stock, FillingSpacesOneCardEach) {
    emptyTable(840);  // Elevens: nine spaces filled from pile 9
    Pile& filler = pile(9);
    for (int i = 0; i < 10; ++i) put(filler, card(i, 0), i == 9 ? kFaceDown : kFaceUp);
    put(pile(0), card(12, 1));
    put(pile(2), card(12, 2));
    for (int i = 4; i < 9; ++i) put(pile(i), card(12, 3));
    fillSpaces();  // piles 1 and 3 are empty
    EXPECT_EQ(pile(1).count, 1);
    EXPECT_EQ(pile(3).count, 1);
    EXPECT_EQ(pile(1).top->value, card(9, 0));
    EXPECT_EQ(pile(1).top->faceDown, kFaceUp) << "turned face up on its way";
    EXPECT_EQ(pile(3).top->value, card(8, 0));
    EXPECT_EQ(filler.count, 8);
    EXPECT_EQ(table.undoCount, 3);
    EXPECT_NE(undoBuffer[0].chained, 0) << "filling belongs to the action that made the space";
}

TEST_F(Stock, FourSuitsGoToTheLastFoundation) {
    emptyTable(507);  // Stone Circle: four piles discard when they show four suits
    put(pile(1), card(12, 2));
    put(pile(2), card(4, 0));
    put(pile(3), card(8, 1));
    put(pile(4), card(1, 3));
    discardFourSuits();
    EXPECT_EQ(values(pile(0)), (std::vector<int>{card(4, 0), card(8, 1), card(1, 3)}));
    EXPECT_EQ(pile(1).count, 1) << "the king stays";
    discardFourSuits();
    EXPECT_EQ(pile(0).count, 3) << "three suits no longer discard";
}

}  // namespace
}  // namespace korvat::test
