// The card art installed in the table drawing, so that the table drawn at
// any size other than 1x draws the program's own pictures at that size.
#pragma once

namespace korvat::art {

// Installs the card art in the table drawing's hook. The first drawing
// needs a QGuiApplication for its fonts; where the program has none (as
// korvat-cli), one is made then, with no display.
void installInTableDrawing();

}  // namespace korvat::art
