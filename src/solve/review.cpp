// The review of a deal's history: a binary search for the table where the
// win was lost, over verdicts that never go from lost back to winnable.
#include "solve/review.h"

#include <bit>

namespace korvat::solve {

bool moveBetween(const core::GameRules& rules, const core::Table& from, const core::Table& to, core::Move& move) {
    auto leadsThere = [&](const core::Move& m) {
        core::Table t = from;
        core::apply(rules, t, m);
        t.redealsLeft = to.redealsLeft;  // Undo leaves them as they are
        return t == to;
    };
    core::MoveList every;
    core::legalMoves(rules, from, every, false);
    for (const core::Move& m : every) {
        if (leadsThere(m)) {
            move = m;
            return true;
        }
    }
    // A card sent home by a double click or Auto.
    for (int p = 0; p < rules.pileCount; ++p) {
        core::Move m;
        if (core::autoplayMove(rules, from, p, m) && leadsThere(m)) {
            move = m;
            return true;
        }
    }
    return false;
}

Review review(const core::GameRules& rules, const std::vector<core::Table>& history, const Limits& limits,
              const std::atomic<bool>* stop, const std::function<void(int, int)>& progress) {
    Review r;
    const int n = static_cast<int>(history.size());
    if (n == 0) return r;
    if (core::isWon(rules, history[static_cast<size_t>(n - 1)])) {
        r.why = Review::Why::Won;
        return r;
    }
    enum : uint8_t { Unsolved, Unknown, Solved };
    std::vector<uint8_t> state(static_cast<size_t>(n), Unsolved);
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    // The candidates: the tables strictly between the last proven winnable
    // and the first proven lost that have not been tried.
    const auto candidates = [&](std::vector<int>& out) {
        out.clear();
        const int end = r.firstLost < 0 ? n : r.firstLost;
        for (int i = r.lastWinnable + 1; i < end; ++i)
            if (state[static_cast<size_t>(i)] == Unsolved) out.push_back(i);
    };
    const auto tell = [&](size_t left) {
        if (progress) progress(r.solved, r.solved + std::bit_width(left));
    };
    const auto solveAt = [&](int i) {
        Result result = solve(rules, history[static_cast<size_t>(i)], limits, stop);
        ++r.solved;
        const Verdict verdict = result.verdict;
        state[static_cast<size_t>(i)] = verdict == Verdict::Unknown ? Unknown : Solved;
        if (verdict == Verdict::Winnable) {
            r.lastWinnable = i;
            r.atLastWinnable = std::move(result);
        } else if (verdict == Verdict::Unwinnable) {
            r.firstLost = i;
        }
        return verdict;
    };

    tell(static_cast<size_t>(n));
    // The table as it is now comes first: only a lost one is reviewed.
    switch (solveAt(n - 1)) {
        case Verdict::Winnable: r.why = Review::Why::Winnable; return r;
        case Verdict::Unknown: r.why = stopped() ? Review::Why::Stopped : Review::Why::Unknown; return r;
        case Verdict::Unwinnable: break;
    }
    std::vector<int> left;
    for (candidates(left); !left.empty(); candidates(left)) {
        tell(left.size());
        solveAt(left[left.size() / 2]);
        if (stopped()) {
            r.why = Review::Why::Stopped;
            return r;
        }
    }
    if (progress) progress(r.solved, r.solved);
    if (r.firstLost == 0) {
        r.why = Review::Why::Lost;
    } else if (r.lastWinnable >= 0 && r.firstLost == r.lastWinnable + 1 && !r.atLastWinnable.line.empty()) {
        r.why = Review::Why::Found;
        r.keepsWin = r.atLastWinnable.line.front();
        r.losingMoveKnown = moveBetween(rules, history[static_cast<size_t>(r.lastWinnable)],
                                        history[static_cast<size_t>(r.firstLost)], r.losingMove);
    } else {
        r.why = Review::Why::Unknown;
    }
    return r;
}

const char* reviewWhyName(Review::Why why) {
    switch (why) {
        case Review::Why::Found: return "found";
        case Review::Why::Won: return "won";
        case Review::Why::Winnable: return "winnable";
        case Review::Why::Lost: return "lost";
        case Review::Why::Unknown: return "unknown";
        case Review::Why::Stopped: break;
    }
    return "stopped";
}

}  // namespace korvat::solve
