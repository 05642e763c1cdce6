// Forced moves (safe moves): a face-down top card turned up, and a card
// sent home where nothing could need it and no other card could take its
// place, made without a choice after every step.
#include "solve/search.h"

#include <algorithm>

#include "core/actions.h"
#include "core/legality.h"

namespace korvat::solve {

using namespace core;

uint64_t Search::homeAccepts(AcceptanceCache& takes) const {
    if (!takes.homeKnown) {
        takes.home = 0;
        for (PileMask f = analysis_.closedFoundations; f; f &= f - 1) {
            const Acceptance& a = acceptanceOf(takes, __builtin_ctzll(f));
            if (!a.never && a.room >= 1) takes.home |= a.values;
        }
        takes.homeKnown = true;
    }
    return takes.home;
}

const Acceptance& Search::acceptanceOf(AcceptanceCache& takes, int q) const {
    if (!(takes.known & bit(q))) {
        takes.of[q] = acceptance(rules_, takes.t, q);
        takes.known |= bit(q);
    }
    return takes.of[q];
}

// Makes the moves that cannot hurt, until none is left: a face-down top
// card turned up, and a card home that nothing could need where it lies
// (a top card, or with the round as one, a card of the round).
void Search::makeForcedMoves(Table& t) {
    uint64_t home = 0;
    bool homeKnown = false;
    AcceptanceCache takes(t);
    for (bool again = true; again;) {
        again = false;
        for (int p = 0; p < rules_.pileCount; ++p) {
            const PileRules& pile = rules_.piles[p];
            const int n = t.count(p);
            if (n == 0 || pile.has(PileFlags::stock | PileFlags::groupable)) continue;
            const uint8_t top = t.top(p);
            if (stateOf(top) == kFaceDown) {
                if (findPickCard(rules_, t, p, n - 1) != n - 1) continue;
                const Move m = Move::turn(p, n - 1);
                apply(rules_, t, m);
                forcedMoves_.push_back(m);
                takes.forget();
                again = true;
                continue;
            }
            if (analysis_.guardedDiscards && stateOf(top) == kFaceUp && !pile.has(PileFlags::foundation) &&
                ((finding_ && discardGuarded(t, takes, p)) || discardNeedless(t, takes, p))) {
                again = true;
                continue;
            }
            if (!analysis_.safeHomeMoves || stateOf(top) != kFaceUp || pile.has(PileFlags::foundation) ||
                ((analysis_.keptForRedeal & bit(p)) && t.redealsLeft != 0))
                continue;
            const int v = valueOf(top);
            if (!(homeAccepts(takes) >> v & 1)) continue;
            if (!homeKnown) {
                home = homeValues(t);
                homeKnown = true;
            }
            if (!nothingNeeds(v, home)) continue;
            if (n == 1 && (rules_.spaces & bit(p)) && rules_.fillers) continue;  // the space would be filled
            if (findPickCard(rules_, t, p, n - 1) != n - 1) continue;
            for (PileMask f = analysis_.closedFoundations; f; f &= f - 1) {
                const int q = __builtin_ctzll(f);
                if (!placeable(takes, p, q, v)) continue;
                if (!homeIsNoChoice(takes, home, p, q, v)) break;
                const Move m = Move::place(p, n - 1, q);
                apply(rules_, t, m);
                forcedMoves_.push_back(m);
                takes.forget();
                again = true;
                homeKnown = false;
                break;
            }
        }
        if (!again && roundCardsGoHome_ && analysis_.stockRoundAt(t)) {
            if (!homeKnown) {
                home = homeValues(t);
                homeKnown = true;
            }
            again = sendRoundCardHome(t, takes, home);
            homeKnown = !again;
        }
    }
}

// The win finder's one forced move of its own: a top card a discard pile
// takes because a higher card of its suit lies on top of another pile is
// sent there. The higher card can do all the lower one could, for as long
// as both lie uncovered, so keeping the lower one back almost never wins
// a deal that sending it loses; almost, for a deal from the stock may
// cover the higher card and the lower one be uncovered again, so the
// exhaustive search, which must see every table, keeps the choice.
bool Search::discardGuarded(Table& t, AcceptanceCache& takes, int p) {
    const int v = valueOf(t.top(p));
    return higherCardOnWasteTop(rules_, t, p, v) && sendToDiscard(t, takes, p, v);
}

// The forced discard of both searches: a top card that the discard piles
// take, where every lower card of its suit is home for good and nothing
// builds on it. It can then only ever be the higher card for no card, and
// the table without it can do all the table with it could.
bool Search::discardNeedless(Table& t, AcceptanceCache& takes, int p) {
    if (!analysis_.needlessDiscards) return false;
    const int v = valueOf(t.top(p));
    const uint64_t lower = ((uint64_t{1} << (4 * rankOf(v))) - 1) & (0x1111111111111ull << suitOf(v));
    const uint64_t home = homeValues(t);
    if ((lower | analysis_.buildable[v]) & ~home) return false;
    const int n = t.count(p);
    if (n == 1 && (rules_.spaces & bit(p)) && rules_.fillers) return false;  // the space would be filled
    return findPickCard(rules_, t, p, n - 1) == n - 1 && sendToDiscard(t, takes, p, v);
}

// Sends the top card of p, of value v, to the first discard pile that takes it.
bool Search::sendToDiscard(Table& t, AcceptanceCache& takes, int p, int v) {
    for (PileMask f = analysis_.guardedDiscards; f; f &= f - 1) {
        const int q = __builtin_ctzll(f);
        if (!placeable(takes, p, q, v)) continue;
        const Move m = Move::place(p, t.count(p) - 1, q);
        apply(rules_, t, m);
        forcedMoves_.push_back(m);
        takes.forget();
        return true;
    }
    return false;
}

// Whether the step, made from a table with no forced move left, leaves
// none to make (nor a won table): it moves cards between piles other
// than foundations, the pile it takes them from may send none home
// without a choice, and the card it leaves there on top can neither be
// turned nor go home without a choice. Cards of the round were asked
// of with the round, which the step leaves as it was but for the card
// it takes.
// `home`: the values home on the table the step was made from, which a
// step that sends nothing home leaves as they were.
bool Search::leavesNoForcedMove(const Table& t, const Step& step, bool withRound, uint64_t home) const {
    if (!analysis_.settledAfterMoves) return false;
    if (step.move.kind != Move::Place) return false;
    const int p = step.move.from;
    if (rules_.foundations & bit(step.move.to)) return false;
    if (analysis_.keptForRedeal & bit(p)) {
        // Nothing leaves such a pile without a choice while a redeal may
        // come; the card taken off it is asked of where it lands.
        if (t.redealsLeft == 0) return false;
        const uint8_t landed = t.top(step.move.to);
        return !analysis_.safeHomeMoves || stateOf(landed) != kFaceUp || !nothingNeeds(valueOf(landed), home);
    }
    if (withRound && p == analysis_.waste) return roundCardsGoHome_;
    if (t.empty(p)) return true;
    const uint8_t top = t.top(p);
    if (stateOf(top) == kFaceDown) return false;
    return !analysis_.safeHomeMoves || !nothingNeeds(valueOf(top), home);
}

// Whether nothing could need the card of value v where it lies, the
// values in `home` being home: every card that could be built on it is
// home, or (readyHome) is next for its foundation, with every card that
// could be built on it home: it would go home itself the moment it is
// free, and so is as well home as on this card.
bool Search::nothingNeeds(int v, uint64_t home) const {
    const uint64_t wanted = analysis_.buildable[v] & ~home;
    if (!wanted) return true;
    if (!analysis_.readyHome) return false;
    const uint64_t next = ((home << 4) | 0xf) & ~home;  // each suit's next card, one deck built up from aces
    if (wanted & ~next) return false;
    for (uint64_t m = wanted; m; m &= m - 1)
        if (analysis_.buildable[__builtin_ctzll(m)] & ~home) return false;
    return true;
}

// Whether sending the top card of p (value v) home to q is no choice:
// every foundation that takes v takes it as q does (q's twin: the same
// rules, as many cards, the same top), and the cards those foundations
// take, wherever they lie, are no more than the twins can hold. Where a
// foundation builds up or down, or a card could go to two different
// foundations, or two copies of a card compete for one place, the
// choice is left to the search; but where the card is the first copy
// that can go home (firstCopyOut).
bool Search::homeIsNoChoice(AcceptanceCache& takes, uint64_t homeValues, int p, int q, int v) const {
    const Table& t = takes.t;
    if (analysis_.decks > 1 && firstCopyOut(t, p, q, v)) return true;
    auto twin = [&](int f) {
        if (analysis_.classOf[f] != analysis_.classOf[q] || t.count(f) != t.count(q)) return false;
        return t.empty(q) || valueOf(t.top(f)) == valueOf(t.top(q));
    };
    int twins = 0;
    for (int f = 0; f < rules_.pileCount; ++f) {
        if (!rules_.piles[f].has(PileFlags::foundation)) continue;
        if (twin(f)) {
            ++twins;
            continue;
        }
        if (f != p && placeable(takes, p, f, v)) return false;
    }
    const Acceptance& accepts = acceptanceOf(takes, q);
    if (analysis_.decks == 1 && !accepts.asksSource && !accepts.never && accepts.room >= 1)
        return __builtin_popcountll((accepts.values | uint64_t{1} << v) & ~homeValues) <= twins;
    uint8_t home[52];
    cardsHome(t, home);
    int wanting = 0;
    for (int x = 0; x < 52; ++x)
        if (home[x] < analysis_.decks && (x == v || accepts.accepts(p, x, 1))) wanting += analysis_.decks - home[x];
    return wanting <= twins;
}

// Whether the top card of p (value v) is the first copy of v that can
// ever go home, and only to foundations that may be exchanged with q: no
// pile but the foundations takes a card, every other copy of v not home
// lies below it in p, a waste that gives up its top card alone and is
// not turned over for a redeal (which would bring the lower copies out
// first), q takes one value at each stage, and
// every foundation of another class than q's builds in suit from a known
// card and may never take v. Whichever foundation of q's class the first
// copy goes to, the tables are the same but for which of them holds it;
// sending it now only brings the rest of p out sooner.
bool Search::firstCopyOut(const Table& t, int p, int q, int v) const {
    const PileRules& from = rules_.piles[p];
    const PileRules& home = rules_.piles[q];
    const bool oneValue = home.suitBuild == SuitBuild::SameSuit && home.rankBuild >= RankBuild::Up &&
                          home.rankBuild <= RankBuild::DownByTwos;  // a stage of it takes one value alone
    if (!analysis_.onlyFoundationsTake || !oneValue || !(rules_.wastes & bit(p)) || (rules_.reserves & bit(p)) ||
        from.removal != Removal::TopCard || from.has(PileFlags::sortAscending | PileFlags::sortDescending) ||
        ((rules_.gathered & bit(p)) && t.redealsLeft != 0))
        return false;
    uint8_t copiesHome[52];
    cardsHome(t, copiesHome);
    int below = 0;
    for (int i = t.begin(p); i + 1 < t.end(p); ++i) below += valueOf(t.cards[i]) == v;
    if (copiesHome[v] + below + 1 != analysis_.decks) return false;
    for (PileMask f = rules_.foundations; f; f &= f - 1) {
        const int g = __builtin_ctzll(f);
        if (analysis_.classOf[g] != analysis_.classOf[q] && mayEverTake(t, g, v)) return false;
    }
    return true;
}

// Whether foundation g may take v now or later: unless it builds in suit
// by one rank from a known card (its top, or its start card while empty)
// and v is not of that suit or lies beyond its room.
bool Search::mayEverTake(const Table& t, int g, int v) const {
    const PileRules& f = rules_.piles[g];
    const int step = f.rankBuild == RankBuild::Up ? 1 : f.rankBuild == RankBuild::Down ? -1 : 0;
    if (f.suitBuild != SuitBuild::SameSuit || step == 0) return true;
    const int room = f.sizeLimit != 0 ? f.sizeLimit - t.count(g) : kMaxCards;
    int from, first;  // the known card, and how many places on from it the first card it takes lies
    if (!t.empty(g)) {
        from = valueOf(t.top(g));
        first = 1;
    } else if (f.startCard >= 0 && f.startCard < 52) {
        from = f.startCard;
        first = 0;
    } else {
        return true;
    }
    const int places = (rankOf(v) - rankOf(from)) * step;
    return suitOf(v) == suitOf(from) && places >= first && places < first + room;
}

// The values every copy of which lies on a foundation no card leaves.
uint64_t Search::homeValues(const Table& t) const {
    uint64_t home = 0;
    if (analysis_.decks == 1) {
        forEachPile(analysis_.closedFoundations, [&](int f) {
            for (int i = t.begin(f); i < t.end(f); ++i) home |= uint64_t{1} << valueOf(t.cards[i]);
        });
        return home;
    }
    uint8_t count[52];
    return cardsHome(t, count);
}

// The values every copy of which lies on a foundation no card leaves;
// `count` gets how many copies of each value lie there.
uint64_t Search::cardsHome(const Table& t, uint8_t* count) const {
    std::fill(count, count + 52, uint8_t{0});
    forEachPile(analysis_.closedFoundations, [&](int f) {
        for (int i = t.begin(f); i < t.end(f); ++i) ++count[valueOf(t.cards[i])];
    });
    uint64_t home = 0;
    for (int v = 0; v < 52; ++v)
        if (count[v] >= analysis_.decks) home |= uint64_t{1} << v;
    return home;
}

// Whether the top card of p may go onto q, asked as the pointer asks it:
// with the card off its pile.
bool Search::placeable(AcceptanceCache& takes, int p, int q, int value) const {
    if (!(rules_.reserves & bit(p))) return acceptanceOf(takes, q).accepts(p, value, 1);
    return canPlace(rules_, liftedTable(rules_, takes.t, p, takes.t.count(p) - 1, 1), p, q, value, 1);
}

}  // namespace korvat::solve
