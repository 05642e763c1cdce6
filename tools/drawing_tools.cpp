#include "drawing_tools.h"

#include <QtGlobal>
#include <QString>
#include <cstdio>

namespace korvat::tools {

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

namespace {

// Qt's complaint about a missing runtime folder means nothing to a program
// that only draws into memory; everything else is passed on.
void quietMessages(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (!message.startsWith(QLatin1String("QStandardPaths:"))) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

}  // namespace

void drawWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
}

}  // namespace korvat::tools
