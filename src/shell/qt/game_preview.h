// A small picture of a game's opening table for the game chooser, drawn by
// the program from the game's layout and a deal of it: card shapes with
// their rank and suit, backs for the cards dealt face down, outlines for
// the empty piles.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>

namespace korvat {
struct GameEntry;
}

namespace korvat::qt {

// The opening table of `game` dealt with `number`, fitted into `size`
// (the table's proportions kept).
QImage openingTablePicture(const GameEntry& game, uint32_t number, QSize size);

}  // namespace korvat::qt
