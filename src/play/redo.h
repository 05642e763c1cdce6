// Redo: the actions Undo took back since the last new move can be made
// again, newest first, each as the move of the core it was, with its glides.
// A new move, a new deal, an opened game and the undo buffer's reset forget
// them. Nothing of this is saved: saved games and undo entries are as before.
#pragma once

#include "core/moves.h"
#include "core/rules.h"
#include "core/table.h"

namespace korvat {

// Makes the action Undo took back last again, if the table is still as
// Undo left it and the move may still be made; otherwise says so.
void redo();
// The actions that Redo could make again, newest last.
int redoCount();
// Forgets every action Undo took back.
void forgetRedo();
// Forgets them when the table, the deal or the undo entries are no longer
// as Undo left them.
void checkRedo();

// Called by undo: it took back the entries from table.undoCount up to
// `countBefore`, which left the table `before` as it is now. Keeps the
// action for Redo when the move it was made from can make it again.
void keepForRedo(const core::Table& before, int countBefore);
// Called for every undo entry written, at its index: one that Redo does
// not write is a new move, and one that begins an action forgets the move
// that action was made from until noteMade says it.
void noteRecorded(int entry, bool chained);
// Called once a move of the core has been made from the table `before`, its
// undo entries written from `firstEntry` on: Redo keeps the move.
void noteMade(const core::GameRules& rules, const core::Table& before, const core::Move& move, int firstEntry);

}  // namespace korvat
