#include "play/pointer.h"

#include "core/legality.h"
#include "core/moves.h"
#include "model/catalogue.h"
#include "model/drawing.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "play/autoplay.h"
#include "play/current.h"
#include "play/moves.h"

namespace korvat {

Pile* sourcePile = nullptr;
Pile* dropTarget = nullptr;
void (*explainRulesHook)(Pile* pile) = nullptr;

namespace {

// What the core knows while cards are carried: the rules, the table before
// the lift (the move is made from it at the drop), the table without the
// carried cards (what the drop targets are judged on), and where the
// lifted cards lay.
struct Carry {
    core::GameRules rules;
    core::Table before;
    core::Table lifted;
    int pile = -1;
    int card = -1;
} carry;

int positionOf(const Pile& pile, const Card* card) {
    int k = 0;
    for (const Card* c = pile.bottom; c && c != card; c = c->above) ++k;
    return k;
}

// The hit test proper, on the given rules and table.
Pile* hitTestOn(const core::GameRules& rules, const core::Table& t, int x, int y) {
    Pile* hit = nullptr;
    int index = 0;
    for (Pile* p = currentGame->layout; p; p = p->next, ++index) {
        if (p->x <= x && x < p->x + p->width && p->y <= y && y < p->y + p->height) {
            hit = p;
            break;
        }
    }
    if (!hit) return nullptr;
    hit->pickCard = nullptr;
    int k = hit->count - 1;
    for (Card* c = hit->top; c; c = c->below, --k) {
        if (c->x <= x && x < c->x + table.cardWidth && c->y <= y && y < c->y + table.cardHeight) {
            const int g = core::findPickCard(rules, t, index, k);
            Card* pick = g < 0 ? nullptr : cardAt(*hit, g);
            hit->pickCard = pick;
            if (pick) {
                table.pickBelowGroup = k < g ? 1 : 0;
                break;
            }
        }
    }
    return hit;
}

}  // namespace

void resetPointerPlay() {
    carriedPile.bottom = carriedPile.top = nullptr;
    layoutPile(carriedPile);
    sourcePile = nullptr;
    dropTarget = nullptr;
}

Pile* hitTest(int x, int y) {
    if (carrying()) return hitTestOn(carry.rules, carry.lifted, x, y);
    return hitTestOn(currentRules(), currentTable(), x, y);
}

void pressAt(int x, int y) {
    if (carrying()) return;
    const core::GameRules rules = currentRules();
    const core::Table before = currentTable();
    sourcePile = hitTestOn(rules, before, x, y);
    if (!sourcePile) return;
    Pile& source = *sourcePile;
    const int index = pileIndex(source);
    if (source.count > 0 && source.top) {
        if (source.flags & PileFlags::stock) {
            if (core::canDeal(rules, before, index)) playMove(core::Move::deal(index));
            return;
        }
        if (source.flags & PileFlags::groupable) {
            playAction([index](const core::GameRules& r, core::Table& t, core::ChangeRecord* c) {
                core::selectClick(r, t, index, c);
            });
            return;
        }
        Card* g = source.pickCard;
        if (g && g->faceDown == kFaceUp) {
            carry.rules = rules;
            carry.before = before;
            carry.pile = index;
            carry.card = positionOf(source, g);
            carriedPile.fan = Fan::Down;
            const bool snap = table.pickBelowGroup == 1;
            if (snap) {
                // The cards jump so that the pointer holds them 8 pixels
                // inside the edge of their lowest card.
                if (source.fan == Fan::Down) {
                    table.grabX = x - g->x;
                    table.grabY = 8;
                } else {
                    table.grabX = 8;
                    table.grabY = y - g->y;
                }
            } else {
                table.grabX = x - g->x;
                table.grabY = y - g->y;
            }
            liftCards(source, *g);
            carry.lifted = currentTable();
            if (snap) {
                carriedPile.x = x - table.grabX;
                carriedPile.y = y - table.grabY;
                trackDrop();
                redrawMovedPile(carriedPile);
            }
            platform().captureMouse(true);
            platform().setCursor(CursorShape::Carrying);
            return;
        }
        if (g && g == source.top) playMove(core::Move::turn(index, source.count - 1));
        return;
    }
    if (core::canRedeal(rules, before, index)) playMove(core::Move::redeal(index));
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
    if (p && sourcePile &&
        core::canPlace(carry.rules, carry.lifted, pileIndex(*sourcePile), pileIndex(*p), carriedPile.bottom->value,
                       carriedPile.count)) {
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
        playCarriedMove(carry.rules, carry.before, core::Move::place(carry.pile, carry.card, pileIndex(target)));
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
