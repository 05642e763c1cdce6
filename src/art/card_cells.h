// Inside the card art: the drawings the card faces share with the empty
// places and the backs.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>

#include "art/art_tools.h"

namespace korvat::art {

// The rounded outline of a card in its cell, and its corners' radius.
QPainterPath cardOutline(QRectF cell, double radius);
double cornerRadius(const CardSize& size);
// A white card with its thin border; the few pixels outside the rounded
// corners take the colour of an empty place.
void drawBlankCard(QPainter& p, QRectF cell, const CardSize& size);
// A crown of w x h with its top left at (x, y): three points for the king
// (face 12), five small ones for the queen (11), a plumed cap for the jack.
void drawCrown(QPainter& p, double x, double y, double w, double h, int face);
// The face of a card, drawn into `target` of img.
void drawFace(QImage& img, const CardSize& size, int suit, int face, const QRect& target);

}  // namespace korvat::art
