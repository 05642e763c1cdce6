// The start of a deal on the program's table.
#pragma once

namespace korvat {

// Deals the current game anew from dealRandom, which holds the game number:
// the table as the rules deal it, the drift of every pile, the log entry of
// the deal if it has one, and the status line.
void startGame();

}  // namespace korvat
