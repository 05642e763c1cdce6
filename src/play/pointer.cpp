#include "play/pointer.h"

#include "core/legality.h"
#include "core/moves.h"
#include "model/catalogue.h"
#include "model/drawing.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "play/autoplay.h"
#include "play/current.h"
#include "play/card_moves.h"

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
    bool byKeys = false;  // lifted from the keyboard: the pointer leaves them alone
} carry;

int positionOf(const Pile& pile, const Card* card) {
    int k = 0;
    for (const Card* c = pile.bottom; c && c != card; c = c->above) ++k;
    return k;
}

// What a press at the point takes from the pile: the walk from its top card
// down over the cards under the point, to the first that yields a card to
// take. Returns that card's position (-1 for none) and, in `below`, whether
// the card under the point lies beneath it.
int pickOn(const core::GameRules& rules, const core::Table& t, const Pile& pile, int index, int x, int y,
           bool& below) {
    int k = pile.count - 1;
    for (const Card* c = pile.top; c; c = c->below, --k) {
        if (c->x <= x && x < c->x + table.cardWidth && c->y <= y && y < c->y + table.cardHeight) {
            const int g = core::findPickCard(rules, t, index, k);
            if (g >= 0 && cardAt(pile, g)) {
                below = k < g;
                return g;
            }
        }
    }
    return -1;
}

// Sets the pile's pickCard (and pickBelowGroup) for a press at the point.
void pickAt(const core::GameRules& rules, const core::Table& t, Pile& pile, int index, int x, int y) {
    bool below = false;
    const int g = pickOn(rules, t, pile, index, x, y, below);
    pile.pickCard = g < 0 ? nullptr : cardAt(pile, g);
    if (pile.pickCard) table.pickBelowGroup = below ? 1 : 0;
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
    pickAt(rules, t, *hit, index, x, y);
    return hit;
}

// The point a press on card k of a pile is made at: the card's top left
// corner, which no card above it covers in a fan; on an empty pile its origin.
void cornerOf(const Pile& pile, int k, int& x, int& y) {
    const Card* c = k >= 0 ? cardAt(pile, k) : nullptr;
    if (!c) c = pile.top;
    x = c ? c->x : pile.x;
    y = c ? c->y : pile.y;
}

// Marks the pile as the drop target (or none), redrawing the top cards
// whose marks change.
void markDropTarget(Pile* p) {
    if (p == dropTarget) return;
    if (dropTarget) {
        Pile* old = dropTarget;
        dropTarget = nullptr;
        drawTopCard(*old);
    }
    dropTarget = p;
    if (p) drawTopCard(*p);
}

// The press on the source pile (already hit, its pickCard set).
void pressOn(const core::GameRules& rules, const core::Table& before, Pile& source, int x, int y, bool byKeys) {
    const int index = pileIndex(source);
    Card* g = source.pickCard;
    core::Move move;
    switch (core::pressMove(rules, before, index, g ? positionOf(source, g) : -1, move)) {
        case core::Press::Nothing: return;
        case core::Press::Play: playMove(move); return;
        case core::Press::Lift: {
            carry.rules = rules;
            carry.before = before;
            carry.pile = index;
            carry.card = move.card;
            carry.byKeys = byKeys;
            carriedPile.fan = Fan::Down;
            if (byKeys) {
                // The keys put the cards where they are to go; the pointer's
                // hold on them is not touched.
                liftCards(source, *g);
                carry.lifted = currentTable();
                return;
            }
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
    }
}

// The carried cards land on the drop target, or glide back to their pile.
void letGo() {
    carry.byKeys = false;
    if (dropTarget) {
        Pile& target = *dropTarget;
        dropTarget = nullptr;
        playCarriedMove(carry.rules, carry.before, core::Move::place(carry.pile, carry.card, pileIndex(target)));
    } else {
        glideTo(*sourcePile);
        landCards(*sourcePile);
    }
}

}  // namespace

void resetPointerPlay() {
    carriedPile.bottom = carriedPile.top = nullptr;
    layoutPile(carriedPile);
    sourcePile = nullptr;
    dropTarget = nullptr;
    carry.byKeys = false;
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
    pressOn(rules, before, *sourcePile, x, y, false);
}

void pickCardsFor(const Pile& pile, int* groups) {
    const core::GameRules rules = currentRules();
    const core::Table t = currentTable();
    const int index = pileIndex(pile);
    for (int k = 0; k < pile.count && k < core::kMaxCards; ++k) {
        int x = 0, y = 0;
        cornerOf(pile, k, x, y);
        bool below = false;
        groups[k] = pickOn(rules, t, pile, index, x, y, below);
    }
}

void pressCard(Pile& pile, int card) {
    if (carrying()) return;
    const core::GameRules rules = currentRules();
    const core::Table before = currentTable();
    int x = 0, y = 0;
    cornerOf(pile, card, x, y);
    sourcePile = &pile;
    pickAt(rules, before, pile, pileIndex(pile), x, y);
    pressOn(rules, before, pile, x, y, true);
}

bool carryingByKeys() { return carrying() && carry.byKeys; }

void carryOver(Pile& pile) {
    if (!carryingByKeys() || !carriedPile.bottom || !sourcePile) return;
    // Held a little aside from where the next card of the pile would lie.
    constexpr int kAside = 8;
    int x = pile.x, y = pile.y;
    if (pile.fan == Fan::Right) x += pile.count * table.fanStep;
    if (pile.fan == Fan::Down) y += pile.count * table.fanStep;
    carriedPile.x = x + kAside;
    carriedPile.y = y + kAside;
    const bool takes = core::canPlace(carry.rules, carry.lifted, pileIndex(*sourcePile), pileIndex(pile),
                                      carriedPile.bottom->value, carriedPile.count);
    markDropTarget(takes ? &pile : nullptr);
    redrawMovedPile(carriedPile);
}

void dropCarried() {
    if (!carryingByKeys()) return;
    letGo();
}

void putBack() {
    if (!carrying()) return;
    if (!carry.byKeys) {
        platform().setCursor(CursorShape::Arrow);
        platform().captureMouse(false);
    }
    markDropTarget(nullptr);
    letGo();
}

void doubleClickAt(int x, int y) {
    if (carrying()) return;
    Pile* p = hitTest(x, y);
    core::Move home;
    // The cards the hit test found in the pile, sent home as autoplay plays.
    if (p && p->pickCard &&
        core::homeMove(currentRules(), currentTable(), pileIndex(*p), positionOf(*p, p->pickCard), home)) {
        sourcePile = p;
        playMove(home);
        return;
    }
    pressAt(x, y);
}

void dragTo(int x, int y) {
    if (!carrying() || carry.byKeys) return;
    carriedPile.x = x - table.grabX;
    carriedPile.y = y - table.grabY;
    trackDrop();
    redrawMovedPile(carriedPile);
}

void trackDrop() {
    if (!carrying() || !carriedPile.bottom) return;
    Pile* p = hitTest(carriedPile.x + table.cardWidth / 2, carriedPile.y + table.cardHeight / 2);
    const bool takes = p && sourcePile &&
                       core::canPlace(carry.rules, carry.lifted, pileIndex(*sourcePile), pileIndex(*p),
                                      carriedPile.bottom->value, carriedPile.count);
    markDropTarget(takes ? p : nullptr);
}

void release() {
    if (!carrying() || carry.byKeys) return;
    platform().setCursor(CursorShape::Arrow);
    platform().captureMouse(false);
    letGo();
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

namespace {

// The first pile in layout order whose place holds the point, with the place
// of `shrunk` (if any) as its first `kept` cards lie.
const Pile* pileWhere(int x, int y, const Pile* shrunk, int kept) {
    for (const Pile* p = currentGame->layout; p; p = p->next) {
        int width = p->width, height = p->height;
        if (p == shrunk) {
            const int fanned = kept > 1 ? (kept - 1) * table.fanStep : 0;
            width = table.cardWidth + (p->fan == Fan::Right ? fanned : 0);
            height = table.cardHeight + (p->fan == Fan::Down ? fanned : 0);
        }
        if (p->x <= x && x < p->x + width && p->y <= y && y < p->y + height) return p;
    }
    return nullptr;
}

// The first point of the rectangle that `fits` takes, row by row.
template <class Fits>
bool firstPoint(int left, int top, int width, int height, int& x, int& y, const Fits& fits) {
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            if (fits(left + i, top + j)) {
                x = left + i;
                y = top + j;
                return true;
            }
    return false;
}

}  // namespace

bool pressPointFor(Pile& pile, int card, int& x, int& y) {
    if (carrying() || !currentGame) return false;
    const core::GameRules rules = currentRules();
    const core::Table t = currentTable();
    const Card* wanted = cardAt(pile, card);
    const bool anywhere = !pile.top || (pile.flags & (PileFlags::stock | PileFlags::groupable));
    if (!anywhere && !wanted) return false;
    auto fits = [&](int px, int py) {
        return hitTestOn(rules, t, px, py) == &pile && (anywhere || pile.pickCard == wanted);
    };
    const Card* c = wanted ? wanted : pile.top;
    const int left = c ? c->x : pile.x, top = c ? c->y : pile.y;
    int mx = left + table.cardWidth / 2, my = top + table.cardHeight / 2;
    if (c && c != pile.top) {
        if (pile.fan == Fan::Right) mx = left + table.fanStep / 2;
        if (pile.fan == Fan::Down) my = top + table.fanStep / 2;
    }
    if (fits(mx, my)) {
        x = mx;
        y = my;
        return true;
    }
    return firstPoint(left, top, table.cardWidth, table.cardHeight, x, y, fits);
}

bool dropPointOn(const Pile& pile, int& x, int& y, const Pile* source, int kept) {
    if (!currentGame) return false;
    auto fits = [&](int px, int py) { return pileWhere(px, py, source, kept) == &pile; };
    const int mx = (pile.top ? pile.top->x : pile.x) + table.cardWidth / 2;
    const int my = (pile.top ? pile.top->y : pile.y) + table.cardHeight / 2;
    if (fits(mx, my)) {
        x = mx;
        y = my;
        return true;
    }
    return firstPoint(pile.x, pile.y, pile.width, pile.height, x, y, fits);
}

bool pointerCanMake(const core::Move& move) {
    int x = 0, y = 0;
    Pile* from = pileAt(move.from);
    if (!from) return false;
    switch (move.kind) {
        case core::Move::Place: {
            const Pile* to = pileAt(move.to);
            const int kept = (from->flags & PileFlags::anySingleCard) ? from->count - 1 : move.card;
            return to && pressPointFor(*from, move.card, x, y) && dropPointOn(*to, x, y, from, kept);
        }
        case core::Move::Turn:  // the pointer turns only the top card
            return move.card == from->count - 1 && pressPointFor(*from, move.card, x, y);
        case core::Move::Deal:
        case core::Move::Redeal: return pressPointFor(*from, from->count - 1, x, y);
        case core::Move::Discard: {
            bool all = true;
            core::forEachPile(move.piles, [&](int p) {
                Pile* pile = pileAt(p);
                all = all && pile && pressPointFor(*pile, pile->count - 1, x, y);
            });
            return all;
        }
    }
    return false;
}

}  // namespace korvat
