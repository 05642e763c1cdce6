// The rules of one deal as a plain value: the pile definitions of the game,
// its game-wide flags, and the preferences and generator state that change
// what the rules do. Made once from the catalogue row, then only read, so
// any number of searches may share one on any thread.
#pragma once

#include <cstdint>

#include "model/records.h"

namespace korvat {
struct GameEntry;
struct Preferences;
}

namespace korvat::core {

constexpr int kMaxPiles = 43;   // the most piles a game lays out
constexpr int kMaxCards = 208;  // four decks

// A pile's definition words, as the layout (or the pile editor) left them.
struct PileRules {
    int32_t dealCount = 0;
    int32_t faceDownCount = 0;
    int32_t sizeLimit = 0;
    int32_t fan = Fan::Squared;
    int32_t acceptCount = 0;
    int32_t rankBuild = 0;
    int32_t suitBuild = 0;
    int32_t startCard = 0;
    int32_t removal = 0;
    uint32_t flags = 0;

    bool has(uint32_t flag) const { return (flags & flag) != 0; }
    // Any card of a fanned pile can be pressed; of a squared one only the top.
    bool fanned() const { return fan == Fan::Right || fan == Fan::Down; }

    friend bool operator==(const PileRules&, const PileRules&) = default;
};

using PileMask = uint64_t;  // one bit per pile, bit i for layout index i

struct GameRules {
    int pileCount = 0;
    PileRules piles[kMaxPiles];
    uint32_t ruleFlags = 0;     // the game's GameRuleFlags
    int deckSize = 52;          // 52, 104 or 208
    int baseRank = 0;           // face shown for rank 0 (drawing only)
    int redealsAtStart = -1;    // -1 unlimited, else 1 or 2
    bool three = false;         // the Three preference: dealThree piles deal three
    bool unlimit = false;       // the Unlimit preference: redeals are never counted down
    uint32_t gameNumber = 0;
    uint32_t redealSeed = 0;    // the deal generator's state, which every redeal starts from

    // Piles by flag, for quick scans in layout order.
    PileMask foundations = 0;
    PileMask reserves = 0;
    PileMask wastes = 0;
    PileMask topCardOnly = 0;   // removal 4: the piles whose top cards higherCardOnWasteTop reads
    PileMask fillers = 0;       // fillsSpaces
    PileMask spaces = 0;        // autoFillFromStock
    PileMask gathered = 0;      // redealFaceDown or redealRefill
    PileMask fourSuits = 0;     // fourSuitsDiscard
    PileMask suiteRuns = 0;     // autoplaySuite
    PileMask straightRuns = 0;  // autoplayStraight
    PileMask groupables = 0;    // groupable and not stock: a press selects the top card
    PileMask foundationOnlySources = 0;  // foundationOnly: cards go from them to foundations only
    int lastFoundation = -1;
    // Two different moves can end in the same table: equal cards of several
    // decks, or the rules' own actions after a move (filling spaces, runs
    // played off, four-suit discards, sorted piles).
    bool resultsMayCoincide = false;

    const PileRules& pile(int p) const { return piles[p]; }
    bool hasDiscardRules() const;

    // The same deal under the same rules: every word the rules were made
    // from (the pile masks follow from them).
    friend bool operator==(const GameRules& a, const GameRules& b);
};

// Preferences that change what the rules do.
struct RuleOptions {
    bool three = false;
    bool unlimit = false;
};
// The rule options the preferences set (Three and Unlimit).
RuleOptions ruleOptions(const Preferences& preferences);

// The rules of the game in that catalogue row for a deal of that number:
// the pile definitions are copied from the row's layout as they stand now.
// The redeal seed is the deal generator's state after the deal's shuffle,
// as it stands after a fresh deal of the number.
GameRules makeRules(const GameEntry& game, RuleOptions options, uint32_t gameNumber);
// The same with the redeal seed given (a saved game that was read leaves the
// deal generator elsewhere than a fresh deal does).
GameRules makeRules(const GameEntry& game, RuleOptions options, uint32_t gameNumber, uint32_t redealSeed);

// Iterates the set bits of a mask, lowest (earliest in layout order) first.
template <typename F>
inline void forEachPile(PileMask mask, F f) {
    while (mask) {
        const int p = __builtin_ctzll(mask);
        f(p);
        mask &= mask - 1;
    }
}

constexpr PileMask bit(int p) { return PileMask{1} << p; }

}  // namespace korvat::core
