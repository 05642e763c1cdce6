#include "play/pointer.h"

#include "model/catalogue.h"
#include "model/drawing.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "play/autoplay.h"
#include "play/legality.h"
#include "play/moves.h"
#include "play/stock.h"

namespace korvat {

Pile* sourcePile = nullptr;
Pile* dropTarget = nullptr;
void (*explainRulesHook)(Pile* pile) = nullptr;

void resetPointerPlay() {
    carriedPile.bottom = carriedPile.top = nullptr;
    layoutPile(carriedPile);
    sourcePile = nullptr;
    dropTarget = nullptr;
}

Pile* hitTest(int x, int y) {
    Pile* hit = nullptr;
    for (Pile* p = currentGame->layout; p; p = p->next) {
        if (p->x <= x && x < p->x + p->width && p->y <= y && y < p->y + p->height) {
            hit = p;
            break;
        }
    }
    if (!hit) return nullptr;
    hit->pickCard = nullptr;
    for (Card* c = hit->top; c; c = c->below) {
        if (c->x <= x && x < c->x + table.cardWidth && c->y <= y && y < c->y + table.cardHeight) {
            Card* g = findPickCard(*hit, *c);
            hit->pickCard = g;
            if (g) {
                table.pickBelowGroup = liesBelow(*hit, g, c) ? 1 : 0;
                break;
            }
        }
    }
    return hit;
}

// Plays complete runs until none is left: first same-suit runs, then any.
static void playCompleteRuns() {
    while (playSuiteRun()) {
    }
    while (playStraightRun()) {
    }
}

void pressAt(int x, int y) {
    if (carrying()) return;
    sourcePile = hitTest(x, y);
    if (!sourcePile) return;
    Pile& source = *sourcePile;
    if (source.count > 0 && source.top) {
        if (source.flags & PileFlags::stock) {
            if ((source.flags & PileFlags::waitReservesToDeal) && !reservesEmpty()) return;
            if (selectionPending()) return;
            dealFromStock(source);
            playCompleteRuns();
            return;
        }
        if (source.flags & PileFlags::groupable) {
            toggleSelect(source);
            fillSpaces();
            return;
        }
        Card* g = source.pickCard;
        if (g && g->faceDown == kFaceUp) {
            carriedPile.fan = Fan::Down;
            if (table.pickBelowGroup == 1) {
                // The cards jump so that the pointer holds them 8 pixels
                // inside the edge of their lowest card.
                if (source.fan == Fan::Down) {
                    table.grabX = x - g->x;
                    table.grabY = 8;
                } else {
                    table.grabX = 8;
                    table.grabY = y - g->y;
                }
                liftCards(source, *g);
                carriedPile.x = x - table.grabX;
                carriedPile.y = y - table.grabY;
                trackDrop();
                redrawMovedPile(carriedPile);
            } else {
                table.grabX = x - g->x;
                table.grabY = y - g->y;
                liftCards(source, *g);
            }
            platform().captureMouse(true);
            platform().setCursor(CursorShape::Carrying);
            return;
        }
        if (g && g == source.top) {
            g->faceDown = kFaceUp;
            recordTurn(source, 0);
            repaintTable();
        }
        return;
    }
    if ((source.flags & PileFlags::redealable) && table.redealsLeft != 0) {
        redeal(source);
        if (table.redealsLeft > 0 && !prefs.Unlimit) {
            --table.redealsLeft;
            repaintTable();
        }
    }
}

void dragTo(int x, int y) {
    if (!carrying()) return;
    carriedPile.x = x - table.grabX;
    carriedPile.y = y - table.grabY;
    trackDrop();
    redrawMovedPile(carriedPile);
}

void trackDrop() {
    if (!carrying() || !carriedPile.bottom) return;
    Pile* p = hitTest(carriedPile.x + table.cardWidth / 2, carriedPile.y + table.cardHeight / 2);
    if (p && sourcePile && canPlace(*sourcePile, *p, *carriedPile.bottom, carriedPile.count)) {
        if (p == dropTarget) return;
        if (dropTarget) {
            Pile* old = dropTarget;
            dropTarget = nullptr;
            drawTopCard(*old);
        }
        dropTarget = p;
        drawTopCard(*p);
    } else if (dropTarget) {
        Pile* old = dropTarget;
        dropTarget = nullptr;
        drawTopCard(*old);
    }
}

void release() {
    if (!carrying()) return;
    platform().setCursor(CursorShape::Arrow);
    platform().captureMouse(false);
    if (dropTarget) {
        Pile& target = *dropTarget;
        dropTarget = nullptr;
        if (&target != sourcePile) recordMove(target, *sourcePile, 0);
        glideTo(target);
        landCards(target);
        fillSpaces();
        playCompleteRuns();
    } else {
        glideTo(*sourcePile);
        landCards(*sourcePile);
    }
}

void rightPressAt(int x, int y) {
    if (carrying()) return;
    if (prefs.Right == 1) {
        autoplayPile(hitTest(x, y));
    } else if (prefs.Right == 0) {
        Pile* p = hitTest(x, y);
        if (explainRulesHook) explainRulesHook(p);
    }
}

}  // namespace korvat
