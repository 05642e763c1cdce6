// korvat-make-icons OUTDIR
//
// Draws the program's icons and its carrying cursor and writes them to
// OUTDIR as PNG files with a transparent background:
//   korvat.png, korvat-32.png, korvat-16.png
//                      the main window's icon at 64, 32 and 16 pixels: a
//                      card face down with the ace of hearts fanned over it
//   korvat-small.png   32 x 32, the card counter's and graph's windows: a
//                      card with a little bar chart before it
//   select-1107.png    32 x 32, left in the Select Game dialog: a fan of
//                      three cards
//   select-1105.png    32 x 32, right in the Select Game dialog: a die,
//                      for the deal number that chooses the shuffle
//   carry-cursor.png   32 x 32, shown while cards are carried: an arrow
//                      with a card hanging from it. Its hot spot, the tip of
//                      the arrow, is pixel (1, 1); the file also carries it
//                      as the PNG texts "HotSpotX" and "HotSpotY".
// Only the 64 pixel main icon uses a font (DejaVu Sans, for the ace's
// corner); everything else is shapes, so the output depends on nothing else.
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QString>

#include <algorithm>
#include <cstdio>

#include "drawing_tools.h"

namespace {

const QColor kPaper(255, 255, 255);
const QColor kEdge(52, 52, 58);
const QColor kRedInk(208, 18, 36);
const QColor kBlackInk(20, 20, 24);
const QColor kBackField(28, 66, 156);
const QColor kBackLine(112, 150, 226);
const QColor kBackDot(214, 228, 255);

constexpr int kHotSpotX = 1;
constexpr int kHotSpotY = 1;

QImage blankImage(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// Fills a unit shape scaled into box.
void fillShape(QPainter& p, const QPainterPath& shape, const QRectF& box, const QColor& colour) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width(), box.height());
    p.fillPath(shape, colour);
    p.restore();
}

// ---------------------------------------------------------------------------
// Cards. A card is drawn in its own upright frame (origin at its top left)
// after the painter has been turned to the card's angle.

QPainterPath cardOutline(const QRectF& r, double radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// A white card with a dark rim.
void cardBlank(QPainter& p, const QRectF& r, double radius, double rim) {
    const QPainterPath outline = cardOutline(r, radius);
    p.fillPath(outline, kPaper);
    p.strokePath(outline, QPen(kEdge, rim));
}

// A face-down card: a white margin round a blue lattice.
void cardBack(QPainter& p, const QRectF& r, double radius, double rim, double margin, bool pattern) {
    cardBlank(p, r, radius, rim);
    const QRectF field = r.adjusted(margin, margin, -margin, -margin);
    QPainterPath fieldPath;
    fieldPath.addRoundedRect(field, radius * 0.5, radius * 0.5);
    p.fillPath(fieldPath, kBackField);
    if (!pattern) {
        return;
    }
    p.save();
    p.setClipPath(fieldPath);
    const double step = field.width() / 4.0;
    p.setPen(QPen(kBackLine, std::max(0.8, step * 0.14)));
    const QPointF c = field.center();
    const double reach = field.height();
    for (int k = -8; k <= 8; ++k) {
        const double o = k * step;
        p.drawLine(QPointF(c.x() + o - reach, c.y() - reach), QPointF(c.x() + o + reach, c.y() + reach));
        p.drawLine(QPointF(c.x() + o + reach, c.y() - reach), QPointF(c.x() + o - reach, c.y() + reach));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kBackDot);
    for (int i = -4; i <= 4; ++i) {
        for (int j = -6; j <= 6; ++j) {
            p.drawEllipse(QPointF(c.x() + i * step, c.y() + (j + 0.5) * step), step * 0.16, step * 0.16);
        }
    }
    p.restore();
}

// Turns the painter by `degrees` about `pivot`.
void turnAbout(QPainter& p, QPointF pivot, double degrees) {
    p.translate(pivot);
    p.rotate(degrees);
    p.translate(-pivot);
}

// ---------------------------------------------------------------------------
// The main window's icon. The design is 64 units wide and is drawn at 64
// and 32 pixels; at 16 pixels there is no room for turned cards, so the
// two cards stand upright, drawn pixel by pixel.

QImage mainIcon(int size) {
    QImage img = blankImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    p.scale(s, s);
    const bool detailed = size >= 48;
    const double rim = 1.0 / s;
    const QPointF pivot(32.0, 60.0);
    const QRectF card(17.0, 12.0, 30.0, 44.0);

    p.save();
    turnAbout(p, pivot, -16.0);
    p.translate(-2.0, 0.0);
    cardBack(p, card, 4.0, rim, 3.0, true);
    p.restore();

    p.save();
    turnAbout(p, pivot, 12.0);
    p.translate(5.0, 0.0);
    cardBlank(p, card, 4.0, rim);
    const QPainterPath heart = korvat::tools::suitPath(2);
    if (detailed) {
        fillShape(p, heart, QRectF(card.left() + 7.0, card.top() + 14.5, 16.0, 15.0), kRedInk);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(9);
        font.setBold(true);
        font.setHintingPreference(QFont::PreferNoHinting);
        QPainterPath letter;
        letter.addText(0, 0, font, QStringLiteral("A"));
        const QRectF box = letter.boundingRect();
        // The corner, and the same corner turned half round at the bottom.
        for (int turn = 0; turn < 2; ++turn) {
            p.save();
            if (turn == 1) {
                p.translate(card.center());
                p.rotate(180.0);
                p.translate(-card.center());
            }
            p.save();
            p.translate(card.left() + 3.0 - box.left(), card.top() + 3.0 - box.top());
            p.fillPath(letter, kRedInk);
            p.restore();
            fillShape(p, heart, QRectF(card.left() + 2.6, card.top() + 11.5, 5.0, 5.0), kRedInk);
            p.restore();
        }
    } else {
        fillShape(p, heart, QRectF(card.left() + 5.0, card.top() + 12.0, 20.0, 19.0), kRedInk);
    }
    p.restore();
    return img;
}

QImage mainIconTiny() {
    QImage img = blankImage(16);
    QPainter p(&img);
    p.setPen(kEdge);
    p.setBrush(kPaper);
    p.drawRect(1, 1, 8, 11);  // 9 x 12 pixels with the rim
    p.fillRect(3, 3, 5, 8, kBackField);
    p.fillRect(4, 5, 3, 4, kBackLine);
    p.setPen(kEdge);
    p.setBrush(kPaper);
    p.drawRect(6, 3, 8, 11);
    // A heart of 5 x 5 pixels.
    const char* rows[] = {".#.#.", "#####", "#####", ".###.", "..#.."};
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            if (rows[y][x] == '#') {
                img.setPixelColor(8 + x, 6 + y, kRedInk);
            }
        }
    }
    return img;
}

// ---------------------------------------------------------------------------
// The card counter's and graph's icon: an upright card with a spade, and
// three rising bars standing before its lower right corner.

QImage counterIcon() {
    QImage img = blankImage(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF card(2.5, 1.5, 20.0, 28.0);
    cardBlank(p, card, 2.5, 1.0);
    fillShape(p, korvat::tools::suitPath(0), QRectF(6.0, 5.0, 10.0, 11.0), kBlackInk);

    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor bar(40, 150, 70);
    const QColor barEdge(14, 70, 30);
    const int heights[3] = {8, 14, 21};
    for (int i = 0; i < 3; ++i) {
        const int x = 15 + i * 5;
        const int h = heights[i];
        p.setPen(barEdge);
        p.setBrush(bar);
        p.drawRect(x, 29 - h, 4, h);  // 5 x (h + 1) pixels with the outline
    }
    return img;
}

// ---------------------------------------------------------------------------
// The two pictures of the Select Game dialog.

QImage fanIcon() {
    QImage img = blankImage(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF pivot(16.0, 30.0);
    const QRectF card(10.0, 6.0, 12.0, 18.0);
    // Each card hides the right side of the one before, so the left two
    // show their suit in the top left corner.
    p.save();
    turnAbout(p, pivot, -22.0);
    cardBack(p, card, 2.0, 1.0, 1.8, true);
    p.restore();
    p.save();
    cardBlank(p, card, 2.0, 1.0);
    fillShape(p, korvat::tools::suitPath(0), QRectF(card.left() + 1.6, card.top() + 2.0, 5.5, 6.5), kBlackInk);
    p.restore();
    p.save();
    turnAbout(p, pivot, 22.0);
    cardBlank(p, card, 2.0, 1.0);
    fillShape(p, korvat::tools::suitPath(3), QRectF(card.left() + 2.0, card.top() + 3.5, 8.0, 11.0), kRedInk);
    p.restore();
    return img;
}

QImage dieIcon() {
    QImage img = blankImage(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The side of the die, seen a little from above, then its face.
    QPainterPath side;
    side.addRoundedRect(QRectF(4.5, 6.5, 24.0, 24.0), 5.0, 5.0);
    p.fillPath(side, QColor(180, 184, 196));
    p.strokePath(side, QPen(kEdge, 1.0));
    QPainterPath face;
    face.addRoundedRect(QRectF(3.5, 2.5, 24.0, 24.0), 5.0, 5.0);
    QLinearGradient shine(3.5, 2.5, 27.5, 26.5);
    shine.setColorAt(0.0, QColor(255, 255, 255));
    shine.setColorAt(1.0, QColor(226, 230, 238));
    p.fillPath(face, shine);
    p.strokePath(face, QPen(kEdge, 1.0));
    // Five, with the middle pip red.
    const QPointF c(15.5, 14.5);
    const double d = 6.5;
    p.setPen(Qt::NoPen);
    p.setBrush(kBlackInk);
    for (const QPointF& o : {QPointF(-d, -d), QPointF(d, -d), QPointF(-d, d), QPointF(d, d)}) {
        p.drawEllipse(c + o, 2.3, 2.3);
    }
    p.setBrush(kRedInk);
    p.drawEllipse(c, 2.6, 2.6);
    return img;
}

// ---------------------------------------------------------------------------
// The carrying cursor: the usual arrow, drawn pixel-sharp with its tip on
// the hot spot, and a small face-down card hanging below it.

QImage carryCursor() {
    QImage img = blankImage(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.save();
    turnAbout(p, QPointF(18.0, 19.0), 12.0);
    // A soft shadow first, so the card stands off a table of its own colour.
    QPainterPath shadow;
    shadow.addRoundedRect(QRectF(11.5, 10.5, 14.0, 19.0), 2.0, 2.0);
    p.fillPath(shadow, QColor(0, 0, 0, 70));
    cardBack(p, QRectF(10.0, 9.0, 14.0, 19.0), 2.0, 1.0, 1.8, true);
    p.restore();

    p.setRenderHint(QPainter::Antialiasing, false);
    const QPolygon arrow({QPoint(kHotSpotX, kHotSpotY), QPoint(kHotSpotX, kHotSpotY + 16),
                          QPoint(kHotSpotX + 4, kHotSpotY + 12), QPoint(kHotSpotX + 7, kHotSpotY + 18),
                          QPoint(kHotSpotX + 9, kHotSpotY + 17), QPoint(kHotSpotX + 6, kHotSpotY + 11),
                          QPoint(kHotSpotX + 11, kHotSpotY + 11)});
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
    p.end();

    img.setText(QStringLiteral("HotSpotX"), QString::number(kHotSpotX));
    img.setText(QStringLiteral("HotSpotY"), QString::number(kHotSpotY));
    return img;
}

// ---------------------------------------------------------------------------

bool writeIcon(const QString& dir, const char* name, const QImage& img) {
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
    if (!img.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
        std::fprintf(stderr, "korvat-make-icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvat-make-icons OUTDIR\n");
        return 2;
    }
    korvat::tools::drawWithoutDisplay();
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "korvat-make-icons: cannot make %s\n", argv[1]);
        return 1;
    }
    bool ok = writeIcon(dir, "korvat.png", mainIcon(64));
    ok = writeIcon(dir, "korvat-32.png", mainIcon(32)) && ok;
    ok = writeIcon(dir, "korvat-16.png", mainIconTiny()) && ok;
    ok = writeIcon(dir, "korvat-small.png", counterIcon()) && ok;
    ok = writeIcon(dir, "select-1107.png", fanIcon()) && ok;
    ok = writeIcon(dir, "select-1105.png", dieIcon()) && ok;
    ok = writeIcon(dir, "carry-cursor.png", carryCursor()) && ok;
    return ok ? 0 : 1;
}
