// The table's pictures in the card art: the sixteen backgrounds, the card
// counter's grid, the win tile, the edit-mode marker, and the text font.
#include <QFont>
#include <QString>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include "art/card_art.h"

namespace korvat::art {

namespace {

// Table backgrounds. Each 64 x 64 tile is computed pixel by pixel from
// functions that repeat every 64 pixels, so the tiles join without seams;
// the patterns are also mirror-symmetric about the tile's middle lines.

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

// Fine grain of one pixel of the tile, -0.5 .. 0.5.
double grain(int x, int y, uint32_t seed) {
    return hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) / 4294967296.0 - 0.5;
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

// The pixel (xi, yi) of a tile whose middle lies at (x, y) of the 64 x 64
// design; at any other size than 64 the grain stays one pixel fine.
QRgb backgroundPixel(int which, double x, double y, int xi, int yi) {
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
        drawBackground(img, i, QRect((i % 8) * 64, (i / 8) * 64, 64, 64));
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

}  // namespace

void drawBackground(QImage& img, int which, const QRect& target) {
    const int w = target.width(), h = target.height();
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const double x = (i + 0.5) * 64 / w, y = (j + 0.5) * 64 / h;
            img.setPixel(target.x() + i, target.y() + j, backgroundPixel(which, x, y, i, j));
        }
    }
}

// The win tile, 216 x 64 at (182, 128) of the back picture: laid over the
// whole table once a game is won.
void drawWinTile(QImage& img, const QRect& target) {
    const int ox = 182, oy = 128;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    mapCell(p, QPointF(ox, oy), 216, 64, target);
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

// The edit-mode marker, 16 x 16 at (448, 128) of the back picture: a
// yellow square with a pencil.
void drawEditMarker(QImage& img, const QRect& target) {
    const int ox = 448, oy = 128;
    QPainter p(&img);
    mapCell(p, QPointF(ox, oy), 16, 16, target);
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
    drawWinTile(img, QRect(182, 128, 216, 64));
    drawEditMarker(img, QRect(448, 128, 16, 16));
    return img;
}

// The text font: DejaVu Sans Mono Bold drawn without smoothing, 13 pixels
// high in cells of 8 x 16 and as much larger as the cells are.
std::vector<uint8_t> drawFont(int cellW, int cellH) {
    constexpr int cols = 16;
    const double k = cellH / 16.0;
    QImage img(cols * cellW, 6 * cellH, QImage::Format_RGB32);
    img.fill(kWhite);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(static_cast<int>(std::lround(13 * k)));
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
            p.drawText(QPointF(x, y + std::lround(12 * k)), QString(QChar(c)));
        }
        // 127 has no glyph of its own: a small house, as on the old screens.
        p.setClipRect(QRect(15 * cellW, 5 * cellH, cellW, cellH));
        const int x = 15 * cellW;
        const int y = 5 * cellH;
        p.setRenderHint(QPainter::Antialiasing, false);
        if (cellW != 8 || cellH != 16) {
            p.translate(x, y);
            p.scale(cellW / 8.0, k);
            p.translate(-x, -y);
        }
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

std::vector<QColor> exactColours() {
    return {kBlack, kWhite, kGrey64, kGrey192, kGrey128, kRedInk, kBlackInk, kBorder, kSlot, kSlotLine, kGold, kGoldDark};
}

}  // namespace korvat::art
