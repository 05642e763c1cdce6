// The search: a best-first pass while the tables it keeps fit a budget,
// then depth first from each table left open; leaving a table, Tarjan's
// low-link numbers tell when every table it reaches is lost.
#include "solve/search.h"

#include <algorithm>

#include "core/actions.h"

namespace korvat::solve {

using namespace core;

namespace {

// Tables the first, best-first pass keeps at most (about 300 bytes each).
constexpr size_t kBestFirstTables = 100'000;

}  // namespace

Search::Search(const GameRules& rules, const RulesAnalysis& analysis, const Limits& limits,
               const std::atomic<bool>* stop, TranspositionTable& seen, uint32_t number, uint64_t seed)
    : rules_(rules), analysis_(analysis), limits_(limits), stop_(stop), prune_(limits.prune), seed_(seed),
      roundCardsGoHome_(limits.prune && analysis_.safeHomeMoves && analysis_.hasStockRound && analysis_.perPress == 1),
      roundCardsWaitHome_(roundCardsGoHome_ && analysis_.upInSuit), seen_(seen), searchNumber_(number),
      startMs_(nowMs(limits.processorTime)), byPile_(rules.deckSize > 104) {}

// Two passes. Best first while the tables kept fit a budget: always the
// most promising table seen so far, which finds most wins in a few
// hundred tables. Then depth first from each table left open, most
// promising first, which needs no more memory than the path it is on
// and ends, when no limit comes first, with every reachable table seen.
Result Search::run(const Table& table) {
    Result result;
    startTable_ = table;
    Frame first{};
    first.table = table;
    makeForcedMoves(first.table);
    first.forcedEnd = static_cast<uint32_t>(forcedMoves_.size());
    if (isWon(rules_, first.table)) return finish(result, Verdict::Winnable, &first);
    if (prune_ && analysis_.checksStuckCards && hasStuckCards(first.table))
        return finish(result, Verdict::Unwinnable, nullptr);
    first.key = canonicalKey(analysis_, first.table);
    if (seen_.enter(first.key, searchNumber_, 0) == TranspositionTable::kLost)
        return finish(result, Verdict::Unwinnable, nullptr);
    ++tablesMet_;

    struct Node {
        Frame frame;
        uint32_t parent;
    };
    std::vector<Node> nodes;
    std::vector<std::pair<int, uint32_t>> open;  // rank and node, as a heap
    nodes.push_back({first, ~0u});
    open.push_back({0, 0});
    // The frames from the start to a node, for its line.
    auto pathTo = [&](uint32_t n) {
        path_.clear();
        for (; n != ~0u; n = nodes[n].parent) path_.push_back(nodes[n].frame);
        std::reverse(path_.begin(), path_.end());
    };
    // The tables kept, within an eighth of the memory: a quarter once their
    // list has doubled.
    const size_t budget =
        std::min<uint64_t>({limits_.maxStates / 4 + 1, kBestFirstTables, limits_.maxBytes / 8 / sizeof(Node) + 1});
    uint32_t tick = 0;
    while (!open.empty() && nodes.size() < budget) {
        if ((++tick & 255) == 0 && outOfTime()) return finish(result, Verdict::Unknown, nullptr);
        if (seen_.full() || tablesMet_ >= limits_.maxStates) return finish(result, Verdict::Unknown, nullptr);
        std::pop_heap(open.begin(), open.end());
        const uint32_t at = open.back().second;
        open.pop_back();
        Frame f = nodes[at].frame;
        children_.clear();
        if (expand(f)) {
            const Frame winner = childFrame(f, children_[winningChild_]);
            pathTo(at);
            return finish(result, Verdict::Winnable, &winner);
        }
        for (const Child& c : children_) {
            nodes.push_back({childFrame(f, c), at});
            open.push_back({c.rank, static_cast<uint32_t>(nodes.size() - 1)});
            std::push_heap(open.begin(), open.end());
        }
        firstPassBytes_ = nodes.capacity() * sizeof(Node) + open.capacity() * sizeof(open[0]);
        if ((tick & 255) == 0 && overMemory(bytesInUse(false), bytesInUse(true))) return finish(result, Verdict::Unknown, nullptr);
    }

    std::sort(open.begin(), open.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [rank, at] : open) {
        pathTo(at);
        const size_t base = path_.size() - 1;  // the open table is searched from here
        tarjanStack_.clear();
        tarjanStackTables_.clear();
        numberOnEntry(path_.back());
        children_.clear();
        if (expand(path_.back())) return winWithChild(result);
        while (path_.size() > base) {
            if ((++tick & 255) == 0 && (outOfTime() || overMemory(bytesInUse(false), bytesInUse(true))))
                return finish(result, Verdict::Unknown, nullptr);
            if (seen_.full() || tablesMet_ >= limits_.maxStates) return finish(result, Verdict::Unknown, nullptr);
            Frame& f = path_.back();
            if (f.next == f.childrenEnd) {
                closeOnLeave(f, path_.size() - 1 > base ? &path_[path_.size() - 2] : nullptr);
                children_.resize(f.childrenBegin);
                forcedMoves_.resize(f.forcedAfter);
                path_.pop_back();
                continue;
            }
            const Frame child = childFrame(f, children_[f.next++]);
            path_.push_back(child);
            numberOnEntry(path_.back());
            if (expand(path_.back())) return winWithChild(result);
        }
    }
    return finish(result, cutOff_ ? Verdict::Unknown : Verdict::Unwinnable, nullptr);
}

// The child's table, made from its parent's.
Search::Frame Search::childFrame(const Frame& parent, const Child& c) const {
    Frame f{};
    f.table = parent.table;
    makeStep(f.table, c.via);
    for (uint32_t i = c.forcedBegin; i < c.forcedEnd; ++i) replayAfterStep(f.table, forcedMoves_[i]);
    f.via = c.via;
    f.forcedBegin = c.forcedBegin;
    f.forcedEnd = c.forcedEnd;
    f.rank = c.rank;
    f.key = c.key;
    return f;
}

// Depth first, entering a table: its number in the order of entry (its
// index, in Tarjan's terms), as its mark among the tables seen. Its children, entered among the tables seen as it lists
// them, are marked with its number until they are entered in turn.
void Search::numberOnEntry(Frame& f) {
    f.index = enteredCount_ < TranspositionTable::kLastIndex ? ++enteredCount_ : 0;
    f.low = f.index;
    seen_.setMark(f.key, TranspositionTable::mark(searchNumber_, f.index));
    tarjanStack_.push_back(f.key);
    if (limits_.lost) tarjanStackTables_.push_back(f.table);
}

// Depth first, leaving a table whose children were all searched: no
// win lies below it, and the tables it reaches that this pass met
// before are lost already or still being searched; f.low is the lowest
// number among these (0 for a table of the first pass, or a table
// whose moves could not all be listed): its low-link number. When that
// is its own number (the table is the root of a strongly connected
// component), every table reached from it was searched in full: it and
// the tables waiting above it on the stack (entered since it and
// reaching no lower one) are lost, for this search and every later one. Else the parent (null for
// the first table of the pass) takes the lowest number on.
void Search::closeOnLeave(const Frame& f, Frame* parent) {
    if (f.index != 0 && f.low == f.index) {
        while (true) {
            const Key k = tarjanStack_.back();
            tarjanStack_.pop_back();
            seen_.setMark(k, TranspositionTable::kLost);
            if (limits_.lost) {
                limits_.lost->push_back(tarjanStackTables_.back());
                tarjanStackTables_.pop_back();
            }
            if (k.a == f.key.a && k.b == f.key.b) break;
        }
    } else if (parent) {
        parent->low = std::min(parent->low, f.low);
    }
}

Result& Search::winWithChild(Result& result) {
    const Frame winner = childFrame(path_.back(), children_[winningChild_]);
    return finish(result, Verdict::Winnable, &winner);
}

// The memory the search holds now, roughly; `soon` adds room for its
// largest list to double before it is looked at again.
uint64_t Search::bytesInUse(bool soon) const {
    const uint64_t lists[3] = {path_.capacity() * sizeof(Frame), children_.capacity() * sizeof(Child),
                               forcedMoves_.capacity() * sizeof(Move)};
    return lists[0] + lists[1] + lists[2] + (soon ? *std::max_element(lists, lists + 3) : 0) +
           tarjanStack_.capacity() * sizeof(Key) + tarjanStackTables_.capacity() * sizeof(Table) + firstPassBytes_ +
           seen_.bytes();
}

// Whether the memory the search may hold before it looks again passes its
// limit; the most it has held is kept for its answer. Once it has, a
// wider or longer search of the same kind would not fit either.
bool Search::overMemory(uint64_t held, uint64_t soon) {
    peakBytes_ = std::max(peakBytes_, held);
    if (soon <= limits_.maxBytes) return false;
    outOfMemory_ = true;
    return true;
}

bool Search::outOfTime() {
    if (stop_ && stop_->load(std::memory_order_relaxed)) return true;
    if (answered_ && answered_->load(std::memory_order_relaxed)) return true;
    return elapsedMs() >= limits_.maxMs;
}

double Search::elapsedMs() const {
    return nowMs(limits_.processorTime) - startMs_;
}

// Writes out a step and the moves made after it onto the line, press by
// press, making them on `t`: with no step, only the moves after it.
void Search::appendToLine(Table& t, const Step* step, const Move* after, size_t count, std::vector<Move>& line) const {
    if (step) {
        for (int i = 0; i < step->presses; ++i) {
            const Move m = stockPress(t);
            apply(rules_, t, m);
            line.push_back(m);
        }
        apply(rules_, t, step->move);
        line.push_back(step->move);
    }
    for (size_t i = 0; i < count; ++i) {
        if (isRoundJump(after[i])) {
            while (t.count(analysis_.waste) != after[i].card) {
                const Move m = stockPress(t);
                apply(rules_, t, m);
                line.push_back(m);
            }
            continue;
        }
        apply(rules_, t, after[i]);
        line.push_back(after[i]);
    }
}

Result& Search::finish(Result& result, Verdict verdict, const Frame* last) {
    result.verdict = verdict;
    result.states = tablesMet_;
    result.ms = elapsedMs();
    result.bytes = std::max(peakBytes_, bytesInUse(false));
    if (verdict == Verdict::Winnable) {
        // The line: the forced moves of the start, then each frame's step
        // and the forced moves that followed it, replayed to name the
        // stock presses.
        Table t = startTable_;
        auto addFrame = [&](const Frame& f, bool withStep) {
            appendToLine(t, withStep ? &f.via : nullptr, forcedMoves_.data() + f.forcedBegin, f.forcedEnd - f.forcedBegin,
                         result.line);
        };
        // The path: the start, the frames being searched, and the winner.
        for (size_t i = 0; i < path_.size(); ++i) addFrame(path_[i], i > 0);
        if (last != (path_.empty() ? nullptr : &path_[0])) addFrame(*last, !path_.empty());
    }
    return result;
}

}  // namespace korvat::solve
