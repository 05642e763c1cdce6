// The deal of a game number as a table value.
#pragma once

#include <cstdint>

#include "core/rules.h"
#include "core/table.h"
#include "model/random.h"

namespace korvat::core {

// Shuffles `size` cards with the deal generator: out[slot] is the value in
// deck slot `slot`, the order the deal takes the cards in. Every draw counts,
// the rejected ones included.
void shuffle(Generator& generator, int size, uint8_t* out);

// The deal generator of a game number as its shuffle begins: seeded with
// the number, then, in a random-high-rank game, past the draw of the high
// rank (given in `highRank` when asked for; 0 in other games).
Generator dealGenerator(uint32_t ruleFlags, uint32_t gameNumber, int* highRank = nullptr);

// The table as dealt: the shuffle of the game number (after the high rank's
// draw in a random-high-rank game), the start cards, the deal round by round
// and the kings moved to the bottom.
Table startTable(const GameRules& rules);

}  // namespace korvat::core
