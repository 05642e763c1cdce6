// The stock round: with redeals unlimited, the tables of one round of the
// stock are one; the search lists the waste card's moves at every point of
// the round, and a round card put on a pile together with its uses.
#include "solve/search.h"

#include <algorithm>

#include "core/actions.h"

namespace korvat::solve {

using namespace core;

Move Search::roundJumpTo(int position) const {
    Move m = Move::deal(analysis_.stock);
    m.flags = kRoundJump;
    m.card = static_cast<uint8_t>(position);
    return m;
}

// The cards of the stock and the waste in the order the stock deals
// them: the waste from its bottom card, then the stock from its top.
int Search::roundCards(const Table& t, uint8_t* out) const {
    int n = 0;
    for (int i = t.begin(analysis_.waste); i < t.end(analysis_.waste); ++i) out[n++] = t.cards[i];
    for (int i = t.end(analysis_.stock) - 1; i >= t.begin(analysis_.stock); --i) out[n++] = t.cards[i];
    return n;
}

// The values of the cards of the stock and the waste.
uint64_t Search::roundValues(const Table& t) const {
    uint64_t values = 0;
    for (int i = t.begin(analysis_.waste); i < t.end(analysis_.waste); ++i)
        values |= uint64_t{1} << valueOf(t.cards[i]);
    for (int i = t.begin(analysis_.stock); i < t.end(analysis_.stock); ++i)
        values |= uint64_t{1} << valueOf(t.cards[i]);
    return values;
}

// The table as the presses leave it with `position` cards dealt in the
// round: those face up in the waste, the rest face down in the stock.
void Search::dealRoundTo(Table& t, int position) const {
    uint8_t round[kMaxCards], waste[kMaxCards], stock[kMaxCards];
    const int n = roundCards(t, round);
    for (int i = 0; i < position; ++i) waste[i] = cardByte(valueOf(round[i]), kFaceUp);
    for (int i = n - 1, k = 0; i >= position; --i, ++k) stock[k] = cardByte(valueOf(round[i]), kFaceDown);
    t.replace(analysis_.waste, waste, position);
    t.replace(analysis_.stock, stock, n - position);
}

// The waste card's moves at each point of the round the presses reach
// (the stock's own presses were left out of the moves listed). The round
// from here, one press at a time, without making it: only the waste's top
// card differs from point to point. From a table off the round (a card
// taken out of a round dealt three), the presses go on through the redeal
// and the next round whole, so that the table at the round's end is no
// step of its own.
void Search::listRoundCandidates(const Table& t, const Acceptance* accepts) {
    uint8_t round[kMaxCards];
    const int total = roundCards(t, round);
    // Which values each pile may take from the waste: by value alone
    // where its rules say no more, else asked card by card.
    uint64_t takes[kMaxPiles], wanted = 0;
    bool exact[kMaxPiles];
    for (int target = 0; target < rules_.pileCount; ++target) {
        takes[target] = 0;
        if (target == analysis_.waste || target == analysis_.stock) continue;
        takes[target] = accepts[target].singleCardValues(exact[target]);
        wanted |= takes[target];
    }
    const int start = t.count(analysis_.waste);
    // A card of the round may go home at any time, and nothing else
    // can take its place there: it may as well wait in the round
    // until the next card of its suit is to follow it. So it goes
    // home by choice only when that card could follow at once (lies
    // in the round or face up on top of a pile); a king never need
    // go by choice, going without a choice once all else is home.
    uint64_t follows = ~uint64_t{0};
    if (roundCardsWaitHome_) {
        follows = roundValues(t);
        for (int p = 0; p < rules_.pileCount; ++p)
            if (!(rules_.foundations & bit(p)) && !t.empty(p) && stateOf(t.top(p)) == kFaceUp)
                follows |= uint64_t{1} << valueOf(t.top(p));
        follows >>= 4;
    }
    const bool onRound = analysis_.onRound(t);
    int q = start;
    bool redealt = false;
    for (int presses = 1; presses <= 2 * total + 4; ++presses) {
        q = q == total ? 0 : std::min(q + analysis_.perPress, total);
        if (onRound && q == start) break;  // round the whole round
        if (!onRound && redealt && q == total) break;  // and the next round whole
        if (q == 0) {
            redealt = true;
            continue;
        }
        const int value = valueOf(round[q - 1]);
        if (!(wanted >> value & 1)) continue;
        for (int target = 0; target < rules_.pileCount; ++target) {
            if (!(takes[target] >> value & 1)) continue;
            if ((rules_.foundations & bit(target)) && !(follows >> value & 1)) continue;
            if (!exact[target] && !accepts[target].accepts(analysis_.waste, value, 1)) continue;
            const Move m = Move::place(analysis_.waste, q - 1, target);
            addRoundCandidate(t, static_cast<uint16_t>(presses), q, m, value);
        }
    }
}

// With one card a press and redeals unlimited, any card of the round
// can be had at any time: one that could go home and that nothing could
// need (as for a top card above) goes home at once. The presses that
// bring it to the waste's top are made too, as the line must show them.
bool Search::sendRoundCardHome(Table& t, AcceptanceCache& takes, uint64_t home) {
    uint8_t round[kMaxCards];
    const int total = roundCards(t, round);
    const uint64_t taken = homeAccepts(takes);
    for (int i = 0; i < total; ++i) {
        const int v = valueOf(round[i]);
        if (!(taken >> v & 1) || !nothingNeeds(v, home)) continue;
        for (PileMask f = analysis_.closedFoundations; f; f &= f - 1) {
            const int q = __builtin_ctzll(f);
            if (!acceptanceOf(takes, q).accepts(analysis_.waste, v, 1)) continue;
            if (!homeIsNoChoice(takes, home, analysis_.waste, q, v)) break;
            if (t.count(analysis_.waste) != i + 1) {
                dealRoundTo(t, i + 1);
                forcedMoves_.push_back(roundJumpTo(i + 1));
            }
            const Move m = Move::place(analysis_.waste, i, q);
            apply(rules_, t, m);
            forcedMoves_.push_back(m);
            takes.forget();
            return true;
        }
    }
    return false;
}

// A card of the round put on pile q (`placed`, from the parent's
// table by the step `via` and the moves in roundChain_) is worth only what
// is then built on it, any other move being as well made before it: the
// children are the card with each of its uses, a card or run another
// pile offers put on it, or a card of the round put on it and used in
// turn. True when a child wins.
bool Search::addRoundCardWithUses(const Table& parent, const Table& placed, const Step& via, int score, int q,
                                  int depth, bool withRound, size_t& pending, int homeBefore) {
    const Acceptance accepts = acceptance(rules_, placed, q);
    // What the other piles offer is what they offered at the parent's
    // table, unless a move without a choice changed them.
    bool asParent = true;
    for (const Move& m : roundChain_)
        if (!(isRoundJump(m) || (m.kind == Move::Place && m.to == q))) asParent = false;
    Offers fresh;
    const Offers* offers = &parentOffers_;
    if (!asParent) {
        fresh.groups = gatherOffers(placed, q, withRound, -1, -1, fresh.offered);
        fresh.total = roundCards(placed, fresh.round);
        offers = &fresh;
    } else if (!parentOffers_.ready) {
        parentOffers_.groups = gatherOffers(parent, -1, withRound, -1, -1, parentOffers_.offered);
        parentOffers_.total = roundCards(parent, parentOffers_.round);
        parentOffers_.ready = true;
    }
    const uint64_t home = homeValues(placed);
    for (int g = 0; g < offers->groups; ++g) {
        const Group& o = offers->offered[g];
        if (o.source == q || !accepts.accepts(o.source, o.value, o.count)) continue;
        Step use;
        use.move = Move::place(o.source, placed.count(o.source) - o.count, q);
        Pending& child = newPending(pending, placed, via, score);
        forcedMoves_.insert(forcedMoves_.end(), roundChain_.begin(), roundChain_.end());
        apply(rules_, child.table, use.move);
        forcedMoves_.push_back(use.move);
        const WatchedMove watched = watchedMove(placed, child.table, use, withRound);
        if (!leavesNoForcedMove(child.table, use, withRound, home)) makeForcedMoves(child.table);
        child.forcedEnd = static_cast<uint32_t>(forcedMoves_.size());
        if (recordIfWon(child)) return true;
        if ((watched.kind != WatchedMove::None && !watchedMoveUsed(child.table, watched, withRound)) ||
            (mayHaveStuck(child.table, use, homeBefore) && hasStuckCards(child.table))) {
            dropLastPending(pending, child);
            continue;
        }
        keyAndPrefetch(child);
    }
    // A chain of round cards is as long as the ranks allow; the bound
    // only keeps a game whose piles build round the corner finite. With
    // two copies of each card the chains are too many to make each from
    // every table: the card is then a child alone where a chain of
    // round cards could follow it, as any other.
    if (depth >= 13) return false;
    uint8_t round[kMaxCards];
    const int total = roundCards(placed, round);
    bool keep = false;
    for (int i = 0; i < total; ++i) {
        if (!accepts.accepts(analysis_.waste, valueOf(round[i]), 1)) continue;
        const size_t mark = roundChain_.size();
        Table next = placed;
        if (next.count(analysis_.waste) != i + 1) {
            dealRoundTo(next, i + 1);
            roundChain_.push_back(roundJumpTo(i + 1));
        }
        Step put;
        put.move = Move::place(analysis_.waste, i, q);
        apply(rules_, next, put.move);
        roundChain_.push_back(put.move);
        if (!leavesNoForcedMove(next, put, withRound, home)) {
            const size_t forcedMark = forcedMoves_.size();
            makeForcedMoves(next);
            roundChain_.insert(roundChain_.end(), forcedMoves_.begin() + static_cast<std::ptrdiff_t>(forcedMark),
                               forcedMoves_.end());
            forcedMoves_.resize(forcedMark);
        }
        if (next.count(q) != placed.count(q) + 1) {
            // Something was done with it without a choice.
            if (addChildWithChain(pending, next, via, score)) return true;
        } else if (offersReach(next, q, *offers)) {
            // Used in turn, where a card another pile offers could follow
            // on it or on more cards of the round.
            if (analysis_.decks > 1) {
                keep = true;
                roundChain_.resize(mark);
                break;
            }
            if (addRoundCardWithUses(parent, next, via, score, q, depth + 1, withRound, pending, homeBefore))
                return true;
        }
        roundChain_.resize(mark);
    }
    return keep && addChildWithChain(pending, placed, via, score);
}

}  // namespace korvat::solve
