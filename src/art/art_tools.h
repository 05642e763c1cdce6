// What the drawings of the card art share: its colours, the card sizes,
// and drawing suits, stars and text as shapes.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QString>
#include <cstdint>
#include <numbers>

namespace korvat::art {

constexpr double kPi = std::numbers::pi;

// Colours. The first ones are put into the palette of the picture files exactly.
inline const QColor kBlack(0, 0, 0);
inline const QColor kWhite(255, 255, 255);
inline const QColor kGrey64(64, 64, 64);
inline const QColor kGrey192(192, 192, 192);
inline const QColor kGrey128(128, 128, 128);
inline const QColor kRedInk(208, 18, 36);      // hearts and diamonds
inline const QColor kBlackInk(0, 0, 0);        // spades and clubs
inline const QColor kBorder(64, 64, 64);       // the thin line round a card
inline const QColor kSlot(44, 54, 50);         // an empty place on the table
inline const QColor kSlotLine(150, 162, 156);  // outline and writing of an empty place
inline const QColor kGold(232, 182, 44);
inline const QColor kGoldDark(128, 84, 16);

inline bool isRed(int suit) { return suit == 2 || suit == 3; }
inline QColor suitInk(int suit) { return isRed(suit) ? kRedInk : kBlackInk; }

// The two card pictures: the size of one cell at 1x.
struct CardSize {
    int w;
    int h;
    bool large;
};
inline constexpr CardSize kLargeCards{64, 80, true};
inline constexpr CardSize kSmallCards{48, 64, false};

// A cell of a picture drawn at some size: the painter is set up to draw in
// the cell's own 1x coordinates, the cell's place in the whole picture at
// 1x, and `unit` tells that every 1x pixel is one pixel of the image, so
// that the drawings put down pixel by pixel are put down as they are.
struct Cell {
    QRectF rect;  // 1x coordinates
    bool unit = true;
};

// Sets a painter up to draw the w x h area at `origin` (1x coordinates) of
// a picture into `target` of its image. Without a change of size the
// painter is left as it is, so that drawing a whole picture at 1x is
// exactly drawing it without a transform.
Cell mapCell(QPainter& p, QPointF origin, double w, double h, const QRect& target);

// A five-pointed star of outer radius r centred on `at`; the inner corners
// lie at `inner` times r.
QPainterPath starPath(QPointF at, double r, double inner);

// A suit's shape in a box of 1 x 1, y downwards: 0 spade, 1 club, 2 heart,
// 3 diamond, as in the card values.
QPainterPath suitPath(int suit);

// Fills a suit shape of w x h centred on c, upside down when turned.
void fillSuit(QPainter& p, int suit, QPointF c, double w, double h, const QColor& colour, bool turned = false);

// Text whose ink is centred on a point.
void drawCentredText(QPainter& p, const QString& text, const QFont& font, QPointF c, const QColor& colour,
                     bool turned = false);

QFont makeFont(const char* family, double pixelSize, bool bold, bool italic = false);

// A hash of two coordinates and a seed, for the patterns' randomness.
uint32_t hash(uint32_t x, uint32_t y, uint32_t seed);

}  // namespace korvat::art
