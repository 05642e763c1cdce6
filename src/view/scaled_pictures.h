// The table at the size it is shown, and its pictures at that size. At 1x
// the table is drawn from the picture files' surfaces themselves. At any
// other size each card cell, table background, the win tile, the edit
// marker and the text font are made at that size once, when first drawn:
// by the program's own card art where the picture is the program's own and
// the art has been installed (the window and korvat-cli install it at
// start-up), else scaled from the picture with a bilinear filter. A change
// of size releases them.
#pragma once

#include <cstdint>
#include <vector>

#include "view/surface.h"

namespace korvat::view {

// The table's size on the screen in device pixels, and the map of table
// pixels onto it: table pixel x begins at device pixel x * width / 640,
// rounded, and table pixel y at y * height / 480.
struct TableScale {
    int width = 640;
    int height = 480;
    bool unit() const;
    int x(int64_t tableX) const;
    int y(int64_t tableY) const;
};
extern TableScale tableScale;

// The program's own pictures drawn at any size, installed by the programs
// that can draw them; none is installed at first.
struct CardArt {
    // Cell (column, row) of the large (small false) or small card picture,
    // drawn w x h into `out` at (x, y).
    void (*drawCardCell)(bool small, int column, int row, Surface& out, int x, int y, int w, int h) = nullptr;
    // Table background `which` (0..15), or kWinTile or kEditMarker, drawn
    // w x h at (0, 0) of `out`.
    void (*drawTile)(int which, Surface& out, int w, int h) = nullptr;
    // The text font in cells of w x h: the 16 x 6 grid of the characters
    // 32..127, one byte a pixel, 1 for ink.
    void (*drawFont)(int w, int h, std::vector<uint8_t>& grid) = nullptr;
};
extern CardArt cardArt;
constexpr int kWinTile = 16;
constexpr int kEditMarker = 17;

// Which pictures were found in the data folder, and so are the program's
// own; pictures in the current directory are the player's.
struct OwnPictures {
    bool cards = false;
    bool back = false;
    bool font = false;
};
extern OwnPictures ownPictures;

// Sets the table's size on the screen: the three table surfaces take it
// (blank), and the pictures made for another size are released. False when
// the size is what it was, or when the surfaces cannot be made (then
// nothing changes).
bool setTableSize(int width, int height);

// A picture at the table's size: the surface that holds it and its place there.
struct Picture {
    const Surface* surface = nullptr;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
// Cell (column, row) of the card picture in use.
Picture cardCell(int column, int row);
// The size of a card cell at the table's size.
int cardCellWidth();
int cardCellHeight();
// Table background `which` (0..15), kWinTile or kEditMarker.
Picture tablePicture(int which);

// Draws text in the text font at the table's size, its top left corner at
// (x, y) of dst: black ink, transparent background.
void drawTableText(Surface& dst, int x, int y, const char* text);

// Releases the card cells made for the table's size (the card picture was
// changed), or every picture made for it.
void releaseScaledCards();
void releaseScaledPictures();

// Scales the sw x sh area at (sx, sy) of src into the dw x dh area at
// (dx, dy) of dst with a bilinear filter. With `wraps` the area is a tile
// and its far edges blend with its near ones; else its edges are held.
void scaleBilinear(const Surface& src, int sx, int sy, int sw, int sh, Surface& dst, int dx, int dy, int dw,
                   int dh, bool wraps);

}  // namespace korvat::view
