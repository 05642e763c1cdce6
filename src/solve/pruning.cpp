// Pruning: moves and tables the search may leave out without losing a win
// (moves that only give back a table seen, moves worth making only for a
// use that is not there, tables whose cards are stuck for good).
#include "solve/search.h"

#include <algorithm>

#include "core/actions.h"
#include "core/legality.h"

namespace korvat::solve {

using namespace core;

// Whether the step may have left cards stuck: cards went home (cards of
// plain piles become stuck only when cards they could be built on go
// home), or a card landed on a pile whose cards go only home.
bool Search::mayHaveStuck(const Table& child, const Step& step, int homeBefore) const {
    if (!analysis_.checksStuckCards) return false;
    if (homeCount(child) > homeBefore) return true;
    if (step.move.kind == Move::Place) return analysis_.homeOnlyPiles & bit(step.move.to);
    return step.move.kind == Move::Deal && (rules_.wastes & analysis_.homeOnlyPiles);
}

int Search::homeCount(const Table& t) const {
    int n = 0;
    forEachPile(analysis_.closedFoundations, [&](int f) { n += t.count(f); });
    return n;
}

// Whether some cards are stuck for good (see
// RulesAnalysis::checksStuckCards). A card of a pile whose cards go only
// home can leave it only for home; so can a card of a plain pile when
// every card it could be built on is home or under it and no empty
// pile takes it; only a face-down card, or the lowest face-up card on
// face-down ones, can be so, the others leaving with the run below
// them. Such a card goes home only after every such card lying above
// its card of the suit below has gone home (itself included, when it
// lies above that card), and in a pile whose cards go only home, after
// those lying above it: when those waits go round in a circle, none of
// the cards in it ever goes home.
bool Search::hasStuckCards(const Table& t) const {
    uint8_t pileOf[52], at[52];
    uint64_t home = 0;
    for (int p = 0; p < rules_.pileCount; ++p)
        for (int i = t.begin(p); i < t.end(p); ++i) {
            const int v = valueOf(t.cards[i]);
            pileOf[v] = static_cast<uint8_t>(p);
            at[v] = static_cast<uint8_t>(i);
            if (analysis_.closedFoundations & bit(p)) home |= uint64_t{1} << v;
        }
    uint64_t homeOnly = 0;
    for (PileMask piles = analysis_.homeOnlyPiles; piles; piles &= piles - 1) {
        const int p = __builtin_ctzll(piles);
        for (int i = t.begin(p); i < t.end(p); ++i) homeOnly |= uint64_t{1} << valueOf(t.cards[i]);
    }
    for (PileMask piles = analysis_.stuckInPlainPiles ? analysis_.plainPiles : 0; piles; piles &= piles - 1) {
        const int p = __builtin_ctzll(piles);
        for (int i = t.begin(p) + 1; i < t.end(p); ++i) {
            const int v = valueOf(t.cards[i]);
            if (stateOf(t.cards[i]) != kFaceDown && stateOf(t.cards[i - 1]) != kFaceDown) continue;
            if (rankOf(v) == 0 || (analysis_.spaceTakes >> v & 1)) continue;
            bool leaves = false;
            for (uint64_t z = analysis_.carriers[v] & ~home; z && !leaves; z &= z - 1) {
                const int w = __builtin_ctzll(z);
                leaves = pileOf[w] != p || at[w] > i;
            }
            if (!leaves) homeOnly |= uint64_t{1} << v;
        }
    }
    if (!homeOnly) return false;
    // over[v]: the cards of homeOnly lying above the card of value v.
    uint64_t over[52];
    for (int p = 0; p < rules_.pileCount; ++p) {
        uint64_t above = 0;
        for (int i = t.end(p) - 1; i >= t.begin(p); --i) {
            const int v = valueOf(t.cards[i]);
            over[v] = above;
            above |= homeOnly & (uint64_t{1} << v);
        }
    }
    // waits[v]: the cards of homeOnly that must go home before v can: those
    // above its card of the suit below, and in a pile whose cards go only
    // home, those above it.
    uint64_t waits[52];
    for (uint64_t m = homeOnly; m; m &= m - 1) {
        const int v = __builtin_ctzll(m);
        const int below = v - 4;
        waits[v] = below < 0 || (home >> below & 1) ? 0 : over[below];
        if (analysis_.homeOnlyPiles & bit(pileOf[v])) waits[v] |= over[v];
    }
    // Take away the cards that wait for none left; any left wait in a circle.
    uint64_t left = homeOnly;
    for (bool again = true; again;) {
        again = false;
        for (uint64_t m = left; m; m &= m - 1) {
            const int v = __builtin_ctzll(m);
            if (!(waits[v] & left)) {
                left &= ~(uint64_t{1} << v);
                again = true;
            }
        }
    }
    return left != 0;
}

// Whether the move only gives back a table already seen, between plain
// piles, where a move does nothing but carry the cards: a whole pile
// into an empty pile it may be exchanged with gives the same table with
// the two swapped, and the step that made this table taken back, when
// nothing followed it, gives the table it was made from.
bool Search::onlyGivesBack(const Frame& f, const Move& m) const {
    if (m.kind != Move::Place || !(analysis_.plainPiles & bit(m.from)) || !(analysis_.plainPiles & bit(m.to)))
        return false;
    const Table& t = f.table;
    if (m.card == 0 && t.empty(m.to) && analysis_.classOf[m.from] == analysis_.classOf[m.to]) return true;
    const Step& v = f.via;
    return v.presses == 0 && v.move.kind == Move::Place && v.move.from != v.move.to && f.forcedBegin == f.forcedEnd &&
           v.move.from == m.to && v.move.to == m.from && t.count(m.from) - m.card == v.lifted &&
           t.count(m.to) == v.move.card;
}

Search::WatchedMove Search::watchedMove(const Table& before, const Table& after, const Step& step,
                                        bool withRound) const {
    WatchedMove w;
    if (step.move.kind != Move::Place || !(analysis_.plainPiles & bit(step.move.to))) return w;
    const Move& m = step.move;
    if (withRound && m.from == analysis_.waste) {
        if (!analysis_.roundCardsWaitForUse) return w;
        w.kind = WatchedMove::RoundCard;
    } else if (analysis_.emptyingWaitsForUse && (analysis_.plainPiles & bit(m.from)) && m.card == 0 &&
               !before.empty(m.to)) {
        w.kind = WatchedMove::Emptied;
    } else {
        return w;
    }
    w.from = m.from;
    w.to = m.to;
    w.fromCount = after.count(m.from);
    w.toCount = after.count(m.to);
    w.landed = before.count(m.to);
    return w;
}

// Whether the watched move lets something be done at once: something
// put into the space a whole pile leaves, or anything done without a
// choice after the move. (A card of the round that lies unused is
// made together with each of its uses instead: addRoundCardWithUses.)
bool Search::watchedMoveUsed(const Table& t, const WatchedMove& w, bool withRound) {
    if (t.count(w.to) != w.toCount || t.count(w.from) != w.fromCount) return true;
    return somethingBuildsOn(t, w.from, withRound, w.to, w.landed);
}

// The cards and runs a press on a pile other than p (and the stock and,
// with the round, the waste) would lift, but the cards at notBase of
// pile notFrom, and whole piles that would only change places with p.
int Search::gatherOffers(const Table& t, int p, bool withRound, int notFrom, int notBase, Group* offered) const {
    int groups = 0;
    for (int q = 0; q < rules_.pileCount; ++q) {
        if (q == p || q == analysis_.stock || (withRound && q == analysis_.waste) || t.empty(q)) continue;
        const int n = t.count(q);
        for (int i = n - 1, last = -1; i >= 0 && groups < kMaxCards && stateOf(t.card(q, i)) != kFaceDown; --i) {
            const int base = findPickCard(rules_, t, q, i);
            if (base < 0 || base == last) continue;
            last = base;
            i = std::min(i, base);  // a press between the base and i takes the same cards
            if (q == notFrom && base == notBase) continue;  // the cards just moved, going back
            if (p >= 0 && base == 0 && t.empty(p) && analysis_.classOf[q] == analysis_.classOf[p])
                continue;  // piles swapped
            offered[groups++] = {q, valueOf(t.card(q, base)), n - base};
        }
    }
    return groups;
}

// Whether a card could be built on the top card of pile p now: a card
// or run another pile offers, or a card of the round. With round cards
// waiting (roundCardsWaitForUse), a round card counts only when a card another
// pile offers could be built on it in turn, directly or on a chain of
// round cards: a chain of round cards alone is worth no more than the
// round.
bool Search::somethingBuildsOn(const Table& t, int p, bool withRound, int notFrom, int notBase) {
    offers_.groups = gatherOffers(t, p, withRound, notFrom, notBase, offers_.offered);
    offers_.total = withRound ? roundCards(t, offers_.round) : 0;
    return offersReach(t, p, offers_);
}

// The search of somethingBuildsOn over the offers, leaving out those of pile p.
bool Search::offersReach(const Table& t, int p, const Offers& offers) {
    Acceptance accepts = acceptance(rules_, t, p);
    bool exact;
    uint64_t reach = accepts.singleCardValues(exact);
    if (exact && !accepts.oneCard && rules_.piles[p].sizeLimit == 0) {
        // The pile takes cards by their values alone, runs as single
        // cards: the chain is the values reached through round cards.
        uint64_t offered = 0, round = 0, tried = 0;
        for (int g = 0; g < offers.groups; ++g)
            if (offers.offered[g].source != p) offered |= uint64_t{1} << offers.offered[g].value;
        for (int i = 0; i < offers.total; ++i) round |= uint64_t{1} << valueOf(offers.round[i]);
        while (!(reach & offered)) {
            const uint64_t fresh = reach & round & ~tried;
            if (!fresh) return false;
            if (!analysis_.roundCardsWaitForUse) return true;
            tried |= fresh;
            for (uint64_t m = fresh; m; m &= m - 1) reach |= analysis_.buildsOn(p, __builtin_ctzll(m));
        }
        return true;
    }
    bool used[kMaxCards] = {};
    int chain[kMaxCards + 1];
    int depth = 0;
    chain[depth++] = t.empty(p) ? -1 : valueOf(t.top(p));
    while (depth > 0) {
        const int top = chain[--depth];
        if (top >= 0) {  // on a card, the pile's own building rules
            accepts.empty = false;
            accepts.top = top;
            accepts.values = analysis_.buildsOn(p, top);
        }
        for (int g = 0; g < offers.groups; ++g)
            if (offers.offered[g].source != p &&
                accepts.accepts(offers.offered[g].source, offers.offered[g].value, offers.offered[g].count))
                return true;
        for (int i = 0; i < offers.total; ++i) {
            if (used[i] || !accepts.accepts(analysis_.waste, valueOf(offers.round[i]), 1)) continue;
            if (!analysis_.roundCardsWaitForUse) return true;
            used[i] = true;
            chain[depth++] = valueOf(offers.round[i]);
        }
    }
    return false;
}

}  // namespace korvat::solve
