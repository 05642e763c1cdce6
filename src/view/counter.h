// The card counter: a grid of 13 ranks by 4 suits in which every card still
// lying face down in the counted piles shows the top left corner of its
// face. Drawn without a toolkit, so that the window and korvat-cli show the
// same pixels.
#pragma once

#include <cstdint>

#include "view/surface.h"

namespace korvat::view {

// The counter's client area: the grid picture taken from backPicture.
constexpr int kCounterWidth = 182;
constexpr int kCounterHeight = 64;
constexpr int kCounterGridX = 0, kCounterGridY = 128;
// One grid cell, and the corner of a face shown in it.
constexpr int kCounterCellWidth = 14, kCounterCellHeight = 16;
constexpr int kCounterPieceWidth = 12, kCounterPieceHeight = 14;
// Where the corner lies inside a face cell of the card picture.
constexpr int kCounterPieceX = 2, kCounterPieceY = 2;

// 1 while the counter's "Count stock" item is checked: the stock piles are
// counted instead of all the others. Starts at 0; kept while the program
// runs, not saved.
extern int32_t countStock;

// Whether a pile is counted with the current countStock.
bool pileCounted(uint32_t pileFlags);

// Draws the counter's client area at (0, 0) of `surface`: the empty grid,
// and in a one-deck game the corner of every face-down card of the counted
// piles in the cell of its rank (column, from the lowest rank of the game's
// rank order) and suit (row). Two- and four-deck games show the empty grid.
void drawCounter(Surface& surface);

}  // namespace korvat::view
