// The win finder: a beam search that looks only for a win. Level by level
// it keeps the most promising tables (by their promise) among the
// children of the level before and drops the rest, so it may miss a win
// and never proves a deal lost; it only reads the tables marked lost.
#include <algorithm>
#include <cstdint>

#include "core/actions.h"
#include "solve/search.h"

namespace korvat::solve {

using namespace core;

namespace {

// How many children of a level are kept to choose from, for each table the
// next level keeps: the rest of them are dropped as they are made.
constexpr uint32_t kChoice = 2;
// The most tables a level keeps.
constexpr uint32_t kWidestBeam = 1u << 20;
// The most the tie break adds to a child's score, and the mark of a child
// dropped before it was keyed.
constexpr int kTieBreak = 15;
constexpr int kDropped = INT32_MIN;

}  // namespace

Result Search::findWin(const Table& table, uint32_t width, std::vector<Move>* promising, bool readsLost) {
    Result result;
    readsLost_ = readsLost;
    finding_ = true;
    dropped_ = false;
    // A level's lists within half the memory, reserved whole: no more
    // tables a level than fit.
    const uint64_t levelBytes = kChoice * sizeof(BeamChoice) + sizeof(BeamEntry);
    width = static_cast<uint32_t>(std::clamp<uint64_t>(std::min<uint64_t>(width, limits_.maxBytes / 2 / levelBytes), 1, kWidestBeam));
    choices_.reserve(static_cast<size_t>(width) * kChoice);
    heap_.reserve(static_cast<size_t>(width) * kChoice);
    beam_.reserve(width);
    startTable_ = table;
    beamNodes_.clear();
    beamMoves_.clear();
    forcedMoves_.clear();
    Table root = table;
    makeForcedMoves(root);
    beamMoves_.assign(forcedMoves_.begin(), forcedMoves_.end());
    beamNodes_.push_back({~0u, Step{}, 0, static_cast<uint32_t>(beamMoves_.size())});
    if (isWon(rules_, root)) {
        return finishFound(result, true, 0, nullptr);
    }
    // The tables this beam has kept, so that none is kept twice.
    TranspositionTable kept(limits_.maxStates + 16, limits_.maxBytes / 8);
    kept.enter(canonicalKey(analysis_, root), 1, 0);
    beam_.assign(1, {root, 0});
    uint32_t best = 0;
    int bestScore = findingPromise(root) * 16;
    uint32_t tick = 0;
    // A beam that has found nothing more promising for as many levels as
    // the game has cards wanders a plateau: the time is better spent on
    // the next, wider beam.
    const uint32_t stall = static_cast<uint32_t>(rules_.deckSize);
    uint32_t level = 0, bestLevel = 0;
    if (overMemory(findingBytes(kept, false), findingBytes(kept, true))) return finishFound(result, false, best, promising);
    while (!beam_.empty()) {
        if (++level - bestLevel > stall) {
            dropped_ = true;
            break;
        }
        // The children of this level, the best kChoice * width of them kept
        // in a heap with the least promising on top.
        const size_t room = static_cast<size_t>(width) * kChoice;
        choices_.clear();
        choiceMoves_.clear();
        auto lessPromising = [&](uint32_t a, uint32_t b) { return choices_[a].score > choices_[b].score; };
        heap_.clear();
        for (const BeamEntry& entry : beam_) {
            if (tablesMet_ >= limits_.maxStates ||
                ((++tick & 63) == 0 && (outOfTime() || overMemory(findingBytes(kept, false), findingBytes(kept, true))))) {
                return finishFound(result, false, best, promising);
            }
            const BeamNode& node = beamNodes_[entry.node];
            Frame f{};
            f.table = entry.table;
            f.via = node.via;
            f.forcedEnd = node.movesEnd - node.movesBegin;
            const bool withRound = analysis_.stockRoundAt(f.table);
            Acceptance accepts[kMaxPiles];
            for (int q = 0; q < rules_.pileCount; ++q) accepts[q] = acceptance(rules_, f.table, q);
            forcedMoves_.clear();
            children_.clear();
            candidates_.clear();
            listMoveCandidates(f, accepts, withRound);
            if (withRound) listRoundCandidates(f.table, accepts);
            size_t pending = 0;
            if (makeChildren(f.table, withRound, pending)) {
                const Child& c = children_[winningChild_];
                return finishFound(result, true, entry.node, nullptr, &c.via, forcedMoves_.data() + c.forcedBegin,
                                   c.forcedEnd - c.forcedBegin);
            }
            // Only a child that may beat the least promising one kept is
            // keyed (ties fall by at most kTieBreak): its slots in the
            // tables of keys are fetched while the next is keyed.
            // With enough children, both are made again only from the
            // piles a child's step changed; the estimate is made whole
            // where the foundations' tops tell where each card goes, for
            // moves home change them too often.
            const bool byPile = byPile_ && pending >= kChildrenByPile && !withRound;
            const bool promiseByPile = byPile && !analysis_.homeBothWays;
            int terms[kMaxPiles];
            if (promiseByPile) findingPileTerms(f.table, terms);
            bool keysReady = false;
            for (size_t i = 0; i < pending; ++i) {
                Pending& child = pending_[i];
                const PileMask changed = byPile ? changedPiles(f.table, child.table) : 0;
                child.promise = (promiseByPile ? findingPromiseFrom(child.table, terms, changed) : findingPromise(child.table)) * 16;
                if (choices_.size() >= room && child.promise + kTieBreak <= choices_[heap_.front()].score) {
                    child.promise = kDropped;
                    continue;
                }
                if (byPile && !keysReady) parentKeys_.of(analysis_, f.table), keysReady = true;
                child.key = byPile ? parentKeys_.keyOf(analysis_, child.table, changed) : canonicalKey(analysis_, child.table);
                kept.prefetch(child.key);
                if (readsLost_) seen_.prefetch(child.key);
            }
            for (size_t i = 0; i < pending; ++i) {
                const Pending& child = pending_[i];
                if (child.promise == kDropped) {
                    dropped_ = true;
                    continue;
                }
                if (kept.markOf(child.key) != TranspositionTable::kNew) continue;
                if (readsLost_ && seen_.markOf(child.key) == TranspositionTable::kLost) continue;
                if (tablesMet_ >= limits_.maxStates) return finishFound(result, false, best, promising);
                ++tablesMet_;
                // Ties fall by a hash of the table and the seed.
                const int score = child.promise + static_cast<int>(((child.key.a ^ seed_) * 0xff51afd7ed558ccdull >> 60));
                uint32_t slot;
                if (choices_.size() < room) {
                    slot = static_cast<uint32_t>(choices_.size());
                    choices_.emplace_back();
                } else {
                    dropped_ = true;
                    if (score <= choices_[heap_.front()].score) continue;
                    std::pop_heap(heap_.begin(), heap_.end(), lessPromising);
                    slot = heap_.back();
                    heap_.pop_back();
                }
                BeamChoice& c = choices_[slot];
                c.score = score;
                c.parent = entry.node;
                c.via = child.step;
                c.key = child.key;
                c.table = child.table;
                c.movesBegin = static_cast<uint32_t>(choiceMoves_.size());
                choiceMoves_.insert(choiceMoves_.end(), forcedMoves_.begin() + child.forcedBegin,
                                    forcedMoves_.begin() + child.forcedEnd);
                c.movesEnd = static_cast<uint32_t>(choiceMoves_.size());
                heap_.push_back(slot);
                std::push_heap(heap_.begin(), heap_.end(), lessPromising);
            }
        }
        // The next level: the most promising children, each table once.
        std::sort(heap_.begin(), heap_.end(), [&](uint32_t a, uint32_t b) { return choices_[a].score > choices_[b].score; });
        beam_.clear();
        for (uint32_t slot : heap_) {
            if (beam_.size() >= width) {
                dropped_ = true;
                break;
            }
            const BeamChoice& c = choices_[slot];
            if (kept.enter(c.key, 1, 0) != TranspositionTable::kNew) continue;
            const uint32_t node = static_cast<uint32_t>(beamNodes_.size());
            const uint32_t begin = static_cast<uint32_t>(beamMoves_.size());
            beamMoves_.insert(beamMoves_.end(), choiceMoves_.begin() + c.movesBegin, choiceMoves_.begin() + c.movesEnd);
            beamNodes_.push_back({c.parent, c.via, begin, static_cast<uint32_t>(beamMoves_.size())});
            beam_.push_back({c.table, node});
            if (c.score > bestScore) bestScore = c.score, best = node, bestLevel = level;
        }
        if (kept.full()) break;
    }
    return finishFound(result, false, best, promising);
}

// The finder's answer: Winnable with the line to the node and, when given,
// the winning step from it and the moves after that step; else Unknown,
// with the line to the node as the most promising one when asked for.
Result& Search::finishFound(Result& result, bool won, uint32_t node, std::vector<Move>* promising, const Step* step,
                            const Move* after, size_t count) {
    result.verdict = won ? Verdict::Winnable : Verdict::Unknown;
    result.states = tablesMet_;
    result.ms = elapsedMs();
    result.bytes = peakBytes_;
    std::vector<Move>* line = won ? &result.line : promising;
    if (!line) return result;
    line->clear();
    std::vector<uint32_t> chain;
    for (uint32_t n = node; n != ~0u; n = beamNodes_[n].parent) chain.push_back(n);
    Table t = startTable_;
    for (size_t i = chain.size(); i-- > 0;) {
        const BeamNode& b = beamNodes_[chain[i]];
        appendToLine(t, b.parent == ~0u ? nullptr : &b.via, beamMoves_.data() + b.movesBegin, b.movesEnd - b.movesBegin,
                     *line);
    }
    if (step) appendToLine(t, step, after, count, *line);
    return result;
}

namespace {

// A list's memory; with `soon`, counted as if doubled once it is half
// full: it may double before the memory is looked at again.
template <typename List>
uint64_t listBytes(const List& list, bool soon) {
    const uint64_t n = list.capacity();
    return (soon && list.size() * 2 > n ? 2 * n : n) * sizeof(typename List::value_type);
}

}  // namespace

// The memory the finder holds now, or with `soon` may hold before it
// looks again.
uint64_t Search::findingBytes(const TranspositionTable& kept, bool soon) const {
    return listBytes(beamNodes_, soon) + listBytes(beamMoves_, soon) + choices_.capacity() * sizeof(BeamChoice) +
           listBytes(choiceMoves_, soon) + beam_.capacity() * sizeof(BeamEntry) + heap_.capacity() * sizeof(uint32_t) +
           listBytes(pending_, soon) + listBytes(forcedMoves_, soon) + kept.bytes();
}

}  // namespace korvat::solve
