// The program's one current game as the core sees it, and the core's
// changes carried out on it with glides, sounds, undo entries and the log.
#pragma once

#include <type_traits>

#include "core/moves.h"
#include "core/rules.h"
#include "core/table.h"

namespace korvat {

struct Pile;

// The rules of the current game as its layout (with any change the pile
// editor made), the preferences and the deal generator stand now.
core::GameRules currentRules();
// The cards of the current game's piles as they lie now; cards being
// carried are on no pile.
core::Table currentTable();
// Lays the table's cards out on the current game's piles, in the deck's
// slots pile by pile.
void setCurrentTable(const core::Table& table);

// Carries out the changes in order: each carried card is lifted, recorded,
// glides and lands; turns and selections are shown and recorded as they
// were made. With `firstCarried`, the cards of the first change are already
// in the pointer's hold.
void carryOut(const core::ChangeRecord& record, bool firstCarried = false);

// Makes a move of the core on the current game, with everything it sets off.
void playMove(const core::Move& move);
// The same for a move whose cards are already carried: the table is the one
// from before they were lifted.
void playCarriedMove(const core::GameRules& rules, const core::Table& before, const core::Move& move);

// In builds with checks on, stops the program when the current game's
// piles differ from the table the core made (a fault in carrying out).
void checkCurrentTable(const core::Table& expected);

// Runs an action of the core, action(rules, table, record), on the current
// game and carries out its changes; returns what the action returns.
template <typename Action>
auto playAction(Action action) {
    const core::GameRules rules = currentRules();
    core::Table table = currentTable();
    core::ChangeRecord record;
    if constexpr (std::is_void_v<decltype(action(rules, table, &record))>) {
        action(rules, table, &record);
        carryOut(record);
        checkCurrentTable(table);
    } else {
        auto result = action(rules, table, &record);
        carryOut(record);
        checkCurrentTable(table);
        return result;
    }
}

}  // namespace korvat
