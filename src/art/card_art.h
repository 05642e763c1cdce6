// The program's own pictures, drawn with QtGui at any size: the card faces,
// empty places, backs and pile markers of the two card pictures, the table
// backgrounds, the win tile, the edit-mode marker, the card counter's grid
// and the text font. At 1x they are the pictures of the picture files,
// which the generator writes from these drawings; larger, they are the
// same design with finer detail.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

#include "art/art_tools.h"

namespace korvat::art {

// Cell (column, row) of a card picture (the grid of faces, empty places,
// backs and markers), drawn into `target` of img. At the cell's own size
// and place in a whole picture it is exactly the picture file's cell.
void drawCardCell(QImage& img, const CardSize& size, int column, int row, const QRect& target);

// The whole card picture at 1x: 13 x 6 cells.
QImage drawCardSheet(const CardSize& size);

// Table background `which` (0..15), one seamless tile, drawn into `target`
// of img; at 64 x 64 it is the background picture's tile.
void drawBackground(QImage& img, int which, const QRect& target);
// The win tile (216 x 64 at 1x) and the edit-mode marker (16 x 16).
void drawWinTile(QImage& img, const QRect& target);
void drawEditMarker(QImage& img, const QRect& target);

// The back picture at 1x, 512 x 192: the sixteen backgrounds, the card
// counter's grid, the win tile and the edit-mode marker.
QImage drawBackSheet();

// The text font (DejaVu Sans Mono Bold, unsmoothed) for the characters
// 32..127 in a grid of 16 x 6 cells of cellWidth x cellHeight: one byte a
// pixel, rows top to bottom, 1 for ink. At 8 x 16 it is the font picture.
std::vector<uint8_t> drawFont(int cellWidth, int cellHeight);

// The colours the picture files' palette holds exactly.
std::vector<QColor> exactColours();

}  // namespace korvat::art
