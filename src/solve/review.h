// The review of a deal that can no longer be won: over the tables of its
// history, the last one from which a win was still possible, the move made
// there that lost it and a move that keeps a win. The window's "Where did
// it go wrong?" and korvat-cli's review both take their answer from here.
#pragma once

#include <atomic>
#include <functional>
#include <vector>

#include "core/moves.h"
#include "core/rules.h"
#include "core/table.h"
#include "solve/solver.h"

namespace korvat::solve {

struct Review {
    enum class Why {
        Found,     // lastWinnable, losingMove and keepsWin are the answer
        Won,       // the last table is won
        Winnable,  // the last table can still be won
        Lost,      // the first table is proven lost already
        Unknown,   // the tables where the win was lost have no verdict within the limits
        Stopped,   // the review was asked to stop
    };
    Why why = Why::Unknown;
    // Counted in tables of the history (0 = the first): the last one
    // proven winnable and the first proven lost, -1 for none. With Found,
    // firstLost is lastWinnable + 1.
    int lastWinnable = -1, firstLost = -1;
    bool losingMoveKnown = false;  // a move of the core leads from one to the other
    core::Move losingMove{};
    core::Move keepsWin{};
    Result atLastWinnable;  // the solver's result there, with its winning line
    int solved = 0;         // the tables solved
};

// Reviews the history: history[k] is the table after k actions, the last
// one the table as it is now. Each table is solved within `limits`. Every
// table before a winnable one is winnable and every table after a lost one
// is lost, so a binary search halves the tables between the last one proven
// winnable and the first proven lost, leaving out those whose verdict is
// unknown (they are never taken for either). `progress`, when given, is
// told the tables solved so far and an estimate of how many it will take.
Review review(const core::GameRules& rules, const std::vector<core::Table>& history, const Limits& limits,
              const std::atomic<bool>* stop = nullptr,
              const std::function<void(int solved, int estimate)>& progress = nullptr);

// The move that takes the table `from` to `to` (the redeals left aside), as
// the player could make it; false when no single move does.
bool moveBetween(const core::GameRules& rules, const core::Table& from, const core::Table& to, core::Move& move);

// "found", "won", "winnable", "lost", "unknown" or "stopped".
const char* reviewWhyName(Review::Why why);

}  // namespace korvat::solve
