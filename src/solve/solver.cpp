// solve: short exhaustive searches in the Luby sequence of lengths, each
// ordering near-equal moves a little differently (restarts), a first look
// by the win finder after the first of them, the finder's beam searches,
// then (with two decks, after more short searches) one exhaustive search
// with what is left; on several threads, the finders beside the
// exhaustive searches.
#include "solve/solver.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

#include "solve/rules_analysis.h"
#include "solve/search.h"
#include "solve/transposition_table.h"

namespace korvat::solve {

using namespace core;

double nowMs(bool processorTime) {
    if (processorTime) {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1000 + static_cast<double>(t.tv_nsec) / 1e6;
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

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
// With more than two decks a sixty-fourth: there the finder wins nearly
// every deal that is won (four-deck Birchwood, 0..49 at 5 s: 35 won
// against 30 with a quarter).
constexpr int kShortShareManyDecks = 64;
// The tables the finder's first beam keeps a level; each next one keeps
// twice as many.
constexpr uint32_t kFirstWidth = 64;
constexpr uint32_t kWidestStart = 1u << 16;
// The share of what the short searches leave that the finder takes on one
// thread, before the last exhaustive search: more with two decks, where
// the exhaustive search seldom sees the end of a deal in its time, and
// nearly all with more, where it never does.
constexpr double kFinderShare = 0.5;
constexpr double kFinderShareTwoDecks = 0.75;
constexpr double kFinderShareManyDecks = 0.95;
// And a quarter, whatever the decks, where the only piles are the
// foundations, the stock and its waste: there the only choice is when a
// waste card goes home, the finder's estimate tells little, and the time
// goes to the proofs of lost deals (Contradance, 0..49 at 5 s: 35 lost
// against 29). Where other piles wait to go home too it cost wins at a
// fixed count of tables (Patriarchs, 0..199 at 100,000: 39 against 122).
constexpr double kFinderShareOnlyHome = 0.25;
// The share the finder takes after the first short search, before the
// others: where its narrow beams win a deal at once, the answer comes in
// milliseconds rather than after the short searches' quarter.
constexpr double kFirstLook = 0.01;

// The Luby sequence 1 1 2 1 1 2 4 1 1 2 1 1 2 4 8 ..., i from 1.
uint64_t luby(uint64_t i) {
    for (uint64_t k = 1;; ++k) {
        if (i == (uint64_t{1} << k) - 1) return uint64_t{1} << (k - 1);
        if (i < (uint64_t{1} << k) - 1) return luby(i - (uint64_t{1} << (k - 1)) + 1);
    }
}

bool stopped(const std::atomic<bool>* flag) { return flag && flag->load(std::memory_order_relaxed); }

// One solve: the rules analysed once, the transposition table the
// exhaustive searches share, and the clock.
class Solve {
public:
    Solve(const GameRules& rules, const Table& table, const Limits& limits, const std::atomic<bool>* stop)
        : rules_(rules), table_(table), limits_(limits), stop_(stop), analysis_(rules, limits.prune),
          seen_(limits.maxStates + limits.maxStates / 2 + 16, exhaustiveBytes(limits) / 2),
          startMs_(nowMs(limits.processorTime)) {}

    // The time since the solve began, on the calling thread's clock.
    double elapsed() const { return nowMs(limits_.processorTime) - startMs_; }

    // A search's time to a win depends much on which of its near-equal
    // moves it tries first: one order wins a deal in a few hundred tables
    // where another has not won it after millions. So short searches come
    // first, the first in the plain order, the others each ordering the
    // moves a little differently, their lengths in the Luby sequence, for
    // at most a quarter of the limits (a sixty-fourth with more than two
    // decks). Each is complete in itself: one that sees every table it can
    // reach answers as surely as the last. They share the tables seen, so
    // that a table one search found lost no later one searches again. True
    // when one answered. With `count`, at most that many; a later call goes
    // on with the next.
    bool shortSearches(Result& out, uint64_t count = ~uint64_t{0}) {
        const int share = shortUntilEnd_ ? 1 : rules_.deckSize > 104 ? kShortShareManyDecks : kShortShare;
        const uint64_t states = limits_.maxStates / share;
        const double ms = double(limits_.maxMs) / share;
        for (; !shortDone_ && count > 0 && number_ < TranspositionTable::kLastSearch; ++luby_, ++number_, --count) {
            const uint64_t i = luby_;
            Limits probe = limits_;
            probe.maxStates = kShortSearch * luby(i);
            probe.maxBytes = exhaustiveBytes();
            if (used_ + probe.maxStates > states || elapsed() >= ms) break;
            probe.maxMs = static_cast<uint32_t>(ms - elapsed()) + 1;
            auto probing = search(probe, i - 1);
            Result r = probing->run(table_);
            used_ += r.states;
            peak_ = std::max(peak_, r.bytes);
            if (r.verdict != Verdict::Unknown || stopped(stop_) || stopped(answered_)) {
                out = std::move(r);
                return true;
            }
            // Out of memory, or the tables seen full: so would the next be.
            if (probing->outOfMemory() || seen_.full()) shortDone_ = shortFull_ = true;
        }
        if (count > 0) shortDone_ = true;
        return false;
    }

    // The win finder for a share of what is left of the limits: beam
    // searches ever wider, each ordering ties by a seed of its own, until
    // one wins or a beam kept every table it met (a wider one would find
    // no more). A later call goes on from the beam the last one ended
    // with, begun again if the share cut it short. True when it won or
    // was stopped.
    bool findWins(double share, Result& out) {
        const uint64_t states = static_cast<uint64_t>(double(limits_.maxStates - used_) * share);
        const double until = elapsed() + (limits_.maxMs - elapsed()) * share;
        uint64_t found = 0;
        while (!finderDone_ && found < states && elapsed() < until) {
            Limits f = limits_;
            f.maxStates = states - found;
            f.maxMs = static_cast<uint32_t>(until - elapsed()) + 1;
            f.maxBytes = limits_.maxBytes / 2;
            auto finder = search(f, finderSeed_);
            Result r = finder->findWin(table_, finderWidth_, &promising_, true);
            found += r.states;
            peak_ = std::max(peak_, r.bytes + seen_.bytes());
            if (r.verdict == Verdict::Winnable || stopped(stop_)) {
                used_ += found;
                out = std::move(r);
                return true;
            }
            if (finder->keptEveryTable() || finder->outOfMemory()) finderDone_ = true;
            if (found >= states || elapsed() >= until) break;
            ++finderSeed_;
            finderWidth_ = std::min(finderWidth_ * 2, kWidestStart);
        }
        used_ += found;
        return false;
    }

    // Whether the exhaustive search alone has the time on one thread: from
    // a table on the stock round, where the round's tables count as one,
    // it decides nearly every deal in its time (Klondike with unlimited
    // redeals: a share for the finder cost it proofs of lost deals and
    // won next to none), so the finder is left out.
    bool exhaustiveDecides() const { return analysis_.stockRoundAt(table_); }
    bool onlyStockAndHome() const { return analysis_.onlyStockAndHome; }

    // With two decks, after the finder: more short searches in the Luby
    // sequence, for as long as the limits last, rather than one long one.
    // There the exhaustive search seldom sees the end of a deal, and a
    // win, when it finds one, comes from the order it tries moves in.
    bool moreShortSearches(Result& out) {
        if (rules_.deckSize != 104 || shortFull_) return false;
        shortUntilEnd_ = true;
        shortDone_ = false;
        return shortSearches(out);
    }

    // One exhaustive search with what is left of the limits.
    Result lastSearch() {
        Limits rest = limits_;
        rest.maxStates = limits_.maxStates - std::min(used_, limits_.maxStates);
        if (limits_.prune) rest.maxMs = static_cast<uint32_t>(std::max(0.0, limits_.maxMs - elapsed()));
        rest.maxBytes = exhaustiveBytes();
        Result r = search(rest, 0)->run(table_);
        used_ += r.states;
        peak_ = std::max(peak_, r.bytes);
        return r;
    }

    // The exhaustive searches on this thread, the finders on the others:
    // the first answer stops the rest.
    Result onThreads() {
        const int finders = limits_.threads - 1;
        std::atomic<bool> answered{false};
        answered_ = &answered;
        std::vector<Result> found(static_cast<size_t>(finders));
        std::vector<std::vector<Move>> promising(static_cast<size_t>(finders));
        std::vector<std::thread> threads;
        for (int k = 0; k < finders; ++k)
            threads.emplace_back([&, k] { found[k] = findOnThread(k, finders, answered, promising[k]); });
        Result r;
        if (!shortSearches(r)) r = lastSearch();
        if (r.verdict != Verdict::Unknown) answered = true;
        uint64_t beside = 0;  // the finders' memory, held beside the exhaustive searches'
        // A finder that won first, or wins while the others stop, answers.
        for (int k = 0; k < finders; ++k) {
            threads[k].join();
            used_ += found[k].states;
            beside += found[k].bytes;
            if (r.verdict == Verdict::Unknown && found[k].verdict == Verdict::Winnable) r = std::move(found[k]);
        }
        if (r.verdict == Verdict::Unknown && !promising.empty()) promising_ = std::move(promising[0]);
        peak_ += beside;
        return r;
    }

    Result& finish(Result& r) {
        r.states = used_;
        r.ms = elapsed();
        r.bytes = peak_;
        if (r.verdict == Verdict::Unknown)
            r.promising = std::move(promising_);
        else
            r.promising.clear();
        return r;
    }

private:
    std::unique_ptr<Search> search(const Limits& limits, uint64_t seed) {
        auto s = std::make_unique<Search>(rules_, analysis_, limits, stop_, seen_, number_, seed);
        s->alsoStopOn(answered_);
        return s;
    }
    // The memory the exhaustive searches may hold: all of it on one
    // thread, half of it beside finders.
    static uint64_t exhaustiveBytes(const Limits& limits) {
        return limits.threads > 1 ? limits.maxBytes / 2 : limits.maxBytes;
    }
    uint64_t exhaustiveBytes() const { return exhaustiveBytes(limits_); }

    // Finder k of n on a thread of its own, with a table of seen keys of
    // its own (the exhaustive search's one changes meanwhile): beams ever
    // wider from a width of its own, until the limits or an answer.
    Result findOnThread(int k, int n, std::atomic<bool>& answered, std::vector<Move>& promising) {
        TranspositionTable none(0, 0);
        // Its own start: with processor time, each thread counts its own.
        const double begun = limits_.processorTime ? nowMs(true) : startMs_;
        auto elapsed = [&] { return nowMs(limits_.processorTime) - begun; };
        Limits f = limits_;
        f.maxBytes = limits_.maxBytes / 2 / static_cast<uint64_t>(n);
        uint64_t found = 0, held = 0;
        uint32_t width = kFirstWidth << std::min(k, 8);
        Result r;
        for (uint64_t seed = 1 + static_cast<uint64_t>(k); found < limits_.maxStates && elapsed() < limits_.maxMs;
             seed += static_cast<uint64_t>(n), width = std::min(width * 2, kWidestStart)) {
            f.maxStates = limits_.maxStates - found;
            f.maxMs = static_cast<uint32_t>(std::max(0.0, limits_.maxMs - elapsed())) + 1;
            Search finder(rules_, analysis_, f, stop_, none, number_, seed);
            finder.alsoStopOn(&answered);
            r = finder.findWin(table_, width, &promising, false);
            found += r.states;
            held = std::max(held, r.bytes + none.bytes());
            if (r.verdict == Verdict::Winnable) {
                answered = true;
                break;
            }
            if (stopped(stop_) || stopped(&answered) || finder.keptEveryTable() || finder.outOfMemory()) break;
        }
        r.states = found;
        r.bytes = held;
        return r;
    }

    const GameRules& rules_;
    const Table& table_;
    const Limits limits_;
    const std::atomic<bool>* stop_;
    const std::atomic<bool>* answered_ = nullptr;
    RulesAnalysis analysis_;
    TranspositionTable seen_;
    double startMs_;
    uint32_t number_ = 1;
    uint64_t luby_ = 1;  // the next short search's place in the Luby sequence
    bool shortDone_ = false;
    bool shortFull_ = false;     // a short search ran out of memory, or the tables seen filled
    bool shortUntilEnd_ = false; // the short searches may take all that is left
    // The finder's next beam on this thread, and whether a beam has kept
    // every table it met.
    uint64_t finderSeed_ = 1;
    uint32_t finderWidth_ = kFirstWidth;
    bool finderDone_ = false;
    uint64_t used_ = 0;
    uint64_t peak_ = 0;  // the most memory held at once
    std::vector<Move> promising_;
};

}  // namespace

Result solve(const GameRules& rules, const Table& table, const Limits& limits, const std::atomic<bool>* stop) {
    auto s = std::make_unique<Solve>(rules, table, limits, stop);
    Result r;
    if (!limits.prune) {
        r = s->lastSearch();
    } else if (limits.threads > 1) {
        r = s->onThreads();
    } else if (s->exhaustiveDecides()) {
        if (!s->shortSearches(r)) r = s->lastSearch();
    } else if (!s->shortSearches(r, 1) && !s->findWins(kFirstLook, r) && !s->shortSearches(r)) {
        const double share = s->onlyStockAndHome() ? kFinderShareOnlyHome
                             : rules.deckSize > 104 ? kFinderShareManyDecks
                             : rules.deckSize > 52  ? kFinderShareTwoDecks
                                                    : kFinderShare;
        if (!s->findWins(share, r) && (s->onlyStockAndHome() || !s->moreShortSearches(r))) r = s->lastSearch();
    }
    return s->finish(r);
}

}  // namespace korvat::solve
