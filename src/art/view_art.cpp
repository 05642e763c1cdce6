#include "art/view_art.h"

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "art/card_art.h"
#include "view/scaled_pictures.h"

namespace korvat::art {

namespace {

// Qt's complaint about a missing runtime folder means nothing to a program
// that only draws into memory; everything else is passed on.
void quietMessages(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (!message.startsWith(QLatin1String("QStandardPaths:"))) std::fprintf(stderr, "%s\n", qPrintable(message));
}

// The fonts need an application; a program without one gets one that
// draws into memory only, kept to the end.
void needApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "korvat";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    // The application takes the environment's locale; the program's
    // numbers stay written as before.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
    std::setlocale(LC_ALL, locale.c_str());
}

// The w x h area at (x, y) of a surface as an image to draw on, without
// copying it; empty when the area does not lie on the surface.
QImage imageOf(Surface& out, int x, int y, int w, int h) {
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > out.width || y + h > out.height) return {};
    return QImage(reinterpret_cast<uchar*>(out.row(y) + x), w, h, static_cast<qsizetype>(out.width) * 4,
                  QImage::Format_RGB32);
}

// What was drawn there as surface pixels, 0x00RRGGBB.
void toSurfacePixels(Surface& out, int x, int y, int w, int h) {
    for (int j = 0; j < h; ++j) {
        uint32_t* line = out.row(y + j) + x;
        for (int i = 0; i < w; ++i) line[i] &= 0x00FFFFFFu;
    }
}

void drawCell(bool small, int column, int row, Surface& out, int x, int y, int w, int h) {
    QImage image = imageOf(out, x, y, w, h);
    if (image.isNull()) return;
    needApplication();
    image.fill(kSlot);
    drawCardCell(image, small ? kSmallCards : kLargeCards, column, row, QRect(0, 0, w, h));
    toSurfacePixels(out, x, y, w, h);
}

void drawTile(int which, Surface& out, int w, int h) {
    QImage image = imageOf(out, 0, 0, w, h);
    if (image.isNull()) return;
    needApplication();
    image.fill(Qt::black);
    const QRect all(0, 0, w, h);
    if (which == view::kWinTile)
        drawWinTile(image, all);
    else if (which == view::kEditMarker)
        drawEditMarker(image, all);
    else
        drawBackground(image, which, all);
    toSurfacePixels(out, 0, 0, w, h);
}

void drawTextFont(int w, int h, std::vector<uint8_t>& grid) {
    needApplication();
    grid = drawFont(w, h);
}

}  // namespace

void installInTableDrawing() {
    view::cardArt.drawCardCell = drawCell;
    view::cardArt.drawTile = drawTile;
    view::cardArt.drawFont = drawTextFont;
}

}  // namespace korvat::art
