// The table drawing: the whole table is composed off-screen in tableImage
// and shown with one copy; while cards are carried only the carried pile
// and the marked top cards are redrawn.
#pragma once

#include "core/moves.h"
#include "model/records.h"
#include "view/pictures.h"
#include "view/surface.h"

namespace korvat::view {

// Refreshes the card counter window; called by every repaint while the
// counter is open. Does nothing until the counter window sets it.
extern void (*refreshCounter)();

// The rest of a repaint, after fitFanStep: the counter, composeTable and
// presentTable.
void composeAndPresent();
// Builds tableImage: the background, drawPiles and, with the Sizes
// preference on, drawPileSizes.
void composeTable();
// Copies tableImage to windowSurface and shows the whole client area.
void presentTable();
void drawPiles();
void drawPile(Surface& surface, Pile& pile);
// Redraws the top card of a pile, marked when the pile is dropTarget.
void drawTopCard(Surface& surface, Pile& pile);
// drawTopCard on tableImage and windowSurface, then shows the card's rectangle.
void drawTopCardShown(Pile& pile);
void drawPileSizes();
// Draws a pile at its own origin and erases it where its bottom card was
// last placed, touching only the rectangle that covers both; tableImage is
// left as it was.
void redrawMovedPile(Pile& pile);

// The face column of a card value: its rank shifted by baseRank, counting
// ace, two, ... king.
int faceColumn(int value);

// The cell and mode of the marker drawn on an empty pile. False when the
// pile's start code names no marker (then nothing is drawn).
struct Marker {
    int column;
    int row;
    RasterMode mode;
};
bool emptyPileMarker(const Pile& pile, Marker& marker);

// The table shown at another size (in device pixels): the surfaces and
// pictures are made for it and the table is composed again, with the
// cards in the pointer's hold, into tableImage and windowSurface; nothing
// is presented (the caller is showing it). False when the size is what it
// was or the surfaces cannot be made for it.
bool redrawAtSize(int width, int height);

// Swaps the card picture: the small one when `small` is set, else the large one.
void useCardPictures(bool small);

// The hint: the cards of a move drawn marked, as selected cards are (a
// face-down card as its back, marked), and the top card of the pile they
// go to marked, as the drop target's is during a drag (an empty pile's
// marker when it has none). Shown until the table changes.
void showHint(const core::Move& move);
void clearHint();
bool hintShown();

// Called after every repaint, once the table is on the screen; the solver
// watches the table from here. Does nothing until it is set.
extern void (*tableShown)();

// Installs the drawing in the engine's drawing hooks.
void installTableDrawing();

// The drawing's start-up: openGraphics, loadLargeCards and
// installTableDrawing. False after a fatal error: the caller then ends the
// program with status 1.
bool startGraphics();

}  // namespace korvat::view
