// Pointer play: turns presses, pointer movements and releases, in client
// pixels, into picking up, carrying and dropping cards, dealing, turning,
// selecting and redealing.
#pragma once

#include "core/moves.h"
#include "model/records.h"

namespace korvat {

// The pile the last press hit; carried cards came from it.
extern Pile* sourcePile;
// The pile the carried cards would land on if released now.
extern Pile* dropTarget;

// The pile under the point, or null; updates its pickCard and pickBelowGroup.
Pile* hitTest(int x, int y);
void pressAt(int x, int y);
void dragTo(int x, int y);
void trackDrop();
void release();
// The right button: autoplays the pile under the point, or explains its
// rules, as the Right preference says; ignored while cards are carried.
void rightPressAt(int x, int y);

// A double press at the point: a face-up card that a press there would lift
// goes to the first foundation in layout order that takes it, as autoplay
// plays it; anywhere else it is a press like any other.
void doubleClickAt(int x, int y);

// Keyboard play. The keys press a card of a pile as the pointer would on the
// part of it left showing (its top left corner), and carry what that lifts
// from pile to pile; the pointer's drags and release leave such cards alone.
//
// For each card k of the pile (counted from its bottom card, 0), the
// position of the lowest card that a press on it would take, or -1, in
// groups[k]; the array has room for every card of the pile.
void pickCardsFor(const Pile& pile, int* groups);
// A press on card `card` of the pile (any value on an empty pile).
void pressCard(Pile& pile, int card);
// Cards lifted by pressCard are being carried.
bool carryingByKeys();
// Holds the cards the keys carry over the pile, which becomes the drop
// target if it takes them.
void carryOver(Pile& pile);
// The cards the keys carry land on the drop target, or go back.
void dropCarried();
// The carried cards go back to their pile, whether the keys or the
// pointer carry them.
void putBack();

// Forgets any carried cards, the source pile and the drop target (before
// a table is set up afresh in the same process).
void resetPointerPlay();

// Where the pointer makes a move (korvat-cli plays and lists moves by
// these). A point at which a press takes card `card` of the pile, the
// lowest card of what it lifts or the face-down top card it turns (on a
// stock, a pile of pairs or an empty pile, any point of the pile will do),
// and which the hit test gives to that pile: the middle of the card, or of
// the strip the cards above it leave showing, when that will do. False when
// the hit test gives every point of it to other piles.
bool pressPointFor(Pile& pile, int card, int& x, int& y);
// A point at which the middle of the carried cards lets them go onto the
// pile, which the hit test gives to it: the middle of its top card (or of
// its place) when that will do. Before the cards are lifted, `source` and
// `kept` say what they will leave: the pile they come from, which keeps
// that many cards.
bool dropPointOn(const Pile& pile, int& x, int& y, const Pile* source = nullptr, int kept = 0);
// Whether the pointer can make the core's move: a press and, for cards
// carried, a drop at points the hit test gives to their piles.
bool pointerCanMake(const core::Move& move);

// Cards are being carried.
inline bool carrying() { return carriedPile.count > 0; }

// The rules explanation the right button shows (given the pile, or null
// for the whole game). Installed by the program's shell.
extern void (*explainRulesHook)(Pile* pile);

}  // namespace korvat
