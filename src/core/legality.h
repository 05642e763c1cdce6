// Which cards a press takes, and where cards may be put: the two questions
// every kind of play asks, answered from the rules and the table alone.
#pragma once

#include "core/rules.h"
#include "core/table.h"

namespace korvat::core {

// Pile flags by what they make the rules ask: rules that make a pile wait
// for the reserves, and rules that read where cards of other piles lie.
constexpr uint32_t kWaitsForReserves = PileFlags::waitReservesToPlay | PileFlags::waitReservesToFillSpace |
                                       PileFlags::waitReservesToDeal | PileFlags::waitReservesAlways |
                                       PileFlags::waitReservesToTake;
constexpr uint32_t kReadsOtherPiles = PileFlags::belowWasteTop | PileFlags::kingsOrBelowWasteTop |
                                      PileFlags::acesOrBelowWasteTop | PileFlags::rankOfPileAbove;

// Whether a removal code lets a press take a run (its cards in some suits).
constexpr bool removesRuns(int removal) {
    return removal == Removal::AnySuitRun || removal == Removal::SameColourRun || removal == Removal::AlternatingRun ||
           removal == Removal::SameSuitRun || removal == Removal::ChangingSuitRun;
}

// The position of the lowest card of those a press on card `pressed` of
// the pile would take, or -1 when nothing can be taken.
int findPickCard(const GameRules& rules, const Table& table, int pile, int pressed);
// The cards a lift at card k of the pile takes: k alone from a pile that
// gives any single card, otherwise k and every card above it.
int liftCount(const GameRules& rules, const Table& table, int pile, int card);
// Whether the card `upper`, lying on `lower`, continues a run that the
// pile's removal rule lets a press take whole (the lower card face up, the
// ranks one run step apart, the suits as the rule says).
bool continuesRun(const PileRules& pile, uint8_t lower, uint8_t upper);

// The card values an empty pile with that start code takes, one bit each
// (bit v for value v).
inline uint64_t startValues(int start) {
    constexpr uint64_t rank = 0xf;  // the four values of rank 0
    if (start == StartCard::Nothing) return 0;
    if (start >= 0 && start <= 51) return uint64_t{1} << start;
    switch (start) {
        case StartCard::AnyKing: return rank << 48;
        case StartCard::AnyAce: return rank;
        case StartCard::AnyQueen: return rank << 44;
        case StartCard::FaceCard: return 0xfffull << 40;  // jacks, queens and kings
        // The editor's "any two, six, seven" accept only that rank, as their markers show.
        case StartCard::AnyTwo: return rank << 4;
        case StartCard::AnySix: return rank << 20;
        case StartCard::AnySeven: return rank << 24;
        default: return (uint64_t{1} << 52) - 1;  // any card
    }
}
// Whether an empty pile with that start code refuses the card.
inline bool startForbids(int start, int value) { return !(startValues(start) >> value & 1); }

// Whether a rank building code allows d = rank(top card) - rank(card placed).
// Asked for every card against every pile, so answered from bit tables
// rather than by a branch per code: bit d + 16 of a code's word is set
// where the code allows d.
constexpr bool rankBuildHolds(int rankBuild, int d) {
    constexpr uint32_t allowed[5] = {
        1u << 15,               // up: d == -1
        1u << 17,               // down: d == 1
        1u << 14,               // up by twos: d == -2
        1u << 18,               // down by twos: d == 2
        1u << 15 | 1u << 17,    // up or down
    };
    if (static_cast<uint32_t>(rankBuild) > 4) return true;  // any rank
    return allowed[rankBuild] >> (d + 16) & 1;
}
// Whether a suit building code allows x = (top card value) XOR (card placed).
// Nibble c of the word holds, for code c, the suit differences (x & 3) it
// allows: same colour {0, 1}, opposite colour {2, 3}, same suit {0},
// different suit {1, 2, 3}.
constexpr bool suitBuildHolds(int suitBuild, int x) {
    if (static_cast<uint32_t>(suitBuild) > 3) return true;  // any suit
    return 0xE1C3u >> (suitBuild * 4 + (x & 3)) & 1;
}

// The card values that building codes let go onto a card of value `top`,
// one bit each: the rank rule and the suit rule of every value, looked up.
uint64_t buildValues(int rankBuild, int suitBuild, int top);

// What a pile accepts as the table stands: every test of canPlace that
// depends neither on the moving cards nor on the pile they come from, made
// once, so that many cards from many piles can be tried cheaply.
// (Its fields are all set by acceptance(); it has no initialisers, so that an
// array of them costs nothing until it is filled.)
struct Acceptance {
    const GameRules* rules;
    const Table* table;
    int target;
    bool never;         // refuses every card
    bool empty;         // the start code decides
    bool oneCard;       // only one card at a time
    bool readsCard;     // a rule compares the card with other piles' cards
    bool waitsUnlessReserve;  // refuses cards that do not come from a reserve
    bool foundation;
    bool asksSource;    // one of the three above, or a pile that plays to foundations only could be the source
    int top;            // the top card's value, when not empty
    int room;           // cards that still fit
    uint64_t values;    // the values its start code or building rules let go on it

    // The values of single cards it takes: every one of them when `exact`
    // comes back true, else those it may take, each to be asked of
    // accepts() (a rule reads the source or other piles).
    uint64_t singleCardValues(bool& exact) const {
        exact = true;
        if (never || room < 1) return 0;
        exact = !asksSource;
        return values;
    }
    bool accepts(int source, int value, int n) const {
        if (never || n > room || (oneCard && n != 1) || !(values >> value & 1)) return false;
        return !asksSource || sourceRulesHold(source, value);
    }
    // The rules that depend on the source pile, and those that compare the
    // card with the waste piles' top cards and with the pile above.
    bool sourceRulesHold(int source, int value) const;
};
Acceptance acceptance(const GameRules& rules, const Table& table, int target);

// The table with the n cards from card k of the pile taken off it, as the
// pointer asks where carried cards may go.
Table liftedTable(const GameRules& rules, const Table& table, int pile, int card, int n);

// Whether a card of that value, with the n - 1 cards lying on it, may be
// put onto the target, having been taken from the source. The table is as
// it stands with the moving cards taken off their pile (autoplay asks with
// the card still in place, as it always has).
bool canPlace(const GameRules& rules, const Table& table, int source, int target, int value, int n);
// No reserve pile holds a card.
bool reservesEmpty(const GameRules& rules, const Table& table);
// Some top-card-only pile other than the source shows a higher card of the card's suit.
bool higherCardOnWasteTop(const GameRules& rules, const Table& table, int source, int value);
// The card's rank occurs in the pile just before the target (only its
// bottom card counts when the target is empty).
bool rankInPileAbove(const GameRules& rules, const Table& table, int target, int value);

}  // namespace korvat::core
