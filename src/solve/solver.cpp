// solve: short searches in the Luby sequence of lengths, each ordering
// near-equal moves a little differently (restarts), then one search with
// the limits left; all share one transposition table.
#include "solve/solver.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include "solve/rules_analysis.h"
#include "solve/search.h"
#include "solve/transposition_table.h"

namespace korvat::solve {

using namespace core;

const char* verdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Winnable: return "winnable";
        case Verdict::Unwinnable: return "unwinnable";
        case Verdict::Unknown: break;
    }
    return "unknown";
}

namespace {

// The tables of the shortest of the short searches solve makes first, and
// the share of its limits they take at most.
constexpr uint64_t kShortSearch = 1000;
constexpr int kShortShare = 4;

// The Luby sequence 1 1 2 1 1 2 4 1 1 2 1 1 2 4 8 ..., i from 1.
uint64_t luby(uint64_t i) {
    for (uint64_t k = 1;; ++k) {
        if (i == (uint64_t{1} << k) - 1) return uint64_t{1} << (k - 1);
        if (i < (uint64_t{1} << k) - 1) return luby(i - (uint64_t{1} << (k - 1)) + 1);
    }
}

}  // namespace

// A search's time to a win depends much on which of its near-equal moves it
// tries first: one order wins a deal in a few hundred tables where another
// has not won it after millions. So short searches come first, the first
// in the plain order, the others each ordering the moves a little
// differently, their lengths in the Luby sequence, for at most a quarter of
// the limits; then one search with what is left. Each is complete in
// itself: one that sees every table it can reach answers as surely as the
// last. They share the tables seen, so that a table one search found lost
// no later one searches again.
Result solve(const GameRules& rules, const Table& table, const Limits& limits, const std::atomic<bool>* stop) {
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    const auto analysis = std::make_unique<RulesAnalysis>(rules, limits.prune);
    TranspositionTable seen(limits.maxStates + limits.maxStates / 2 + 16, limits.maxBytes / 2);
    uint32_t number = 1;
    uint64_t used = 0;
    Limits rest = limits;
    if (limits.prune) {
        const uint64_t states = limits.maxStates / kShortShare;
        const double ms = double(limits.maxMs) / kShortShare;
        for (uint64_t i = 1; number < TranspositionTable::kLastSearch; ++i, ++number) {
            Limits probe = limits;
            probe.maxStates = kShortSearch * luby(i);
            if (used + probe.maxStates > states || elapsed() >= ms) break;
            probe.maxMs = static_cast<uint32_t>(ms - elapsed()) + 1;
            Result r = std::make_unique<Search>(rules, *analysis, probe, stop, seen, number, i - 1)->run(table);
            used += r.states;
            if (r.verdict != Verdict::Unknown || (stop && stop->load(std::memory_order_relaxed))) {
                r.states = used;
                r.ms = elapsed();
                return r;
            }
        }
        rest.maxStates = limits.maxStates - used;
        rest.maxMs = static_cast<uint32_t>(std::max(0.0, limits.maxMs - elapsed()));
    }
    Result r = std::make_unique<Search>(rules, *analysis, rest, stop, seen, number)->run(table);
    r.states += used;
    r.ms = elapsed();
    return r;
}

}  // namespace korvat::solve
