#include "play/redo.h"

#include <array>

#include "core/legality.h"
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
    bool known;        // its move could be told from its undo entries
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

int recordedEntries(const core::ChangeRecord& record) {
    int n = 0;
    for (const core::Change& c : record) n += c.recorded() ? 1 : 0;
    return n;
}

// Whether the move, made from the table, leaves `after` and writes that
// many undo entries. The redeals left are not compared: Undo does not give
// a redeal back.
bool leaves(const core::GameRules& rules, const core::Table& from, const core::Move& move, const core::Table& after,
            int entries) {
    core::Table t = from;
    core::ChangeRecord record;
    core::apply(rules, t, move, &record);
    t.redealsLeft = after.redealsLeft;
    return t == after && recordedEntries(record) == entries;
}

// Whether the rules allow the move at the table now.
bool mayMake(const core::GameRules& rules, const core::Table& t, const core::Move& m) {
    if (m.from >= rules.pileCount) return false;
    switch (m.kind) {
        case core::Move::Deal: return core::canDeal(rules, t, m.from);
        case core::Move::Redeal: return core::canRedeal(rules, t, m.from);
        case core::Move::Turn: return m.card < t.count(m.from) && core::stateOf(t.card(m.from, m.card)) == kFaceDown;
        case core::Move::Place:
            if (m.flags & core::Move::Autoplay) {
                // As autoplay asks: the card in place, one card to a foundation.
                return m.card < t.count(m.from) && m.to < rules.pileCount &&
                       (rules.foundations & core::bit(m.to)) &&
                       core::stateOf(t.card(m.from, m.card)) == kFaceUp &&
                       core::canPlace(rules, t, m.from, m.to, core::valueOf(t.card(m.from, m.card)),
                                      rules.piles[m.from].has(PileFlags::anySingleCard) ? 1
                                                                                        : t.count(m.from) - m.card);
            }
            [[fallthrough]];
        case core::Move::Discard: {
            // A move the mouse could make from here that ends alike.
            core::Table after = t;
            core::apply(rules, after, m);
            core::MoveList moves;
            core::legalMoves(rules, t, moves, false);
            for (const core::Move& legal : moves) {
                if (legal.kind != m.kind) continue;
                core::Table other = t;
                core::apply(rules, other, legal);
                if (other == after) return true;
            }
            return false;
        }
    }
    return false;
}

// The move that took the table `now` to `after` writing `entries` undo
// entries, the first of them `first`. Every move of the piles the entries
// can come from is tried; where two end alike (a king discarded alone, or
// carried home), the one the rules allow now is taken, and one they no
// longer allow (a redeal) only when there is no other.
bool tellMove(const core::GameRules& rules, const core::Table& now, const core::Table& after, int entries,
              const UndoEntry& first, core::Move& out) {
    bool disallowed = false;
    auto found = [&](const core::Move& m) {
        if (!leaves(rules, now, m, after, entries)) return false;
        if (mayMake(rules, now, m)) {
            out = m;
            return true;
        }
        if (!disallowed) out = m;
        disallowed = true;
        return false;
    };
    const int piles = rules.pileCount;
    if (first.targetIndex >= 0 && first.targetIndex < piles && first.sourceIndex >= 0 && first.sourceIndex < piles) {
        const int from = first.sourceIndex, to = first.targetIndex;
        for (int k = now.count(from) - 1; k >= 0; --k)
            if (found(core::Move::place(from, k, to)) || found(core::Move::place(from, k, to, core::Move::Autoplay)))
                return true;
    }
    for (int p = 0; p < piles; ++p) {
        const core::PileRules& pile = rules.piles[p];
        if (pile.has(PileFlags::stock) && !now.empty(p) && found(core::Move::deal(p))) return true;
        if (pile.has(PileFlags::redealable) && now.empty(p) && found(core::Move::redeal(p))) return true;
        for (int k = 0; k < now.count(p); ++k)
            if (core::stateOf(now.card(p, k)) == kFaceDown && found(core::Move::turn(p, k))) return true;
    }
    if (rules.groupables) {
        core::MoveList moves;
        core::legalMoves(rules, now, moves, false);
        for (const core::Move& m : moves)
            if (m.kind == core::Move::Discard && found(m)) return true;
    }
    return disallowed;
}

void cannotRedo() {
    platform().messageBox("No more moves to redo, or the next one can no longer be made.", "CANNOT REDO",
                          Mb::Ok | Mb::IconExclamation);
}

}  // namespace

int redoCount() { return redoSize; }

void forgetRedo() { redoSize = 0; }

// The last action kept can be made again from here, rules aside.
static bool fitsTable() {
    if (redoSize == 0 || redoGame != currentGame || redoNumber != gameNumber) return false;
    const Redoable& last = redoable[static_cast<size_t>(redoSize - 1)];
    return last.known && table.undoCount == last.undoneTo && core::hash(currentTable()) == last.table;
}

void checkRedo() {
    if (!fitsTable()) redoSize = 0;
}

void noteRecorded() {
    if (!redoing) redoSize = 0;
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
    const core::GameRules rules = currentRules();
    const core::Table now = currentTable();
    Redoable r{};
    r.known = tellMove(rules, now, fromTable, countBefore - undoneTo, undoBuffer[static_cast<size_t>(undoneTo)], r.move);
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
    const core::GameRules rules = currentRules();
    if (!mayMake(rules, currentTable(), r.move)) {
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
