#include "play/keyboard.h"

#include <cstdlib>

#include "core/rules.h"
#include "model/catalogue.h"
#include "model/drawing.h"
#include "model/records.h"
#include "play/pointer.h"

namespace korvat {

namespace {

bool shown = false;    // the frame shows: the keys are in use
int framed = 0;        // layout index of the framed pile
int chosenGroup = -1;  // the group chosen within the pile by its lowest card, or -1 for the top card's

// A group that presses on the pile can take, and a card to press for it.
struct Stop {
    int group;
    int press;
};

// What presses on the pile can take, lowest card first; and in `choice`
// the stop the frame is on: the chosen group while presses still take it,
// else what a press on the top card takes (group -1 when that is nothing).
struct Stops {
    Stop stops[core::kMaxCards];
    int size = 0;
    Stop choice{-1, 0};

    explicit Stops(const Pile& pile) {
        int groups[core::kMaxCards];
        pickCardsFor(pile, groups);
        const int n = pile.count < core::kMaxCards ? pile.count : core::kMaxCards;
        for (int k = n - 1; k >= 0; --k) {
            const int g = groups[k];
            if (g < 0) continue;
            int i = size;
            bool seen = false;
            for (int j = 0; j < size && !seen; ++j) seen = stops[j].group == g;
            if (seen) continue;
            while (i > 0 && stops[i - 1].group > g) {
                stops[i] = stops[i - 1];
                --i;
            }
            stops[i] = {g, k};
            ++size;
        }
        if (n > 0) choice = {groups[n - 1], n - 1};
        for (int i = 0; i < size; ++i)
            if (chosenGroup >= 0 && stops[i].group == chosenGroup) choice = stops[i];
    }
};

Pile* framedPile() {
    if (!currentGame || framed < 0 || framed >= currentGame->pileCount) framed = 0;
    return currentGame ? pileAt(framed) : nullptr;
}

// The frame's pile changes: the whole table is drawn again with the frame
// in its new place, and cards the keys carry are held over the new pile.
void showFrame() {
    repaintTable();
    if (carryingByKeys())
        if (Pile* p = framedPile()) carryOver(*p);
}

// Steps the choice within a fanned pile along its fan: towards its bottom
// card (step -1) or its top card (+1). False when there is no group further
// that way.
bool stepWithin(const Pile& pile, int step) {
    const Stops s(pile);
    if (s.choice.group < 0) return false;
    int next = -1;
    for (int i = 0; i < s.size; ++i) {
        const int g = s.stops[i].group;
        if (step < 0 && g < s.choice.group) next = g;
        if (step > 0 && g > s.choice.group && next < 0) next = g;
    }
    if (next < 0) return false;
    chosenGroup = next;
    return true;
}

// The next pile in reading order (by the origins' rows, then columns),
// after the last the first; `step` -1 goes the other way.
int nextInReadingOrder(int from, int step) {
    const Pile* f = pileAt(from);
    auto before = [](const Pile* a, int ai, const Pile* b, int bi) {
        if (a->y != b->y) return a->y < b->y;
        if (a->x != b->x) return a->x < b->x;
        return ai < bi;
    };
    // The nearest pile on the chosen side of `from`, or else the farthest on the other.
    int best = -1, wrap = -1;
    const Pile* bestPile = nullptr;
    const Pile* wrapPile = nullptr;
    int index = 0;
    for (const Pile* p = currentGame->layout; p; p = p->next, ++index) {
        if (index == from) continue;
        const bool after = step > 0 ? before(f, from, p, index) : before(p, index, f, from);
        if (after) {
            if (!bestPile || (step > 0 ? before(p, index, bestPile, best) : before(bestPile, best, p, index)))
                best = index, bestPile = p;
        } else if (!wrapPile || (step > 0 ? before(p, index, wrapPile, wrap) : before(wrapPile, wrap, p, index))) {
            wrap = index, wrapPile = p;
        }
    }
    return best >= 0 ? best : wrap >= 0 ? wrap : from;
}

// The pile in the nearest row above (step -1) or below (+1) the framed
// one, nearest in column; `from` when there is none.
int nearestInColumn(int from, int step) {
    const Pile* f = pileAt(from);
    int nearestRow = -1;
    int index = 0;
    for (const Pile* p = currentGame->layout; p; p = p->next, ++index) {
        const int dy = (p->y - f->y) * step;
        if (index != from && dy > 0 && (nearestRow < 0 || dy < nearestRow)) nearestRow = dy;
    }
    if (nearestRow < 0) return from;
    // Piles up to half a card lower or higher count as that row.
    const int band = nearestRow + table.cardHeight / 2;
    int best = from, bestDx = 0, bestDy = 0;
    index = 0;
    for (const Pile* p = currentGame->layout; p; p = p->next, ++index) {
        const int dy = (p->y - f->y) * step;
        if (index == from || dy <= 0 || dy > band) continue;
        const int dx = std::abs(p->x - f->x);
        if (best == from || dx < bestDx || (dx == bestDx && dy < bestDy)) best = index, bestDx = dx, bestDy = dy;
    }
    return best;
}

bool arrow(int key) {
    Pile* pile = framedPile();
    if (!pile) return false;
    const bool down = pile->fan == Fan::Down, right = pile->fan == Fan::Right;
    if (!carryingByKeys()) {
        // Within a fanned pile the arrows along its fan choose the cards first.
        bool stepped = false;
        if (down && (key == PlayKey::Up || key == PlayKey::Down)) stepped = stepWithin(*pile, key == PlayKey::Up ? -1 : 1);
        if (right && (key == PlayKey::Left || key == PlayKey::Right))
            stepped = stepWithin(*pile, key == PlayKey::Left ? -1 : 1);
        if (stepped) {
            repaintTable();
            return true;
        }
    }
    int next = framed;
    switch (key) {
        case PlayKey::Left: next = nextInReadingOrder(framed, -1); break;
        case PlayKey::Right: next = nextInReadingOrder(framed, 1); break;
        case PlayKey::Up: next = nearestInColumn(framed, -1); break;
        case PlayKey::Down: next = nearestInColumn(framed, 1); break;
        default: break;
    }
    if (next == framed) return true;
    framed = next;
    chosenGroup = -1;
    showFrame();
    return true;
}

void press() {
    Pile* pile = framedPile();
    if (!pile) return;
    if (carryingByKeys()) {
        dropCarried();
        chosenGroup = -1;
        return;
    }
    const Stops s(*pile);
    chosenGroup = -1;
    pressCard(*pile, s.choice.press);
    // Cards lifted are held over their own pile until the frame moves.
    if (carryingByKeys()) showFrame();
}

}  // namespace

bool keyboardPlay(int key) {
    if (!currentGame || table.editMode) return false;
    if (key == PlayKey::Cancel) {
        if (carryingByKeys()) {
            if (sourcePile) framed = pileIndex(*sourcePile);
            chosenGroup = -1;
            putBack();
            return true;
        }
        if (!shown) return false;
        shown = false;
        repaintTable();
        return true;
    }
    if (key < PlayKey::Left || key > PlayKey::Press) return false;
    if (carrying() && !carryingByKeys()) return false;  // the pointer holds cards
    if (!shown) {
        // The first key shows where the frame is.
        shown = true;
        repaintTable();
        return true;
    }
    if (key == PlayKey::Press)
        press();
    else
        arrow(key);
    return true;
}

void mouseUsed() {
    if (!shown) return;
    shown = false;
    if (carryingByKeys()) {
        if (sourcePile) framed = pileIndex(*sourcePile);
        chosenGroup = -1;
        putBack();  // its landing draws the table without the frame
    } else {
        repaintTable();
    }
}

bool focusFrame(int& x, int& y, int& width, int& height) {
    if (!shown || !currentGame || table.editMode) return false;
    const Pile* pile = framedPile();
    if (!pile) return false;
    x = pile->x, y = pile->y;
    width = table.cardWidth, height = table.cardHeight;
    if (carryingByKeys() || !pile->top) {
        if (pile->top) x = pile->top->x, y = pile->top->y;
        return true;
    }
    const Stops s(*pile);
    const Card* low = s.choice.group >= 0 ? cardAt(*pile, s.choice.group) : pile->top;
    if (!low) low = pile->top;
    const Card* high = (pile->flags & PileFlags::anySingleCard) ? low : pile->top;
    int right = x, bottom = y;
    x = low->x, y = low->y, right = low->x, bottom = low->y;
    for (const Card* c = low; c; c = c == high ? nullptr : c->above) {
        if (c->x < x) x = c->x;
        if (c->y < y) y = c->y;
        if (c->x > right) right = c->x;
        if (c->y > bottom) bottom = c->y;
    }
    width = right - x + table.cardWidth;
    height = bottom - y + table.cardHeight;
    return true;
}

int focusPile() { return framed; }

int focusCard() {
    const Pile* pile = framedPile();
    return pile ? Stops(*pile).choice.press : -1;
}

void resetKeyboardPlay() {
    shown = false;
    framed = 0;
    chosenGroup = -1;
}

}  // namespace korvat
