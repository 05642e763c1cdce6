// The solver's answer to "which move now?" at a table: the next move of a
// proven winning line, or else the move the win finder judges most
// promising, marked as not proven. The window's Hint and korvat-cli's hint
// both take their answer from here.
#pragma once

#include <cstddef>

#include "core/moves.h"
#include "core/rules.h"
#include "core/table.h"
#include "solve/solver.h"

namespace korvat::solve {

struct Hint {
    enum class Why {
        Move,  // `move` is the answer
        Won,   // the table is won
        Lost,  // the table is proven lost
        None,  // no move can be made
    };
    Why why = Why::None;
    core::Move move{};
    bool proven = false;  // the first move of a line that wins
};

// The hint at `table` from the solver's result there. `at` counts the
// moves of a winning line already made since the result was found (the
// table is then the one `at` moves along it).
Hint hintFrom(const core::GameRules& rules, const core::Table& table, const Result& result, size_t at = 0);

// "move", "won", "lost" or "none".
const char* hintWhyName(Hint::Why why);

}  // namespace korvat::solve
