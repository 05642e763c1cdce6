// The list operations, the layout of a pile and the sort.
#include "play/game.h"
#include "test_support.h"

namespace korvat::test {
namespace {

struct PileFixture : ::testing::Test {
    Card cards[8];
    Pile pile;
    Pile carrier;

    void SetUp() override {
        table.cardWidth = 64;
        table.cardHeight = 80;
        table.fanStep = 16;
        for (int i = 0; i < 8; ++i) cards[i] = Card{nullptr, nullptr, 0, 0, i * 4, 0, 0};
    }
    void stack(int n) {
        for (int i = 0; i < n; ++i) insertCardAbove(pile, pile.top, cards[i]);
        layoutPile(pile);
    }
    // Walks both ways and checks the links agree.
    std::vector<int> checkedValues(const Pile& p) {
        std::vector<int> up = values(p), down;
        for (Card* c = p.top; c; c = c->below) down.insert(down.begin(), c->value);
        EXPECT_EQ(up, down);
        if (p.bottom) {
            EXPECT_EQ(p.bottom->below, nullptr);
        }
        if (p.top) {
            EXPECT_EQ(p.top->above, nullptr);
        }
        return up;
    }
};

TEST_F(PileFixture, InsertingUnderAPileOrIntoAnEmptyOne) {
    insertCardAbove(pile, nullptr, cards[0]);
    EXPECT_EQ(pile.bottom, &cards[0]);
    EXPECT_EQ(pile.top, &cards[0]);
    insertCardAbove(pile, nullptr, cards[1]);  // slides under the old bottom
    EXPECT_EQ(checkedValues(pile), (std::vector<int>{4, 0}));
    insertCardAbove(pile, &cards[1], cards[2]);  // into the middle
    EXPECT_EQ(checkedValues(pile), (std::vector<int>{4, 8, 0}));
    insertCardAbove(pile, pile.top, cards[3]);  // on top
    EXPECT_EQ(checkedValues(pile), (std::vector<int>{4, 8, 0, 12}));
    EXPECT_EQ(pile.count, 0) << "count stays stale until layoutPile";
    layoutPile(pile);
    EXPECT_EQ(pile.count, 4);
}

TEST_F(PileFixture, UnlinkingFromEveryPlace) {
    stack(4);
    unlinkCard(pile, cards[1]);
    EXPECT_EQ(cards[1].below, nullptr);
    EXPECT_EQ(cards[1].above, nullptr);
    EXPECT_EQ(checkedValues(pile), (std::vector<int>{0, 8, 12}));
    unlinkCard(pile, cards[0]);
    EXPECT_EQ(checkedValues(pile), (std::vector<int>{8, 12}));
    unlinkCard(pile, cards[3]);
    EXPECT_EQ(checkedValues(pile), (std::vector<int>{8}));
    unlinkCard(pile, cards[2]);
    EXPECT_EQ(pile.bottom, nullptr);
    EXPECT_EQ(pile.top, nullptr);
    EXPECT_EQ(pile.count, 4) << "count stays stale until layoutPile";
}

TEST_F(PileFixture, SplittingAndJoiningRuns) {
    stack(5);
    splitRun(pile, carrier, cards[4]);  // the top card alone
    EXPECT_EQ(checkedValues(carrier), (std::vector<int>{16}));
    EXPECT_EQ(checkedValues(pile), (std::vector<int>{0, 4, 8, 12}));
    joinPiles(carrier, pile);
    EXPECT_EQ(carrier.bottom, nullptr);
    EXPECT_EQ(carrier.top, nullptr);
    splitRun(pile, carrier, cards[2]);
    EXPECT_EQ(checkedValues(carrier), (std::vector<int>{8, 12, 16}));
    EXPECT_EQ(checkedValues(pile), (std::vector<int>{0, 4}));
    joinPiles(carrier, pile);
    splitRun(pile, carrier, cards[0]);  // from the bottom: the whole pile
    EXPECT_EQ(pile.bottom, nullptr);
    EXPECT_EQ(pile.top, nullptr);
    EXPECT_EQ(checkedValues(carrier), (std::vector<int>{0, 4, 8, 12, 16}));
    Pile empty;
    joinPiles(carrier, empty);  // an empty target takes the source's bottom
    EXPECT_EQ(checkedValues(empty), (std::vector<int>{0, 4, 8, 12, 16}));
}

TEST_F(PileFixture, LayoutOfFannedAndSquaredPiles) {
    pile.x = 100;
    pile.y = 50;
    pile.fan = Fan::Down;
    stack(5);
    EXPECT_EQ(pile.width, 64);
    EXPECT_EQ(pile.height, 4 * 16 + 80);
    EXPECT_EQ(cards[4].y, 50 + 64);
    EXPECT_EQ(cards[4].x, 100);

    pile.fan = Fan::Right;
    layoutPile(pile);
    EXPECT_EQ(pile.width, 4 * 16 + 64);
    EXPECT_EQ(pile.height, 80);
    EXPECT_EQ(cards[3].x, 100 + 48);

    for (int fan : {-1, 2}) {
        pile.fan = fan;
        layoutPile(pile);
        EXPECT_EQ(pile.width, 64);
        EXPECT_EQ(pile.height, 80);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(cards[i].x, 100);
    }

    Pile empty;
    layoutPile(empty);
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.width, 64);
    EXPECT_EQ(empty.height, 80);
}

TEST(PileAt, WalksTheLayoutAndClampsLowIndices) {
    selectGame(827);
    startGame(0);
    Pile* first = currentGame->layout;
    EXPECT_EQ(pileAt(0), first);
    EXPECT_EQ(pileAt(-5), first);
    EXPECT_EQ(pileAt(12), first + 12);
    EXPECT_EQ(pileAt(13), nullptr);
    EXPECT_EQ(pileIndex(first[7]), 7);
    EXPECT_EQ(pileIndex(carriedPile), -1);
}

}  // namespace
}  // namespace korvat::test
