// Pointer play: turns presses, pointer movements and releases, in client
// pixels, into picking up, carrying and dropping cards, dealing, turning,
// selecting and redealing.
#pragma once

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

// Forgets any carried cards, the source pile and the drop target (before
// a table is set up afresh in the same process).
void resetPointerPlay();

// Cards are being carried.
inline bool carrying() { return carriedPile.count > 0; }

// The rules explanation the right button shows (given the pile, or null
// for the whole game). Installed by the program's shell.
extern void (*explainRulesHook)(Pile* pile);

}  // namespace korvat
