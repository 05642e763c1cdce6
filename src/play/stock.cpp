#include "play/stock.h"

#include "model/catalogue.h"
#include "model/deal.h"
#include "model/drawing.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "play/moves.h"

namespace korvat {

void moveCard(Pile& source, Card& card, Pile& target, int chained) {
    liftCards(source, card);
    recordMove(target, source, chained);
    glideTo(target);
    landCards(target);
}

void dealFromStock(Pile& stock) {
    int chained = 0;
    for (Pile* w = currentGame->layout; w; w = w->next) {
        if (!(w->flags & PileFlags::waste)) continue;
        int cards = (prefs.Three && (stock.flags & PileFlags::dealThree)) ? 3 : (w->sizeLimit ? w->sizeLimit : 1);
        for (; cards > 0; --cards) {
            if (stock.count == 0 || !stock.top) continue;
            if (stock.top->faceDown == kFaceDown) {
                turnCard(stock, *stock.top, kFaceUp, chained);
                chained = 1;
            }
            moveCard(stock, *stock.top, *w, chained);
            chained = 1;
        }
    }
    discardFourSuits();
}

void discardFourSuits() {
    unsigned suits = 0;
    Pile* lastFoundation = nullptr;
    for (Pile* p = currentGame->layout; p; p = p->next) {
        if ((p->flags & PileFlags::fourSuitsDiscard) && p->count > 0 && p->top)
            suits |= 1u << suitOf(p->top->value);
        if (p->flags & PileFlags::foundation) lastFoundation = p;
    }
    if (suits != 0xF || !lastFoundation) return;
    for (Pile* p = currentGame->layout; p; p = p->next) {
        if ((p->flags & PileFlags::fourSuitsDiscard) && p->count > 0 && p->top &&
            rankOf(p->top->value) != kHighestRank)
            moveCard(*p, *p->top, *lastFoundation, 1);
    }
}

void fillSpaces() {
    for (Pile* f = currentGame->layout; f; f = f->next) {
        if (!(f->flags & PileFlags::fillsSpaces)) continue;
        for (Pile* t = currentGame->layout; t && f->count > 0; t = t->next) {
            if (!(t->flags & PileFlags::autoFillFromStock) || t->count != 0 || t == f) continue;
            if (f->top->faceDown == kFaceDown) turnCard(*f, *f->top, kFaceUp, 1);
            moveCard(*f, *f->top, *t, 1);
        }
    }
}

int redealCardCount() {
    int n = 0;
    for (const Pile* p = currentGame->layout; p; p = p->next)
        if (p->flags & (PileFlags::redealFaceDown | PileFlags::redealRefill)) n += p->count;
    return n;
}

// Moves a pile's top card onto another pile at once, without a glide.
static void shiftTopCard(Pile& source, Pile& target, int chained) {
    splitRun(source, carriedPile, *source.top);
    layoutPile(source);
    layoutPile(carriedPile);
    recordMove(target, source, chained);
    joinPiles(carriedPile, target);
    layoutPile(carriedPile);
    layoutPile(target);
}

void redeal(Pile& x) {
    int n = redealCardCount();
    // The deal generator does not move during play, so a deal gathers its
    // cards in the same pattern at every redeal and after every restart.
    effectRandom.state = dealRandom.state;
    int chained = 0;
    const uint32_t gathered = PileFlags::redealFaceDown | PileFlags::redealRefill;
    while (n > 0) {
        bool any = false;
        for (Pile* p = currentGame->layout; p; p = p->next) {
            if (p->count == 0 || !p->top || !(p->flags & gathered) || p == &x) continue;
            any = true;
            if (effectRandom(3) == 0) continue;
            --n;
            if ((p->flags & PileFlags::redealFaceDown) && p->top->faceDown == kFaceUp) {
                p->top->faceDown = kFaceDown;
                recordTurn(*p, chained);
                chained = 1;
            }
            shiftTopCard(*p, x, chained);
            chained = 1;
        }
        if (!any) break;  // only the pressed pile itself held gathered cards
    }
    for (Pile* q = currentGame->layout; q; q = q->next) {
        if (!(q->flags & PileFlags::redealRefill) || q == &x) continue;
        while (x.count > 0 && q->count < q->dealCount) shiftTopCard(x, *q, 1);
    }
    repaintTable();
    if (prefs.Sound) platform().playSound(kShuffleSound);
}

}  // namespace korvat
