// The card faces of the card art: the white card and its border, the corner
// index of rank and suit, the pips, the aces and the court cards.
#include <QLinearGradient>
#include <QString>
#include <array>
#include <string>
#include <vector>

#include "art/card_art.h"
#include "art/card_cells.h"

namespace korvat::art {

namespace {

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

// The vector form of a pixel drawing, for every size but 1x: the rank's
// letters, bold, or the suit's shape, filling the box the pixels fill at 1x.
void fillRankBox(QPainter& p, int face, QRectF box, const QColor& ink, bool turned) {
    // Each rank's shape is made once.
    static QPainterPath paths[13];
    QPainterPath& path = paths[face];
    if (path.isEmpty()) {
        static const char* const names[13] = {"A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"};
        path.addText(0, 0, makeFont("DejaVu Sans", 40, true), QString::fromLatin1(names[face]));
    }
    const QRectF ink0 = path.boundingRect();
    p.save();
    p.translate(box.center());
    if (turned) p.rotate(180);
    p.scale(box.width() / ink0.width(), box.height() / ink0.height());
    p.translate(-ink0.center());
    p.fillPath(path, ink);
    p.restore();
}

void fillSuitBox(QPainter& p, int suit, QRectF box, const QColor& ink, bool turned) {
    fillSuit(p, suit, box.center(), box.width(), box.height(), ink, turned);
}

QRectF boxOf(double x, double y, const Bitmap& bitmap) {
    return QRectF(x, y, bitmapWidth(bitmap), static_cast<double>(bitmap.size()));
}

}  // namespace

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

namespace {

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

// drawIndex as shapes, for every size but 1x: the same boxes, filled.
void drawIndexShapes(QPainter& p, double x0, double y0, const CardSize& size, int suit, int face) {
    const QColor ink = suitInk(suit);
    const Bitmap& pip = kSuitBitmaps[static_cast<size_t>(suit)];
    if (!size.large) {
        const Bitmap& rank = face == 9 ? kRank10Narrow : rankBitmap(face);
        fillRankBox(p, face, boxOf(x0 + (face == 9 ? 1 : 2), y0 + 2, rank), ink, false);
        fillSuitBox(p, suit, boxOf(x0 + 2, y0 + 10, pip), ink, false);
        fillSuitBox(p, suit, boxOf(x0 + 14, y0 + 2, kSideSuitBitmaps[static_cast<size_t>(suit)]), ink, false);
        return;
    }
    const Bitmap& rank = rankBitmap(face);
    const int rankX = face == 9 ? 2 : 3;
    fillRankBox(p, face, boxOf(x0 + rankX, y0 + 2, rank), ink, false);
    fillSuitBox(p, suit, boxOf(x0 + 3, y0 + 10, pip), ink, false);
    const double bx = x0 + size.w - 2 - 12;
    const double by = y0 + size.h - 2 - 14;
    fillRankBox(p, face, boxOf(bx + 14 - rankX - bitmapWidth(rank), by + 7, rank), ink, true);
    fillSuitBox(p, suit, boxOf(bx + 4, by, pip), ink, true);
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

}  // namespace

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

namespace {

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

}  // namespace

void drawFace(QImage& img, const CardSize& size, int suit, int face, const QRect& target) {
    bool unit = true;
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const Cell cell = mapCell(p, QPointF(face * size.w, suit * size.h), size.w, size.h, target);
        unit = cell.unit;
        drawBlankCard(p, cell.rect, size);
        if (face == 0) {
            drawAce(p, cell.rect, size, suit);
        } else if (face < 10) {
            drawPips(p, cell.rect, size, suit, face + 1);
        } else {
            drawCourt(p, cell.rect, size, suit, face);
        }
        if (!unit) drawIndexShapes(p, cell.rect.x(), cell.rect.y(), size, suit, face);
    }
    if (unit) drawIndex(img, target.x(), target.y(), size, suit, face);
}

}  // namespace korvat::art
