// The rules' own actions, each on a table with its changes written to the
// record: what a move sets off, one piece at a time. apply() strings them
// together as each kind of move does; the program's own commands and the
// tests call them one by one.
#pragma once

#include "core/moves.h"

namespace korvat::core {

// Fills every empty space that a filling pile can fill, one card each.
void fillSpaces(const GameRules& rules, Table& table, ChangeRecord* record = nullptr);
// The first pile that ends in a complete run (of one suit, or in any suits)
// from the highest rank down to rank 0 gives it to the first empty
// foundation. True when a run moved.
bool playSuiteRun(const GameRules& rules, Table& table, ChangeRecord* record = nullptr);
bool playStraightRun(const GameRules& rules, Table& table, ChangeRecord* record = nullptr);
// Same-suit runs until none is left, then runs in any suits.
void playCompleteRuns(const GameRules& rules, Table& table, ChangeRecord* record = nullptr);
// Discards the non-king top cards of the four-suits piles to the last
// foundation once they show all four suits.
void discardFourSuits(const GameRules& rules, Table& table, ChangeRecord* record = nullptr);
// Deals from the stock onto every waste pile, then discards four suits.
void dealFromStock(const GameRules& rules, Table& table, int stock, ChangeRecord* record = nullptr);
// Gathers the redealt piles into the empty pile and deals the refilled
// ones again; the redeals left are not counted down here.
void redeal(const GameRules& rules, Table& table, int pile, ChangeRecord* record = nullptr);
// The cards a press on the stock deals onto the waste pile: three when
// dealing three, else the waste's size limit, else one.
int cardsPerPress(const GameRules& rules, int stock, int waste);
// The cards a redeal would gather.
int redealCardCount(const GameRules& rules, const Table& table);

}  // namespace korvat::core
