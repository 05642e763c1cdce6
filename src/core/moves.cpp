#include "core/moves.h"

#include "core/actions.h"
#include "core/legality.h"
#include "model/catalogue.h"
#include "model/random.h"

namespace korvat::core {

namespace {

// The rules' own actions on one table, each change written to the record.
struct Effects {
    const GameRules& rules;
    Table& t;
    ChangeRecord* record;

    static uint8_t chainedIf(bool chained) { return chained ? Change::Chained : 0; }

    void note(Change::Kind kind, int from, int to, int card, int count, int state, uint8_t flags) {
        if (record)
            record->add({kind, uint8_t(from), uint8_t(to), uint8_t(card), uint8_t(count), uint8_t(state), flags});
    }
    // Lifts, carries and lands cards; the target is then sorted.
    void carry(int from, int k, int n, int to, uint8_t flags) {
        note(Change::Carry, from, to, k, n, 0, flags);
        t.moveCards(from, k, n, to);
        t.sortPile(rules.piles[to], to);
    }
    void carryTop(int from, int to, uint8_t flags) { carry(from, t.count(from) - 1, 1, to, flags); }
    // The top card put on another pile at once: no glide, no sort.
    void shift(int from, int to, uint8_t flags) {
        note(Change::Shift, from, to, t.count(from) - 1, 1, 0, flags);
        t.moveCards(from, t.count(from) - 1, 1, to);
    }
    void turn(int p, int k, int state, uint8_t flags) {
        note(Change::Turn, p, p, k, 1, state, flags);
        uint8_t& c = t.cardRef(p, k);
        c = cardByte(valueOf(c), state);
    }
    void select(int p, int state, uint8_t flags) {
        note(Change::Select, p, p, t.count(p) - 1, 1, state, flags);
        uint8_t& c = t.topRef(p);
        c = cardByte(valueOf(c), state);
    }

    // Every empty space that a filling pile can fill gets one card.
    void fillSpaces() {
        forEachPile(rules.fillers, [&](int f) {
            for (int s = 0; s < rules.pileCount && !t.empty(f); ++s) {
                if (!(rules.spaces & bit(s)) || !t.empty(s) || s == f) continue;
                if (stateOf(t.top(f)) == kFaceDown) turn(f, t.count(f) - 1, kFaceUp, Change::Recorded | Change::Chained);
                carryTop(f, s, Change::Recorded | Change::Chained);
            }
        });
    }

    // The first pile with the flag that ends in a complete run from the
    // highest rank down to rank 0 gives it to the first empty foundation.
    template <typename Follows>
    bool playRun(PileMask piles, Follows follows) {
        for (; piles; piles &= piles - 1) {
            const int p = __builtin_ctzll(piles);
            const int n = t.count(p);
            if (n == 0) continue;
            int z = n - 1;
            if (stateOf(t.card(p, z)) != kFaceUp || rankOfCard(t.card(p, z)) != 0) continue;
            while (z > 0 && follows(t.card(p, z - 1), t.card(p, z))) {
                --z;
                if (stateOf(t.card(p, z)) != kFaceUp) break;
            }
            if (stateOf(t.card(p, z)) != kFaceUp || rankOfCard(t.card(p, z)) != kHighestRank) continue;
            int home = -1;
            forEachPile(rules.foundations, [&](int f) {
                if (home < 0 && t.empty(f)) home = f;
            });
            if (home < 0) continue;
            for (int i = 0; i < 13; ++i) carryTop(p, home, Change::Recorded | Change::Chained);
            return true;
        }
        return false;
    }

    bool playSuiteRun() {
        return rules.suiteRuns &&
               playRun(rules.suiteRuns, [](uint8_t below, uint8_t above) { return valueOf(below) == valueOf(above) + 4; });
    }
    bool playStraightRun() {
        return rules.straightRuns && playRun(rules.straightRuns, [](uint8_t below, uint8_t above) {
                   return rankOfCard(below) == rankOfCard(above) + 1;
               });
    }
    // Same-suit runs first, then runs in any suits, until none is left.
    void playCompleteRuns() {
        while (playSuiteRun()) {
        }
        while (playStraightRun()) {
        }
    }

    void discardFourSuits() {
        if (!rules.fourSuits) return;
        unsigned suits = 0;
        forEachPile(rules.fourSuits, [&](int p) {
            if (!t.empty(p)) suits |= 1u << suitOf(valueOf(t.top(p)));
        });
        if (suits != 0xF || rules.lastFoundation < 0) return;
        forEachPile(rules.fourSuits, [&](int p) {
            if (!t.empty(p) && rankOfCard(t.top(p)) != kHighestRank)
                carryTop(p, rules.lastFoundation, Change::Recorded | Change::Chained);
        });
    }

    void dealFromStock(int stock) {
        bool chained = false;
        forEachPile(rules.wastes, [&](int w) {
            int cards = cardsPerPress(rules, stock, w);
            for (; cards > 0; --cards) {
                if (t.empty(stock)) continue;
                if (stateOf(t.top(stock)) == kFaceDown) {
                    turn(stock, t.count(stock) - 1, kFaceUp, Change::Recorded | chainedIf(chained));
                    chained = true;
                }
                carryTop(stock, w, Change::Recorded | chainedIf(chained));
                chained = true;
            }
        });
        discardFourSuits();
    }

    void redeal(int x) {
        int n = core::redealCardCount(rules, t);
        // Every redeal of a deal starts the effect generator from the deal
        // generator's state, so it gathers the cards in the same pattern.
        Generator g{rules.redealSeed};
        bool chained = false;
        while (n > 0) {
            bool any = false;
            forEachPile(rules.gathered, [&](int p) {
                if (t.empty(p) || p == x) return;
                any = true;
                if (g(3) == 0) return;
                --n;
                if (rules.piles[p].has(PileFlags::redealFaceDown) && stateOf(t.top(p)) == kFaceUp) {
                    turn(p, t.count(p) - 1, kFaceDown, Change::Recorded | Change::Quiet | chainedIf(chained));
                    chained = true;
                }
                shift(p, x, Change::Recorded | chainedIf(chained));
                chained = true;
            });
            if (!any) break;  // only the pressed pile itself held gathered cards
        }
        for (int q = 0; q < rules.pileCount; ++q) {
            if (!rules.piles[q].has(PileFlags::redealRefill) || q == x) continue;
            while (!t.empty(x) && t.count(q) < rules.piles[q].dealCount) shift(x, q, Change::Recorded | Change::Chained);
        }
        if (record) {
            record->redealt = true;
            record->generatorState = g.state;
        }
    }

    void selectClick(int p) {
        const int state = stateOf(t.top(p)) == kFaceUp ? kSelected : kFaceUp;
        select(p, state, 0);
        if (isDiscardGroup(rules, t)) {
            bool chained = false;
            // Every selected card goes to the first foundation, in the
            // layout order of their piles, as one undo action.
            forEachPile(rules.foundations, [&](int f) {
                for (int q = 0; q < rules.pileCount; ++q) {
                    if (t.empty(q) || stateOf(t.top(q)) != kSelected) continue;
                    select(q, kFaceUp, Change::Quiet);
                    carryTop(q, f, Change::Recorded | chainedIf(chained));
                    chained = true;
                }
            });
        }
        fillSpaces();
    }
};

// The discard rules as a test of a selection's face values (rank + 1), in
// layout order, and as a test of whether more cards could still make one.
struct GroupRules {
    uint32_t r;

    bool isGroup(const int* v, int k) const {
        using namespace GameRuleFlags;
        const int sum2 = k == 2 ? v[0] + v[1] : -1;
        if ((r & pairsOfRank) && k == 2 && v[0] == v[1]) return true;
        if ((r & pairsTen) && sum2 == 10) return true;
        if ((r & pairsEleven) && sum2 == 11) return true;
        if ((r & pairsThirteen) && sum2 == 13) return true;
        if ((r & pairsFourteen) && sum2 == 14) return true;
        if ((r & faceTriplets) && k == 3 && v[0] != v[1] && v[1] != v[2] && v[0] != v[2] && v[0] + v[1] + v[2] == 36)
            return true;
        if ((r & tensQuartets) && k == 4 && v[0] == v[1] && v[1] == v[2] && v[2] == v[3] && v[0] >= 10) return true;
        if ((r & kingsSingly) && k == 1 && v[0] == 13) return true;
        if (r & fifteens) {
            int sum = 0;
            bool small = true;
            for (int i = 0; i < k; ++i) {
                sum += v[i];
                if (v[i] > 9) small = false;
            }
            if (small && sum == 15) return true;
        }
        return false;
    }

    // Some group of more than k cards could begin with these k.
    bool couldGrow(const int* v, int k) const {
        using namespace GameRuleFlags;
        if (k < 2 && (r & (pairsOfRank | pairsTen | pairsEleven | pairsThirteen | pairsFourteen))) return true;
        if (k < 3 && (r & faceTriplets)) return true;
        if (k < 4 && (r & tensQuartets)) return true;
        if (r & fifteens) {
            int sum = 0;
            for (int i = 0; i < k; ++i) {
                if (v[i] > 9) return false;
                sum += v[i];
            }
            return sum < 15;
        }
        return false;
    }
};

constexpr int kMaxGroup = 10;  // no discard rule is met by more than nine cards of one deck

}  // namespace

bool selectionPending(const GameRules& rules, const Table& t) {
    for (int p = 0; p < rules.pileCount; ++p)
        if (!t.empty(p) && stateOf(t.top(p)) == kSelected) return true;
    return false;
}

bool isDiscardGroup(const GameRules& rules, const Table& t) {
    int values[kMaxGroup];
    int k = 0;
    for (int p = 0; p < rules.pileCount; ++p) {
        if (t.empty(p) || stateOf(t.top(p)) != kSelected) continue;
        if (k == kMaxGroup) return false;
        values[k++] = rankOfCard(t.top(p)) + 1;
    }
    return GroupRules{rules.ruleFlags}.isGroup(values, k);
}

int cardsOnFoundations(const GameRules& rules, const Table& t) {
    int n = 0;
    forEachPile(rules.foundations, [&](int f) { n += t.count(f); });
    return n;
}

bool isWon(const GameRules& rules, const Table& t) { return cardsOnFoundations(rules, t) == rules.deckSize; }

bool canDeal(const GameRules& rules, const Table& t, int stock) {
    const PileRules& s = rules.piles[stock];
    if (!s.has(PileFlags::stock) || t.empty(stock)) return false;
    if (s.has(PileFlags::waitReservesToDeal) && !reservesEmpty(rules, t)) return false;
    return !selectionPending(rules, t);
}

bool canRedeal(const GameRules& rules, const Table& t, int pile) {
    return t.empty(pile) && rules.piles[pile].has(PileFlags::redealable) && t.redealsLeft != 0;
}

void selectClick(const GameRules& rules, Table& t, int pile, ChangeRecord* record) {
    Effects{rules, t, record}.selectClick(pile);
}

void fillSpaces(const GameRules& rules, Table& t, ChangeRecord* record) { Effects{rules, t, record}.fillSpaces(); }
bool playSuiteRun(const GameRules& rules, Table& t, ChangeRecord* record) {
    return Effects{rules, t, record}.playSuiteRun();
}
bool playStraightRun(const GameRules& rules, Table& t, ChangeRecord* record) {
    return Effects{rules, t, record}.playStraightRun();
}
void playCompleteRuns(const GameRules& rules, Table& t, ChangeRecord* record) {
    Effects{rules, t, record}.playCompleteRuns();
}
void discardFourSuits(const GameRules& rules, Table& t, ChangeRecord* record) {
    Effects{rules, t, record}.discardFourSuits();
}
void dealFromStock(const GameRules& rules, Table& t, int stock, ChangeRecord* record) {
    Effects{rules, t, record}.dealFromStock(stock);
}
void redeal(const GameRules& rules, Table& t, int pile, ChangeRecord* record) { Effects{rules, t, record}.redeal(pile); }
int cardsPerPress(const GameRules& rules, int stock, int waste) {
    if (rules.three && rules.piles[stock].has(PileFlags::dealThree)) return 3;
    return rules.piles[waste].sizeLimit ? rules.piles[waste].sizeLimit : 1;
}

int redealCardCount(const GameRules& rules, const Table& t) {
    int n = 0;
    forEachPile(rules.gathered, [&](int p) { n += t.count(p); });
    return n;
}

void apply(const GameRules& rules, Table& t, const Move& m, ChangeRecord* record) {
    Effects e{rules, t, record};
    switch (m.kind) {
        case Move::Place: {
            const int n = liftCount(rules, t, m.from, m.card);
            e.carry(m.from, m.card, n, m.to, m.from != m.to ? Change::Recorded : 0);
            e.fillSpaces();
            if (!(m.flags & Move::Autoplay)) e.playCompleteRuns();
            break;
        }
        case Move::Turn:
            if (rules.groupables & bit(m.from))
                e.selectClick(m.from);  // a press on a groupable pile turns its face-down top card up
            else
                e.turn(m.from, m.card, kFaceUp, Change::Recorded);
            break;
        case Move::Deal:
            e.dealFromStock(m.from);
            e.playCompleteRuns();
            break;
        case Move::Redeal:
            e.redeal(m.from);
            if (t.redealsLeft > 0 && !rules.unlimit) --t.redealsLeft;
            break;
        case Move::Discard: {
            PileMask piles = m.piles;
            if (m.last < rules.pileCount) piles &= ~bit(m.last);
            forEachPile(piles, [&](int p) { e.selectClick(p); });
            if (m.last < rules.pileCount) e.selectClick(m.last);
            break;
        }
    }
}

bool autoplayMove(const GameRules& rules, const Table& t, int p, Move& out) {
    const PileRules& pile = rules.piles[p];
    const int n = t.count(p);
    if (!pile.has(PileFlags::toFoundation) || n == 0) return false;
    if (pile.has(PileFlags::waitReservesToTake) && !reservesEmpty(rules, t)) return false;
    const bool single = pile.has(PileFlags::anySingleCard);
    const int first = single ? 0 : n - 1;
    if (stateOf(t.card(p, first)) == kFaceDown) {
        // Turning the card is the step (for a pile that gives any single
        // card this is its bottom card; turning it keeps Auto from looping).
        out = Move::turn(p, first);
        return true;
    }
    for (int k = first; k < n; k = single ? k + 1 : n) {
        const int value = valueOf(t.card(p, k));
        for (PileMask f = rules.foundations; f; f &= f - 1) {
            const int home = __builtin_ctzll(f);
            if (canPlace(rules, t, p, home, value, 1)) {
                out = Move::place(p, k, home, Move::Autoplay);
                return true;
            }
        }
    }
    return false;
}

bool homeMove(const GameRules& rules, const Table& t, int p, int k, Move& out) {
    const PileRules& pile = rules.piles[p];
    if (k < 0 || k >= t.count(p) || pile.has(PileFlags::stock | PileFlags::groupable)) return false;
    if (stateOf(t.card(p, k)) != kFaceUp) return false;
    const int value = valueOf(t.card(p, k)), n = liftCount(rules, t, p, k);
    for (PileMask f = rules.foundations & ~bit(p); f; f &= f - 1) {
        const int home = __builtin_ctzll(f);
        // Asked with the cards in place, as autoplay asks.
        if (canPlace(rules, t, p, home, value, n)) {
            out = Move::place(p, k, home, Move::Autoplay);
            return true;
        }
    }
    return false;
}

Press pressMove(const GameRules& rules, const Table& t, int p, int picked, Move& out) {
    const PileRules& pile = rules.piles[p];
    const int n = t.count(p);
    if (n == 0) {
        if (!canRedeal(rules, t, p)) return Press::Nothing;
        out = Move::redeal(p);
        return Press::Play;
    }
    if (pile.has(PileFlags::stock)) {
        if (!canDeal(rules, t, p)) return Press::Nothing;
        out = Move::deal(p);
        return Press::Play;
    }
    if (pile.has(PileFlags::groupable)) {
        out = Move::turn(p, n - 1);  // selects or deselects the top card, or turns it up
        return Press::Play;
    }
    if (picked < 0 || picked >= n) return Press::Nothing;
    if (stateOf(t.card(p, picked)) == kFaceUp) {
        out = Move::place(p, picked, p);
        return Press::Lift;
    }
    if (picked != n - 1) return Press::Nothing;
    out = Move::turn(p, picked);
    return Press::Play;
}

bool autoStepMove(const GameRules& rules, const Table& t, Move& out) {
    for (int p = 0; p < rules.pileCount; ++p)
        if (autoplayMove(rules, t, p, out)) return true;
    return false;
}

namespace {

// The discard groups among the groupable piles' top cards, each as the
// piles to press from the table's present selection, in an order in which
// only the last press completes the group.
struct DiscardFinder {
    const GameRules& rules;
    const Table& t;
    MoveList& out;
    GroupRules groups{rules.ruleFlags};
    PileMask selected = 0;
    int candidates[kMaxPiles] = {};
    int candidateCount = 0;

    int faceValue(int p) const { return rankOfCard(t.top(p)) + 1; }

    // The values of the selected piles of a mask, in layout order.
    int valuesOf(PileMask mask, int* v) const {
        int k = 0;
        forEachPile(mask, [&](int p) {
            if (k < kMaxGroup) v[k] = faceValue(p);
            ++k;
        });
        return k;
    }
    bool formsGroup(PileMask mask) const {
        int v[kMaxGroup];
        const int k = valuesOf(mask, v);
        return k <= kMaxGroup && groups.isGroup(v, k);
    }

    // Presses that turn the selection into the group: deselections in
    // layout order, then selections in layout order with `last` last; no
    // press but the last may form a group on the way.
    bool reachable(PileMask group, PileMask presses, int last) const {
        int order[kMaxPiles];
        int n = 0;
        forEachPile(presses & selected, [&](int p) {
            if (p != last) order[n++] = p;
        });
        forEachPile(presses & ~selected, [&](int p) {
            if (p != last) order[n++] = p;
        });
        if (last >= 0) order[n++] = last;
        PileMask now = selected;
        for (int i = 0; i < n; ++i) {
            now ^= bit(order[i]);
            if (i + 1 < n && formsGroup(now)) return false;
        }
        return now == group;
    }

    void offer(PileMask group) {
        const PileMask presses = group ^ selected;
        if (!presses) return;
        if (reachable(group, presses, -1)) {
            out.add(Move::discard(presses));
            return;
        }
        for (PileMask m = presses & ~selected; m; m &= m - 1) {
            const int last = __builtin_ctzll(m);
            if (reachable(group, presses, last)) {
                out.add(Move::discard(presses, last));
                return;
            }
        }
    }

    void search(int from, PileMask group, int* v, int k) {
        if (k > 0 && groups.isGroup(v, k)) offer(group);
        if (k == kMaxGroup || (k > 0 && !groups.couldGrow(v, k))) return;
        for (int i = from; i < candidateCount; ++i) {
            const int p = candidates[i];
            v[k] = faceValue(p);
            search(i + 1, group | bit(p), v, k + 1);
        }
    }

    // The selection and the candidates; false when no discard can be made
    // (a selection can also hold the selected top cards of piles that are
    // not groupable any more, after the pile editor: they stay as they are).
    bool prepare() {
        forEachPile(rules.groupables, [&](int p) {
            if (t.empty(p)) return;
            const int state = stateOf(t.top(p));
            if (state == kSelected) selected |= bit(p);
            if (state != kFaceDown) candidates[candidateCount++] = p;
        });
        for (int p = 0; p < rules.pileCount; ++p)
            if (!(rules.groupables & bit(p)) && !t.empty(p) && stateOf(t.top(p)) == kSelected) return false;
        return true;
    }

    void run() {
        if (!prepare()) return;
        int v[kMaxGroup];
        search(0, 0, v, 0);
    }

    // The one group, offered when its cards are candidates and form a group.
    void runFor(PileMask group) {
        if (!prepare() || !group) return;
        PileMask candidateMask = 0;
        for (int i = 0; i < candidateCount; ++i) candidateMask |= bit(candidates[i]);
        if ((group & ~candidateMask) || !formsGroup(group)) return;
        offer(group);
    }
};


// Where equal cards or the rules' own actions can make two moves end alike,
// keeps only the first move of each result (and none that changes nothing).
void keepDistinctResults(const GameRules& rules, const Table& t, MoveList& out) {
    uint64_t hashes[kMaxMoves];
    int kept = 0;
    for (int i = 0; i < out.size; ++i) {
        const Move m = out.moves[i];
        Table after = t;
        apply(rules, after, m);
        if (after == t) continue;
        const uint64_t h = hash(after);
        bool seen = false;
        for (int j = 0; j < kept && !seen; ++j) {
            if (hashes[j] != h) continue;
            Table earlier = t;
            apply(rules, earlier, out.moves[j]);
            seen = earlier == after;
        }
        if (seen) continue;
        hashes[kept] = h;
        out.moves[kept++] = m;
    }
    out.size = kept;
}

}  // namespace

bool discardMove(const GameRules& rules, const Table& t, PileMask group, Move& out) {
    if (!rules.groupables || !rules.hasDiscardRules()) return false;
    MoveList found;
    DiscardFinder{rules, t, found}.runFor(group);
    if (found.size == 0) return false;
    out = found.moves[0];
    return true;
}

namespace {

// pileMoves, with `takers` (when given) the piles whose accepted values
// hold each value: the only piles, but those asked with the cards lifted,
// that may take a group whose lowest card has that value.
void movesOfPile(const GameRules& rules, const Table& t, int p, MoveList& out, const Acceptance* accepts,
                 const PileMask* takers) {
    const PileRules& pile = rules.piles[p];
    const int n = t.count(p);
    // A move is offered only when it changes the table.
    auto offerIfChanging = [&](const Move& m) {
        Table after = t;
        apply(rules, after, m);
        if (after != t) out.add(m);
    };
    if (n == 0) {
        if (canRedeal(rules, t, p)) offerIfChanging(Move::redeal(p));
        return;
    }
    if (pile.has(PileFlags::stock)) {
        if (canDeal(rules, t, p)) offerIfChanging(Move::deal(p));
        return;
    }
    if (pile.has(PileFlags::groupable)) {
        if (stateOf(t.top(p)) == kFaceDown) out.add(Move::turn(p, n - 1));
        return;
    }
    // The groups a press can lift: a press anywhere on a fanned pile, on the
    // top card only of a squared one. Where the group depends only on
    // whether the top card was pressed, two presses show them all.
    const bool eachCard = pile.has(PileFlags::anySingleCard) || pile.removal == Removal::FaceUpAndAbove;
    const int lowest = pile.fanned() ? 0 : n - 1;
    int lastGroup = -1;
    Table lifted;
    // What each pile accepts, asked once for all the groups; where the
    // lifted cards matter to the answer, it is asked with them off the pile.
    const bool fromReserve = pile.has(PileFlags::reserve);
    // Cards put back on their own pile change the table only where a single
    // card comes out of the middle, the pile sorts itself, or the rules act
    // after every drop.
    const bool backChanges = pile.has(PileFlags::anySingleCard | PileFlags::sortAscending | PileFlags::sortDescending) ||
                             (rules.fillers && rules.spaces) || rules.suiteRuns || rules.straightRuns;
    Acceptance own[kMaxPiles];
    bool acceptsReady = accepts != nullptr;
    for (int pressed = n - 1; pressed >= lowest; --pressed) {
        if (!eachCard && pressed < n - 1) pressed = lowest;  // any card below the top
        const int g = findPickCard(rules, t, p, pressed);
        if (g < 0 || g == lastGroup) continue;
        const uint8_t low = t.card(p, g);
        lastGroup = g;
        if (stateOf(low) != kFaceUp) {
            if (g == n - 1) out.add(Move::turn(p, g));
            continue;
        }
        // Of two equal cards next to each other, taking either leaves the
        // same table: only the lower one is offered.
        if (pile.has(PileFlags::anySingleCard) && g > 0 && t.card(p, g - 1) == low) continue;
        const int count = liftCount(rules, t, p, g);
        const int value = valueOf(low);
        bool liftedReady = false;
        if (!acceptsReady) {
            for (int q = 0; q < rules.pileCount; ++q) own[q] = acceptance(rules, t, q);
            accepts = own;
            acceptsReady = true;
        }
        PileMask targets = (PileMask{1} << rules.pileCount) - 1;
        if (takers && !fromReserve) {
            targets = takers[value] | bit(p);
            if (p + 1 < rules.pileCount && rules.piles[p + 1].has(PileFlags::rankOfPileAbove)) targets |= bit(p + 1);
        }
        for (; targets; targets &= targets - 1) {
            const int q = __builtin_ctzll(targets);
            if (q == p && !backChanges) continue;
            const bool needsLift =
                fromReserve || q == p || (q == p + 1 && rules.piles[q].has(PileFlags::rankOfPileAbove));
            bool ok;
            if (needsLift) {
                if (!liftedReady) {
                    lifted = liftedTable(rules, t, p, g, count);
                    liftedReady = true;
                }
                ok = canPlace(rules, lifted, p, q, value, count);
            } else {
                ok = accepts[q].accepts(p, value, count);
            }
            if (!ok) continue;
            if (q == p)
                offerIfChanging(Move::place(p, g, q));
            else
                out.add(Move::place(p, g, q));
        }
    }
}

}  // namespace

void pileMoves(const GameRules& rules, const Table& t, int p, MoveList& out, const Acceptance* accepts) {
    movesOfPile(rules, t, p, out, accepts, nullptr);
}

void legalMoves(const GameRules& rules, const Table& t, MoveList& out, const Acceptance* accepts, PileMask skip) {
    out.size = 0;
    out.overflow = false;
    // Which piles may take each value, so that each group asks only those.
    PileMask takers[52] = {};
    for (int q = 0; q < rules.pileCount; ++q)
        for (uint64_t v = accepts[q].never ? 0 : accepts[q].values; v; v &= v - 1) takers[__builtin_ctzll(v)] |= bit(q);
    for (int p = 0; p < rules.pileCount; ++p)
        if (!(skip & bit(p))) movesOfPile(rules, t, p, out, accepts, takers);
    if (rules.groupables && rules.hasDiscardRules()) DiscardFinder{rules, t, out}.run();
}

void legalMoves(const GameRules& rules, const Table& t, MoveList& out, bool distinct) {
    Acceptance accepts[kMaxPiles];
    for (int q = 0; q < rules.pileCount; ++q) accepts[q] = acceptance(rules, t, q);
    legalMoves(rules, t, out, accepts, 0);
    if (distinct && rules.resultsMayCoincide) keepDistinctResults(rules, t, out);
}

bool leaves(const GameRules& rules, const Table& from, const Move& move, const Table& after, int entries) {
    Table t = from;
    ChangeRecord record;
    apply(rules, t, move, &record);
    int written = 0;
    for (const Change& c : record) written += c.recorded() ? 1 : 0;
    t.redealsLeft = after.redealsLeft;
    return t == after && written == entries;
}

bool moveBetween(const GameRules& rules, const Table& from, const Table& after, int entries, Move& out) {
    auto found = [&](const Move& m) {
        if (!leaves(rules, from, m, after, entries)) return false;
        out = m;
        return true;
    };
    MoveList moves;
    legalMoves(rules, from, moves, false);
    for (const Move& m : moves)
        if (found(m)) return true;
    Move m;
    for (int p = 0; p < rules.pileCount; ++p) {
        if (autoplayMove(rules, from, p, m) && found(m)) return true;
        for (int k = 0; k < from.count(p); ++k)
            if (homeMove(rules, from, p, k, m) && found(m)) return true;
    }
    return false;
}

}  // namespace korvat::core
