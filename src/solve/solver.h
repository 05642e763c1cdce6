// The solver: is a deal winnable from this table, and by which moves. It
// knows every card (the deal is fixed by its number, the face-down cards
// and the stock's order included) and searches the moves the core lists,
// so it plays every game by the same rules as the player.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/moves.h"
#include "core/rules.h"
#include "core/table.h"

namespace korvat::solve {

struct Limits {
    uint64_t maxStates = 10'000'000;  // distinct tables looked at
    uint32_t maxMs = 10'000;          // milliseconds of searching
    uint64_t maxBytes = 1ull << 30;   // memory the solve may hold, on all its threads together
    int threads = 1;                  // threads the solve searches on
    // maxMs counts the processor time of the searching threads rather than
    // the clock: for surveys that compare solvers on a shared machine.
    bool processorTime = false;
    // Leave out the moves that can as well be made later and the tables
    // that can no longer be won. Off, the search tries every move: slower,
    // and there only to check the search against itself.
    bool prune = true;
    // When given, each table a search finds lost, having searched every
    // table it reaches, is copied here: for checking the search as well.
    std::vector<core::Table>* lost = nullptr;
};

enum class Verdict {
    Winnable,    // the line wins from the table
    Unwinnable,  // every table that can be reached was seen, none won
    Unknown,     // a limit or a stop request came first
};

struct Result {
    Verdict verdict = Verdict::Unknown;
    std::vector<core::Move> line;  // the winning moves, in order (Winnable only)
    uint64_t states = 0;           // distinct tables looked at
    double ms = 0;                 // time spent
    uint64_t bytes = 0;            // the most memory the solve held at once, as its searches count it
    // When nothing is proven (Unknown): the line the win finder found to
    // the most promising table it reached, if it ran; its first move is
    // the solver's best guess at a move towards a win.
    std::vector<core::Move> promising;
};

// Searches from the table. `stop`, when given, may be set from another
// thread to end the search at once (the answer is then Unknown).
Result solve(const core::GameRules& rules, const core::Table& table, const Limits& limits,
             const std::atomic<bool>* stop = nullptr);

const char* verdictName(Verdict verdict);

// Milliseconds from some fixed point: of the clock, or of the processor
// time of the calling thread.
double nowMs(bool processorTime);

}  // namespace korvat::solve
