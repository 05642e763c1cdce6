// korvat-make-pictures OUTDIR
//
// Draws the program's pictures and writes them to OUTDIR:
//   LARGE.PCX  832 x 480: 13 x 6 cells of 64 x 80 (faces, empty-pile
//              outlines, card backs, pile markers)
//   SMALL.PCX  624 x 384: the same grid in cells of 48 x 64
//   BACK.PCX   512 x 192: sixteen 64 x 64 table backgrounds, the card
//              counter's grid, the win tile and the edit-mode marker
//   FONT.PCX   128 x 96: the bitmap text font, printable ASCII 32..127 in
//              16 x 6 cells of 8 x 16; ink where the pixel index is not 0
// The three pictures share one 256-colour palette (the table draws them
// all with the back picture's palette). Everything is drawn with QtGui and
// the DejaVu fonts, in full colour first; then the palette is made and the
// pixels are mapped to it. The output depends on nothing but the fonts.
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "drawing_tools.h"
#include "pcx_writer.h"

namespace {

using korvat::tools::Histogram;
using korvat::tools::NearestColour;
using korvat::tools::Palette;
using korvat::tools::Rgb;

constexpr double kPi = std::numbers::pi;

// A five-pointed star of outer radius r centred on `at`; the inner corners
// lie at `inner` times r.
QPainterPath starPath(QPointF at, double r, double inner) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double a = -kPi / 2 + i * kPi / 5;
        const double rr = (i % 2 == 0) ? r : r * inner;
        const QPointF q(at.x() + rr * std::cos(a), at.y() + rr * std::sin(a));
        if (i == 0) {
            path.moveTo(q);
        } else {
            path.lineTo(q);
        }
    }
    path.closeSubpath();
    return path;
}

// ---------------------------------------------------------------------------
// Colours. The first ones are put into the palette exactly.

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kGrey64(64, 64, 64);
const QColor kGrey192(192, 192, 192);
const QColor kGrey128(128, 128, 128);
const QColor kRedInk(208, 18, 36);       // hearts and diamonds
const QColor kBlackInk(0, 0, 0);         // spades and clubs
const QColor kBorder(64, 64, 64);        // the thin line round a card
const QColor kSlot(44, 54, 50);          // an empty place on the table
const QColor kSlotLine(150, 162, 156);   // outline and writing of an empty place
const QColor kGold(232, 182, 44);
const QColor kGoldDark(128, 84, 16);

std::vector<Rgb> exactColours() {
    std::vector<Rgb> out;
    for (const QColor& c : {kBlack, kWhite, kGrey64, kGrey192, kGrey128, kRedInk, kBlackInk, kBorder,
                            kSlot, kSlotLine, kGold, kGoldDark}) {
        out.push_back(Rgb{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                          static_cast<uint8_t>(c.blue())});
    }
    return out;
}

bool isRed(int suit) { return suit == 2 || suit == 3; }
QColor suitInk(int suit) { return isRed(suit) ? kRedInk : kBlackInk; }

// ---------------------------------------------------------------------------
// Little pixel drawings for the card corners: a bold rank of 7 rows over a
// suit of 7 x 7. They are put down pixel by pixel, so the corner that the
// card counter shows is sharp at both card sizes.

using Bitmap = std::vector<const char*>;

const Bitmap kRankA = {"..##..", ".####.", "##..##", "##..##", "######", "##..##", "##..##"};
const Bitmap kRank2 = {".####.", "##..##", "....##", "..###.", ".##...", "##....", "######"};
const Bitmap kRank3 = {".####.", "##..##", "....##", "..###.", "....##", "##..##", ".####."};
const Bitmap kRank4 = {"...##.", "..###.", ".####.", "##.##.", "######", "...##.", "...##."};
const Bitmap kRank5 = {"######", "##....", "#####.", "....##", "....##", "##..##", ".####."};
const Bitmap kRank6 = {"..###.", ".##...", "##....", "#####.", "##..##", "##..##", ".####."};
const Bitmap kRank7 = {"######", "....##", "...##.", "...##.", "..##..", "..##..", "..##.."};
const Bitmap kRank8 = {".####.", "##..##", "##..##", ".####.", "##..##", "##..##", ".####."};
const Bitmap kRank9 = {".####.", "##..##", "##..##", ".#####", "....##", "...##.", ".###.."};
const Bitmap kRank10 = {".##..####.", "###.##..##", ".##.##..##", ".##.##..##",
                        ".##.##..##", ".##.##..##", ".##..####."};
const Bitmap kRankJ = {"..####", "....##", "....##", "....##", "....##", "##..##", ".####."};
const Bitmap kRankQ = {".####.", "##..##", "##..##", "##..##", "##.###", ".####.", "....##"};
const Bitmap kRankK = {"##..##", "##.##.", "####..", "###...", "####..", "##.##.", "##..##"};

const Bitmap& rankBitmap(int face) {
    static const std::array<const Bitmap*, 13> ranks = {&kRankA, &kRank2, &kRank3, &kRank4, &kRank5,
                                                        &kRank6, &kRank7, &kRank8, &kRank9, &kRank10,
                                                        &kRankJ, &kRankQ, &kRankK};
    return *ranks[static_cast<size_t>(face)];
}

// The ten of the small cards, narrow enough for the strip a rightward fan
// leaves visible.
const Bitmap kRank10Narrow = {".#..###.", "##.##.##", ".#.##.##", ".#.##.##",
                              ".#.##.##", ".#.##.##", ".#..###."};

// Suits in the order of the card values: spades, clubs, hearts, diamonds;
// 7 x 6, under the rank with one blank row between. The spade is solid
// under its point and the club has three lobes with gaps between them, so
// the two are told apart even this small.
const std::array<Bitmap, 4> kSuitBitmaps = {{
    {"...#...", "..###..", ".#####.", "#######", "#######", "..###.."},
    {"..###..", "..###..", "##.#.##", "#######", "##.#.##", "..###.."},
    {".##.##.", "#######", "#######", ".#####.", "..###..", "...#..."},
    {"...#...", "..###..", ".#####.", ".#####.", "..###..", "...#..."},
}};

// The suit beside the rank on the small cards, 9 x 7: a downward fan of
// small cards shows only their top nine rows, where it stands level with
// the rank.
const std::array<Bitmap, 4> kSideSuitBitmaps = {{
    {"....#....", "...###...", "..#####..", ".#######.", "#########", "....#....", "...###..."},
    {"...###...", "..#####..", ".##.#.##.", "#########", ".##.#.##.", "....#....", "...###..."},
    {".##...##.", "####.####", "#########", ".#######.", "..#####..", "...###...", "....#...."},
    {"....#....", "...###...", "..#####..", ".#######.", "..#####..", "...###...", "....#...."},
}};

int bitmapWidth(const Bitmap& b) { return static_cast<int>(std::string(b[0]).size()); }

// Puts a bitmap with its top left pixel at (x, y); turned half round, the
// same bitmap covers the same box upside down.
void putBitmap(QImage& img, int x, int y, const Bitmap& bitmap, const QColor& colour, bool turned) {
    const int h = static_cast<int>(bitmap.size());
    const int w = bitmapWidth(bitmap);
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            if (bitmap[static_cast<size_t>(row)][col] != '#') {
                continue;
            }
            const int px = turned ? x + w - 1 - col : x + col;
            const int py = turned ? y + h - 1 - row : y + row;
            img.setPixel(px, py, colour.rgb());
        }
    }
}

// Fills a suit shape of w x h centred on c, upside down when turned.
void fillSuit(QPainter& p, int suit, QPointF c, double w, double h, const QColor& colour,
              bool turned = false) {
    p.save();
    p.translate(c);
    if (turned) {
        p.rotate(180);
    }
    p.translate(-w / 2, -h / 2);
    p.scale(w, h);
    p.fillPath(korvat::tools::suitPath(suit), colour);
    p.restore();
}

// Text whose ink is centred on a point.
void drawCentredText(QPainter& p, const QString& text, const QFont& font, QPointF c, const QColor& colour,
                     bool turned = false) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    p.save();
    p.translate(c);
    if (turned) {
        p.rotate(180);
    }
    p.translate(-box.center());
    p.fillPath(path, colour);
    p.restore();
}

QFont makeFont(const char* family, double pixelSize, bool bold, bool italic = false) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(static_cast<int>(pixelSize));
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// ---------------------------------------------------------------------------
// The card sheets.

struct CardSize {
    int w;
    int h;
    bool large;
};
constexpr CardSize kLarge{64, 80, true};
constexpr CardSize kSmall{48, 64, false};

QPainterPath cardOutline(QRectF cell, double radius) {
    QPainterPath path;
    path.addRoundedRect(cell.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    return path;
}

double cornerRadius(const CardSize& size) { return size.large ? 4.0 : 3.0; }

// A white card with its thin border; the few pixels outside the rounded
// corners take the colour of an empty place.
void drawBlankCard(QPainter& p, QRectF cell, const CardSize& size) {
    p.fillRect(cell, kSlot);
    const QPainterPath outline = cardOutline(cell, cornerRadius(size));
    p.fillPath(outline, kWhite);
    p.strokePath(outline, QPen(kBorder, 1.0));
}

// Rank over suit in the 12 x 14 corner at (2, 2) that the card counter
// shows. Where cards overlap only a strip of each stays in sight: the top
// 16 rows or the left 16 columns of a large card, 9 of a small one. The
// large cards' corner fits their strip as it is. On the small cards the
// corner keeps to the left nine columns, with a narrow ten, and the suit is
// drawn again beside the rank, in the top nine rows. The large cards repeat
// the corner upside down at the bottom right; the small ones need that room
// for their pips.
void drawIndex(QImage& img, int x0, int y0, const CardSize& size, int suit, int face) {
    const QColor ink = suitInk(suit);
    const Bitmap& pip = kSuitBitmaps[static_cast<size_t>(suit)];
    if (!size.large) {
        putBitmap(img, x0 + (face == 9 ? 1 : 2), y0 + 2, face == 9 ? kRank10Narrow : rankBitmap(face), ink, false);
        putBitmap(img, x0 + 2, y0 + 10, pip, ink, false);
        putBitmap(img, x0 + 14, y0 + 2, kSideSuitBitmaps[static_cast<size_t>(suit)], ink, false);
        return;
    }
    const Bitmap& rank = rankBitmap(face);
    const int rankX = face == 9 ? 2 : 3;
    putBitmap(img, x0 + rankX, y0 + 2, rank, ink, false);
    putBitmap(img, x0 + 3, y0 + 10, pip, ink, false);
    // The same 12 x 14 box, turned, in the bottom right corner.
    const int bx = x0 + size.w - 2 - 12;
    const int by = y0 + size.h - 2 - 14;
    putBitmap(img, bx + 14 - rankX - bitmapWidth(rank), by + 7, rank, ink, true);
    putBitmap(img, bx + 4, by, pip, ink, true);
}

struct PipPlace {
    int column;  // -1 left, 0 middle, 1 right
    double row;  // 0 top .. 1 bottom
};

std::vector<PipPlace> pipLayout(int count) {
    const std::vector<PipPlace> sides4 = {{-1, 0}, {1, 0}, {-1, 1}, {1, 1}};
    const std::vector<PipPlace> sides6 = {{-1, 0}, {1, 0}, {-1, 0.5}, {1, 0.5}, {-1, 1}, {1, 1}};
    const std::vector<PipPlace> sides8 = {{-1, 0},       {1, 0},       {-1, 1.0 / 3}, {1, 1.0 / 3},
                                          {-1, 2.0 / 3}, {1, 2.0 / 3}, {-1, 1},       {1, 1}};
    auto with = [](std::vector<PipPlace> base, std::initializer_list<PipPlace> more) {
        base.insert(base.end(), more);
        return base;
    };
    switch (count) {
    case 2: return {{0, 0}, {0, 1}};
    case 3: return {{0, 0}, {0, 0.5}, {0, 1}};
    case 4: return sides4;
    case 5: return with(sides4, {{0, 0.5}});
    case 6: return sides6;
    case 7: return with(sides6, {{0, 0.25}});
    case 8: return with(sides6, {{0, 0.25}, {0, 0.75}});
    case 9: return with(sides8, {{0, 0.5}});
    default: return with(sides8, {{0, 1.0 / 6}, {0, 5.0 / 6}});
    }
}

void drawPips(QPainter& p, QRectF cell, const CardSize& size, int suit, int count) {
    // Pip columns and the rows of the top and bottom pips, measured from the
    // middle of the pip field; pips below the middle stand upside down. The
    // small cards' field leans two pixels right, away from the corner, and
    // two down, below the suit beside the rank.
    const double dx = size.large ? 11.0 : 8.0;
    const double dy = size.large ? 27.0 : 19.5;
    const double pw = size.large ? 10.0 : 7.0;
    const double ph = size.large ? 11.0 : 8.0;
    const QPointF centre = cell.center() + (size.large ? QPointF(0.0, 0.0) : QPointF(2.0, 2.0));
    for (const PipPlace& pip : pipLayout(count)) {
        const QPointF c(centre.x() + pip.column * dx, centre.y() - dy + pip.row * 2 * dy);
        fillSuit(p, suit, c, pw, ph, suitInk(suit), pip.row > 0.5);
    }
}

void drawAce(QPainter& p, QRectF cell, const CardSize& size, int suit) {
    const QPointF c = cell.center();
    const double w = size.large ? 30.0 : 20.0;
    const double h = size.large ? 33.0 : 22.0;
    fillSuit(p, suit, c, w, h, suitInk(suit));
    if (suit == 0 && size.large) {
        // The ace of spades carries a little ornament, as it should.
        fillSuit(p, 0, c + QPointF(0, 1.5), 12, 13, kWhite);
        fillSuit(p, 0, c + QPointF(0, 2.5), 8, 9, kBlackInk);
    }
}

// A crown of w x h with its top left at (x, y): three points for the king,
// five small ones for the queen, and a plumed cap for the jack.
void drawCrown(QPainter& p, double x, double y, double w, double h, int face) {
    QPainterPath path;
    std::vector<QPointF> jewels;
    if (face == 12) {
        path.moveTo(x, y + h);
        path.lineTo(x, y + h * 0.25);
        path.lineTo(x + w * 0.27, y + h * 0.55);
        path.lineTo(x + w * 0.5, y + h * 0.1);
        path.lineTo(x + w * 0.73, y + h * 0.55);
        path.lineTo(x + w, y + h * 0.25);
        path.lineTo(x + w, y + h);
        path.closeSubpath();
        jewels = {{x, y + h * 0.22}, {x + w * 0.5, y + h * 0.08}, {x + w, y + h * 0.22}};
    } else if (face == 11) {
        path.moveTo(x + w * 0.05, y + h);
        path.lineTo(x, y + h * 0.4);
        for (int i = 0; i < 4; ++i) {
            const double left = x + w * i / 4.0;
            path.quadTo(left + w / 8.0, y + h * 0.85, left + w / 4.0, y + h * 0.4);
        }
        path.lineTo(x + w * 0.95, y + h);
        path.closeSubpath();
        for (int i = 0; i <= 4; ++i) {
            jewels.push_back({x + w * i / 4.0, y + h * 0.33});
        }
    } else {
        // A velvet cap with a gold band and a white plume.
        QPainterPath plume;
        plume.moveTo(x + w * 0.55, y + h * 0.5);
        plume.cubicTo(x + w * 0.7, y, x + w * 1.0, y, x + w * 1.05, y + h * 0.05);
        plume.cubicTo(x + w * 0.9, y + h * 0.25, x + w * 0.75, y + h * 0.4, x + w * 0.65, y + h * 0.6);
        plume.closeSubpath();
        p.fillPath(plume, kWhite);
        p.strokePath(plume, QPen(kGrey128, 0.6));
        QPainterPath cap;
        cap.moveTo(x + w * 0.08, y + h * 0.75);
        cap.cubicTo(x + w * 0.08, y + h * 0.2, x + w * 0.92, y + h * 0.2, x + w * 0.92, y + h * 0.75);
        cap.closeSubpath();
        p.fillPath(cap, QColor(150, 30, 56));
        p.strokePath(cap, QPen(QColor(90, 16, 32), 0.8));
        path.addRect(QRectF(x + w * 0.04, y + h * 0.7, w * 0.92, h * 0.3));
        jewels = {{x + w * 0.5, y + h * 0.85}};
    }
    p.fillPath(path, kGold);
    p.strokePath(path, QPen(kGoldDark, 0.8));
    const double r = std::max(1.0, h * 0.11);
    for (const QPointF& j : jewels) {
        p.setPen(Qt::NoPen);
        p.setBrush(face == 11 ? QColor(250, 250, 250) : QColor(200, 30, 40));
        p.drawEllipse(j, r, r);
    }
    p.setBrush(Qt::NoBrush);
}

// The court cards: a framed panel with a crown, the big letter and the suit.
void drawCourt(QPainter& p, QRectF cell, const CardSize& size, int suit, int face) {
    static const std::array<QColor, 3> panelTop = {QColor(214, 232, 250), QColor(252, 226, 236),
                                                   QColor(252, 240, 196)};
    static const std::array<QColor, 3> panelBottom = {QColor(170, 200, 236), QColor(238, 188, 208),
                                                      QColor(240, 214, 140)};
    const size_t which = static_cast<size_t>(face - 10);
    // The small cards' panel stands clear of the suit beside the rank.
    const QPointF c = cell.center() + (size.large ? QPointF(0.0, 0.0) : QPointF(1.0, 3.0));
    const double pw = size.large ? 34.0 : 20.0;
    const double ph = size.large ? 68.0 : 48.0;
    const QRectF panel(c.x() - pw / 2, c.y() - ph / 2, pw, ph);
    QLinearGradient fill(panel.topLeft(), panel.bottomLeft());
    fill.setColorAt(0, panelTop[which]);
    fill.setColorAt(1, panelBottom[which]);
    QPainterPath frame;
    frame.addRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    p.fillPath(frame, fill);
    p.strokePath(frame, QPen(suitInk(suit), 1.0));
    const QColor ink = suitInk(suit);
    if (size.large) {
        drawCrown(p, c.x() - 10, panel.top() + 4, 20, 12, face);
        const QFont letter = makeFont("DejaVu Serif", 30, true);
        drawCentredText(p, QString(QChar("JQK"[face - 10])), letter, QPointF(c.x(), c.y() + 1), ink);
        fillSuit(p, suit, QPointF(c.x(), panel.bottom() - 11), 13, 14, ink);
    } else {
        drawCrown(p, c.x() - 7, panel.top() + 3, 14, 9, face);
        const QFont letter = makeFont("DejaVu Serif", 19, true);
        drawCentredText(p, QString(QChar("JQK"[face - 10])), letter, QPointF(c.x(), c.y() + 1), ink);
        fillSuit(p, suit, QPointF(c.x(), panel.bottom() - 8), 9, 10, ink);
    }
}

void drawFace(QImage& img, const CardSize& size, int suit, int face) {
    const int x0 = face * size.w;
    const int y0 = suit * size.h;
    const QRectF cell(x0, y0, size.w, size.h);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        drawBlankCard(p, cell, size);
        if (face == 0) {
            drawAce(p, cell, size, suit);
        } else if (face < 10) {
            drawPips(p, cell, size, suit, face + 1);
        } else {
            drawCourt(p, cell, size, suit, face);
        }
    }
    drawIndex(img, x0, y0, size, suit, face);
}

// An empty place: a dark slot with a faint rounded outline.
void drawSlot(QPainter& p, QRectF cell, const CardSize& size) {
    p.fillRect(cell, kSlot);
    QPainterPath outline;
    outline.addRoundedRect(cell.adjusted(1.5, 1.5, -1.5, -1.5), cornerRadius(size), cornerRadius(size));
    p.strokePath(outline, QPen(kSlotLine, 1.0, Qt::SolidLine));
}

const char* const kRankNames[13] = {"A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"};

// Row 4: the place where a pile must begin with one face.
void drawStartOutline(QImage& img, const CardSize& size, int face) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cell(face * size.w, 4 * size.h, size.w, size.h);
    drawSlot(p, cell, size);
    const QFont font = makeFont("DejaVu Sans", size.large ? 26 : 19, true);
    drawCentredText(p, QString::fromLatin1(kRankNames[face]), font, cell.center(), kSlotLine);
}

// Row 5, columns 9..12: the places for a jack, queen or king; for a redeal;
// for any card; for nothing.
void drawPlaceMarker(QImage& img, const CardSize& size, int column) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cell(column * size.w, 5 * size.h, size.w, size.h);
    const QPointF c = cell.center();
    const double s = size.large ? 1.0 : 0.72;  // drawing scale
    drawSlot(p, cell, size);
    switch (column) {
    case 9: {
        const double cw = 26 * s;
        const double ch = 16 * s;
        drawCrown(p, c.x() - cw / 2, c.y() - 18 * s, cw, ch, 12);
        const QFont font = makeFont("DejaVu Serif", 15 * s, true);
        drawCentredText(p, QStringLiteral("JQK"), font, QPointF(c.x(), c.y() + 12 * s), kSlotLine);
        break;
    }
    case 10: {
        // A circular arrow: three quarters of a ring and an arrowhead.
        const double r = 14 * s;
        const QColor green(120, 214, 130);
        QPen pen(green, 4.5 * s, Qt::SolidLine, Qt::FlatCap);
        p.setPen(pen);
        const QRectF ring(c.x() - r, c.y() - r, 2 * r, 2 * r);
        p.drawArc(ring, 100 * 16, 290 * 16);
        p.setPen(Qt::NoPen);
        // The arrowhead at the arc's start (100 degrees), pointing along it
        // (anticlockwise is the direction of the drawn sweep's reverse).
        const double a = 100.0 * kPi / 180.0;
        const QPointF tip(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
        const QPointF along(std::sin(a), std::cos(a));  // clockwise tangent on screen
        const QPointF out(std::cos(a), -std::sin(a));
        QPainterPath head;
        head.moveTo(tip + along * (7 * s));
        head.lineTo(tip - along * (1 * s) + out * (6.5 * s));
        head.lineTo(tip - along * (1 * s) - out * (6.5 * s));
        head.closeSubpath();
        p.fillPath(head, green);
        break;
    }
    case 11: {
        // Any card: the four suits.
        const double d = 8.5 * s;
        const double w = 13 * s;
        const double h = 14 * s;
        fillSuit(p, 0, c + QPointF(-d, -d), w, h, kSlotLine);
        fillSuit(p, 2, c + QPointF(d, -d), w, h, QColor(226, 96, 104));
        fillSuit(p, 3, c + QPointF(-d, d), w, h, QColor(226, 96, 104));
        fillSuit(p, 1, c + QPointF(d, d), w, h, kSlotLine);
        break;
    }
    case 12: {
        // Nothing may go here: a crossed circle.
        const double r = 14 * s;
        const QColor red(224, 80, 80);
        p.setPen(QPen(red, 3.5 * s));
        p.drawEllipse(c, r, r);
        const double k = r / std::numbers::sqrt2;
        p.drawLine(c + QPointF(-k, -k), c + QPointF(k, k));
        break;
    }
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Card backs: a white margin round a patterned field.


void latticeBack(QPainter& p, const QRectF& f, double s, QColor ground, QColor line, QColor dot) {
    p.fillRect(f, ground);
    const double step = 8 * s;
    p.setPen(QPen(line, 1.0 * s));
    const QPointF c = f.center();
    for (double k = -12; k <= 12; ++k) {
        const double o = k * step;
        p.drawLine(QPointF(c.x() + o - 100, c.y() - 100), QPointF(c.x() + o + 100, c.y() + 100));
        p.drawLine(QPointF(c.x() + o + 100, c.y() - 100), QPointF(c.x() + o - 100, c.y() + 100));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(dot);
    for (double i = -8; i <= 8; ++i) {
        for (double j = -8; j <= 8; ++j) {
            p.drawEllipse(QPointF(c.x() + i * step, c.y() + j * step + step / 2), 1.1 * s, 1.1 * s);
        }
    }
    p.setBrush(Qt::NoBrush);
}

void starBack(QPainter& p, const QRectF& f, double s) {
    QLinearGradient g(f.topLeft(), f.bottomRight());
    g.setColorAt(0, QColor(16, 28, 78));
    g.setColorAt(1, QColor(30, 50, 118));
    p.fillRect(f, g);
    const QPointF c = f.center();
    auto star = [&](QPointF at, double r, const QColor& col) { p.fillPath(starPath(at, r, 0.45), col); };
    const double step = 11 * s;
    for (int i = -4; i <= 4; ++i) {
        for (int j = -5; j <= 5; ++j) {
            const double ox = (j % 2 == 0) ? 0 : step / 2;
            star(QPointF(c.x() + i * step + ox, c.y() + j * step * 0.9), 2.6 * s, QColor(222, 186, 80));
        }
    }
    star(c, 11 * s, kGold);
}

void scaleBack(QPainter& p, const QRectF& f, double s) {
    p.fillRect(f, QColor(74, 34, 110));
    const double r = 6 * s;
    const QPointF c = f.center();
    for (int j = -8; j <= 8; ++j) {
        for (int i = -6; i <= 6; ++i) {
            const double ox = (j % 2 == 0) ? 0 : r;
            const QPointF at(c.x() + i * 2 * r + ox, c.y() + j * r);
            QRadialGradient g(at, r);
            g.setColorAt(0, QColor(150, 96, 196));
            g.setColorAt(1, QColor(92, 46, 136));
            p.setBrush(g);
            p.setPen(QPen(QColor(200, 160, 230), 0.8 * s));
            p.drawChord(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r), 0, -180 * 16);
        }
    }
    p.setBrush(Qt::NoBrush);
}

void tartanBack(QPainter& p, const QRectF& f, double s) {
    p.fillRect(f, QColor(176, 74, 26));
    const QPointF c = f.center();
    auto bands = [&](double width, double step, QColor col) {
        for (int k = -6; k <= 6; ++k) {
            const double o = k * step;
            p.fillRect(QRectF(c.x() + o - width / 2, f.top(), width, f.height()), col);
            p.fillRect(QRectF(f.left(), c.y() + o - width / 2, f.width(), width), col);
        }
    };
    bands(6 * s, 14 * s, QColor(120, 40, 20, 150));
    bands(1.5 * s, 14 * s, QColor(250, 210, 120, 200));
    bands(1.2 * s, 7 * s, QColor(60, 20, 10, 90));
}

void honeycombBack(QPainter& p, const QRectF& f, double s) {
    p.fillRect(f, QColor(16, 112, 112));
    const double r = 5.5 * s;
    const double w = std::sqrt(3.0) * r;
    const QPointF c = f.center();
    p.setPen(QPen(QColor(120, 214, 200), 1.0 * s));
    for (int j = -8; j <= 8; ++j) {
        for (int i = -6; i <= 6; ++i) {
            const QPointF at(c.x() + i * w + ((j & 1) != 0 ? w / 2 : 0), c.y() + j * 1.5 * r);
            QPolygonF hex;
            for (int k = 0; k < 6; ++k) {
                const double a = kPi / 6 + k * kPi / 3;
                hex << QPointF(at.x() + r * std::cos(a), at.y() + r * std::sin(a));
            }
            p.drawPolygon(hex);
        }
    }
    // A medallion in the middle.
    p.setPen(QPen(QColor(240, 230, 190), 1.2 * s));
    p.setBrush(QColor(10, 80, 84));
    p.drawEllipse(c, 9 * s, 9 * s);
    p.setBrush(Qt::NoBrush);
    fillSuit(p, 2, c + QPointF(0, 0.5 * s), 10 * s, 10 * s, QColor(240, 230, 190));
}

void rosetteBack(QPainter& p, const QRectF& f, double s) {
    p.fillRect(f, QColor(24, 96, 52));
    const QPointF c = f.center();
    p.setPen(QPen(QColor(150, 214, 150), 0.9 * s));
    for (int k = 0; k < 12; ++k) {
        const double a = k * kPi / 6;
        const QPointF at(c.x() + 9 * s * std::cos(a), c.y() + 9 * s * std::sin(a));
        p.drawEllipse(at, 9 * s, 9 * s);
    }
    for (double r = 22 * s; r < 60 * s; r += 5 * s) {
        p.drawEllipse(c, r, r * 1.25);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 220, 150));
    p.drawEllipse(c, 3 * s, 3 * s);
    p.setBrush(Qt::NoBrush);
}

void sunburstBack(QPainter& p, const QRectF& f, double s) {
    p.fillRect(f, QColor(22, 22, 26));
    const QPointF c = f.center();
    for (int k = 0; k < 24; ++k) {
        if (k % 2 != 0) {
            continue;
        }
        const double a0 = k * kPi / 12;
        const double a1 = (k + 1) * kPi / 12;
        QPainterPath ray;
        ray.moveTo(c);
        ray.lineTo(c + QPointF(100 * std::cos(a0), 100 * std::sin(a0)));
        ray.lineTo(c + QPointF(100 * std::cos(a1), 100 * std::sin(a1)));
        ray.closeSubpath();
        p.fillPath(ray, QColor(58, 50, 34));
    }
    p.setPen(QPen(kGold, 1.2 * s));
    p.drawRect(f.adjusted(3 * s, 3 * s, -3 * s, -3 * s));
    p.setPen(QPen(QColor(200, 160, 60), 0.8 * s));
    p.drawRect(f.adjusted(5 * s, 5 * s, -5 * s, -5 * s));
    p.setPen(Qt::NoPen);
    QPainterPath diamond;
    diamond.moveTo(c + QPointF(0, -12 * s));
    diamond.lineTo(c + QPointF(8 * s, 0));
    diamond.lineTo(c + QPointF(0, 12 * s));
    diamond.lineTo(c + QPointF(-8 * s, 0));
    diamond.closeSubpath();
    p.fillPath(diamond, kGold);
    p.setBrush(QColor(22, 22, 26));
    p.drawEllipse(c, 3 * s, 3 * s);
    p.setBrush(Qt::NoBrush);
}

void drawBack(QImage& img, const CardSize& size, int which) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cell(which * size.w, 5 * size.h, size.w, size.h);
    drawBlankCard(p, cell, size);
    const double margin = size.large ? 4 : 3;
    const double s = size.large ? 1.0 : 0.75;
    const QRectF field = cell.adjusted(margin, margin, -margin, -margin);
    QPainterPath clip;
    clip.addRoundedRect(field, 2, 2);
    p.save();
    p.setClipPath(clip);
    switch (which) {
    case 0: latticeBack(p, field, s, QColor(172, 26, 40), QColor(226, 110, 116), QColor(250, 214, 200)); break;
    case 1: rosetteBack(p, field, s); break;
    case 2: starBack(p, field, s); break;
    case 3: scaleBack(p, field, s); break;
    case 4: tartanBack(p, field, s); break;
    case 5: honeycombBack(p, field, s); break;
    case 6: latticeBack(p, field, s, QColor(28, 66, 156), QColor(112, 150, 226), QColor(214, 228, 255)); break;
    default: sunburstBack(p, field, s); break;
    }
    p.restore();
    // A thin line round the field.
    p.strokePath(clip, QPen(QColor(0, 0, 0, 90), 1.0));
}

QImage drawCardSheet(const CardSize& size) {
    QImage img(13 * size.w, 6 * size.h, QImage::Format_RGB32);
    img.fill(kSlot);
    for (int suit = 0; suit < 4; ++suit) {
        for (int face = 0; face < 13; ++face) {
            drawFace(img, size, suit, face);
        }
    }
    for (int face = 0; face < 13; ++face) {
        drawStartOutline(img, size, face);
    }
    for (int back = 0; back < 8; ++back) {
        drawBack(img, size, back);
    }
    for (int column = 9; column <= 12; ++column) {
        drawPlaceMarker(img, size, column);
    }
    return img;
}

// ---------------------------------------------------------------------------
// Table backgrounds. Each 64 x 64 tile is computed pixel by pixel from
// functions that repeat every 64 pixels, so the tiles join without seams;
// the patterns are also mirror-symmetric about the tile's middle lines.

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

double lattice(int ix, int iy, int px, int py, uint32_t seed) {
    const int x = ((ix % px) + px) % px;
    const int y = ((iy % py) + py) % py;
    return hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) / 4294967296.0;
}

// Smooth noise in 0..1 that repeats every 64 pixels: px x py lattice cells
// over the tile.
double noise(double x, double y, int px, int py, uint32_t seed) {
    const double fx = x * px / 64.0;
    const double fy = y * py / 64.0;
    const int ix = static_cast<int>(std::floor(fx));
    const int iy = static_cast<int>(std::floor(fy));
    double tx = fx - ix;
    double ty = fy - iy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const double a = lattice(ix, iy, px, py, seed);
    const double b = lattice(ix + 1, iy, px, py, seed);
    const double c = lattice(ix, iy + 1, px, py, seed);
    const double d = lattice(ix + 1, iy + 1, px, py, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Octaves of noise from cells of 64 / base pixels down, -0.5 .. 0.5.
double fbm(double x, double y, int base, int octaves, uint32_t seed) {
    double sum = 0;
    double amp = 0.5;
    double total = 0;
    int period = base;
    for (int o = 0; o < octaves && period <= 64; ++o) {
        sum += amp * noise(x, y, period, period, seed + static_cast<uint32_t>(o) * 101u);
        total += amp;
        amp *= 0.5;
        period *= 2;
    }
    return sum / total - 0.5;
}

// Fine grain of one pixel, -0.5 .. 0.5.
double grain(int x, int y, uint32_t seed) {
    return hash(static_cast<uint32_t>(x & 63), static_cast<uint32_t>(y & 63), seed) / 4294967296.0 - 0.5;
}

struct Colour {
    double r, g, b;
};
Colour operator*(Colour c, double k) { return {c.r * k, c.g * k, c.b * k}; }
Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour mix(Colour a, Colour b, double t) { return a * (1 - t) + b * t; }
Colour lift(Colour c, double d) { return {c.r + d, c.g + d, c.b + d}; }

QRgb toRgb(Colour c) {
    auto byte = [](double v) { return static_cast<int>(std::clamp(std::lround(v), 0L, 255L)); };
    return qRgb(byte(c.r), byte(c.g), byte(c.b));
}

// Distance (in pixels) from a pixel centre coordinate to the nearest line
// t = offset + k * period.
double periodicDistance(double t, double offset, double period) {
    double d = std::fmod(t - offset, period);
    if (d < 0) {
        d += period;
    }
    return std::min(d, period - d);
}

// Coverage of a line of the given half width at distance d: 1 on the line,
// 0 away from it, with one pixel of soft edge.
double lineCover(double d, double halfWidth) { return std::clamp(halfWidth + 0.5 - d, 0.0, 1.0); }

Colour felt(Colour base, double x, double y, int xi, int yi, uint32_t seed) {
    const double mottle = fbm(x, y, 4, 4, seed);
    return lift(base * (1.0 + 0.16 * mottle), 7.0 * grain(xi, yi, seed + 7));
}

// Wood: planks 16 pixels wide with their joints at 8, 24, 40 and 56.
Colour planks(Colour light, Colour dark, double along, double across, int ia, int ic, uint32_t seed) {
    const int plank = static_cast<int>(std::floor((across + 8) / 16)) & 3;
    const double figure = fbm(along, across, 2, 3, seed);
    const double rings = 0.5 + 0.5 * std::sin(2 * kPi * (4 * across / 64.0 + 1.6 * figure + 0.25 * plank));
    const double streak = noise(along, across, 4, 64, seed + 3);
    Colour c = mix(light, dark, 0.55 * rings + 0.35 * streak);
    c = c * (1.0 + 0.07 * (plank - 1.5) / 1.5);
    c = lift(c, 5.0 * grain(ia, ic, seed + 9));
    // The dark gap between planks, and one butt joint in each plank.
    const double gap = lineCover(periodicDistance(across, 8, 16), 0.5);
    static const double joints[4] = {20.5, 44.5, 12.5, 52.5};
    const double inPlank = std::fmod(across + 8 + 64, 16.0);
    const double joint = (inPlank > 0.6 && inPlank < 15.4)
                             ? lineCover(std::fabs(along - joints[plank]), 0.5)
                             : 0.0;
    return mix(c, dark * 0.55, std::max(gap, joint) * 0.8);
}

QRgb backgroundPixel(int which, int xi, int yi) {
    const double x = xi + 0.5;
    const double y = yi + 0.5;
    const uint32_t seed = 1000u + static_cast<uint32_t>(which) * 17u;
    switch (which) {
    case 0:  // billiard green
        return toRgb(felt({38, 136, 70}, x, y, xi, yi, seed));
    case 1:  // royal blue felt
        return toRgb(felt({34, 66, 140}, x, y, xi, yi, seed));
    case 2:  // burgundy felt
        return toRgb(felt({118, 26, 40}, x, y, xi, yi, seed));
    case 3:  // oak planks
        return toRgb(planks({196, 146, 90}, {150, 100, 56}, x, y, xi, yi, seed));
    case 4:  // walnut planks, upright
        return toRgb(planks({110, 70, 44}, {70, 42, 26}, y, x, yi, xi, seed));
    case 5: {  // navy with a gold lattice
        Colour c = felt({26, 36, 78}, x, y, xi, yi, seed);
        const double d1 = periodicDistance(x + y, 32, 64) / std::numbers::sqrt2;
        const double d2 = periodicDistance(x - y, 32, 64) / std::numbers::sqrt2;
        c = mix(c, {190, 152, 70}, 0.8 * lineCover(std::min(d1, d2), 0.45));
        const double dx = periodicDistance(x, 0, 32);
        const double dy = periodicDistance(y, 0, 32);
        const bool centre = (static_cast<int>(std::floor((x + 16) / 32)) + static_cast<int>(std::floor((y + 16) / 32))) % 2 == 0;
        if (centre) {
            c = mix(c, {214, 178, 92}, lineCover(std::hypot(dx, dy), 1.6));
        }
        return toRgb(c);
    }
    case 6: {  // teal argyle
        const double u = (x + y) / 32.0;
        const double v = (x - y) / 32.0;
        const bool odd = ((static_cast<int>(std::floor(u)) + static_cast<int>(std::floor(v))) & 1) != 0;
        Colour c = felt(odd ? Colour{22, 104, 106} : Colour{32, 126, 124}, x, y, xi, yi, seed);
        const double d1 = periodicDistance(x + y, 16, 32) / std::numbers::sqrt2;
        const double d2 = periodicDistance(x - y, 16, 32) / std::numbers::sqrt2;
        const double along1 = periodicDistance(x - y, 0, 6);
        const double along2 = periodicDistance(x + y, 0, 6);
        const double stitch = std::max(along1 < 1.6 ? lineCover(d1, 0.4) : 0.0,
                                       along2 < 1.6 ? lineCover(d2, 0.4) : 0.0);
        return toRgb(mix(c, {200, 226, 214}, 0.6 * stitch));
    }
    case 7: {  // slate
        const double m = fbm(x, y, 2, 5, seed);
        const double vein = std::pow(1.0 - std::fabs(std::sin(2 * kPi * (x / 64.0 + 2 * y / 64.0 + 1.5 * m))), 12);
        Colour c = lift(Colour{78, 86, 96} * (1.0 + 0.35 * m), 5.0 * grain(xi, yi, seed));
        return toRgb(mix(c, {112, 120, 130}, 0.6 * vein));
    }
    case 8: {  // purple velvet with a soft sheen
        const double sheen = 0.5 + 0.5 * std::sin(2 * kPi * (x + y) / 64.0 + 3.0 * fbm(x, y, 2, 3, seed));
        return toRgb(felt(mix({70, 26, 92}, {118, 56, 146}, sheen * 0.7), x, y, xi, yi, seed + 1));
    }
    case 9: {  // linen: uneven threads both ways
        const double warp = noise(x, y, 64, 2, seed + 5) - 0.5;
        const double weft = noise(x, y, 2, 64, seed + 6) - 0.5;
        Colour c = felt({196, 178, 140}, x, y, xi, yi, seed);
        return toRgb(lift(c, 16.0 * (warp + weft)));
    }
    case 10: {  // two greens in squares
        const bool odd = ((static_cast<int>(std::floor((x + 8) / 16)) + static_cast<int>(std::floor((y + 8) / 16))) & 1) != 0;
        return toRgb(felt(odd ? Colour{28, 104, 56} : Colour{40, 122, 68}, x, y, xi, yi, seed));
    }
    case 11: {  // pale marble
        const double m = fbm(x, y, 2, 5, seed);
        const double vein = std::pow(1.0 - std::fabs(std::sin(2 * kPi * (2 * x / 64.0 + y / 64.0 + 2.2 * m))), 10);
        const double vein2 = std::pow(1.0 - std::fabs(std::sin(2 * kPi * (x / 64.0 - 2 * y / 64.0 + 1.4 * m))), 18);
        Colour c = lift(Colour{206, 206, 200} * (1.0 + 0.05 * m), 3.0 * grain(xi, yi, seed));
        c = mix(c, {140, 142, 148}, 0.55 * vein);
        return toRgb(mix(c, {160, 150, 140}, 0.4 * vein2));
    }
    case 12: {  // crimson with rings
        Colour c = felt({132, 20, 34}, x, y, xi, yi, seed);
        const double dx = periodicDistance(x, 0, 32);
        const double dy = periodicDistance(y, 0, 32);
        const double r = std::hypot(dx, dy);
        const double ring = lineCover(std::fabs(r - 11.5), 0.5);
        const double dot = lineCover(std::hypot(periodicDistance(x, 16, 32), periodicDistance(y, 16, 32)), 1.5);
        c = mix(c, {196, 96, 92}, 0.55 * std::max(ring, dot));
        return toRgb(c);
    }
    case 13: {  // ocean
        const double wave = periodicDistance(y + 3.0 * std::sin(2 * kPi * 2 * x / 64.0), 8, 16);
        Colour c = felt(mix({24, 92, 150}, {18, 70, 126}, std::clamp(wave / 8.0, 0.0, 1.0)), x, y, xi, yi, seed);
        return toRgb(mix(c, {130, 190, 226}, 0.45 * lineCover(wave, 0.6)));
    }
    case 14: {  // carbon weave
        const int cx = static_cast<int>(std::floor((x + 4) / 8));
        const int cy = static_cast<int>(std::floor((y + 4) / 8));
        const double fx = std::fmod(x + 4 + 64, 8.0) / 8.0;
        const double fy = std::fmod(y + 4 + 64, 8.0) / 8.0;
        const bool across = ((cx + cy) & 1) != 0;
        const double t = across ? fy : fx;
        const double shade = std::sin(kPi * t);
        return toRgb(lift(Colour{34, 36, 40} + Colour{20, 21, 24} * shade, 3.0 * grain(xi, yi, seed)));
    }
    default:  // the classic card-room felt
        return toRgb(felt({22, 104, 52}, x, y, xi, yi, seed));
    }
}

void drawTableBackgrounds(QImage& img) {
    for (int i = 0; i < 16; ++i) {
        const int ox = (i % 8) * 64;
        const int oy = (i / 8) * 64;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                img.setPixel(ox + x, oy + y, backgroundPixel(i, x, y));
            }
        }
    }
}

// The card counter's grid: 13 columns x 4 rows of 14 x 16 cells; a card's
// corner goes at (1, 1) of its cell, so the lines run along the other edges.
void drawCounterGrid(QImage& img, int ox, int oy) {
    QPainter p(&img);
    const QColor paper(238, 236, 226);
    const QColor rule(150, 150, 140);
    p.fillRect(QRect(ox, oy, 182, 64), paper);
    for (int row = 0; row < 4; ++row) {
        // Every other suit row a shade darker, to guide the eye.
        if (row % 2 == 1) {
            p.fillRect(QRect(ox, oy + row * 16, 182, 16), QColor(226, 226, 214));
        }
    }
    for (int col = 0; col < 13; ++col) {
        p.fillRect(QRect(ox + col * 14 + 13, oy, 1, 64), rule);
    }
    for (int row = 0; row < 4; ++row) {
        p.fillRect(QRect(ox, oy + row * 16 + 15, 182, 1), rule);
    }
}

// The win tile, 216 x 64: laid over the whole table once a game is won.
void drawWinTile(QImage& img, int ox, int oy) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(ox, oy, 216, 64);
    p.fillRect(tile, QColor(24, 30, 84));
    p.setClipRect(tile);
    auto star = [&](QPointF at, double r, const QColor& col) { p.fillPath(starPath(at, r, 0.42), col); };
    // Confetti and stars, kept clear of the edges so the tiles join cleanly.
    const QColor confetti[5] = {QColor(236, 90, 90), QColor(90, 200, 120), QColor(96, 160, 240),
                                QColor(240, 200, 70), QColor(220, 120, 220)};
    for (int k = 0; k < 26; ++k) {
        const double fx = 6 + (hash(static_cast<uint32_t>(k), 1, 77) % 204);
        const double fy = 6 + (hash(static_cast<uint32_t>(k), 2, 77) % 52);
        if (fx > 40 && fx < 176 && fy > 16 && fy < 50) {
            continue;  // leave the words clear
        }
        p.save();
        p.translate(ox + fx, oy + fy);
        p.rotate(static_cast<double>(hash(static_cast<uint32_t>(k), 3, 77) % 180));
        p.fillRect(QRectF(-2.5, -1, 5, 2), confetti[k % 5]);
        p.restore();
    }
    const QPointF stars[] = {{18, 14}, {24, 48}, {198, 16}, {192, 48}, {108, 8}, {108, 57}};
    for (size_t i = 0; i < std::size(stars); ++i) {
        star(QPointF(ox, oy) + stars[i], i < 4 ? 7.0 : 4.0, kGold);
    }
    const QFont font = makeFont("DejaVu Serif", 26, true, true);
    drawCentredText(p, QStringLiteral("You won!"), font, QPointF(ox + 108 + 1.5, oy + 33.5), QColor(10, 12, 40));
    drawCentredText(p, QStringLiteral("You won!"), font, QPointF(ox + 108, oy + 32), kGold);
}

// The edit-mode marker: a yellow square with a pencil.
void drawEditMarker(QImage& img, int ox, int oy) {
    QPainter p(&img);
    p.fillRect(QRect(ox, oy, 16, 16), kBlack);
    p.fillRect(QRect(ox + 1, oy + 1, 14, 14), QColor(255, 222, 0));
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(ox + 8, oy + 8);
    p.rotate(-45);
    p.fillRect(QRectF(-4, -1.8, 7, 3.6), kBlack);
    QPainterPath tip;
    tip.moveTo(-4.5, -1.8);
    tip.lineTo(-7, 0);
    tip.lineTo(-4.5, 1.8);
    tip.closeSubpath();
    p.fillPath(tip, kBlack);
    p.fillRect(QRectF(3.8, -1.8, 2, 3.6), QColor(200, 40, 40));
}

QImage drawBackSheet() {
    QImage img(512, 192, QImage::Format_RGB32);
    img.fill(QColor(48, 48, 48));
    drawTableBackgrounds(img);
    drawCounterGrid(img, 0, 128);
    drawWinTile(img, 182, 128);
    drawEditMarker(img, 448, 128);
    return img;
}

// ---------------------------------------------------------------------------
// The text font: DejaVu Sans Mono Bold drawn without smoothing in 8 x 16
// cells, one byte a pixel, 1 for ink.

std::vector<uint8_t> drawFont() {
    constexpr int cols = 16;
    constexpr int cellW = 8;
    constexpr int cellH = 16;
    QImage img(cols * cellW, 6 * cellH, QImage::Format_RGB32);
    img.fill(kWhite);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(13);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    {
        QPainter p(&img);
        p.setFont(font);
        p.setPen(kBlack);
        for (int c = 33; c < 127; ++c) {
            const int x = ((c - 32) % cols) * cellW;
            const int y = ((c - 32) / cols) * cellH;
            p.setClipRect(QRect(x, y, cellW, cellH));
            p.drawText(QPointF(x, y + 12), QString(QChar(c)));
        }
        // 127 has no glyph of its own: a small house, as on the old screens.
        p.setClipRect(QRect(15 * cellW, 5 * cellH, cellW, cellH));
        const int x = 15 * cellW;
        const int y = 5 * cellH;
        p.setRenderHint(QPainter::Antialiasing, false);
        p.drawLine(x + 1, y + 12, x + 6, y + 12);
        p.drawLine(x + 1, y + 8, x + 1, y + 12);
        p.drawLine(x + 6, y + 8, x + 6, y + 12);
        p.drawLine(x + 1, y + 8, x + 3, y + 5);
        p.drawLine(x + 6, y + 8, x + 4, y + 5);
    }
    std::vector<uint8_t> out(static_cast<size_t>(img.width() * img.height()));
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            out[static_cast<size_t>(y * img.width() + x)] = qGray(img.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------

void countColours(Histogram& histogram, const QImage& img) {
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            ++histogram[line[x] & 0xFFFFFF];
        }
    }
}

std::vector<uint8_t> toIndices(const QImage& img, NearestColour& nearest) {
    std::vector<uint8_t> out(static_cast<size_t>(img.width()) * static_cast<size_t>(img.height()));
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            out[static_cast<size_t>(y) * static_cast<size_t>(img.width()) + static_cast<size_t>(x)] =
                nearest.index(line[x]);
        }
    }
    return out;
}

bool writePicture(const QString& dir, const char* name, int width, int height,
                  const std::vector<uint8_t>& pixels, const Palette& palette) {
    const std::string path = (dir + QLatin1Char('/') + QLatin1String(name)).toStdString();
    const std::vector<uint8_t> bytes = korvat::tools::encodePcx(width, height, pixels, palette);
    if (bytes.empty() || !korvat::tools::writeFile(path, bytes)) {
        std::fprintf(stderr, "korvat-make-pictures: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvat-make-pictures OUTDIR\n");
        return 2;
    }
    korvat::tools::drawWithoutDisplay();
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "korvat-make-pictures: cannot make %s\n", argv[1]);
        return 1;
    }

    const QImage large = drawCardSheet(kLarge);
    const QImage small = drawCardSheet(kSmall);
    const QImage back = drawBackSheet();

    Histogram histogram;
    countColours(histogram, large);
    countColours(histogram, small);
    countColours(histogram, back);
    const Palette palette = korvat::tools::buildPalette(exactColours(), histogram);
    NearestColour nearest(palette);

    // The font keeps a palette of its own: paper white at 0, ink black at 1.
    Palette fontPalette{};
    for (size_t i = 0; i < fontPalette.size(); ++i) {
        fontPalette[i] = i == 0 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    }

    bool ok = true;
    ok = writePicture(dir, "LARGE.PCX", large.width(), large.height(), toIndices(large, nearest), palette) && ok;
    ok = writePicture(dir, "SMALL.PCX", small.width(), small.height(), toIndices(small, nearest), palette) && ok;
    ok = writePicture(dir, "BACK.PCX", back.width(), back.height(), toIndices(back, nearest), palette) && ok;
    ok = writePicture(dir, "FONT.PCX", 128, 96, drawFont(), fontPalette) && ok;
    return ok ? 0 : 1;
}
