// Cards that move without being carried: autoplay to the foundations,
// complete A-K runs, and the discard groups of the pairing games.
#pragma once

#include "model/records.h"

namespace korvat {

// One card from the pile to the first foundation that accepts it (or a
// face-down card turned up). True when the table changed.
bool autoplayPile(Pile* pile);
// autoplayPile on every pile in layout order until one moves.
bool autoStep();
// A complete run from the highest rank down to rank 0, in any suits, to an empty foundation.
bool playStraightRun();
// The same for a run of one suit.
bool playSuiteRun();
// The selected top cards form a group the game's discard rules allow.
bool isDiscardGroup();

}  // namespace korvat
