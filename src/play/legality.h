// Where cards may be put, asked of the current game's piles.
#pragma once

#include "model/records.h"

namespace korvat {

// Whether `card`, with the n - 1 cards lying on it, may be put onto the
// target, having been taken from the source.
bool canPlace(const Pile& source, const Pile& target, const Card& card, int n);
// No reserve pile holds a card.
bool reservesEmpty();

}  // namespace korvat
