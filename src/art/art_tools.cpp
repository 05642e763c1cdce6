#include "art/art_tools.h"

#include <cmath>

namespace korvat::art {

Cell mapCell(QPainter& p, QPointF origin, double w, double h, const QRect& target) {
    Cell cell{QRectF(origin, QSizeF(w, h)), target.width() == w && target.height() == h};
    if (cell.unit && target.topLeft() == origin) return cell;
    const double sx = target.width() / w, sy = target.height() / h;
    p.translate(target.x() - origin.x() * sx, target.y() - origin.y() * sy);
    p.scale(sx, sy);
    return cell;
}

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

QPainterPath suitPath(int suit) {
    QPainterPath p;
    switch (suit) {
    case 0:  // spade
        p.moveTo(0.5, 0.0);
        p.cubicTo(0.40, 0.16, 0.0, 0.36, 0.0, 0.60);
        p.cubicTo(0.0, 0.78, 0.13, 0.86, 0.26, 0.86);
        p.cubicTo(0.36, 0.86, 0.43, 0.81, 0.47, 0.75);
        p.cubicTo(0.46, 0.86, 0.40, 0.95, 0.28, 1.0);
        p.lineTo(0.72, 1.0);
        p.cubicTo(0.60, 0.95, 0.54, 0.86, 0.53, 0.75);
        p.cubicTo(0.57, 0.81, 0.64, 0.86, 0.74, 0.86);
        p.cubicTo(0.87, 0.86, 1.0, 0.78, 1.0, 0.60);
        p.cubicTo(1.0, 0.36, 0.60, 0.16, 0.5, 0.0);
        p.closeSubpath();
        break;
    case 1:  // club
        p.setFillRule(Qt::WindingFill);
        p.addEllipse(QPointF(0.5, 0.25), 0.235, 0.235);
        p.addEllipse(QPointF(0.235, 0.6), 0.235, 0.235);
        p.addEllipse(QPointF(0.765, 0.6), 0.235, 0.235);
        p.addRect(QRectF(0.42, 0.3, 0.16, 0.4));
        {
            QPainterPath stem;
            stem.moveTo(0.46, 0.55);
            stem.cubicTo(0.46, 0.8, 0.4, 0.93, 0.28, 1.0);
            stem.lineTo(0.72, 1.0);
            stem.cubicTo(0.6, 0.93, 0.54, 0.8, 0.54, 0.55);
            stem.closeSubpath();
            p.addPath(stem);
        }
        break;
    case 2:  // heart
        p.moveTo(0.5, 1.0);
        p.cubicTo(0.42, 0.86, 0.0, 0.62, 0.0, 0.30);
        p.cubicTo(0.0, 0.10, 0.14, 0.0, 0.28, 0.0);
        p.cubicTo(0.40, 0.0, 0.48, 0.08, 0.5, 0.19);
        p.cubicTo(0.52, 0.08, 0.60, 0.0, 0.72, 0.0);
        p.cubicTo(0.86, 0.0, 1.0, 0.10, 1.0, 0.30);
        p.cubicTo(1.0, 0.62, 0.58, 0.86, 0.5, 1.0);
        p.closeSubpath();
        break;
    default:  // diamond
        p.moveTo(0.5, 0.0);
        p.quadTo(0.66, 0.28, 0.9, 0.5);
        p.quadTo(0.66, 0.72, 0.5, 1.0);
        p.quadTo(0.34, 0.72, 0.1, 0.5);
        p.quadTo(0.34, 0.28, 0.5, 0.0);
        p.closeSubpath();
        break;
    }
    return p;
}

void fillSuit(QPainter& p, int suit, QPointF c, double w, double h, const QColor& colour, bool turned) {
    p.save();
    p.translate(c);
    if (turned) {
        p.rotate(180);
    }
    p.translate(-w / 2, -h / 2);
    p.scale(w, h);
    p.fillPath(suitPath(suit), colour);
    p.restore();
}

void drawCentredText(QPainter& p, const QString& text, const QFont& font, QPointF c, const QColor& colour,
                     bool turned) {
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

QFont makeFont(const char* family, double pixelSize, bool bold, bool italic) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(static_cast<int>(pixelSize));
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

}  // namespace korvat::art
