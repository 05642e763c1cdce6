#include "core/legality.h"

namespace korvat::core {

bool reservesEmpty(const GameRules& rules, const Table& table) {
    bool empty = true;
    forEachPile(rules.reserves, [&](int p) {
        if (!table.empty(p)) empty = false;
    });
    return empty;
}

bool higherCardOnWasteTop(const GameRules& rules, const Table& table, int source, int value) {
    bool found = false;
    forEachPile(rules.topCardOnly & ~bit(source), [&](int p) {
        if (table.empty(p)) return;
        const int top = valueOf(table.top(p));
        if (suitOf(top) == suitOf(value) && rankOf(top) > rankOf(value)) found = true;
    });
    return found;
}

bool rankInPileAbove(const GameRules&, const Table& table, int target, int value) {
    if (target == 0) return false;
    const int above = target - 1;
    const int rank = rankOf(value);
    if (table.empty(target)) return !table.empty(above) && rankOfCard(table.card(above, 0)) == rank;
    for (int i = table.begin(above); i < table.end(above); ++i)
        if (rankOfCard(table.cards[i]) == rank) return true;
    return false;
}

namespace {

// How far apart the ranks of neighbouring cards of a run are.
int runStep(const PileRules& pile) {
    if (pile.rankBuild == RankBuild::Down) return 1;
    if (pile.rankBuild == RankBuild::DownByTwos) return 2;
    return 0;
}

bool runSuitsHold(int removal, int upper, int lower) {
    const int x = upper ^ lower;
    switch (removal) {
        case Removal::SameColourRun: return (x & 2) == 0;
        case Removal::AlternatingRun: return (x & 2) != 0;
        case Removal::SameSuitRun: return (x & 3) == 0;
        case Removal::ChangingSuitRun: return (x & 3) != 0;
        default: return true;  // any suits
    }
}

}  // namespace

int liftCount(const GameRules& rules, const Table& t, int p, int k) {
    return rules.piles[p].has(PileFlags::anySingleCard) ? 1 : t.count(p) - k;
}

bool continuesRun(const PileRules& pile, uint8_t lower, uint8_t upper) {
    return removesRuns(pile.removal) && rankOfCard(lower) == rankOfCard(upper) + runStep(pile) &&
           stateOf(lower) == kFaceUp && runSuitsHold(pile.removal, valueOf(upper), valueOf(lower));
}

Table liftedTable(const GameRules& rules, const Table& t, int p, int k, int n) {
    Table lifted = t;
    // Into the last pile's end, then those cards are forgotten.
    lifted.moveCards(p, k, n, rules.pileCount - 1);
    lifted.ends[rules.pileCount - 1] = static_cast<uint8_t>(lifted.ends[rules.pileCount - 1] - n);
    return lifted;
}

int findPickCard(const GameRules& rules, const Table& table, int p, int pressed) {
    const PileRules& pile = rules.piles[p];
    if (pile.has(PileFlags::waitReservesToTake) && !reservesEmpty(rules, table)) return -1;
    if (pile.has(PileFlags::anySingleCard)) return pressed;
    const int n = table.count(p);
    if (pile.removal == Removal::TopCard) return n - 1;
    if (pile.removal == Removal::FaceUpAndAbove) return pressed;
    if (!removesRuns(pile.removal) || n == 0) return -1;
    int current = n - 1;
    if (pressed == current || current == 0) return current;
    while (continuesRun(pile, table.card(p, current - 1), table.card(p, current)))
        if (--current == 0) return 0;
    return current;
}

namespace {

// For every rank code (5: any rank) and top rank, the values of the ranks
// it lets go on; for every suit code (4: any suit) and top suit, the values
// of the suits.
struct BuildTables {
    uint64_t ranks[6][13] = {};
    uint64_t suits[5][4] = {};
    constexpr BuildTables() {
        for (int code = 0; code < 6; ++code)
            for (int top = 0; top < 13; ++top)
                for (int rank = 0; rank < 13; ++rank)
                    if (code == 5 || rankBuildHolds(code, top - rank)) ranks[code][top] |= uint64_t{0xf} << 4 * rank;
        for (int code = 0; code < 5; ++code)
            for (int top = 0; top < 4; ++top)
                for (int suit = 0; suit < 4; ++suit)
                    if (code == 4 || suitBuildHolds(code, top ^ suit)) suits[code][top] |= 0x1111111111111ull << suit;
    }
};
constexpr BuildTables kBuildTables;

}  // namespace

uint64_t buildValues(int rankBuild, int suitBuild, int top) {
    const int r = static_cast<uint32_t>(rankBuild) > 4 ? 5 : rankBuild;
    const int s = static_cast<uint32_t>(suitBuild) > 3 ? 4 : suitBuild;
    return kBuildTables.ranks[r][rankOf(top)] & kBuildTables.suits[s][suitOf(top)];
}

Acceptance acceptance(const GameRules& rules, const Table& table, int target) {
    Acceptance a{};
    a.rules = &rules;
    a.table = &table;
    a.target = target;
    const PileRules& to = rules.piles[target];
    const int count = table.count(target);
    a.empty = count == 0;
    if (a.empty) {
        a.top = -1;
        a.values = startValues(to.startCard);
    } else {
        const uint8_t top = table.top(target);
        a.top = valueOf(top);
        a.values = buildValues(to.rankBuild, to.suitBuild, a.top);
        if (stateOf(top) == kFaceDown || to.acceptCount == Accept::Nothing) a.never = true;
    }
    a.oneCard = to.acceptCount == Accept::OneCard;
    a.room = to.sizeLimit != 0 ? to.sizeLimit - count : kMaxCards;
    a.foundation = to.has(PileFlags::foundation);
    const uint32_t flags = to.flags;
    if (!a.never && (flags & (PileFlags::waitReservesToFillSpace | PileFlags::waitReservesToPlay |
                              PileFlags::waitReservesAlways)) &&
        !reservesEmpty(rules, table)) {
        if (flags & PileFlags::waitReservesAlways) a.never = true;
        if ((flags & PileFlags::waitReservesToPlay) || ((flags & PileFlags::waitReservesToFillSpace) && a.empty))
            a.waitsUnlessReserve = true;
    }
    a.readsCard = flags & kReadsOtherPiles;
    a.asksSource = a.readsCard || a.waitsUnlessReserve || (!a.foundation && rules.foundationOnlySources);
    return a;
}

bool Acceptance::sourceRulesHold(int source, int value) const {
    const PileRules& from = rules->piles[source];
    if (!foundation && from.has(PileFlags::foundationOnly)) return false;
    if (waitsUnlessReserve && !from.has(PileFlags::reserve)) return false;
    if (!readsCard) return true;
    const uint32_t flags = rules->piles[target].flags;
    const int rank = rankOf(value);
    if ((flags & PileFlags::kingsOrBelowWasteTop) && rank != 12 && !higherCardOnWasteTop(*rules, *table, source, value))
        return false;
    if ((flags & PileFlags::acesOrBelowWasteTop) && rank != 0 && !higherCardOnWasteTop(*rules, *table, source, value))
        return false;
    if ((flags & PileFlags::belowWasteTop) && !higherCardOnWasteTop(*rules, *table, source, value)) return false;
    if ((flags & PileFlags::rankOfPileAbove) && !rankInPileAbove(*rules, *table, target, value)) return false;
    return true;
}

bool canPlace(const GameRules& rules, const Table& table, int source, int target, int value, int n) {
    return acceptance(rules, table, target).accepts(source, value, n);
}

}  // namespace korvat::core
