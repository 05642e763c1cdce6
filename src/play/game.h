// The start of a deal on the program's table.
#pragma once

#include <cstdint>

namespace korvat {

// Deals game number `number` of the current game: the table as the rules
// deal it, the drift of every pile, the log entry of the deal if it has
// one, and the status line. The game number and the deal generator are set
// to it first.
void startGame(uint32_t number);

}  // namespace korvat
