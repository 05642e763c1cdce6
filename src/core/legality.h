// Which cards a press takes, and where cards may be put: the two questions
// every kind of play asks, answered from the rules and the table alone.
#pragma once

#include "core/rules.h"
#include "core/table.h"

namespace korvat::core {

// The position of the lowest card of those a press on card `pressed` of
// the pile would take, or -1 when nothing can be taken.
int findPickCard(const GameRules& rules, const Table& table, int pile, int pressed);
// Whether a card of that value, with the n - 1 cards lying on it, may be
// put onto the target, having been taken from the source. The table is as
// it stands with the moving cards taken off their pile (autoplay asks with
// the card still in place, as it always has).
bool canPlace(const GameRules& rules, const Table& table, int source, int target, int value, int n);
// No reserve pile holds a card.
bool reservesEmpty(const GameRules& rules, const Table& table);
// Some top-card-only pile other than the source shows a higher card of the card's suit.
bool higherCardOnWasteTop(const GameRules& rules, const Table& table, int source, int value);
// The card's rank occurs in the pile just before the target (only its
// bottom card counts when the target is empty).
bool rankInPileAbove(const GameRules& rules, const Table& table, int target, int value);

}  // namespace korvat::core
