// korvat-cli's commands over the game core and the solver: the moves of a
// table, the solution of a deal, a hint, the review of a lost deal, and a
// survey of many deals.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/moves.h"

namespace korvat::cli {

// The play action that makes the move: move:P,K,Q, click:P or discard:P,...
std::string moveAction(const core::Move& move);
// The moves the player could make with the mouse from the table as it
// stands: the core's, where the hit test gives the points they need to
// their piles (what `moves` lists).
std::vector<core::Move> pointerMoves();

int movesCommand(const std::vector<std::string>& args, std::FILE* out);
int solveCommand(const std::vector<std::string>& args, std::FILE* out);
// The window's Hint and "Where did it go wrong?" at the table the actions leave.
int hintCommand(const std::vector<std::string>& args, std::FILE* out);
int reviewCommand(const std::vector<std::string>& args, std::FILE* out);
int surveyCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace korvat::cli
