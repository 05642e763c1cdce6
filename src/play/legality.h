// Which cards a press takes, and where cards may be put.
#pragma once

#include "model/records.h"

namespace korvat {

// The lowest card of those a press on `pressed` (a card of the pile) would
// take, or null when nothing can be taken.
Card* findPickCard(Pile& pile, Card& pressed);
// Whether `card`, with the n - 1 cards lying on it, may be put onto the
// target, having been taken from the source.
bool canPlace(const Pile& source, const Pile& target, const Card& card, int n);
// No reserve pile holds a card.
bool reservesEmpty();
// Some top-card-only pile other than the source shows a higher card of the card's suit.
bool higherCardOnWasteTop(const Pile& source, const Card& card);
// The card's rank occurs in the pile just before the target (only its
// bottom card counts when the target is empty).
bool rankInPileAbove(const Pile& target, const Card& card);
// Walking up from the bottom, the pressed card comes before the group's bottom card.
bool liesBelow(const Pile& pile, const Card* groupBottom, const Card* pressed);

}  // namespace korvat
