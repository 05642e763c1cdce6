#include "model/records.h"

#include <utility>

#include "model/catalogue.h"

namespace korvat {

TableState table = [] {
    TableState t{};
    t.logIndex = -1;
    t.deckSize = 52;
    t.cardWidth = 64;
    t.cardHeight = 80;
    t.fanStep = 16;
    t.maxColumn = 16;
    t.maxRow = 8;
    t.answer = 6;
    t.redealsLeft = -1;
    return t;
}();
Pile carriedPile = [] {
    Pile p;
    p.fan = Fan::Down;  // carried cards are drawn fanned downward
    return p;
}();
int32_t editPile = 0;

void insertCardAbove(Pile& pile, Card* anchor, Card& card) {
    if (anchor) {
        card.below = anchor;
        card.above = anchor->above;
        if (anchor->above)
            anchor->above->below = &card;
        else
            pile.top = &card;
        anchor->above = &card;
    } else {
        card.below = nullptr;
        card.above = pile.bottom;
        if (pile.bottom)
            pile.bottom->below = &card;
        else
            pile.top = &card;
        pile.bottom = &card;
    }
}

void unlinkCard(Pile& pile, Card& card) {
    if (card.below)
        card.below->above = card.above;
    else
        pile.bottom = card.above;
    if (card.above)
        card.above->below = card.below;
    else
        pile.top = card.below;
    card.below = card.above = nullptr;
}

void splitRun(Pile& pile, Pile& carrier, Card& card) {
    carrier.bottom = &card;
    carrier.top = pile.top;
    pile.top = card.below;
    if (card.below)
        card.below->above = nullptr;
    else
        pile.bottom = nullptr;
    card.below = nullptr;
}

void joinPiles(Pile& source, Pile& target) {
    if (!source.bottom) return;
    if (target.top) {
        target.top->above = source.bottom;
        source.bottom->below = target.top;
    } else {
        target.bottom = source.bottom;
    }
    target.top = source.top;
    source.bottom = source.top = nullptr;
}

void layoutPile(Pile& pile) {
    pile.width = table.cardWidth;
    pile.height = table.cardHeight;
    pile.count = 0;
    int dx = 0, dy = 0;
    for (Card* c = pile.bottom; c; c = c->above) {
        ++pile.count;
        c->x = pile.x + dx;
        c->y = pile.y + dy;
        pile.width = dx + table.cardWidth;
        pile.height = dy + table.cardHeight;
        if (pile.fan == Fan::Right) dx += table.fanStep;
        if (pile.fan == Fan::Down) dy += table.fanStep;
    }
}

void layoutAllPiles() {
    if (!currentGame) return;
    for (Pile* p = currentGame->layout; p; p = p->next) layoutPile(*p);
}

Pile* pileAt(int index) {
    if (!currentGame) return nullptr;
    Pile* p = currentGame->layout;
    for (int i = 0; i < index && p; ++i) p = p->next;
    return p;
}

int pileIndex(const Pile& pile) {
    if (!currentGame) return -1;
    int i = 0;
    for (const Pile* p = currentGame->layout; p; p = p->next, ++i)
        if (p == &pile) return i;
    return -1;
}

Card* cardAt(const Pile& pile, int position) {
    if (position < 0) return nullptr;
    Card* c = pile.bottom;
    for (int i = 0; i < position && c; ++i) c = c->above;
    return c;
}

}  // namespace korvat
