#include "play/current.h"

#include <cstdio>
#include <cstdlib>

#include "model/catalogue.h"
#include "model/deck.h"
#include "model/drawing.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/card_moves.h"
#include "play/redo.h"

namespace korvat {

core::GameRules currentRules() {
    return core::makeRules(*currentGame, core::ruleOptions(prefs), gameNumber, dealRandom.state);
}

core::Table currentTable() {
    core::Table t;
    std::memset(&t, 0, sizeof t);
    t.pileCount = static_cast<uint8_t>(currentGame->pileCount);
    t.redealsLeft = static_cast<int8_t>(table.redealsLeft);
    int at = 0, index = 0;
    for (const Pile* p = currentGame->layout; p && index < core::kMaxPiles; p = p->next, ++index) {
        for (const Card* c = p->bottom; c && at < core::kMaxCards; c = c->above)
            t.cards[at++] = core::cardByte(c->value & 63, c->faceDown & 3);
        t.ends[index] = static_cast<uint8_t>(at);
    }
    return t;
}

void setCurrentTable(const core::Table& t) {
    size_t slot = 0;
    int index = 0;
    for (Pile* p = currentGame->layout; p; p = p->next, ++index) {
        p->bottom = p->top = nullptr;
        for (int k = 0; k < t.count(index); ++k, ++slot) {
            Card& card = deck[slot];
            const uint8_t c = t.card(index, k);
            card.value = core::valueOf(c);
            card.faceDown = core::stateOf(c);
            card.placed = 0;
            card.below = card.above = nullptr;
            insertCardAbove(*p, p->top, card);
        }
        layoutPile(*p);
    }
    table.redealsLeft = t.redealsLeft;
}

void checkCurrentTable([[maybe_unused]] const core::Table& expected) {
#ifndef NDEBUG
    // The redeals left are the press's business, not the changes'.
    core::Table now = currentTable();
    now.redealsLeft = expected.redealsLeft;
    if (now != expected) {
        std::fprintf(stderr, "korvat: the table differs from the one the rules made\n");
        std::abort();
    }
#endif
}

namespace {

Pile& pileOf(int index) { return *pileAt(index); }

// The top card, or the card at its position in the pile, turned and recorded.
void showTurn(Pile& pile, Card& card, int state, const core::Change& c) {
    card.faceDown = state;
    if (!(c.flags & core::Change::Quiet)) repaintTable();
    if (c.recorded()) recordTurnOf(pile, card, c.chained() ? 1 : 0);
}

}  // namespace

void carryOut(const core::ChangeRecord& record, bool firstCarried) {
    bool first = true;
    for (const core::Change& c : record) {
        Pile& from = pileOf(c.from);
        switch (c.kind) {
            case core::Change::Carry: {
                Pile& to = pileOf(c.to);
                if (!(first && firstCarried)) {
                    Card* card = cardAt(from, c.card);
                    if (!card) return;  // cannot happen: the record was made from this table
                    liftCards(from, *card);
                }
                if (c.recorded()) recordMove(to, from, c.chained() ? 1 : 0);
                glideTo(to);
                landCards(to);
                break;
            }
            case core::Change::Shift: shiftTopCard(from, pileOf(c.to), c.chained() ? 1 : 0); break;
            case core::Change::Turn:
                if (Card* card = cardAt(from, c.card)) showTurn(from, *card, c.state, c);
                break;
            case core::Change::Select:
                if (from.top) {
                    from.top->faceDown = c.state;
                    if (!(c.flags & core::Change::Quiet)) repaintTable();
                }
                break;
        }
        first = false;
    }
    if (record.redealt) {
        effectRandom.state = record.generatorState;
        repaintTable();
        if (prefs.Sound) platform().playSound(kShuffleSound);
    }
}

void playMove(const core::Move& move) {
    const core::GameRules rules = currentRules();
    const core::Table before = currentTable();
    const int firstEntry = table.undoCount;
    core::Table t = before;
    core::ChangeRecord record;
    core::apply(rules, t, move, &record);
    carryOut(record);
    if (t.redealsLeft != table.redealsLeft) {
        table.redealsLeft = t.redealsLeft;
        repaintTable();
    }
    checkCurrentTable(t);
    noteMade(rules, before, move, firstEntry);
}

void playCarriedMove(const core::GameRules& rules, const core::Table& before, const core::Move& move) {
    const int firstEntry = table.undoCount;
    core::Table t = before;
    core::ChangeRecord record;
    core::apply(rules, t, move, &record);
    carryOut(record, true);
    checkCurrentTable(t);
    noteMade(rules, before, move, firstEntry);
}

}  // namespace korvat
