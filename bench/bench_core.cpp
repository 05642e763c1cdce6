// Timings of the game core and the solver, on tables alone (no program
// state): listing moves, applying them, copying and hashing tables, whole
// random games, and solving fixed deals.
#include <benchmark/benchmark.h>

#include <random>

#include "core/deal.h"
#include "core/moves.h"
#include "model/catalogue.h"
#include "solve/solver.h"

namespace korvat {
namespace {

core::GameRules rulesOf(int id, uint32_t number, core::RuleOptions options = {}) {
    return core::makeRules(gameCatalogue()[static_cast<size_t>(findGameRow(id))], options, number);
}

// A mid-game table: a fixed deal after a fixed number of random moves.
core::Table midGame(const core::GameRules& rules, int moves) {
    core::Table t = core::startTable(rules);
    std::mt19937 rng(1);
    core::MoveList list;
    for (int i = 0; i < moves; ++i) {
        core::legalMoves(rules, t, list);
        if (list.size == 0) break;
        core::apply(rules, t, list.moves[rng() % static_cast<unsigned>(list.size)]);
    }
    return t;
}

void BM_legalMoves(benchmark::State& state, int id) {
    const core::GameRules rules = rulesOf(id, 1);
    const core::Table t = midGame(rules, 20);
    core::MoveList list;
    for (auto _ : state) {
        core::legalMoves(rules, t, list);
        benchmark::DoNotOptimize(list.size);
    }
    state.counters["moves"] = list.size;
}
BENCHMARK_CAPTURE(BM_legalMoves, 827, 827)->Name("core/legalMoves/827");
BENCHMARK_CAPTURE(BM_legalMoves, 901, 901)->Name("core/legalMoves/901");

// Every move listed for the table, each applied to a copy of it.
void BM_apply(benchmark::State& state) {
    const core::GameRules rules = rulesOf(827, 1);
    const core::Table t = midGame(rules, 20);
    core::MoveList list;
    core::legalMoves(rules, t, list);
    for (auto _ : state) {
        for (const core::Move& m : list) {
            core::Table copy = t;
            core::apply(rules, copy, m);
            benchmark::DoNotOptimize(copy);
        }
    }
    state.counters["moves"] = list.size;
}
BENCHMARK(BM_apply)->Name("core/apply/827");

// What a search does at each table: list the moves and apply every one.
void BM_legalMovesAndApply(benchmark::State& state) {
    const core::GameRules rules = rulesOf(827, 1);
    const core::Table t = midGame(rules, 20);
    core::MoveList list;
    for (auto _ : state) {
        core::legalMoves(rules, t, list);
        for (const core::Move& m : list) {
            core::Table copy = t;
            core::apply(rules, copy, m);
            benchmark::DoNotOptimize(copy);
        }
    }
}
BENCHMARK(BM_legalMovesAndApply)->Name("core/legalMovesAndApply/827");

void BM_copy(benchmark::State& state) {
    const core::GameRules rules = rulesOf(701, 1);
    core::Table t = midGame(rules, 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(t);
        core::Table copy = t;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_copy)->Name("core/copy/701");

void BM_hash(benchmark::State& state) {
    const core::GameRules rules = rulesOf(827, 1);
    core::Table t = midGame(rules, 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(t);
        benchmark::DoNotOptimize(core::hash(t));
    }
}
BENCHMARK(BM_hash)->Name("core/hash/827");

// Whole random games, dealt afresh each time, until no move is left or
// 500 moves were made; the rate is games per second.
void BM_randomPlay(benchmark::State& state) {
    core::GameRules rules = rulesOf(827, 1);
    std::mt19937 rng(1);
    core::MoveList list;
    uint32_t number = 0;
    int64_t moves = 0;
    for (auto _ : state) {
        rules.gameNumber = ++number;
        core::Table t = core::startTable(rules);
        for (int i = 0; i < 500; ++i) {
            core::legalMoves(rules, t, list);
            if (list.size == 0) break;
            core::apply(rules, t, list.moves[rng() % static_cast<unsigned>(list.size)]);
            ++moves;
        }
        benchmark::DoNotOptimize(t);
    }
    state.counters["games/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["moves/game"] = static_cast<double>(moves) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_randomPlay)->Name("core/randomPlay/827")->Unit(benchmark::kMicrosecond);

// Solving a few fixed deals that are won quickly, one after the other.
void BM_solve(benchmark::State& state, int id, core::RuleOptions options, std::vector<uint32_t> numbers) {
    uint64_t states = 0;
    for (auto _ : state) {
        for (uint32_t number : numbers) {
            const core::GameRules rules = rulesOf(id, number, options);
            const solve::Result r = solve::solve(rules, core::startTable(rules), solve::Limits{});
            if (r.verdict != solve::Verdict::Winnable) state.SkipWithError("a fixed deal was not solved");
            states += r.states;
        }
    }
    state.counters["states/s"] = benchmark::Counter(static_cast<double>(states), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_solve, 827three, 827, core::RuleOptions{true, true}, std::vector<uint32_t>{1, 4, 9, 11})
    ->Name("solve/827/three")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_solve, 901, 901, core::RuleOptions{}, std::vector<uint32_t>{24})
    ->Name("solve/901")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvat
