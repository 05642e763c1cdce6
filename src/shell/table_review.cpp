#include "shell/table_review.h"

#include <cstdio>

#include "model/catalogue.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/card_moves.h"
#include "play/current.h"
#include "play/pointer.h"
#include "shell/solver_service.h"
#include "view/table_drawing.h"

namespace korvat {

void (*waitForReview)(ReviewJob& job) = nullptr;

namespace {

constexpr const char* kCaption = "WHERE IT WENT WRONG.";

std::string cardName(uint8_t card) {
    static const char* ranks[] = {"ace", "two", "three", "four", "five", "six", "seven",
                                  "eight", "nine", "ten", "jack", "queen", "king"};
    static const char* suits[] = {"spades", "clubs", "hearts", "diamonds"};
    const int rank = core::rankOfCard(card), suit = core::valueOf(card) & 3;
    if (rank > 12) return "a card";
    return std::string("the ") + ranks[rank] + " of " + suits[suit];
}

void say(const char* text) { platform().messageBox(text, kCaption, Mb::Ok | Mb::IconInformation); }

// Takes back actions as Undo does, quickly, until `moves` are left.
void goBackTo(int moves) {
    const int32_t move = prefs.Move;
    prefs.Move = 0;  // the shortest glides
    for (int made = movesMade(); made > moves; --made) {
        const int before = table.undoCount;
        undo();
        if (table.undoCount == before) break;  // Undo refused
    }
    prefs.Move = move;
}

}  // namespace

std::string moveInWords(const core::GameRules& rules, const core::Table& t, const core::Move& m) {
    switch (m.kind) {
        case core::Move::Place: {
            if (m.from >= t.pileCount || m.card >= t.count(m.from) || m.to >= t.pileCount) break;
            std::string s = "moving " + cardName(t.card(m.from, m.card));
            if (t.count(m.from) - m.card > 1 && !rules.piles[m.from].has(PileFlags::anySingleCard))
                s += " with the cards on it";
            if (rules.foundations & core::bit(m.to)) return s + " to a foundation";
            if (t.empty(m.to)) return s + " to an empty pile";
            return s + " onto " + cardName(t.top(m.to));
        }
        case core::Move::Turn: return "turning a card over";
        case core::Move::Deal: return "dealing from the stock";
        case core::Move::Redeal: return "redealing";
        case core::Move::Discard: {
            std::string s = "discarding";
            bool first = true;
            core::forEachPile(m.piles, [&](int p) {
                if (p >= t.pileCount || t.empty(p)) return;
                s += first ? " " : " and ";
                s += cardName(t.top(p));
                first = false;
            });
            return s;
        }
    }
    return "a move";
}

void runReview(ReviewJob& job) {
    job.review = solve::review(job.rules, job.history.tables, job.limits, &job.stop, [&job](int solved, int estimate) {
        job.solved.store(solved, std::memory_order_relaxed);
        job.estimate.store(estimate, std::memory_order_relaxed);
    });
    job.done.store(true, std::memory_order_release);
}

void whereDidItGoWrong() {
    if (!currentGame || carrying()) return;
    tableSolver::tableChanged();
    switch (tableSolver::verdict()) {
        case TableVerdict::Lost: break;
        case TableVerdict::LostFromStart:
            say("This deal cannot be won: no move lost it, it could not be won from its first table.");
            return;
        case TableVerdict::Won:
        case TableVerdict::FinishedByDemo: say("This deal is won."); return;
        case TableVerdict::Winnable: say("This deal can still be won."); return;
        case TableVerdict::Undecided:
            say("The solver could not decide in time whether this deal can still be won.");
            return;
        case TableVerdict::Thinking:
        case TableVerdict::None: return;
    }
    ReviewJob job;
    job.rules = currentRules();
    job.history = dealHistory();
    job.limits = kBackgroundLimits;
    if (waitForReview)
        waitForReview(job);
    else
        runReview(job);
    const solve::Review& r = job.review;
    const int first = job.history.first;
    char text[600];
    switch (r.why) {
        case solve::Review::Why::Stopped: return;
        case solve::Review::Why::Found: break;
        case solve::Review::Why::Lost:
            if (first == 0) {
                say("This deal cannot be won: no move lost it, it could not be won from its first table.");
            } else {
                std::snprintf(text, sizeof text, "The deal could not be won after %d moves already; the moves "
                              "before those can no longer be taken back.", first);
                say(text);
            }
            return;
        case solve::Review::Why::Unknown:
            if (r.lastWinnable < 0)
                std::snprintf(text, sizeof text,
                              "After %d moves the deal could no longer be won. Whether it could be won before "
                              "that, the solver could not decide in time.",
                              first + r.firstLost);
            else
                std::snprintf(text, sizeof text,
                              "After %d moves the deal could still be won, and after %d it could not. Whether it "
                              "could be won after the moves between, the solver could not decide in time.",
                              first + r.lastWinnable, first + r.firstLost);
            say(text);
            return;
        case solve::Review::Why::Won:
        case solve::Review::Why::Winnable:
            // The table changed meanwhile (it cannot: the review holds the window).
            return;
    }
    const core::Table& there = job.history.tables[static_cast<size_t>(r.lastWinnable)];
    const int k = first + r.lastWinnable;
    const std::string lost = r.losingMoveKnown ? ", " + moveInWords(job.rules, there, r.losingMove) + "," : "";
    const std::string keeps = moveInWords(job.rules, there, r.keepsWin);
    std::snprintf(text, sizeof text,
                  "After %d moves the deal could still be won. Move %d%s lost it; %s instead keeps a win.\n\n"
                  "Go back to the table after move %d?",
                  k, k + 1, lost.c_str(), keeps.c_str(), k);
    if (platform().messageBox(text, kCaption, Mb::YesNo | Mb::IconQuestion) != IdYes) return;
    goBackTo(k);
    if (!currentGame || currentTable() != there) return;
    // The review's answer is the verdict there, and the move that keeps a
    // win is shown as a hint.
    tableSolver::offerVerdict(job.rules, there, r.atLastWinnable);
    tableSolver::tableChanged();
    view::showHint(r.keepsWin);
}

}  // namespace korvat
