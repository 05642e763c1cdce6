// Taking the undo entries back on a copy of the table, as Undo takes them
// back on the piles.
#include "play/deal_history.h"

#include "model/catalogue.h"
#include "model/records.h"
#include "play/card_moves.h"
#include "play/current.h"
#include "play/pointer.h"

namespace korvat {

namespace {

// Takes back one undo entry; false when it does not match the table.
bool takeBack(const core::GameRules& rules, core::Table& t, const UndoEntry& e) {
    const int piles = t.pileCount;
    if (e.sourceIndex < 0 || e.sourceIndex >= piles) return false;
    const int source = e.sourceIndex;
    if (e.targetIndex == -1) {
        // A turned card: flipped back.
        const int at = e.targetCount < 0 ? t.count(source) - 1 : e.targetCount;
        if (at < 0 || at >= t.count(source)) return false;
        uint8_t& card = t.cardRef(source, at);
        const int state = core::stateOf(card) == kFaceDown ? kFaceUp : kFaceDown;
        card = core::cardByte(core::valueOf(card), state);
        return true;
    }
    if (e.targetIndex < 0 || e.targetIndex >= piles) return false;
    const int target = e.targetIndex, at = e.targetCount;
    if (at < 0 || at >= t.count(target)) return false;
    // The card at the recorded count and every card above it go back, and
    // land there as cards do (sorted where the pile sorts).
    t.moveCards(target, at, t.count(target) - at, source);
    t.sortPile(rules.piles[source], source);
    return true;
}

}  // namespace

DealHistory dealHistory() {
    DealHistory h;
    if (!currentGame || carrying()) return h;
    const core::GameRules rules = currentRules();
    core::Table t = currentTable();
    std::vector<core::Table> back{t};  // newest first
    int entries = table.undoCount < 0 || table.undoCount > kUndoEntries ? 0 : table.undoCount;
    // A table is kept each time an action has been taken back whole.
    while (entries > 0) {
        const UndoEntry& e = undoBuffer[static_cast<size_t>(entries - 1)];
        if (!takeBack(rules, t, e)) break;
        --entries;
        if (!e.chained) back.push_back(t);
    }
    // The actions before the first table kept, as movesMade counts them.
    for (int i = 0; i < entries; ++i)
        if (!undoBuffer[static_cast<size_t>(i)].chained) ++h.first;
    h.tables.assign(back.rbegin(), back.rend());
    return h;
}

}  // namespace korvat
