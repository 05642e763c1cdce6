// Which cards a press takes and where they may go.
#include "play/legality.h"
#include "test_support.h"

namespace korvat::test {
namespace {

constexpr int card(int rank, int suit) { return rank * 4 + suit; }
constexpr int S = 0, C = 1, H = 2, D = 3;

class Legality : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        emptyTable(827);  // Klondike's piles: 0-3 foundations, 4-10 tableau, 11 waste, 12 stock
    }
};

TEST_F(Legality, RunsAreMeasuredFromTheTopCard) {
    Pile& p = pile(4);
    p.removal = Removal::AnySuitRun;
    Card& hidden = put(p, card(2, S), 1);
    Card& ten = put(p, card(9, H));
    Card& eight = put(p, card(7, S));
    put(p, card(6, H));
    Card& six = put(p, card(5, C));
    put(p, card(4, D));
    Card& top = put(p, card(3, S));
    EXPECT_EQ(findPickCard(p, top), &top) << "the top card alone";
    EXPECT_EQ(findPickCard(p, six), &eight) << "inside the run: the whole run";
    EXPECT_EQ(findPickCard(p, ten), &eight) << "beneath the run: the whole run";
    EXPECT_EQ(findPickCard(p, hidden), &eight);
    EXPECT_TRUE(liesBelow(p, &eight, &ten));
    EXPECT_FALSE(liesBelow(p, &eight, &six));
    EXPECT_FALSE(liesBelow(p, &eight, &eight));

    // A run stops at a face-down or selected card even when the rank goes on.
    eight.faceDown = kFaceDown;
    EXPECT_EQ(findPickCard(p, ten)->value, card(6, H));
    eight.faceDown = kSelected;
    EXPECT_EQ(findPickCard(p, ten)->value, card(6, H));
    eight.faceDown = kFaceUp;

    // Building up gives a run step of 0: only equal ranks form a run.
    p.rankBuild = RankBuild::Up;
    EXPECT_EQ(findPickCard(p, six), &top);
    // Down by twos steps two ranks.
    p.rankBuild = RankBuild::DownByTwos;
    EXPECT_EQ(findPickCard(p, six), &top);
}

TEST_F(Legality, RemovalRulesAndSuitsOfRuns) {
    Pile& p = pile(4);
    p.removal = Removal::ChangingSuitRun;
    Card& king = put(p, card(12, S));
    put(p, card(11, H));
    Card& jack = put(p, card(10, H));
    EXPECT_EQ(findPickCard(p, king), &jack) << "the queen has the jack's suit";
    jack.value = card(10, C);
    EXPECT_EQ(findPickCard(p, king), &king) << "king, queen and jack in changing suits";

    p.removal = Removal::SameColourRun;
    EXPECT_EQ(findPickCard(p, king), &jack);
    p.removal = Removal::AlternatingRun;
    EXPECT_EQ(findPickCard(p, king), &king);
    p.removal = Removal::SameSuitRun;
    EXPECT_EQ(findPickCard(p, king), &jack);
    p.removal = Removal::TopCard;
    EXPECT_EQ(findPickCard(p, king), &jack);
    p.removal = Removal::FaceUpAndAbove;
    EXPECT_EQ(findPickCard(p, king), &king);
    p.removal = Removal::Nothing;
    EXPECT_EQ(findPickCard(p, king), nullptr);
    p.flags |= PileFlags::anySingleCard;
    EXPECT_EQ(findPickCard(p, king), &king) << "any single card, whatever the removal rule";

    p.flags |= PileFlags::waitReservesToTake;
    pile(11).flags |= PileFlags::reserve;
    put(pile(11), card(0, D));
    EXPECT_EQ(findPickCard(p, king), nullptr) << "a reserve still holds a card";
}

TEST_F(Legality, PlacementOnEmptyAndFullPiles) {
    Pile& source = pile(11);
    Pile& t = pile(5);
    Card& moving = put(source, card(6, H));

    t.acceptCount = Accept::Nothing;
    t.startCard = StartCard::AnyCard;
    EXPECT_TRUE(canPlace(source, t, moving, 1));
    EXPECT_TRUE(canPlace(source, t, moving, 3)) << "an empty pile taking any card takes a group too";
    put(t, card(7, S));
    EXPECT_FALSE(canPlace(source, t, moving, 1)) << "nothing on a pile that holds cards";

    Pile& limited = pile(6);
    limited.sizeLimit = 1;
    limited.startCard = StartCard::AnyCard;
    EXPECT_TRUE(canPlace(source, limited, moving, 1));
    EXPECT_FALSE(canPlace(source, limited, moving, 2));

    Pile& kingsOnly = pile(7);  // Klondike tableau: empty takes a king
    EXPECT_FALSE(canPlace(source, kingsOnly, moving, 1));
    Card king = moving;
    king.value = card(12, D);
    EXPECT_TRUE(canPlace(source, kingsOnly, king, 5));
    kingsOnly.acceptCount = Accept::OneCard;
    EXPECT_FALSE(canPlace(source, kingsOnly, king, 2));

    struct {
        int start;
        int accepted;
        int refused;
    } starts[] = {
        {card(3, H), card(3, H), card(3, D)},
        {StartCard::AnyAce, card(0, C), card(1, C)},
        {StartCard::AnyQueen, card(11, S), card(12, S)},
        {StartCard::FaceCard, card(10, D), card(9, D)},
        {StartCard::AnyTwo, card(1, H), card(2, H)},
        {StartCard::AnySix, card(5, S), card(4, S)},
        {StartCard::AnySeven, card(6, C), card(7, C)},
        {StartCard::Nothing, -1, card(0, S)},
    };
    Pile& e = pile(8);
    for (auto& s : starts) {
        e.startCard = s.start;
        Card c = moving;
        if (s.accepted >= 0) {
            c.value = s.accepted;
            EXPECT_TRUE(canPlace(source, e, c, 1)) << s.start;
        }
        c.value = s.refused;
        EXPECT_FALSE(canPlace(source, e, c, 1)) << s.start;
    }
}

TEST_F(Legality, BuildingRanksAndSuits) {
    Pile& source = pile(11);
    Pile& t = pile(4);
    t.rankBuild = RankBuild::Down;
    t.suitBuild = SuitBuild::Any;
    Card& top = put(t, card(0, S));
    Card c = top;
    c.value = card(12, H);
    for (int build : {RankBuild::Up, RankBuild::Down, RankBuild::UpByTwos, RankBuild::DownByTwos, RankBuild::UpOrDown}) {
        t.rankBuild = build;
        EXPECT_FALSE(canPlace(source, t, c, 1)) << "no wrap-around, build " << build;
    }
    top.value = card(6, S);
    struct {
        int build, rank;
        bool ok;
    } ranks[] = {{RankBuild::Up, 7, true},        {RankBuild::Up, 5, false},       {RankBuild::Down, 5, true},
                 {RankBuild::Down, 7, false},     {RankBuild::UpByTwos, 8, true},  {RankBuild::UpByTwos, 7, false},
                 {RankBuild::DownByTwos, 4, true}, {RankBuild::DownByTwos, 5, false}, {RankBuild::UpOrDown, 5, true},
                 {RankBuild::UpOrDown, 7, true},  {RankBuild::UpOrDown, 6, false}, {RankBuild::Any, 0, true},
                 {RankBuild::None, 12, true}};
    for (auto& r : ranks) {
        t.rankBuild = r.build;
        c.value = card(r.rank, D);
        EXPECT_EQ(canPlace(source, t, c, 1), r.ok) << r.build << " " << r.rank;
    }
    t.rankBuild = RankBuild::None;
    struct {
        int build, suit;
        bool ok;
    } suits[] = {{SuitBuild::SameColour, C, true},     {SuitBuild::SameColour, H, false},
                 {SuitBuild::OppositeColour, D, true}, {SuitBuild::OppositeColour, C, false},
                 {SuitBuild::SameSuit, S, true},       {SuitBuild::SameSuit, C, false},
                 {SuitBuild::DifferentSuit, C, true},  {SuitBuild::DifferentSuit, S, false},
                 {SuitBuild::Any, H, true}};
    for (auto& s : suits) {
        t.suitBuild = s.build;
        c.value = card(3, s.suit);
        EXPECT_EQ(canPlace(source, t, c, 1), s.ok) << s.build << " " << s.suit;
    }
    t.suitBuild = SuitBuild::Any;
    top.faceDown = kFaceDown;
    c.value = card(5, H);
    EXPECT_FALSE(canPlace(source, t, c, 1)) << "a face-down top card refuses everything";
    top.faceDown = kSelected;
    EXPECT_TRUE(canPlace(source, t, c, 1)) << "a selected top card does not";
}

TEST_F(Legality, CardsFromOtherWastePiles) {
    // Pile 5 takes kings, or cards lower than a same-suit card on another top-card-only pile.
    Pile& t = pile(5);
    t.flags = PileFlags::kingsOrBelowWasteTop;
    t.startCard = StartCard::AnyCard;
    Pile& source = pile(6);
    source.removal = Removal::TopCard;
    Pile& other = pile(7);
    other.removal = Removal::TopCard;
    Card& five = put(source, card(5, S));
    Card king = five;
    king.value = card(12, H);
    EXPECT_TRUE(canPlace(source, t, king, 1));
    EXPECT_FALSE(canPlace(source, t, five, 1));
    put(source, card(9, S));  // on the source itself: does not count
    EXPECT_FALSE(canPlace(source, t, five, 1));
    Card& otherTop = put(other, card(6, S));
    EXPECT_TRUE(canPlace(source, t, five, 1));
    otherTop.value = card(5, S);
    EXPECT_FALSE(canPlace(source, t, five, 1)) << "strictly higher";
    otherTop.value = card(8, C);
    EXPECT_FALSE(canPlace(source, t, five, 1)) << "same suit";
    otherTop.value = card(8, S);
    other.removal = Removal::AnySuitRun;
    EXPECT_FALSE(canPlace(source, t, five, 1)) << "only top-card-only piles count";
    other.removal = Removal::TopCard;

    t.flags = PileFlags::acesOrBelowWasteTop;
    Card ace = five;
    ace.value = card(0, D);
    EXPECT_TRUE(canPlace(source, t, ace, 1));
    EXPECT_FALSE(canPlace(source, t, king, 1));
    EXPECT_TRUE(canPlace(source, t, five, 1));
    t.flags = PileFlags::belowWasteTop;
    EXPECT_FALSE(canPlace(source, t, ace, 1));
    EXPECT_TRUE(canPlace(source, t, five, 1));
}

TEST_F(Legality, ReservesAndFoundationOnlyPiles) {
    Pile& reserve = pile(11);
    reserve.flags |= PileFlags::reserve;
    Pile& plain = pile(12);
    Pile& t = pile(4);
    t.startCard = StartCard::AnyCard;
    t.rankBuild = RankBuild::None;
    t.suitBuild = SuitBuild::None;
    Card& fromReserve = put(reserve, card(3, H));
    Card& fromPlain = put(plain, card(4, H));
    EXPECT_FALSE(reservesEmpty());

    t.flags = PileFlags::waitReservesAlways;
    EXPECT_FALSE(canPlace(reserve, t, fromReserve, 1)) << "refused whatever the source";
    t.flags = PileFlags::waitReservesToPlay;
    EXPECT_TRUE(canPlace(reserve, t, fromReserve, 1));
    EXPECT_FALSE(canPlace(plain, t, fromPlain, 1));
    t.flags = PileFlags::waitReservesToFillSpace;
    EXPECT_FALSE(canPlace(plain, t, fromPlain, 1)) << "the target is empty";
    put(t, card(9, C));
    EXPECT_TRUE(canPlace(plain, t, fromPlain, 1)) << "once it holds a card the wait is over";

    plain.flags |= PileFlags::foundationOnly;
    EXPECT_FALSE(canPlace(plain, t, fromPlain, 1));
    t.flags |= PileFlags::foundation;
    EXPECT_TRUE(canPlace(plain, t, fromPlain, 1));
}

TEST_F(Legality, RankOfThePileAbove) {
    Pile& above = pile(5);
    Pile& t = pile(6);
    t.flags = PileFlags::rankOfPileAbove;
    t.startCard = StartCard::AnyCard;
    t.rankBuild = RankBuild::None;
    t.suitBuild = SuitBuild::None;
    Pile& source = pile(11);
    Card& c = put(source, card(7, H));
    put(above, card(2, S));
    put(above, card(7, C));
    EXPECT_FALSE(canPlace(source, t, c, 1)) << "an empty target compares with the bottom card only";
    c.value = card(2, D);
    EXPECT_TRUE(canPlace(source, t, c, 1));
    put(t, card(11, S));
    c.value = card(7, D);
    EXPECT_TRUE(canPlace(source, t, c, 1)) << "a non-empty target compares with every card";
    c.value = card(8, D);
    EXPECT_FALSE(canPlace(source, t, c, 1));
    pile(0).flags |= PileFlags::rankOfPileAbove;
    pile(0).startCard = StartCard::AnyCard;
    EXPECT_FALSE(canPlace(source, pile(0), c, 1)) << "the first pile has no pile above";
}

}  // namespace
}  // namespace korvat::test
