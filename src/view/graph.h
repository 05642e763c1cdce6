// The completion graph: one bar per logged deal of the current game, in log
// order, as high as the share of those deals completed up to and including
// it, at two pixels per per cent; the last 50 deals are shown. Drawn
// without a toolkit, so that the window and korvat-cli show the same pixels.
#pragma once

#include <cstdint>

#include "view/surface.h"

namespace korvat::view {

// The graph window's client area.
constexpr int kGraphWidth = 474;
constexpr int kGraphHeight = 235;

// Colours: the light grey ground (also behind the text), the red grid, the
// black bars.
constexpr uint32_t kGraphGround = 0xC0C0C0;
constexpr uint32_t kGraphGridColour = 0xFF0000;
constexpr uint32_t kGraphBarColour = 0x000000;

// Geometry: the grid spans x 45..453 and y 25..225 (100 % at the top);
// bars are 6 wide, 8 apart from x 50, standing on y 225.
constexpr int kGraphLeft = 45, kGraphRight = 453;
constexpr int kGraphTop = 25, kGraphBottom = 225;
constexpr int kGraphColumnStep = 8, kGraphRowStep = 20;
constexpr int kGraphFirstBarX = 50, kGraphBarWidth = 6;
constexpr int kGraphMostBars = 50;

// Draws the whole client area at (0, 0) of `surface`, cut to the surface:
// the title "Completion % for " and the current game's name, the grid with
// its per-cent labels, and the bars of the used log entries whose
// gameIndex is the current game's. Deals before the last 50 count toward
// the running percentage but are not drawn.
void drawGraph(Surface& surface);

}  // namespace korvat::view
