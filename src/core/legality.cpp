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

bool startForbids(int start, int value) {
    const int rank = rankOf(value);
    if (start == StartCard::Nothing) return true;
    if (start >= 0 && start <= 51) return value != start;
    switch (start) {
        case StartCard::AnyKing: return rank != 12;
        case StartCard::AnyAce: return rank != 0;
        case StartCard::AnyQueen: return rank != 11;
        case StartCard::FaceCard: return rank < 10;
        // The editor's "any two, six, seven" accept only that rank, as their markers show.
        case StartCard::AnyTwo: return rank != 1;
        case StartCard::AnySix: return rank != 5;
        case StartCard::AnySeven: return rank != 6;
        default: return false;  // any card
    }
}

bool rankBuildHolds(int rankBuild, int d) {
    switch (rankBuild) {
        case RankBuild::Up: return d == -1;
        case RankBuild::Down: return d == 1;
        case RankBuild::UpByTwos: return d == -2;
        case RankBuild::DownByTwos: return d == 2;
        case RankBuild::UpOrDown: return d == -1 || d == 1;
        default: return true;
    }
}

bool suitBuildHolds(int suitBuild, int x) {
    switch (suitBuild) {
        case SuitBuild::SameColour: return (x & 2) == 0;
        case SuitBuild::OppositeColour: return (x & 2) != 0;
        case SuitBuild::SameSuit: return (x & 3) == 0;
        case SuitBuild::DifferentSuit: return (x & 3) != 0;
        default: return true;
    }
}

}  // namespace

int findPickCard(const GameRules& rules, const Table& table, int p, int pressed) {
    const PileRules& pile = rules.piles[p];
    if (pile.has(PileFlags::waitReservesToTake) && !reservesEmpty(rules, table)) return -1;
    if (pile.has(PileFlags::anySingleCard)) return pressed;
    const int n = table.count(p);
    switch (pile.removal) {
        case Removal::TopCard: return n - 1;
        case Removal::FaceUpAndAbove: return pressed;
        case Removal::AnySuitRun:
        case Removal::SameColourRun:
        case Removal::AlternatingRun:
        case Removal::SameSuitRun:
        case Removal::ChangingSuitRun: {
            if (n == 0) return -1;
            int current = n - 1;
            if (pressed == current || current == 0) return current;
            const int step = runStep(pile);
            while (true) {
                const uint8_t upper = table.card(p, current), lower = table.card(p, current - 1);
                if (rankOfCard(lower) != rankOfCard(upper) + step || stateOf(lower) != kFaceUp ||
                    !runSuitsHold(pile.removal, valueOf(upper), valueOf(lower)))
                    return current;
                if (--current == 0) return 0;
            }
        }
        default: return -1;
    }
}

bool canPlace(const GameRules& rules, const Table& table, int source, int target, int value, int n) {
    const PileRules& to = rules.piles[target];
    const PileRules& from = rules.piles[source];
    const int count = table.count(target);
    const bool empty = count == 0;
    const uint32_t flags = to.flags;
    const int rank = rankOf(value);
    const uint8_t top = empty ? 0 : table.top(target);
    if (!empty && stateOf(top) == kFaceDown) return false;                                     // 1
    if (to.sizeLimit != 0 && count + n > to.sizeLimit) return false;                          // 2
    if ((flags & PileFlags::kingsOrBelowWasteTop) && rank != 12 &&
        !higherCardOnWasteTop(rules, table, source, value))
        return false;                                                                          // 3
    if ((flags & PileFlags::acesOrBelowWasteTop) && rank != 0 && !higherCardOnWasteTop(rules, table, source, value))
        return false;                                                                          // 4
    if ((flags & PileFlags::belowWasteTop) && !higherCardOnWasteTop(rules, table, source, value)) return false;  // 5
    if ((flags & PileFlags::rankOfPileAbove) && !rankInPileAbove(rules, table, target, value)) return false;    // 6
    if (from.has(PileFlags::foundationOnly) && !(flags & PileFlags::foundation)) return false;                  // 7
    if ((flags & PileFlags::waitReservesToFillSpace) && !from.has(PileFlags::reserve) && empty &&
        !reservesEmpty(rules, table))
        return false;                                                                          // 8
    if ((flags & PileFlags::waitReservesToPlay) && !from.has(PileFlags::reserve) && !reservesEmpty(rules, table))
        return false;                                                                          // 9
    if ((flags & PileFlags::waitReservesAlways) && !reservesEmpty(rules, table)) return false;  // 10
    if (to.acceptCount == Accept::Nothing && !empty) return false;                            // 11
    if (to.acceptCount == Accept::OneCard && n != 1) return false;                            // 12
    if (empty) return !startForbids(to.startCard, value);                                     // 13
    if (!rankBuildHolds(to.rankBuild, rankOf(valueOf(top)) - rank)) return false;             // 14
    return suitBuildHolds(to.suitBuild, valueOf(top) ^ value);                               // 15
}

}  // namespace korvat::core
