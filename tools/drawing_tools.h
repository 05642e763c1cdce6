// What the picture and icon generators share: the suit shapes, and
// drawing with Qt where there is no display.
#pragma once

#include <QPainterPath>

#include "art/art_tools.h"

namespace korvat::tools {

// The suit shapes of the card art.
using art::suitPath;

// Sets Qt up to draw into memory with no display (unless a platform was
// chosen), and keeps its complaint about a missing runtime folder quiet.
void drawWithoutDisplay();

}  // namespace korvat::tools
