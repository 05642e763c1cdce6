// The other cells of the card art: the empty places that must start with a
// face, the pile markers and the eight card backs; and the card picture
// cell by cell and whole.
#include <QLinearGradient>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>
#include <cmath>
#include <numbers>

#include "art/card_art.h"
#include "art/card_cells.h"

namespace korvat::art {

namespace {

// An empty place: a dark slot with a faint rounded outline.
void drawSlot(QPainter& p, QRectF cell, const CardSize& size) {
    p.fillRect(cell, kSlot);
    QPainterPath outline;
    outline.addRoundedRect(cell.adjusted(1.5, 1.5, -1.5, -1.5), cornerRadius(size), cornerRadius(size));
    p.strokePath(outline, QPen(kSlotLine, 1.0, Qt::SolidLine));
}

const char* const kRankNames[13] = {"A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"};

// Row 4: the place where a pile must begin with one face.
void drawStartOutline(QImage& img, const CardSize& size, int face, const QRect& target) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cell = mapCell(p, QPointF(face * size.w, 4 * size.h), size.w, size.h, target).rect;
    drawSlot(p, cell, size);
    const QFont font = makeFont("DejaVu Sans", size.large ? 26 : 19, true);
    drawCentredText(p, QString::fromLatin1(kRankNames[face]), font, cell.center(), kSlotLine);
}

// Row 5, columns 9..12: the places for a jack, queen or king; for a redeal;
// for any card; for nothing.
void drawPlaceMarker(QImage& img, const CardSize& size, int column, const QRect& target) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cell = mapCell(p, QPointF(column * size.w, 5 * size.h), size.w, size.h, target).rect;
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

void drawBack(QImage& img, const CardSize& size, int which, const QRect& target) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cell = mapCell(p, QPointF(which * size.w, 5 * size.h), size.w, size.h, target).rect;
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

}  // namespace

void drawCardCell(QImage& img, const CardSize& size, int column, int row, const QRect& target) {
    if (column < 0 || column > 12 || row < 0 || row > 5) return;
    if (row < 4) {
        drawFace(img, size, row, column, target);
    } else if (row == 4) {
        drawStartOutline(img, size, column, target);
    } else if (column < 8) {
        drawBack(img, size, column, target);
    } else if (column > 8) {
        drawPlaceMarker(img, size, column, target);
    } else {
        // Not used: the colour of an empty place.
        QPainter p(&img);
        p.fillRect(target, kSlot);
    }
}

QImage drawCardSheet(const CardSize& size) {
    QImage img(13 * size.w, 6 * size.h, QImage::Format_RGB32);
    img.fill(kSlot);
    auto at = [&size](int column, int row) { return QRect(column * size.w, row * size.h, size.w, size.h); };
    for (int suit = 0; suit < 4; ++suit) {
        for (int face = 0; face < 13; ++face) {
            drawFace(img, size, suit, face, at(face, suit));
        }
    }
    for (int face = 0; face < 13; ++face) {
        drawStartOutline(img, size, face, at(face, 4));
    }
    for (int back = 0; back < 8; ++back) {
        drawBack(img, size, back, at(back, 5));
    }
    for (int column = 9; column <= 12; ++column) {
        drawPlaceMarker(img, size, column, at(column, 5));
    }
    return img;
}

}  // namespace korvat::art
