#include "play/redo.h"

#include <array>

#include "core/moves.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/platform.h"
#include "model/records.h"
#include "play/current.h"
#include "play/card_moves.h"
#include "play/pointer.h"

namespace korvat {

namespace {

// An action Undo took back.
struct Redoable {
    core::Move move;
    bool known;        // the move it was made from makes it again
    int32_t undoneTo;  // undoCount once Undo had taken it back
    int32_t doneTo;    // undoCount with it made
    uint64_t table;    // hash of the table Undo left
};

// Newest last; never more than the undo buffer holds.
std::array<Redoable, kUndoEntries> redoable;
int redoSize = 0;
// The deal they belong to.
const GameEntry* redoGame = nullptr;
uint32_t redoNumber = 0;
// Redo is making a move: its undo entries are not a new move.
bool redoing = false;

// The move each action was made from, by the index of its first undo
// entry, as playMove and playCarriedMove made it.
struct Made {
    core::Move move;
    uint64_t from;             // cardsHash of the table it was made from
    core::PileMask selected;   // the top cards selected on that table
    int32_t doneTo;            // undoCount with it made
    bool known;
    uint32_t generation;       // forgetRedo makes every older one unknown
};
std::array<Made, kUndoEntries> made;
uint32_t generation = 0;

// A table's hash without its redeals left: Undo does not give a redeal back.
uint64_t cardsHash(core::Table t) {
    t.redealsLeft = 0;
    return core::hash(t);
}

// The move that makes again, from the table `now` Undo left, the action
// made from `m`, which left `after` writing `entries` undo entries. A move
// comes back from the very table it was made from; a discard comes back as
// the presses that select its group again (Undo does not give a selection
// back), as the core lists them.
bool madeAgain(const core::GameRules& rules, const core::Table& now, const Made& m, const core::Table& after,
               int entries, core::Move& out) {
    if (!m.known || m.generation != generation) return false;
    const bool press = m.move.kind == core::Move::Discard ||
                       (m.move.kind == core::Move::Turn && (rules.groupables & core::bit(m.move.from)));
    const core::PileMask pressed = m.move.kind == core::Move::Discard ? m.move.piles : core::bit(m.move.from);
    if (press && core::discardMove(rules, now, m.selected ^ pressed, out)) return core::leaves(rules, now, out, after, entries);
    out = m.move;
    return cardsHash(now) == m.from && core::leaves(rules, now, out, after, entries);
}

void cannotRedo() {
    platform().messageBox("No more moves to redo, or the next one can no longer be made.", "CANNOT REDO",
                          Mb::Ok | Mb::IconExclamation);
}

}  // namespace

int redoCount() { return redoSize; }

void forgetRedo() {
    redoSize = 0;
    ++generation;
}

// The last action kept can be made again from here, rules aside.
static bool fitsTable() {
    if (redoSize == 0 || redoGame != currentGame || redoNumber != gameNumber) return false;
    const Redoable& last = redoable[static_cast<size_t>(redoSize - 1)];
    return last.known && table.undoCount == last.undoneTo && core::hash(currentTable()) == last.table;
}

void checkRedo() {
    if (!fitsTable()) redoSize = 0;
}

void noteRecorded(int entry, bool chained) {
    if (!redoing) redoSize = 0;
    if (!chained) made[static_cast<size_t>(entry)].known = false;
}

void noteMade(const core::GameRules& rules, const core::Table& before, const core::Move& move, int firstEntry) {
    if (firstEntry < 0 || firstEntry >= table.undoCount || undoBuffer[static_cast<size_t>(firstEntry)].chained) return;
    core::PileMask selected = 0;
    for (int p = 0; p < rules.pileCount; ++p)
        if (!before.empty(p) && core::stateOf(before.top(p)) == kSelected) selected |= core::bit(p);
    made[static_cast<size_t>(firstEntry)] = {move, cardsHash(before), selected, table.undoCount, true, generation};
}

void keepForRedo(const core::Table& fromTable, int countBefore) {
    const int undoneTo = table.undoCount;
    // The actions kept before follow on from this one only if nothing came
    // between their undoing and this.
    if (redoSize > 0) {
        const Redoable& last = redoable[static_cast<size_t>(redoSize - 1)];
        if (redoGame != currentGame || redoNumber != gameNumber || last.undoneTo != countBefore ||
            last.table != core::hash(fromTable))
            redoSize = 0;
    }
    if (undoneTo < 0 || countBefore <= undoneTo || countBefore > kUndoEntries || redoSize >= kUndoEntries) {
        redoSize = 0;
        return;
    }
    const Made& m = made[static_cast<size_t>(undoneTo)];
    const core::Table now = currentTable();
    Redoable r{};
    const core::GameRules rules = currentRules();
    const int entries = countBefore - undoneTo;
    // The move it was made from; for an action whose move is not known (a
    // saved game's), the one the core finds that makes it.
    r.known = (m.doneTo == countBefore && madeAgain(rules, now, m, fromTable, entries, r.move)) ||
              core::moveBetween(rules, now, fromTable, entries, r.move);
    r.undoneTo = undoneTo;
    r.doneTo = countBefore;
    r.table = core::hash(now);
    redoGame = currentGame;
    redoNumber = gameNumber;
    redoable[static_cast<size_t>(redoSize++)] = r;
}

void redo() {
    if (carrying()) return;
    if (!fitsTable() || selectionPending()) {
        cannotRedo();
        return;
    }
    const Redoable r = redoable[static_cast<size_t>(redoSize - 1)];
    // The table is the one the move was made from, but for the redeals
    // left, which Undo does not give back.
    if (r.move.kind == core::Move::Redeal && !core::canRedeal(currentRules(), currentTable(), r.move.from)) {
        cannotRedo();
        return;
    }
    --redoSize;
    redoing = true;
    playMove(r.move);
    redoing = false;
    // The entries it wrote are the ones Undo took back; if not (the buffer
    // ran full meanwhile), what is left to redo no longer fits.
    if (table.undoCount != r.doneTo) redoSize = 0;
}

}  // namespace korvat
