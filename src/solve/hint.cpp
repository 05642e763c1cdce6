// The hint at a table from the solver's result there.
#include "solve/hint.h"

#include <algorithm>

namespace korvat::solve {

namespace {

// Whether the rules let the move be made at the table.
bool isLegal(const core::GameRules& rules, const core::Table& table, const core::Move& move) {
    core::MoveList every;
    core::legalMoves(rules, table, every, false);
    return std::find(every.begin(), every.end(), move) != every.end();
}

}  // namespace

Hint hintFrom(const core::GameRules& rules, const core::Table& table, const Result& result, size_t at) {
    Hint hint;
    if (core::isWon(rules, table)) {
        hint.why = Hint::Why::Won;
        return hint;
    }
    if (result.verdict == Verdict::Unwinnable) {
        hint.why = Hint::Why::Lost;
        return hint;
    }
    if (result.verdict == Verdict::Winnable && at < result.line.size()) {
        hint.why = Hint::Why::Move;
        hint.move = result.line[at];
        hint.proven = true;
        return hint;
    }
    core::MoveList legal;
    core::legalMoves(rules, table, legal);
    if (legal.size == 0) return hint;  // None
    hint.why = Hint::Why::Move;
    // Nothing proven: the win finder's first step towards the most
    // promising table it reached, or, when it found none, the first move
    // the core lists.
    const std::vector<core::Move>& guess = result.promising;
    hint.move = !guess.empty() && isLegal(rules, table, guess.front()) ? guess.front() : *legal.begin();
    return hint;
}

const char* hintWhyName(Hint::Why why) {
    switch (why) {
        case Hint::Why::Move: return "move";
        case Hint::Why::Won: return "won";
        case Hint::Why::Lost: return "lost";
        case Hint::Why::None: break;
    }
    return "none";
}

}  // namespace korvat::solve
