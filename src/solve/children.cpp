// A table's children: every step the rules allow from it, the forced moves
// after each, the pruning of those not worth making, the keys looked up in
// the transposition table, and the new ones ranked for the search.
#include "solve/search.h"

#include <algorithm>

#include "core/actions.h"

namespace korvat::solve {

using namespace core;

void Search::makeStep(Table& t, const Step& step) const {
    if (step.presses) dealRoundTo(t, step.position);
    apply(rules_, t, step.move);
}

// Makes a move kept among those after a step.
void Search::replayAfterStep(Table& t, const Move& m) const {
    if (isRoundJump(m))
        dealRoundTo(t, m.card);
    else
        apply(rules_, t, m);
}

// Makes the frame's children: every step, the forced moves after it,
// the tables not seen before, most promising first. True when a child
// wins (it is children_[winningChild_]).
bool Search::expand(Frame& f) {
    const Table& t = f.table;
    const bool withRound = analysis_.stockRoundAt(t);
    // What every pile takes, asked once for the moves and the round;
    // with the round, the stock's own presses are left to it.
    Acceptance accepts[kMaxPiles];
    for (int q = 0; q < rules_.pileCount; ++q) accepts[q] = acceptance(rules_, t, q);
    candidates_.clear();
    listMoveCandidates(f, accepts, withRound);
    if (withRound) listRoundCandidates(t, accepts);
    f.forcedAfter = static_cast<uint32_t>(forcedMoves_.size());
    f.childrenBegin = static_cast<uint32_t>(children_.size());
    size_t pending = 0;
    if (makeChildren(t, withRound, pending)) return true;
    keepUnseenChildren(f, pending);
    return false;
}

// The moves the rules list from the table, but those that only give back
// a table already seen.
void Search::listMoveCandidates(Frame& f, const Acceptance* accepts, bool withRound) {
    const Table& t = f.table;
    legalMoves(rules_, t, legal_, accepts, withRound ? bit(analysis_.stock) : 0);
    if (legal_.overflow) {
        cutOff_ = true;
        f.low = 0;
    }
    for (const Move& m : legal_)
        if (!prune_ || !onlyGivesBack(f, m)) addMoveCandidate(t, m);
}

// Makes each candidate step with the forced moves after it, leaving out
// the children the pruning needs not (or making a round card's uses
// instead); their keys are then looked up by keepUnseenChildren. True
// when a child wins.
bool Search::makeChildren(const Table& t, bool withRound, size_t& pending) {
    parentOffers_.ready = false;
    keysParent_ = &t;
    parentKeysReady_ = false;
    keysByPile_ = byPile_ && candidates_.size() >= kChildrenByPile && !withRound;
    // Cards become stuck only when cards they could be built on go home.
    const int homeBefore = analysis_.checksStuckCards ? homeCount(t) : 0;
    const uint64_t homeNow = analysis_.settledAfterMoves && analysis_.safeHomeMoves ? homeValues(t) : 0;
    // The children are made first and their keys looked up after, so
    // that the table of seen keys is read while other children are made.
    for (const Candidate& c : candidates_) {
        Pending& child = newPending(pending, t, c.step, c.score);
        makeStep(child.table, c.step);
        const WatchedMove watched = watchedMove(t, child.table, c.step, withRound);
        const bool settled = leavesNoForcedMove(child.table, c.step, withRound, homeNow);
        if (!settled) makeForcedMoves(child.table);
        child.forcedEnd = static_cast<uint32_t>(forcedMoves_.size());
        if (!settled && recordIfWon(child)) return true;
        if (prune_ && watched.kind == WatchedMove::RoundCard && child.table.count(watched.to) == watched.toCount) {
            // The card lies on the pile unused: the children are its uses.
            const Table placed = child.table;
            roundChain_.assign(forcedMoves_.begin() + child.forcedBegin, forcedMoves_.end());
            dropLastPending(pending, child);
            if (addRoundCardWithUses(t, placed, c.step, c.score, watched.to, 0, withRound, pending, homeBefore))
                return true;
            continue;
        }
        if (prune_ &&
            ((watched.kind != WatchedMove::None && !watchedMoveUsed(child.table, watched, withRound)) ||
             (mayHaveStuck(child.table, c.step, homeBefore) && hasStuckCards(child.table)))) {
            dropLastPending(pending, child);
            continue;
        }
        keyAndPrefetch(child);
    }
    return false;
}

// Looks the pending children up among the tables seen: those new to the
// search become the frame's children, most promising first; those seen
// by this pass lower the frame's low-link number.
void Search::keepUnseenChildren(Frame& f, size_t pending) {
    for (size_t i = 0; i < pending; ++i) {
        const Pending& child = pending_[i];
        if (tablesMet_ >= limits_.maxStates) {  // the caller stops at once
            cutOff_ = true;
            break;
        }
        // A child seen before leaves its forced moves unused in forcedMoves_,
        // to go with its parent's.
        const uint64_t was = seen_.enter(child.key, searchNumber_, f.index);
        if (was != TranspositionTable::kNew) {
            if (was != TranspositionTable::kLost) f.low = std::min(f.low, TranspositionTable::indexOf(was));
            continue;
        }
        ++tablesMet_;
        children_.push_back({child.step, child.forcedBegin, child.forcedEnd, childRank(child), child.key});
    }
    std::stable_sort(children_.begin() + f.childrenBegin, children_.end(),
                     [](const Child& a, const Child& b) { return a.rank > b.rank; });
    f.childrenEnd = static_cast<uint32_t>(children_.size());
    f.next = f.childrenBegin;
}

// A child waiting to be looked up: the next of pending_, from the
// table given, its moves after the step beginning at the end of forcedMoves_.
Search::Pending& Search::newPending(size_t& pending, const Table& table, const Step& via, int score) {
    if (pending == pending_.size()) pending_.emplace_back();
    Pending& child = pending_[pending++];
    child.table = table;
    child.step = via;
    child.score = score;
    child.forcedBegin = static_cast<uint32_t>(forcedMoves_.size());
    return child;
}

// Whether the child, its moves after the step ended, is won; it is then
// children_[winningChild_].
bool Search::recordIfWon(const Pending& child) {
    if (!isWon(rules_, child.table)) return false;
    winningChild_ = children_.size();
    children_.push_back({child.step, child.forcedBegin, child.forcedEnd, 0, child.key});
    return true;
}

// The last waiting child, left out with its moves.
void Search::dropLastPending(size_t& pending, const Pending& child) {
    forcedMoves_.resize(child.forcedBegin);
    --pending;
}

// The child's key, the slot it goes to fetched ahead of the lookup. The
// finder makes the keys itself, of only the children it may keep.
void Search::keyAndPrefetch(Pending& child) {
    if (finding_) return;
    child.key = childKey(child.table);
    seen_.prefetch(child.key);
}

// A child's key; with enough children, made from its parent's (the table
// makeChildren makes children of) where the piles are the same.
Key Search::childKey(const Table& table) {
    if (!keysByPile_) return canonicalKey(analysis_, table);
    if (!parentKeysReady_) {
        parentKeys_.of(analysis_, *keysParent_);
        parentKeysReady_ = true;
    }
    return parentKeys_.keyOf(analysis_, table, changedPiles(*keysParent_, table));
}

// The table, made by the step `via` and the moves in roundChain_, as a child;
// true when it wins.
bool Search::addChildWithChain(size_t& pending, const Table& table, const Step& via, int score) {
    Pending& child = newPending(pending, table, via, score);
    forcedMoves_.insert(forcedMoves_.end(), roundChain_.begin(), roundChain_.end());
    child.forcedEnd = static_cast<uint32_t>(forcedMoves_.size());
    if (recordIfWon(child)) return true;
    keyAndPrefetch(child);
    return false;
}

}  // namespace korvat::solve
