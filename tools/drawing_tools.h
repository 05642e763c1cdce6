// What the picture and icon generators share: the suit shapes, and
// drawing with Qt where there is no display.
#pragma once

#include <QPainterPath>

namespace korvat::tools {

// A suit's shape in a box of 1 x 1, y downwards: 0 spade, 1 club, 2 heart,
// 3 diamond, as in the card values.
QPainterPath suitPath(int suit);

// Sets Qt up to draw into memory with no display (unless a platform was
// chosen), and keeps its complaint about a missing runtime folder quiet.
void drawWithoutDisplay();

}  // namespace korvat::tools
