// The picture files: the large and small card pictures, the back picture
// (whose palette is the table palette) and the text font, all 256-colour
// PCX files, and the drawing surfaces made from them.
//
// Each picture is looked for under two names, ".PCX" first and ".SCV"
// second, first in the current directory and then in the data folder:
// $KORVAT_DATA when it is set, else ../share/korvat beside the executable.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "view/pcx.h"
#include "view/surface.h"

namespace korvat::view {

struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
};
using Palette = std::array<PaletteEntry, 256>;

// The palette of the back picture: used by every drawing, and kept for the
// card counter and the graph.
extern Palette tablePalette;

// The drawing surfaces, made by openGraphics and the card loaders and kept
// until closeGraphics. windowSurface holds a copy of what the main window
// shows: everything presented is drawn there first.
extern Surface windowSurface;
extern Surface tableImage;
extern Surface dragImage;
extern Surface cardPicture;
extern Surface backPicture;
// The font of the pile sizes and other table text.
extern BitmapFont textFont;

// Picture sizes.
constexpr int kLargeCardsWidth = 832, kLargeCardsHeight = 480;
constexpr int kSmallCardsWidth = 624, kSmallCardsHeight = 384;
constexpr int kBackWidth = 512, kBackHeight = 192;
constexpr int kFontWidth = 128, kFontHeight = 96;

// Reads a whole file; false when it cannot be opened or read, or is longer
// than kMaxFileSize (no picture needs that much).
constexpr unsigned long kMaxFileSize = 64ul << 20;
bool readFile(const std::string& path, std::vector<uint8_t>& data);

// The palette made from the file's last 768 bytes; false when the file
// cannot be opened or is treated as no picture (see pictureFileFits), so
// that the palette always comes from the file the back picture comes from.
bool loadPalette(const std::string& path, Palette& palette, int minWidth = 0, int minHeight = 0);

// Reads and decodes one picture file into a surface; false when the file
// cannot be opened or is treated as no picture.
bool loadPicture(const std::string& path, int minWidth, int minHeight, Surface& out);

// The folder of the installed pictures: $KORVAT_DATA when set, else
// <folder of the executable>/../share/korvat.
std::string dataFolder();

// Loads the first picture of the two names that gives a picture, trying
// both names in the current directory and then both in the data folder;
// `fromDataFolder`, when given, tells where it was found.
bool loadPictureNamed(const char* pcxName, const char* scvName, int minWidth, int minHeight,
                      Surface& out, bool* fromDataFolder = nullptr);

// Fatal start-up errors: the "FATAL ERROR!" box with the given text, then
// fatalExit(1). fatalExit is std::exit unless a test replaces it; if it
// returns, the caller carries on with what it has (drawing from a missing
// picture draws nothing).
extern void (*fatalExit)(int status);
void fatalError(const char* text);

// Called once while the main window is made: the table palette, the
// off-screen surfaces, the back picture and the text font. False after a
// fatal error.
bool openGraphics();
// Frees every surface.
void closeGraphics();

// Load a card picture into cardPicture and set nothing else; false after
// a fatal error ("Unable to open graphics.").
bool loadLargeCards();
bool loadSmallCards();
void freeLargeCards();
void freeSmallCards();

}  // namespace korvat::view
