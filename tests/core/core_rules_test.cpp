// The rules on hand-built tables: which cards a press takes, where they may
// go, what the stock, a redeal and the discard rules do, each said as the
// moves legalMoves lists for the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "core/actions.h"
#include "core/deal.h"
#include "core/legality.h"
#include "core/moves.h"
#include "model/catalogue.h"

namespace korvat::core {
namespace {

constexpr int card(int rank, int suit) { return rank * 4 + suit; }
constexpr int S = 0, C = 1, H = 2, D = 3;

using Moves = std::set<std::string>;

// A move as the player would make it: move:P,K,Q, turn:P, deal:P, redeal:P
// or discard:P,... (the pile selected last, last).
std::string describe(const Move& m) {
    const std::string from = std::to_string(m.from);
    switch (m.kind) {
        case Move::Place: return "move:" + from + "," + std::to_string(m.card) + "," + std::to_string(m.to);
        case Move::Turn: return "turn:" + from;
        case Move::Deal: return "deal:" + from;
        case Move::Redeal: return "redeal:" + from;
        case Move::Discard: break;
    }
    std::string s = "discard:";
    forEachPile(m.last < kMaxPiles ? m.piles & ~bit(m.last) : m.piles, [&](int p) { s += std::to_string(p) + ","; });
    if (m.last < kMaxPiles) s += std::to_string(m.last) + ",";
    s.pop_back();
    return s;
}

// A game's piles, whose rule codes a test may change, and a table laid out
// on them pile by pile.
class Hand {
public:
    explicit Hand(int commandId) : game_(gameCatalogue()[static_cast<size_t>(findGameRow(commandId))]) {
        for (int p = 0; p < game_.pileCount; ++p) piles_[static_cast<size_t>(p)] = game_.layout[p];
        cards_.resize(static_cast<size_t>(game_.pileCount));
    }
    // Every pile takes nothing, gives nothing and has no flags but the
    // foundations' own, so that a test sets only the rules it is about.
    Hand& plain() {
        for (int p = 0; p < game_.pileCount; ++p) {
            Pile& x = pile(p);
            x.startCard = StartCard::Nothing;
            x.acceptCount = Accept::Nothing;
            x.removal = Removal::Nothing;
            x.rankBuild = RankBuild::None;
            x.suitBuild = SuitBuild::None;
            x.sizeLimit = 0;
            x.flags &= PileFlags::foundation;
        }
        return *this;
    }
    // The pile takes any card, or group, while empty.
    Hand& open(int p) {
        pile(p).startCard = StartCard::AnyCard;
        pile(p).acceptCount = Accept::AnyNumber;
        return *this;
    }
    Pile& pile(int p) { return piles_[static_cast<size_t>(p)]; }
    uint32_t& ruleFlags() { return game_.ruleFlags; }

    Hand& put(int p, int value, int state = kFaceUp) {
        cards_[static_cast<size_t>(p)].push_back(cardByte(value, state));
        return *this;
    }
    Hand& clear(int p) {
        cards_[static_cast<size_t>(p)].clear();
        return *this;
    }
    uint8_t& at(int p, int k) { return cards_[static_cast<size_t>(p)][static_cast<size_t>(k)]; }
    void setState(int p, int k, int state) { at(p, k) = cardByte(valueOf(at(p, k)), state); }

    RuleOptions options;
    GameRules rules() const {
        GameEntry game = game_;
        game.layout = const_cast<Pile*>(piles_.data());
        return makeRules(game, options, 0);
    }
    Table table() const {
        Table t = emptyTable(rules());
        for (int p = 0; p < game_.pileCount; ++p) {
            const std::vector<uint8_t>& c = cards_[static_cast<size_t>(p)];
            if (!c.empty()) t.push(p, c.data(), static_cast<int>(c.size()));
        }
        return t;
    }
    Moves moves() const {
        MoveList list;
        legalMoves(rules(), table(), list);
        Moves out;
        for (const Move& m : list) out.insert(describe(m));
        return out;
    }
    // What a press on each card of the pile takes: the position of the
    // lowest card taken, or -1.
    std::vector<int> picks(int p) const {
        std::vector<int> out;
        const GameRules r = rules();
        const Table t = table();
        for (int k = 0; k < t.count(p); ++k) out.push_back(findPickCard(r, t, p, k));
        return out;
    }
    // Whether card `value` from the source, with n - 1 cards on it, may go
    // onto the target (the moving cards are on no pile).
    bool places(int source, int target, int value, int n = 1) const {
        return canPlace(rules(), table(), source, target, value, n);
    }

private:
    GameEntry game_;
    std::array<Pile, kMaxPilesPerGame> piles_;
    std::vector<std::vector<uint8_t>> cards_;
};

// Klondike's piles: 0-3 foundations, 4-10 tableau, 11 waste, 12 stock.

// Sorted piles exchange values only: every card's state stays in its place.
TEST(SortedPiles, ValuesMoveButStatesStay) {
    const int dealt[] = {30, 7, 30, 2, 51, 7};
    uint8_t c[6];
    for (int i = 0; i < 6; ++i) c[i] = cardByte(dealt[i], i % 2 ? kFaceDown : kFaceUp);
    auto shown = [&] {
        std::string s;
        for (uint8_t x : c) s += std::to_string(valueOf(x)) + (stateOf(x) == kFaceDown ? "d " : " ");
        return s;
    };
    sortCards(PileFlags::sortAscending, c, 6);
    EXPECT_EQ(shown(), "2 7d 7 30d 30 51d ");
    sortCards(PileFlags::sortDescending, c, 6);
    EXPECT_EQ(shown(), "51 30d 30 7d 7 2d ");
    c[0] = cardByte(0, kFaceUp);
    sortCards(0, c, 6);
    EXPECT_EQ(shown(), "0 30d 30 7d 7 2d ") << "a pile without sort flags stays as it is";
}

TEST(RemovalCodes, RunsAreMeasuredFromTheTopCard) {
    Hand h(827);
    h.plain().open(5);
    h.pile(4).removal = Removal::AnySuitRun;
    h.pile(4).rankBuild = RankBuild::Down;
    h.put(4, card(2, S), kFaceDown).put(4, card(9, H)).put(4, card(7, S)).put(4, card(6, H));
    h.put(4, card(5, C)).put(4, card(4, D)).put(4, card(3, S));
    // The top card alone; inside the run or beneath it, the whole run.
    EXPECT_EQ(h.picks(4), (std::vector<int>{2, 2, 2, 2, 2, 2, 6}));
    EXPECT_EQ(h.moves(), (Moves{"move:4,2,5", "move:4,6,5"}));

    // A run stops at a face-down or selected card even when the rank goes on.
    h.setState(4, 2, kFaceDown);
    EXPECT_EQ(h.picks(4)[1], 3);
    h.setState(4, 2, kSelected);
    EXPECT_EQ(h.moves(), (Moves{"move:4,3,5", "move:4,6,5"}));
    h.setState(4, 2, kFaceUp);

    // Building up gives a run step of 0: only equal ranks form a run.
    h.pile(4).rankBuild = RankBuild::Up;
    EXPECT_EQ(h.picks(4)[4], 6);
    EXPECT_EQ(h.moves(), (Moves{"move:4,6,5"}));
    // Down by twos steps two ranks.
    h.pile(4).rankBuild = RankBuild::DownByTwos;
    EXPECT_EQ(h.picks(4)[4], 6);
}

TEST(RemovalCodes, EachCodeAndTheSuitsOfItsRuns) {
    Hand h(827);
    h.plain().open(5);
    h.pile(4).rankBuild = RankBuild::Down;
    h.put(4, card(12, S)).put(4, card(11, H)).put(4, card(10, H));
    struct {
        int removal;
        int jackSuit;
        int pressKing;  // what a press on the king takes
        const char* why;
    } cases[] = {
        {Removal::ChangingSuitRun, H, 2, "the queen has the jack's suit"},
        {Removal::ChangingSuitRun, C, 0, "king, queen and jack in changing suits"},
        {Removal::SameColourRun, C, 2, ""},
        {Removal::AlternatingRun, C, 0, ""},
        {Removal::SameSuitRun, C, 2, ""},
        {Removal::AnySuitRun, C, 0, ""},
        {Removal::TopCard, C, 2, ""},
        {Removal::FaceUpAndAbove, C, 0, ""},
        {Removal::Nothing, C, -1, ""},
    };
    for (const auto& c : cases) {
        h.pile(4).removal = c.removal;
        h.at(4, 2) = cardByte(card(10, c.jackSuit), kFaceUp);
        EXPECT_EQ(h.picks(4)[0], c.pressKing) << c.removal << " " << c.why;
    }
    // As moves: a run rule offers the run and its top card, top-card-only
    // the top card, face-up-and-above every card, nothing nothing.
    h.pile(4).removal = Removal::AlternatingRun;
    EXPECT_EQ(h.moves(), (Moves{"move:4,0,5", "move:4,2,5"}));
    h.pile(4).removal = Removal::TopCard;
    EXPECT_EQ(h.moves(), (Moves{"move:4,2,5"}));
    h.pile(4).removal = Removal::FaceUpAndAbove;
    EXPECT_EQ(h.moves(), (Moves{"move:4,0,5", "move:4,1,5", "move:4,2,5"}));
    h.pile(4).removal = Removal::Nothing;
    EXPECT_EQ(h.moves(), Moves{});

    // Any single card, whatever the removal rule: each card alone.
    h.pile(4).flags |= PileFlags::anySingleCard;
    EXPECT_EQ(h.picks(4)[0], 0);
    EXPECT_EQ(h.moves(), (Moves{"move:4,0,5", "move:4,1,5", "move:4,2,5"}));

    // Nothing is taken while a reserve still holds a card.
    h.pile(4).flags |= PileFlags::waitReservesToTake;
    h.pile(11).flags |= PileFlags::reserve;
    h.put(11, card(0, D));
    EXPECT_EQ(h.picks(4)[0], -1);
    EXPECT_EQ(h.moves(), Moves{});
    h.pile(11).removal = Removal::TopCard;
    EXPECT_EQ(h.moves(), Moves{"move:11,0,5"});
}

TEST(RemovalCodes, AFaceDownTopCardIsTurned) {
    Hand h(827);
    h.plain().open(5);
    h.pile(4).removal = Removal::AnySuitRun;
    h.put(4, card(3, S)).put(4, card(7, H), kFaceDown);
    EXPECT_EQ(h.moves(), Moves{"turn:4"});
    h.pile(4).removal = Removal::Nothing;
    EXPECT_EQ(h.moves(), Moves{}) << "a pile that gives nothing turns nothing";
}

// The acceptance checks, in the order they are made; the source is the
// waste (top card only) and every check is seen in the moves listed.
class Acceptance : public ::testing::Test {
protected:
    Hand h{827};
    void SetUp() override {
        h.plain();
        h.pile(11).removal = Removal::TopCard;
    }
    // The piles the waste's top card may go to.
    std::set<int> targets() {
        std::set<int> out;
        for (const std::string& m : h.moves())
            if (m.rfind("move:11,", 0) == 0) out.insert(std::stoi(m.substr(m.rfind(',') + 1)));
        return out;
    }
};

TEST_F(Acceptance, Check1FaceDownTopRefusesEverything) {
    h.pile(4).acceptCount = Accept::AnyNumber;
    h.put(4, card(6, S), kFaceDown).put(11, card(5, H));
    EXPECT_EQ(targets(), std::set<int>{}) << "a face-down top card refuses everything";
    h.setState(4, 0, kSelected);
    EXPECT_EQ(targets(), std::set<int>{4}) << "a selected top card does not";
}

TEST_F(Acceptance, Check2SizeLimit) {
    h.open(6);
    h.pile(6).sizeLimit = 1;
    h.pile(4).removal = Removal::FaceUpAndAbove;
    h.put(4, card(6, H)).put(4, card(5, S));
    EXPECT_TRUE(h.places(11, 6, card(6, H), 1));
    EXPECT_FALSE(h.places(11, 6, card(6, H), 2));
    EXPECT_EQ(h.moves(), (Moves{"move:4,1,6"})) << "the top card alone fits";
    h.put(6, card(0, C));
    EXPECT_EQ(h.moves(), Moves{}) << "a full pile";
}

TEST_F(Acceptance, Checks3To5HigherCardOnAnotherTopCardOnlyPile) {
    // Pile 5 takes kings, or cards lower than a same-suit card on another top-card-only pile.
    h.open(5);
    h.pile(5).flags = PileFlags::kingsOrBelowWasteTop;
    h.pile(6).removal = Removal::TopCard;
    h.pile(7).removal = Removal::TopCard;
    h.put(6, card(5, S));
    EXPECT_TRUE(h.places(6, 5, card(12, H)));
    EXPECT_EQ(h.moves(), Moves{}) << "no higher spade anywhere";
    h.put(6, card(9, S));  // on the source itself: does not count
    EXPECT_FALSE(h.places(6, 5, card(5, S)));
    h.clear(6).put(6, card(5, S)).put(7, card(6, S));
    EXPECT_EQ(h.moves(), Moves{"move:6,0,5"});
    h.clear(7).put(7, card(5, S));
    EXPECT_EQ(h.moves(), Moves{}) << "strictly higher";
    h.clear(7).put(7, card(8, C));
    EXPECT_EQ(h.moves(), Moves{}) << "same suit";
    h.clear(7).put(7, card(8, S));
    h.pile(7).removal = Removal::AnySuitRun;
    EXPECT_EQ(h.moves(), Moves{}) << "only top-card-only piles count";
    h.pile(7).removal = Removal::TopCard;
    EXPECT_EQ(h.moves(), Moves{"move:6,0,5"}) << "the eight of spades itself has no higher spade";

    h.pile(5).flags = PileFlags::acesOrBelowWasteTop;
    EXPECT_TRUE(h.places(6, 5, card(0, D)));
    EXPECT_FALSE(h.places(6, 5, card(12, H)));
    EXPECT_TRUE(h.places(6, 5, card(5, S)));
    h.pile(5).flags = PileFlags::belowWasteTop;
    EXPECT_FALSE(h.places(6, 5, card(0, D)));
    EXPECT_TRUE(h.places(6, 5, card(5, S)));
}

TEST_F(Acceptance, Check6RankOfThePileAbove) {
    h.open(6);
    h.pile(6).flags = PileFlags::rankOfPileAbove;
    h.put(5, card(2, S)).put(5, card(7, C)).put(11, card(7, H));
    EXPECT_EQ(targets(), std::set<int>{}) << "an empty target compares with the bottom card only";
    h.clear(11).put(11, card(2, D));
    EXPECT_EQ(targets(), std::set<int>{6});
    h.pile(6).acceptCount = Accept::AnyNumber;
    h.put(6, card(11, S));
    h.clear(11).put(11, card(7, D));
    EXPECT_EQ(targets(), std::set<int>{6}) << "a non-empty target compares with every card";
    h.clear(11).put(11, card(8, D));
    EXPECT_EQ(targets(), std::set<int>{});
    h.open(0);
    h.pile(0).flags |= PileFlags::rankOfPileAbove;
    EXPECT_FALSE(h.places(11, 0, card(8, D))) << "the first pile has no pile above";
}

TEST_F(Acceptance, Checks7To10ReservesAndFoundationOnlyPiles) {
    h.pile(11).flags |= PileFlags::reserve;
    h.pile(12).removal = Removal::TopCard;
    h.open(4);
    // The reserve's top card is asked about off its pile: the reserve still
    // holds the card beneath it.
    h.put(11, card(8, C)).put(11, card(3, H)).put(12, card(4, H));
    EXPECT_FALSE(reservesEmpty(h.rules(), h.table()));

    h.pile(4).flags = PileFlags::waitReservesAlways;
    EXPECT_EQ(h.moves(), Moves{}) << "refused whatever the source";
    h.clear(11).put(11, card(3, H));
    EXPECT_EQ(h.moves(), Moves{"move:11,0,4"}) << "taking the last reserve card empties the reserves";
    h.clear(11).put(11, card(8, C)).put(11, card(3, H));
    h.pile(4).flags = PileFlags::waitReservesToPlay;
    EXPECT_EQ(h.moves(), Moves{"move:11,1,4"});
    h.pile(4).flags = PileFlags::waitReservesToFillSpace;
    EXPECT_EQ(h.moves(), Moves{"move:11,1,4"}) << "the target is empty";
    h.put(4, card(9, C));
    EXPECT_EQ(h.moves(), (Moves{"move:11,1,4", "move:12,0,4"})) << "once it holds a card the wait is over";

    h.pile(12).flags |= PileFlags::foundationOnly;
    EXPECT_EQ(h.moves(), Moves{"move:11,1,4"});
    h.pile(4).flags |= PileFlags::foundation;
    EXPECT_EQ(h.moves(), (Moves{"move:11,1,4", "move:12,0,4"}));
    h.clear(11);
    EXPECT_TRUE(reservesEmpty(h.rules(), h.table()));
}

TEST_F(Acceptance, Checks11And12HowManyCards) {
    h.pile(4).removal = Removal::FaceUpAndAbove;
    h.put(4, card(6, H)).put(4, card(5, S)).put(4, card(4, H));
    h.pile(5).acceptCount = Accept::Nothing;
    h.pile(5).startCard = StartCard::AnyCard;
    EXPECT_EQ(h.moves(), (Moves{"move:4,0,5", "move:4,1,5", "move:4,2,5"}))
        << "an empty pile taking any card takes a group too";
    h.put(5, card(7, S));
    EXPECT_EQ(h.moves(), Moves{}) << "nothing on a pile that holds cards";

    // Klondike's own tableau pile: an empty one takes a king, with a group.
    h.pile(7) = gameCatalogue()[static_cast<size_t>(findGameRow(827))].layout[7];
    EXPECT_FALSE(h.places(11, 7, card(6, H)));
    EXPECT_TRUE(h.places(11, 7, card(12, D), 5));
    h.pile(7).acceptCount = Accept::OneCard;
    EXPECT_FALSE(h.places(11, 7, card(12, D), 2));
    h.clear(4).put(4, card(4, S)).put(4, card(12, D));
    EXPECT_EQ(h.moves(), Moves{"move:4,1,7"}) << "the king alone";
    h.clear(4).put(4, card(12, D)).put(4, card(11, S));
    EXPECT_EQ(h.moves(), Moves{}) << "a king with a queen on it is two cards";
}

TEST_F(Acceptance, Check13StartCards) {
    h.open(8);
    struct {
        int start;
        int accepted;
        int refused;
    } starts[] = {
        {card(3, H), card(3, H), card(3, D)},
        {StartCard::AnyKing, card(12, S), card(11, S)},
        {StartCard::AnyAce, card(0, C), card(1, C)},
        {StartCard::AnyQueen, card(11, S), card(12, S)},
        {StartCard::FaceCard, card(10, D), card(9, D)},
        {StartCard::AnyTwo, card(1, H), card(2, H)},
        {StartCard::AnySix, card(5, S), card(4, S)},
        {StartCard::AnySeven, card(6, C), card(7, C)},
        {StartCard::Nothing, -1, card(0, S)},
    };
    for (const auto& s : starts) {
        h.pile(8).startCard = s.start;
        if (s.accepted >= 0) {
            h.clear(11).put(11, s.accepted);
            EXPECT_EQ(targets(), std::set<int>{8}) << s.start;
        }
        h.clear(11).put(11, s.refused);
        EXPECT_EQ(targets(), std::set<int>{}) << s.start;
    }
}

TEST_F(Acceptance, Checks14And15BuildingRanksAndSuits) {
    h.pile(4).acceptCount = Accept::AnyNumber;
    h.put(4, card(0, S)).put(11, card(12, H));
    for (int build : {RankBuild::Up, RankBuild::Down, RankBuild::UpByTwos, RankBuild::DownByTwos, RankBuild::UpOrDown}) {
        h.pile(4).rankBuild = build;
        EXPECT_EQ(targets(), std::set<int>{}) << "no wrap-around, build " << build;
    }
    h.clear(4).put(4, card(6, S));
    struct {
        int build, rank;
        bool ok;
    } ranks[] = {{RankBuild::Up, 7, true},        {RankBuild::Up, 5, false},       {RankBuild::Down, 5, true},
                 {RankBuild::Down, 7, false},     {RankBuild::UpByTwos, 8, true},  {RankBuild::UpByTwos, 7, false},
                 {RankBuild::DownByTwos, 4, true}, {RankBuild::DownByTwos, 5, false}, {RankBuild::UpOrDown, 5, true},
                 {RankBuild::UpOrDown, 7, true},  {RankBuild::UpOrDown, 6, false}, {RankBuild::Any, 0, true},
                 {RankBuild::None, 12, true}};
    for (const auto& r : ranks) {
        h.pile(4).rankBuild = r.build;
        h.clear(11).put(11, card(r.rank, D));
        EXPECT_EQ(targets() == std::set<int>{4}, r.ok) << r.build << " " << r.rank;
    }
    h.pile(4).rankBuild = RankBuild::None;
    struct {
        int build, suit;
        bool ok;
    } suits[] = {{SuitBuild::SameColour, C, true},     {SuitBuild::SameColour, H, false},
                 {SuitBuild::OppositeColour, D, true}, {SuitBuild::OppositeColour, C, false},
                 {SuitBuild::SameSuit, S, true},       {SuitBuild::SameSuit, C, false},
                 {SuitBuild::DifferentSuit, C, true},  {SuitBuild::DifferentSuit, S, false},
                 {SuitBuild::Any, H, true}};
    for (const auto& s : suits) {
        h.pile(4).suitBuild = s.build;
        h.clear(11).put(11, card(3, s.suit));
        EXPECT_EQ(targets() == std::set<int>{4}, s.ok) << s.build << " " << s.suit;
    }
}

// The stock, the waste and redeals, on Klondike's own piles.

TEST(Stock, DealsOneOrThreeOrTheWastesSizeLimit) {
    const GameEntry& klondike = gameCatalogue()[static_cast<size_t>(findGameRow(827))];
    GameRules r = makeRules(klondike, {}, 0);
    Table t = startTable(r);
    apply(r, t, Move::deal(12));
    EXPECT_EQ(t.count(11), 1);
    EXPECT_EQ(t.top(11), cardByte(17, kFaceUp)) << "the stock's top card, face up";

    r = makeRules(klondike, {true, false}, 0);
    t = startTable(r);
    apply(r, t, Move::deal(12));
    EXPECT_EQ(t.count(11), 3);
    EXPECT_EQ(t.card(11, 0), cardByte(17, kFaceUp)) << "three cards, the last dealt on top";
    EXPECT_EQ(t.card(11, 1), cardByte(43, kFaceUp));
    EXPECT_EQ(t.card(11, 2), cardByte(24, kFaceUp));
    EXPECT_EQ(t.count(12), 21);

    // A waste with a size limit takes that many per press, or three while
    // the stock deals three.
    Hand h(827);
    for (int i = 0; i < 24; ++i) h.put(12, i, kFaceDown);
    h.pile(11).sizeLimit = 4;
    Table w = h.table();
    apply(h.rules(), w, Move::deal(12));
    EXPECT_EQ(w.count(11), 4);
    h.options.three = true;
    apply(h.rules(), w, Move::deal(12));
    EXPECT_EQ(w.count(11), 7);
    h.pile(12).flags &= ~PileFlags::dealThree;
    apply(h.rules(), w, Move::deal(12));
    EXPECT_EQ(w.count(11), 11);
    EXPECT_TRUE(h.moves().count("deal:12"));
    h.pile(12).flags |= PileFlags::waitReservesToDeal;
    h.pile(4).flags |= PileFlags::reserve;
    h.put(4, card(0, S));
    EXPECT_FALSE(h.moves().count("deal:12")) << "a stock waiting for the reserves";
}

TEST(Stock, RedealsCountedDownUnlessUnlimited) {
    const GameEntry& klondike = gameCatalogue()[static_cast<size_t>(findGameRow(827))];
    for (bool unlimit : {false, true}) {
        const GameRules r = makeRules(klondike, {false, unlimit}, 3);
        Table t = startTable(r);
        std::vector<int> dealt;
        for (int left : {2, 1, 0}) {
            EXPECT_EQ(t.redealsLeft, unlimit ? -1 : left);
            while (!t.empty(12)) {
                apply(r, t, Move::deal(12));
                if (dealt.size() < 24) dealt.push_back(valueOf(t.top(11)));
            }
            MoveList moves;
            legalMoves(r, t, moves);
            const bool offered = std::count(moves.begin(), moves.end(), Move::redeal(12)) == 1;
            ASSERT_EQ(offered, unlimit || left > 0) << left;
            if (!offered) break;
            apply(r, t, Move::redeal(12));
            EXPECT_EQ(t.count(11), 0);
            EXPECT_EQ(t.count(12), 24);
            EXPECT_EQ(valueOf(t.top(12)), dealt.front()) << "the first-dealt card comes back on top";
            for (int k = 0; k < 24; ++k) EXPECT_EQ(stateOf(t.card(12, k)), kFaceDown);
        }
        EXPECT_EQ(t.redealsLeft, unlimit ? -1 : 0);
    }
    // Canfield has no redeal bits, so its redeals are unlimited.
    EXPECT_EQ(makeRules(gameCatalogue()[static_cast<size_t>(findGameRow(823))], {}, 3).redealsAtStart, -1);
}

TEST(Stock, RedealRefillsPilesInLayoutOrderInOneGatheringPattern) {
    // La Belle Lucie: seventeen fans of 3 and one of 1, refilled on a redeal
    // from the empty pile 22.
    const GameRules r = makeRules(gameCatalogue()[static_cast<size_t>(findGameRow(845))], {}, 7);
    Table t = startTable(r);
    // Nine cards played out of the fans to a foundation, so the refill runs short.
    int moved = 0;
    for (int i = 4; i < 22 && moved < 9; ++i)
        while (t.count(i) > 2 && moved < 9) {
            t.moveCards(i, t.count(i) - 1, 1, 0);
            ++moved;
        }
    EXPECT_EQ(redealCardCount(r, t), 52 - 9);
    MoveList moves;
    legalMoves(r, t, moves);
    ASSERT_EQ(std::count(moves.begin(), moves.end(), Move::redeal(22)), 1);
    Table once = t;
    apply(r, once, Move::redeal(22));
    int left = 52 - 9;
    for (int i = 4; i < 22; ++i) {
        const int want = std::min(r.piles[i].dealCount, left);
        EXPECT_EQ(once.count(i), want) << i;
        left -= want;
    }
    EXPECT_EQ(once.count(22), left);
    // The gathering starts from the deal's generator state every time: a
    // table that differs only in the redeals left gathers alike, and other
    // deals of the same cards gather otherwise.
    Table again = t;
    again.redealsLeft = 1;
    apply(r, again, Move::redeal(22));
    again.redealsLeft = once.redealsLeft;
    EXPECT_EQ(again, once);
    GameRules other = r;
    other.redealSeed = r.redealSeed + 1;
    Table elsewhere = t;
    apply(other, elsewhere, Move::redeal(22));
    EXPECT_NE(elsewhere, once);
}

TEST(Stock, FillingSpacesOneCardEachAndFourSuitsDiscarded) {
    Hand h(840);  // Elevens: nine spaces filled from pile 9
    for (int i = 0; i < 10; ++i) h.put(9, card(i, S), i == 9 ? kFaceDown : kFaceUp);
    h.put(0, card(12, C)).put(2, card(12, H));
    for (int i = 4; i < 9; ++i) h.put(i, card(12, D));
    Table t = h.table();
    fillSpaces(h.rules(), t);  // piles 1 and 3 are empty
    EXPECT_EQ(t.count(1), 1);
    EXPECT_EQ(t.top(1), cardByte(card(9, S), kFaceUp)) << "turned face up on its way";
    EXPECT_EQ(t.top(3), cardByte(card(8, S), kFaceUp));
    EXPECT_EQ(t.count(9), 8);

    Hand s(507);  // Stone Circle: four piles discard when they show four suits
    s.put(1, card(12, H)).put(2, card(4, S)).put(3, card(8, C)).put(4, card(1, D));
    Table f = s.table();
    discardFourSuits(s.rules(), f);
    EXPECT_EQ(f.count(0), 3);
    EXPECT_EQ(f.card(0, 0), card(4, S));
    EXPECT_EQ(f.card(0, 1), card(8, C));
    EXPECT_EQ(f.card(0, 2), card(1, D));
    EXPECT_EQ(f.count(1), 1) << "the king stays";
    discardFourSuits(s.rules(), f);
    EXPECT_EQ(f.count(0), 3) << "three suits no longer discard";
}

// Autoplay: the card Step plays, and runs played off.

TEST(Autoplay, StepPlaysTheFirstPileToTheFirstFoundation) {
    Hand h(827);
    // Two tableau piles could both play; two foundations could both take an ace.
    h.pile(0).startCard = StartCard::AnyAce;
    h.pile(1).startCard = StartCard::AnyAce;
    h.put(6, card(0, D)).put(5, card(0, H));
    const GameRules r = h.rules();
    Table t = h.table();
    Move m;
    ASSERT_TRUE(autoStepMove(r, t, m));
    EXPECT_EQ(describe(m), "move:5,0,0");
    apply(r, t, m);
    ASSERT_TRUE(autoStepMove(r, t, m));
    EXPECT_EQ(describe(m), "move:6,0,1");
    apply(r, t, m);
    EXPECT_FALSE(autoStepMove(r, t, m));

    // A face-down top card is turned as the step.
    h.clear(5).clear(6).put(4, card(0, S), kFaceDown);
    ASSERT_TRUE(autoStepMove(h.rules(), h.table(), m));
    EXPECT_EQ(describe(m), "turn:4");
}

TEST(Autoplay, WaitingPilesAndSingleCardPiles) {
    Hand h(827);
    h.pile(4).flags |= PileFlags::waitReservesToTake;
    h.pile(11).flags |= PileFlags::reserve;
    h.put(11, card(5, C)).put(4, card(0, S)).put(5, card(0, H));
    Move m;
    ASSERT_TRUE(autoStepMove(h.rules(), h.table(), m));
    EXPECT_EQ(describe(m), "move:5,0,1") << "the waiting pile is passed over";
    h.clear(4).clear(5).put(1, card(0, H));

    h.pile(6).flags |= PileFlags::anySingleCard;
    h.put(6, card(7, H)).put(6, card(1, H)).put(6, card(0, D)).put(6, card(9, S));
    GameRules r = h.rules();
    Table t = h.table();
    ASSERT_TRUE(autoplayMove(r, t, 6, m));
    EXPECT_EQ(describe(m), "move:6,1,1") << "the lowest card a foundation takes";
    apply(r, t, m);
    ASSERT_TRUE(autoplayMove(r, t, 6, m));
    EXPECT_EQ(describe(m), "move:6,1,2");
    apply(r, t, m);
    EXPECT_EQ(t.count(6), 2);
    EXPECT_EQ(t.card(6, 0), card(7, H));
    EXPECT_EQ(t.card(6, 1), card(9, S));
    EXPECT_FALSE(autoplayMove(r, t, 6, m));

    // A face-down bottom card of a single-card pile is turned, not looped over.
    h.clear(6).put(6, card(5, S), kFaceDown).put(6, card(9, H));
    r = h.rules();
    t = h.table();
    int steps = 0;
    while (steps < 100 && autoStepMove(r, t, m)) {
        apply(r, t, m);
        ++steps;
    }
    EXPECT_EQ(steps, 1) << "one turn, then nothing to play";
    EXPECT_EQ(t.card(6, 0), cardByte(card(5, S), kFaceUp));
}

TEST(Autoplay, CompleteRunsGoToTheFirstEmptyFoundation) {
    auto run = [](Hand& h, int p, bool oneSuit) {
        for (int rank = 12; rank >= 0; --rank) h.put(p, card(rank, oneSuit ? H : rank % 4));
    };
    Hand h(901);  // Spider: eight foundations, ten piles that play off runs of one suit
    h.pile(8).flags = (h.pile(8).flags & ~PileFlags::autoplaySuite) | PileFlags::autoplayStraight;
    h.put(8, card(4, S), kFaceDown);
    run(h, 8, false);
    h.put(0, card(3, C));  // the first foundation is not empty
    Table t = h.table();
    EXPECT_TRUE(playStraightRun(h.rules(), t));
    EXPECT_EQ(t.count(1), 13);
    EXPECT_EQ(rankOfCard(t.card(1, 0)), 0);
    EXPECT_EQ(rankOfCard(t.top(1)), 12);
    EXPECT_EQ(t.count(8), 1);
    EXPECT_FALSE(playStraightRun(h.rules(), t));
    EXPECT_FALSE(playSuiteRun(h.rules(), t));

    Hand s(901);
    run(s, 9, false);
    Table mixed = s.table();
    EXPECT_FALSE(playSuiteRun(s.rules(), mixed)) << "mixed suits";
    s.clear(9);
    run(s, 9, true);
    for (int i = 0; i < 8; ++i) s.put(i, card(5, D));
    Table full = s.table();
    EXPECT_FALSE(playSuiteRun(s.rules(), full)) << "no empty foundation";
    s.clear(5);
    Table one = s.table();
    EXPECT_TRUE(playSuiteRun(s.rules(), one));
    EXPECT_EQ(one.count(5), 13);
    EXPECT_EQ(one.count(9), 0);
    s.setState(9, 6, kFaceDown);
    Table stopped = s.table();
    EXPECT_FALSE(playSuiteRun(s.rules(), stopped)) << "a run stops at a face-down card";

    // A move that completes a run plays it off at once.
    s.setState(9, 6, kFaceUp);
    s.clear(9);
    for (int rank = 12; rank >= 1; --rank) s.put(9, card(rank, H));
    s.put(10, card(0, H));
    Table before = s.table();
    apply(s.rules(), before, Move::place(10, 0, 9));
    EXPECT_EQ(before.count(9), 0);
    EXPECT_EQ(before.count(5), 13);
}

// The discard rules of the pairing games: which groups of top cards
// legalMoves lists, and what a press that selects or deselects does.

// A game of sixteen groupable piles (Fifteens') with the given discard rules
// and one card of each rank given on the first piles.
Hand pairing(uint32_t discardRules, std::initializer_list<int> ranks) {
    Hand h(841);
    h.ruleFlags() = discardRules;
    int p = 0;
    for (int rank : ranks) {
        h.put(p, card(rank, p % 4));
        ++p;
    }
    return h;
}

TEST(Discards, EachRuleListsItsGroups) {
    using namespace GameRuleFlags;
    struct {
        uint32_t rule;
        std::initializer_list<int> ranks;
        Moves groups;
    } cases[] = {
        {pairsOfRank, {3, 5, 3, 4}, {"discard:0,2"}},
        {pairsTen, {3, 5, 5, 8}, {"discard:0,1", "discard:0,2"}},            // 4 + 6 twice
        {pairsEleven, {3, 6, 4, 5}, {"discard:0,1", "discard:2,3"}},        // 4 + 7, 5 + 6
        {pairsThirteen, {5, 6, 12, 0, 11}, {"discard:0,1", "discard:3,4"}},  // 6 + 7, A + Q; no king alone
        {pairsFourteen, {5, 7, 12, 0, 3}, {"discard:0,1", "discard:2,3"}},   // 6 + 8, K + A
        {faceTriplets, {10, 11, 12, 10}, {"discard:0,1,2", "discard:1,2,3"}},
        {faceTriplets, {11, 11, 11}, {}},  // three queens add up as J-Q-K does
        {tensQuartets, {9, 9, 9, 9, 8, 8, 8, 8}, {"discard:0,1,2,3"}},
        {kingsSingly, {12, 5, 12}, {"discard:0", "discard:2"}},
    };
    for (const auto& c : cases) {
        const Hand h = pairing(c.rule, c.ranks);
        EXPECT_EQ(h.moves(), c.groups) << std::hex << c.rule;
    }
}

TEST(Discards, FifteensOfNinesAndLower) {
    using namespace GameRuleFlags;
    // 4 + 5 + 6 and 7 + 8.
    Hand h = pairing(fifteens, {3, 4, 5, 6, 7});
    EXPECT_EQ(h.moves(), (Moves{"discard:0,1,2", "discard:3,4"}));
    {
        const GameRules r = h.rules();
        Table t = h.table();
        selectClick(r, t, 0);
        selectClick(r, t, 1);
        selectClick(r, t, 3);
        EXPECT_EQ(cardsOnFoundations(r, t), 0) << "4 + 5 + 7 stay selected";
        selectClick(r, t, 3);
        selectClick(r, t, 2);
        EXPECT_EQ(cardsOnFoundations(r, t), 3) << "4 + 5 + 6";
        EXPECT_FALSE(selectionPending(r, t));
    }
    // A ten with small cards never makes fifteen: not 10 + 5, nor 10 + 2 + 3.
    h = pairing(fifteens, {9, 4, 1, 2});
    EXPECT_EQ(h.moves(), Moves{});
    const GameRules r = h.rules();
    Table t = h.table();
    selectClick(r, t, 0);
    selectClick(r, t, 1);
    EXPECT_FALSE(isDiscardGroup(r, t));
    EXPECT_EQ(cardsOnFoundations(r, t), 0) << "the ten and the five stay selected";
    selectClick(r, t, 1);
    selectClick(r, t, 2);
    selectClick(r, t, 3);
    EXPECT_FALSE(isDiscardGroup(r, t));
    EXPECT_EQ(cardsOnFoundations(r, t), 0) << "the ten, the two and the three stay selected";
}

TEST(Discards, PressesSelectDeselectAndDiscard) {
    using namespace GameRuleFlags;
    Hand h(842);  // Thirteens: pairs totalling 13, kings singly
    const int ranks[] = {12, 5, 6, 5, 7, 8, 3, 2, 1, 0};
    for (int i = 0; i < 10; ++i) h.put(i, card(ranks[i], i % 4));
    const GameRules r = h.rules();
    Table t = h.table();
    int home = -1;
    forEachPile(r.foundations, [&](int f) {
        if (home < 0) home = f;
    });
    auto selected = [&] {
        int n = 0;
        for (int p = 0; p < r.pileCount; ++p) n += !t.empty(p) && stateOf(t.top(p)) == kSelected;
        return n;
    };
    selectClick(r, t, 0);
    EXPECT_EQ(t.count(home), 1) << "a king goes at once";
    selectClick(r, t, 1);
    selectClick(r, t, 3);
    EXPECT_EQ(selected(), 2) << "6 and 6 stay selected";
    selectClick(r, t, 3);
    selectClick(r, t, 2);
    EXPECT_EQ(t.count(home), 3) << "6 and 7";
    EXPECT_EQ(selected(), 0);
    // Deselecting can complete a group.
    selectClick(r, t, 4);  // 8
    selectClick(r, t, 5);  // 9
    selectClick(r, t, 6);  // 4
    EXPECT_EQ(selected(), 3);
    selectClick(r, t, 4);  // deselect the 8: 9 and 4 remain, 13
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(t.count(home), 5);

    // Elevens: pairs totalling 11, jack-queen-king.
    Hand e(840);
    e.put(0, card(10, S)).put(1, card(11, H)).put(2, card(12, D)).put(3, card(10, C));
    EXPECT_EQ(e.moves(), (Moves{"discard:0,1,2", "discard:1,2,3"}));
    const GameRules er = e.rules();
    Table et = e.table();
    selectClick(er, et, 0);
    selectClick(er, et, 3);
    selectClick(er, et, 2);
    EXPECT_EQ(cardsOnFoundations(er, et), 0) << "J, J, K is no triplet";
    EXPECT_TRUE(selectionPending(er, et));
    selectClick(er, et, 3);
    selectClick(er, et, 1);
    EXPECT_FALSE(selectionPending(er, et));
    EXPECT_EQ(cardsOnFoundations(er, et), 3);
}

TEST(Discards, MoreThanTenSelectedIsNeverAGroup) {
    Hand h(841);
    // Eleven aces and small cards: no group, and nothing overflows.
    for (int i = 0; i < 16; ++i) h.put(i, card(i < 11 ? 0 : 12, i % 4));
    const GameRules r = h.rules();
    Table t = h.table();
    for (int i = 0; i < 11; ++i) selectClick(r, t, i);
    EXPECT_FALSE(isDiscardGroup(r, t));
    EXPECT_EQ(cardsOnFoundations(r, t), 0);
    selectClick(r, t, 10);
    EXPECT_FALSE(isDiscardGroup(r, t)) << "ten aces add up to ten, not fifteen";
    EXPECT_TRUE(selectionPending(r, t));
}

}  // namespace
}  // namespace korvat::core
