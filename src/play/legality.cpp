#include "play/legality.h"

#include "core/legality.h"
#include "model/catalogue.h"
#include "play/current.h"

namespace korvat {

namespace {

int positionOf(const Pile& pile, const Card& card) {
    int k = 0;
    for (const Card* c = pile.bottom; c && c != &card; c = c->above) ++k;
    return k;
}

}  // namespace

Card* findPickCard(Pile& pile, Card& pressed) {
    const int g = core::findPickCard(currentRules(), currentTable(), pileIndex(pile), positionOf(pile, pressed));
    return g < 0 ? nullptr : cardAt(pile, g);
}

bool canPlace(const Pile& source, const Pile& target, const Card& card, int n) {
    return core::canPlace(currentRules(), currentTable(), pileIndex(source), pileIndex(target), card.value, n);
}

bool reservesEmpty() { return core::reservesEmpty(currentRules(), currentTable()); }

bool higherCardOnWasteTop(const Pile& source, const Card& card) {
    return core::higherCardOnWasteTop(currentRules(), currentTable(), pileIndex(source), card.value);
}

bool rankInPileAbove(const Pile& target, const Card& card) {
    return core::rankInPileAbove(currentRules(), currentTable(), pileIndex(target), card.value);
}

bool liesBelow(const Pile& pile, const Card* groupBottom, const Card* pressed) {
    for (const Card* c = pile.bottom; c; c = c->above) {
        if (c == groupBottom) return false;
        if (c == pressed) return true;
    }
    return false;
}

}  // namespace korvat
