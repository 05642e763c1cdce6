#include "play/stock.h"

#include "core/actions.h"
#include "model/catalogue.h"
#include "play/current.h"
#include "play/card_moves.h"

namespace korvat {

void moveCard(Pile& source, Card& card, Pile& target, int chained) {
    liftCards(source, card);
    recordMove(target, source, chained);
    glideTo(target);
    landCards(target);
}

void dealFromStock(Pile& stock) {
    const int index = pileIndex(stock);
    playAction([index](const core::GameRules& r, core::Table& t, core::ChangeRecord* c) {
        core::dealFromStock(r, t, index, c);
    });
}

void discardFourSuits() {
    playAction([](const core::GameRules& r, core::Table& t, core::ChangeRecord* c) { core::discardFourSuits(r, t, c); });
}

void fillSpaces() {
    playAction([](const core::GameRules& r, core::Table& t, core::ChangeRecord* c) { core::fillSpaces(r, t, c); });
}

int redealCardCount() { return core::redealCardCount(currentRules(), currentTable()); }

void redeal(Pile& pile) {
    const int index = pileIndex(pile);
    playAction([index](const core::GameRules& r, core::Table& t, core::ChangeRecord* c) { core::redeal(r, t, index, c); });
}

}  // namespace korvat
