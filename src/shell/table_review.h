// "Where did it go wrong?" (Solver menu): once the table can no longer be
// won, the review of the deal's history (solve/review) on a thread of its
// own, its answer in words, and going back, as Undo would, to the last
// table from which a win was still possible.
#pragma once

#include <atomic>
#include <string>

#include "core/moves.h"
#include "core/rules.h"
#include "core/table.h"
#include "play/deal_history.h"
#include "solve/review.h"

namespace korvat {

struct ReviewJob {
    core::GameRules rules;
    DealHistory history;
    solve::Limits limits;
    std::atomic<bool> stop{false};    // set to cancel
    std::atomic<bool> done{false};    // set when it has ended
    std::atomic<int> solved{0};       // tables solved so far
    std::atomic<int> estimate{1};     // of the tables it will take
    solve::Review review;
};

// Runs the review on the calling thread.
void runReview(ReviewJob& job);
// Set by the desktop program: runs the review without blocking its window
// (a progress indication with Cancel) and returns when it has ended.
// Without it the review runs in place.
extern void (*waitForReview)(ReviewJob& job);

// The command: says why there is nothing to review unless the verdict on
// the table is that it can no longer be won; else reviews, says what it
// found, and offers to go back there.
void whereDidItGoWrong();

// A move in words, as the player sees it: "moving the seven of hearts
// onto the eight of spades", "dealing from the stock".
std::string moveInWords(const core::GameRules& rules, const core::Table& table, const core::Move& move);

}  // namespace korvat
