// The stock, filling spaces and redeals as the program records and undoes
// them (what they do to the table is the core's, tested there).
#include "play/card_moves.h"
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

TEST_F(Stock, DealsAndRedealsAreUndone) {
    deal(827, 0);
    Pile& waste = pile(11);
    Pile& stock = pile(12);
    press(stock);
    EXPECT_EQ(table.undoCount, 2) << "a turn and a move";
    undo();
    EXPECT_EQ(waste.count, 0);
    EXPECT_EQ(stock.count, 24);
    EXPECT_EQ(stock.top->faceDown, kFaceDown) << "one undo turns the card face down again";

    prefs.Three = -1;
    press(stock);
    EXPECT_EQ(waste.count, 3);
    undo();
    EXPECT_EQ(stock.count, 24);
    for (Card* c = stock.bottom; c; c = c->above) EXPECT_EQ(c->faceDown, kFaceDown);

    prefs.Three = 0;
    for (int i = 0; i < 24; ++i) press(stock);
    press(stock);  // the empty stock redeals
    EXPECT_EQ(table.redealsLeft, 1);
    EXPECT_EQ(stock.count, 24);
    undo();
    EXPECT_EQ(waste.count, 24) << "undo brings the cards back";
    EXPECT_EQ(table.redealsLeft, 1) << "but not the redeal";
}

TEST_F(Stock, ARedealUndoneAndMadeAgainGathersAlike) {
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
            moveCard(pile(i), *pile(i).top, pile(0), 0);
            ++moved;
        }
    std::vector<std::vector<int>> start = snapshot();
    const int undoBefore = table.undoCount;
    press(redealPile);
    std::vector<std::vector<int>> first = snapshot();
    EXPECT_NE(first, start);
    while (table.undoCount > undoBefore) undo();
    EXPECT_EQ(snapshot(), start);
    press(redealPile);
    EXPECT_EQ(snapshot(), first);
}

TEST_F(Stock, FillingSpacesBelongsToTheActionThatMadeThem) {
    emptyTable(840);  // Elevens: nine spaces filled from pile 9
    Pile& filler = pile(9);
    for (int i = 0; i < 10; ++i) put(filler, card(i, 0), i == 9 ? kFaceDown : kFaceUp);
    put(pile(0), card(12, 1));
    put(pile(2), card(12, 2));
    for (int i = 4; i < 9; ++i) put(pile(i), card(12, 3));
    fillSpaces();  // piles 1 and 3 are empty
    EXPECT_EQ(pile(1).count + pile(3).count, 2);
    EXPECT_EQ(table.undoCount, 3) << "a turn and two moves";
    EXPECT_NE(undoBuffer[0].chained, 0) << "filling belongs to the action that made the space";
}

}  // namespace
}  // namespace korvat::test
