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
// the DejaVu fonts by the program's card art (src/art), in full colour
// first; then the palette is made and the pixels are mapped to it. The
// output depends on nothing but the fonts.
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <string>
#include <vector>

#include "art/card_art.h"
#include "drawing_tools.h"
#include "pcx_writer.h"

namespace {

using korvat::tools::Histogram;
using korvat::tools::NearestColour;
using korvat::tools::Palette;
using korvat::tools::Rgb;

std::vector<Rgb> exactColours() {
    std::vector<Rgb> out;
    for (const QColor& c : korvat::art::exactColours()) {
        out.push_back(Rgb{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                          static_cast<uint8_t>(c.blue())});
    }
    return out;
}

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

    const QImage large = korvat::art::drawCardSheet(korvat::art::kLargeCards);
    const QImage small = korvat::art::drawCardSheet(korvat::art::kSmallCards);
    const QImage back = korvat::art::drawBackSheet();

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
    ok = writePicture(dir, "FONT.PCX", 128, 96, korvat::art::drawFont(8, 16), fontPalette) && ok;
    return ok ? 0 : 1;
}
