#include "shell/solver_service.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "core/deal.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/current.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "shell/table_review.h"
#include "solve/hint.h"

namespace korvat {

const char* tableVerdictText(TableVerdict verdict) {
    switch (verdict) {
        case TableVerdict::Thinking: return "Thinking...";
        case TableVerdict::Winnable: return "Winnable";
        case TableVerdict::Lost: return "Can no longer be won";
        case TableVerdict::Undecided: return "Not decided";
        case TableVerdict::LostFromStart: return "Cannot be won";
        case TableVerdict::Won: return "Won";
        case TableVerdict::FinishedByDemo: return "Finished by Demo";
        case TableVerdict::None: break;
    }
    return "";
}

namespace {

// The rules and the table on the screen; false with no game, or while
// cards are carried (they then lie on no pile).
bool screen(core::GameRules& rules, core::Table& t) {
    if (!currentGame || carrying()) return false;
    rules = currentRules();
    t = currentTable();
    return true;
}

// A search's tables are taken from the system and given back when it ends,
// so that the program at rest holds none of them. The allocator would
// otherwise raise its threshold for that after the first large block freed
// and keep every later search's tables in the search thread's own pool;
// setting the threshold fixes it at its first value.
void takeSearchMemoryFromTheSystem() {
    static bool done = false;
    if (done) return;
    done = true;
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

// Gives back to the system what a search freed of the smaller blocks.
void releaseFreedMemory() { malloc_trim(0); }

TableVerdict verdictOf(solve::Verdict v) {
    switch (v) {
        case solve::Verdict::Winnable: return TableVerdict::Winnable;
        case solve::Verdict::Unwinnable: return TableVerdict::Lost;
        case solve::Verdict::Unknown: break;
    }
    return TableVerdict::Undecided;
}

struct Job {
    core::GameRules rules;
    core::Table table;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    solve::Result result;
    std::thread thread;
};

// The verdict on a table, and how far along its line the table on the
// screen has come: `table` is the table after `at` moves of the line.
struct Known {
    bool valid = false;
    core::GameRules rules;
    core::Table table;
    solve::Result result;
    size_t at = 0;
    bool hasNext = false;
    core::Table next;  // the table after the line's next move
    TableVerdict shown = TableVerdict::None;

    void prepareNext();
};

// The table Demo's last move left, while it is on the screen.
struct DemoTable {
    bool valid = false;
    bool moving = false;  // Demo's move is being carried out
    core::GameRules rules;
    core::Table table;
};

struct State {
    std::unique_ptr<Job> running;
    std::vector<std::unique_ptr<Job>> stopped;  // joined once they have ended
    Known known;
    TableVerdict shown = TableVerdict::None;
    bool wanted = false;
    int started = 0;
    DemoTable demo;
    // The rules of the last deal whose first table was proven lost.
    bool lostDealKnown = false;
    core::GameRules lostDeal;
};
State state;

bool demoWon(const core::GameRules& rules, const core::Table& t) {
    return state.demo.moving || (state.demo.valid && state.demo.table == t && (state.demo.rules == rules));
}

// What the status bar says of the table with the solver's verdict on it:
// a won table is won, by the player or by Demo; a lost table whose deal
// was lost from its first table cannot be won at all.
TableVerdict shownFor(const core::GameRules& rules, const core::Table& t, solve::Verdict v) {
    if (core::isWon(rules, t)) return demoWon(rules, t) ? TableVerdict::FinishedByDemo : TableVerdict::Won;
    if (v != solve::Verdict::Unwinnable) return verdictOf(v);
    if (state.lostDealKnown && (state.lostDeal == rules)) return TableVerdict::LostFromStart;
    if (t == core::startTable(rules)) {
        state.lostDealKnown = true;
        state.lostDeal = rules;
        return TableVerdict::LostFromStart;
    }
    return TableVerdict::Lost;
}

void Known::prepareNext() {
    shown = shownFor(rules, table, result.verdict);
    hasNext = result.verdict == solve::Verdict::Winnable && at < result.line.size();
    if (!hasNext) return;
    next = table;
    core::apply(rules, next, result.line[at]);
}


// The deal whose time is being counted.
struct DealClock {
    const GameEntry* game = nullptr;
    uint32_t number = 0;
    bool counting = false;
    bool stopped = false;  // at the win
    uint32_t start = 0;
    uint32_t end = 0;
};
DealClock clock;

void observeDeal() {
    if (!currentGame) return;
    if (clock.game != currentGame || clock.number != gameNumber) {
        clock = DealClock{};
        clock.game = currentGame;
        clock.number = gameNumber;
    }
    if (table.undoCount == 0) {
        clock.counting = clock.stopped = false;
        return;
    }
    if (!clock.counting) {
        clock.counting = true;
        clock.stopped = false;
        clock.start = platform().tickCount();
    }
    if (table.won && !clock.stopped) {
        clock.stopped = true;
        clock.end = platform().tickCount();
    }
}

void stopRunning() {
    if (!state.running) return;
    state.running->stop.store(true, std::memory_order_relaxed);
    state.stopped.push_back(std::move(state.running));
}

void reapStopped() {
    for (auto it = state.stopped.begin(); it != state.stopped.end();) {
        if ((*it)->done.load(std::memory_order_acquire)) {
            (*it)->thread.join();
            it = state.stopped.erase(it);
        } else {
            ++it;
        }
    }
}

void setKnown(const core::GameRules& rules, const core::Table& t, const solve::Result& result) {
    state.known.valid = true;
    state.known.rules = rules;
    state.known.table = t;
    state.known.result = result;
    state.known.at = 0;
    state.known.prepareNext();
}

}  // namespace

solve::Limits searchLimits(solve::Limits limits) {
    limits.threads = static_cast<int>(std::max(2u, std::thread::hardware_concurrency()) - 1);
    return limits;
}

namespace tableSolver {

void (*searchEnded)() = nullptr;
void (*searchWanted)() = nullptr;

void tableChanged() {
    observeDeal();
    core::GameRules rules;
    core::Table t;
    if (!screen(rules, t)) {
        // Carried cards: the search goes on with the table they came from.
        if (!currentGame) state.shown = TableVerdict::None;
        return;
    }
    // Another action than Demo's: the table is no longer the demo's.
    if (state.demo.valid && !state.demo.moving && (state.demo.table != t || !(state.demo.rules == rules)))
        state.demo.valid = false;
    Known& k = state.known;
    if (k.valid && k.rules == rules && k.table != t) {
        if (k.hasNext && k.next == t) {
            // A move along the line: what is left of it still wins.
            k.table = t;
            ++k.at;
            k.prepareNext();
        } else {
            k.valid = false;
        }
    } else if (k.valid && !(k.rules == rules)) {
        k.valid = false;
    }
    const bool runningHere = state.running && state.running->table == t && state.running->rules == rules;
    if (k.valid) {
        state.shown = k.shown;
        if (!runningHere) stopRunning();
        return;
    }
    state.shown = TableVerdict::Thinking;
    if (runningHere) return;
    stopRunning();
    if (!state.wanted) {
        state.wanted = true;
        if (searchWanted) searchWanted();
    }
}

void searchIfNeeded() {
    state.wanted = false;
    reapStopped();
    tableChanged();
    if (state.known.valid || state.running) return;
    core::GameRules rules;
    core::Table t;
    if (!screen(rules, t)) return;
    takeSearchMemoryFromTheSystem();
    auto job = std::make_unique<Job>();
    job->rules = rules;
    job->table = t;
    Job* j = job.get();
    ++state.started;
    j->thread = std::thread([j] {
        j->result = solve::solve(j->rules, j->table, searchLimits(kBackgroundLimits), &j->stop);
        releaseFreedMemory();
        j->done.store(true, std::memory_order_release);
        if (searchEnded) searchEnded();
    });
    state.running = std::move(job);
    state.shown = TableVerdict::Thinking;
}

bool collect() {
    reapStopped();
    if (!state.running || !state.running->done.load(std::memory_order_acquire)) return false;
    core::GameRules rules;
    core::Table t;
    // With cards carried the answer waits for them to land.
    if (!screen(rules, t) && currentGame) return false;
    std::unique_ptr<Job> job = std::move(state.running);
    job->thread.join();
    const TableVerdict was = state.shown;
    if (currentGame && job->table == t && job->rules == rules) {
        setKnown(job->rules, job->table, job->result);
        state.shown = state.known.shown;
    } else {
        tableChanged();
    }
    return state.shown != was;
}

TableVerdict verdict() { return currentGame ? state.shown : TableVerdict::None; }

bool nextMove(core::Move& move) {
    const Known& k = state.known;
    if (!k.valid || k.result.verdict != solve::Verdict::Winnable || k.at >= k.result.line.size()) return false;
    move = k.result.line[k.at];
    return true;
}

int searchesStarted() { return state.started; }

int searchesUnderWay() {
    int n = state.running && !state.running->done.load(std::memory_order_acquire) ? 1 : 0;
    for (const auto& job : state.stopped) n += job->done.load(std::memory_order_acquire) ? 0 : 1;
    return n;
}

void waitForSearch() {
    if (state.wanted || !state.running) searchIfNeeded();
    if (!state.running) return;
    while (!state.running->done.load(std::memory_order_acquire))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    collect();
}

void shutDown() {
    stopRunning();
    for (auto& job : state.stopped) {
        job->stop.store(true, std::memory_order_relaxed);
        if (job->thread.joinable()) job->thread.join();
    }
    state.stopped.clear();
    state.known.valid = false;
    state.shown = TableVerdict::None;
    state.wanted = false;
}

void offerVerdict(const core::GameRules& rules, const core::Table& t, const solve::Result& result) {
    setKnown(rules, t, result);
}

const solve::Result* knownResult(size_t& movesAlong) {
    const Known& k = state.known;
    if (!k.valid || !currentGame || carrying() || k.table != currentTable() || !(k.rules == currentRules()))
        return nullptr;
    movesAlong = k.at;
    return &k.result;
}

void playDemoMove(const core::Move& move) {
    state.demo.moving = true;
    playMove(move);
    state.demo.moving = false;
    state.demo.valid = screen(state.demo.rules, state.demo.table);
    // The verdict of the table the move left says whose win it is.
    Known& k = state.known;
    if (k.valid && state.demo.valid && k.table == state.demo.table) {
        k.shown = shownFor(k.rules, k.table, k.result.verdict);
        state.shown = k.shown;
    }
}

bool finishedByDemo() {
    core::GameRules rules;
    core::Table t;
    return screen(rules, t) && core::isWon(rules, t) && demoWon(rules, t);
}

}  // namespace tableSolver

int movesMade() {
    int moves = 0;
    const int n = table.undoCount < 0 ? 0 : table.undoCount > kUndoEntries ? kUndoEntries : table.undoCount;
    for (int i = 0; i < n; ++i)
        if (!undoBuffer[static_cast<size_t>(i)].chained) ++moves;
    return moves;
}

uint32_t timePlayed() {
    observeDeal();
    if (!clock.counting) return 0;
    return (clock.stopped ? clock.end : platform().tickCount()) - clock.start;
}

HintAnswer hintMove(core::Move& move, bool& proven) {
    proven = false;
    if (!currentGame || carrying()) return HintAnswer::None;
    tableSolver::tableChanged();
    if (tableSolver::verdict() == TableVerdict::Thinking) {
        tableSolver::searchIfNeeded();
        return HintAnswer::Thinking;
    }
    size_t along = 0;
    const solve::Result* result = tableSolver::knownResult(along);
    if (!result) return HintAnswer::None;
    const solve::Hint hint = solve::hintFrom(currentRules(), currentTable(), *result, along);
    if (hint.why != solve::Hint::Why::Move) return HintAnswer::None;
    move = hint.move;
    proven = hint.proven;
    return HintAnswer::Move;
}

void explainNoHint(bool forDemo) {
    const char* text = nullptr;
    switch (tableSolver::verdict()) {
        case TableVerdict::Lost:
            if (forDemo) {
                text = "This deal can no longer be won.";
                break;
            }
            // Where it went wrong is offered.
            if (platform().messageBox("This deal can no longer be won.\n\nLook for the move that lost it?", "NO HINT.",
                                      Mb::YesNo | Mb::IconQuestion) == IdYes)
                whereDidItGoWrong();
            return;
        case TableVerdict::LostFromStart: text = "This deal cannot be won."; break;
        case TableVerdict::Undecided:
            text = "The solver could not decide in time whether this deal can still be won.";
            break;
        case TableVerdict::Won:
        case TableVerdict::FinishedByDemo: text = "This deal is won."; break;
        default: return;
    }
    platform().messageBox(text, forDemo ? "NO DEMO." : "NO HINT.", Mb::Ok | Mb::IconInformation);
}

// ---- Winnable deals only ----

int32_t winnableDealsOnly = 0;
uint32_t winnableAskAfterMs = 20'000;
void (*waitForWinnableSearch)(WinnableSearch& search) = nullptr;

namespace {
constexpr const char* kPrefsSection = "Prefs";
constexpr const char* kWinnableKey = "Winnable";
constexpr int kMissingKey = -0x7FFFFFFF;
}  // namespace

void readWinnableSetting(Platform& ini) { winnableDealsOnly = ini.iniReadInt(kPrefsSection, kWinnableKey, 0); }

void writeWinnableSetting() {
    if (!winnableDealsOnly && platform().iniReadInt(kPrefsSection, kWinnableKey, kMissingKey) == kMissingKey) return;
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(winnableDealsOnly));
    platform().iniWriteString(kPrefsSection, kWinnableKey, text);
}

void runWinnableSearch(WinnableSearch& s) {
    const auto began = std::chrono::steady_clock::now();
    const auto elapsedMs = [began] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
    };
    s.outOfTime = false;
    const uint32_t first = s.tried.load(std::memory_order_relaxed);
    for (uint32_t i = first; i < kWinnableTries && !s.stop.load(std::memory_order_relaxed); ++i) {
        // At least one number each time it runs.
        if (s.budgetMs != UINT32_MAX && i > first && elapsedMs() >= s.budgetMs) {
            s.outOfTime = true;
            break;
        }
        const uint32_t n = s.from + i * static_cast<uint32_t>(s.step);
        s.trying.store(n, std::memory_order_relaxed);
        const core::GameRules rules = core::makeRules(*s.game, s.options, n);
        const core::Table start = core::startTable(rules);
        solve::Result result = solve::solve(rules, start, searchLimits(kDealLimits), &s.stop);
        if (s.stop.load(std::memory_order_relaxed)) break;
        s.tried.store(i + 1, std::memory_order_relaxed);
        if (result.verdict == solve::Verdict::Winnable) {
            s.found = true;
            s.number = n;
            s.rules = rules;
            s.table = start;
            s.result = std::move(result);
            break;
        }
    }
    releaseFreedMemory();
    s.done.store(true, std::memory_order_release);
}

bool winnableDeal(uint32_t from, int step, uint32_t& number) {
    number = from;
    if (!winnableDealsOnly || !currentGame) return true;
    takeSearchMemoryFromTheSystem();
    WinnableSearch search;
    search.game = currentGame;
    search.options = core::ruleOptions(prefs);
    search.from = from;
    search.step = step < 0 ? -1 : 1;
    search.budgetMs = winnableAskAfterMs;
    while (true) {
        if (waitForWinnableSearch)
            waitForWinnableSearch(search);
        else
            runWinnableSearch(search);
        if (search.found || search.stop.load() || !search.outOfTime) break;
        char text[240];
        std::snprintf(text, sizeof text,
                      "No deal that can be won has been found in %.0f seconds (%u game numbers tried).\n\n"
                      "Deal game number %lu anyway? No goes on looking.",
                      winnableAskAfterMs / 1000.0, static_cast<unsigned>(search.tried.load()),
                      static_cast<unsigned long>(from));
        if (platform().messageBox(text, "STILL LOOKING.", Mb::YesNo | Mb::IconQuestion) == IdYes) return true;
        search.done.store(false);
    }
    if (search.found) {
        number = search.number;
        tableSolver::offerVerdict(search.rules, search.table, search.result);
        return true;
    }
    if (!search.stop.load()) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "No deal of this game that can be won was found among the next %u game numbers.",
                      static_cast<unsigned>(kWinnableTries));
        platform().messageBox(text, "NO WINNABLE DEAL.", Mb::Ok | Mb::IconInformation);
    }
    return false;
}

}  // namespace korvat
