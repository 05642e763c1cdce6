// The drawing calls the game model and the rules engine make. The table
// drawing installs them at start-up; until then (and in every headless use)
// they draw nothing, so the engine runs the same with or without pictures.
#pragma once

namespace korvat {

struct Pile;

struct DrawingHooks {
    void (*composeAndPresent)() = nullptr;     // recompose the table image and show it
    void (*composeTable)() = nullptr;          // recompose the table image only
    void (*redrawMovedPile)(Pile&) = nullptr;  // move a pile over the table image
    void (*drawTopCard)(Pile&) = nullptr;      // redraw a top card, marked when it is the drop target
    void (*useCardPictures)(bool small) = nullptr;  // swap the large and small card pictures
};

extern DrawingHooks drawingHooks;

// Fits the fan step to the layout, then recomposes and presents the table.
void repaintTable();
void composeTable();
void redrawMovedPile(Pile& pile);
void drawTopCard(Pile& pile);
void useCardPictures(bool small);

// Sets fanStep so that the lowest downward fan of a large-card game ends at
// or near the bottom of the client area (never below 1).
void fitFanStep();

}  // namespace korvat
