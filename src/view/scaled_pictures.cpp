#include "view/scaled_pictures.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <new>

#include "model/records.h"
#include "view/pictures.h"

namespace korvat::view {

TableScale tableScale;
CardArt cardArt;
OwnPictures ownPictures;

namespace {

// Rounded, halves up, for either sign: a * b / c with c > 0.
int64_t roundedRatio(int64_t a, int64_t b, int64_t c) {
    const int64_t n = 2 * a * b + c;
    const int64_t d = 2 * c;
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}

int clampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Places in the back picture.
constexpr int kTileSize = 64;
constexpr int kWinTileX = 182, kWinTileY = 128, kWinTileWidth = 216, kWinTileHeight = 64;
constexpr int kEditMarkerX = 448, kEditMarkerY = 128, kEditMarkerSize = 16;
constexpr int kCells = 13 * 6;
constexpr int kTiles = 18;

// The pictures made for the table's size.
struct Scaled {
    int cardWidth = 0, cardHeight = 0;  // the 1x cell the cards were made from
    Surface cards;                      // 13 x 6 cells of cardCellWidth() x cardCellHeight()
    std::bitset<kCells> made;
    Surface tiles[kTiles];
    bool fontMade = false;
    int fontWidth = 0, fontHeight = 0;
    std::vector<uint8_t> font;  // 16 x 6 cells, 1 for ink
};
Scaled scaled;

int scaledWidth(int w) { return std::max(1, tableScale.x(w) - tableScale.x(0)); }
int scaledHeight(int h) { return std::max(1, tableScale.y(h) - tableScale.y(0)); }

bool allocated(Surface& s, int w, int h) {
    if (s.width == w && s.height == h && !s.pixels.empty()) return true;
    try {
        s.allocate(w, h);
    } catch (const std::bad_alloc&) {
        s = Surface{};
        return false;
    }
    return true;
}

void release(Surface& s) {
    s.width = s.height = 0;
    PixelBuffer().swap(s.pixels);
}

void makeFont() {
    scaled.fontMade = true;
    const int w = scaledWidth(BitmapFont::kCellWidth), h = scaledHeight(BitmapFont::kCellHeight);
    scaled.fontWidth = w, scaled.fontHeight = h;
    scaled.font.assign(static_cast<size_t>(16 * w) * static_cast<size_t>(6 * h), 0);
    if (ownPictures.font && cardArt.drawFont) {
        std::vector<uint8_t> grid;
        cardArt.drawFont(w, h, grid);
        if (grid.size() == scaled.font.size()) {
            scaled.font.swap(grid);
            return;
        }
    }
    if (!textFont.loaded) return;
    // The bitmap's cells, each pixel taken from the glyph pixel under its middle.
    for (int c = 0; c < BitmapFont::kCount; ++c) {
        for (int j = 0; j < h; ++j) {
            const int r = j * BitmapFont::kCellHeight / h;
            for (int i = 0; i < w; ++i) {
                const int k = i * BitmapFont::kCellWidth / w;
                if (textFont.rows[c][r] & (0x80 >> k))
                    scaled.font[static_cast<size_t>(((c / 16) * h + j) * 16 * w + (c % 16) * w + i)] = 1;
            }
        }
    }
}

}  // namespace

bool TableScale::unit() const { return width == kClientWidth && height == kClientHeight; }
int TableScale::x(int64_t tableX) const { return clampToInt(roundedRatio(tableX, width, kClientWidth)); }
int TableScale::y(int64_t tableY) const { return clampToInt(roundedRatio(tableY, height, kClientHeight)); }

bool setTableSize(int width, int height) {
    width = std::max(width, 1), height = std::max(height, 1);
    if (width == tableScale.width && height == tableScale.height && tableImage.width == width) return false;
    // The memory of the surfaces is kept while it is large enough and not
    // much larger, as it is from one step of a resize to the next: the
    // table is composed there whole again.
    // The window's copy and the table are composed whole, the drag scratch
    // image piece by piece.
    const size_t need = static_cast<size_t>(width) * static_cast<size_t>(height);
    Surface* const surfaces[] = {&windowSurface, &tableImage, &dragImage};
    PixelBuffer fresh[3];
    try {
        for (int i = 0; i < 3; ++i) {
            const size_t has = surfaces[i]->pixels.capacity();
            if (has >= need && has <= need + need / 2) continue;
            Surface made;
            if (i < 2)
                made.allocateWhole(width, height);
            else
                made.allocate(width, height);
            fresh[i].swap(made.pixels);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    releaseScaledPictures();
    for (int i = 0; i < 3; ++i) {
        if (!fresh[i].empty())
            surfaces[i]->pixels.swap(fresh[i]);
        else
            surfaces[i]->pixels.resize(need);
        surfaces[i]->width = width, surfaces[i]->height = height;
    }
    tableScale.width = width;
    tableScale.height = height;
    return true;
}

int cardCellWidth() { return tableScale.unit() ? table.cardWidth : scaledWidth(table.cardWidth); }
int cardCellHeight() { return tableScale.unit() ? table.cardHeight : scaledHeight(table.cardHeight); }

Picture cardCell(int column, int row) {
    column = std::clamp(column, 0, 12), row = std::clamp(row, 0, 5);
    const int cw = table.cardWidth, ch = table.cardHeight;
    if (tableScale.unit()) return {&cardPicture, column * cw, row * ch, cw, ch};
    if (scaled.cardWidth != cw || scaled.cardHeight != ch) releaseScaledCards();
    const int w = cardCellWidth(), h = cardCellHeight();
    Picture cell{&scaled.cards, column * w, row * h, w, h};
    if (!allocated(scaled.cards, 13 * w, 6 * h)) return {&cardPicture, 0, 0, 0, 0};
    scaled.cardWidth = cw, scaled.cardHeight = ch;
    const size_t which = static_cast<size_t>(row * 13 + column);
    if (scaled.made[which]) return cell;
    scaled.made[which] = true;
    if (ownPictures.cards && cardArt.drawCardCell)
        cardArt.drawCardCell(cardPicture.width == kSmallCardsWidth, column, row, scaled.cards, cell.x, cell.y, w, h);
    else
        scaleBilinear(cardPicture, column * cw, row * ch, cw, ch, scaled.cards, cell.x, cell.y, w, h, false);
    return cell;
}

Picture tablePicture(int which) {
    which = std::clamp(which, 0, kTiles - 1);
    int sx = (which % 8) * kTileSize, sy = (which / 8) * kTileSize, sw = kTileSize, sh = kTileSize;
    if (which == kWinTile) sx = kWinTileX, sy = kWinTileY, sw = kWinTileWidth, sh = kWinTileHeight;
    if (which == kEditMarker) sx = kEditMarkerX, sy = kEditMarkerY, sw = sh = kEditMarkerSize;
    if (tableScale.unit()) return {&backPicture, sx, sy, sw, sh};
    Surface& tile = scaled.tiles[which];
    const int w = scaledWidth(sw), h = scaledHeight(sh);
    if (tile.width == w && tile.height == h) return {&tile, 0, 0, w, h};
    if (!allocated(tile, w, h)) return {&backPicture, 0, 0, 0, 0};
    if (ownPictures.back && cardArt.drawTile)
        cardArt.drawTile(which, tile, w, h);
    else
        scaleBilinear(backPicture, sx, sy, sw, sh, tile, 0, 0, w, h, which != kEditMarker);
    return {&tile, 0, 0, w, h};
}

void drawTableText(Surface& dst, int x, int y, const char* text) {
    if (tableScale.unit()) {
        drawText(dst, x, y, text, textFont);
        return;
    }
    if (!scaled.fontMade) makeFont();
    if (!text) return;
    const int w = scaled.fontWidth, h = scaled.fontHeight;
    for (const char* p = text; *p; ++p, x += w) {
        if (x >= dst.width) break;
        const int c = static_cast<unsigned char>(*p) - BitmapFont::kFirst;
        if (c < 0 || c >= BitmapFont::kCount || x + w <= 0) continue;
        for (int j = 0; j < h; ++j) {
            const int py = y + j;
            if (py < 0 || py >= dst.height) continue;
            const uint8_t* ink = scaled.font.data() + static_cast<size_t>(((c / 16) * h + j) * 16 * w + (c % 16) * w);
            uint32_t* line = dst.row(py);
            for (int i = 0; i < w; ++i) {
                const int px = x + i;
                if (ink[i] && px >= 0 && px < dst.width) line[px] = 0;
            }
        }
    }
}

void releaseScaledCards() {
    release(scaled.cards);
    scaled.made.reset();
    scaled.cardWidth = scaled.cardHeight = 0;
}

void releaseScaledPictures() {
    releaseScaledCards();
    for (Surface& tile : scaled.tiles) release(tile);
    scaled.fontMade = false;
    std::vector<uint8_t>().swap(scaled.font);
}

void scaleBilinear(const Surface& src, int sx, int sy, int sw, int sh, Surface& dst, int dx, int dy, int dw,
                   int dh, bool wraps) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    if (sx < 0 || sy < 0 || sx + sw > src.width || sy + sh > src.height) return;
    // Where each column and row of the result samples the source: the two
    // pixels around its middle and the weight of the second, in 1/256.
    struct Tap {
        int a, b, weight;
    };
    auto taps = [wraps](int from, int to) {
        std::vector<Tap> out(static_cast<size_t>(to));
        for (int i = 0; i < to; ++i) {
            const double u = (i + 0.5) * from / to - 0.5;
            const int i0 = static_cast<int>(std::floor(u));
            const int weight = static_cast<int>(std::lround((u - i0) * 256));
            int a = i0, b = i0 + 1;
            if (wraps) {
                a = ((a % from) + from) % from, b = ((b % from) + from) % from;
            } else {
                a = std::clamp(a, 0, from - 1), b = std::clamp(b, 0, from - 1);
            }
            out[static_cast<size_t>(i)] = {a, b, weight};
        }
        return out;
    };
    const std::vector<Tap> across = taps(sw, dw), down = taps(sh, dh);
    auto blend = [](uint32_t p, uint32_t q, int t) {
        uint32_t out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int a = static_cast<int>((p >> shift) & 0xFF), b = static_cast<int>((q >> shift) & 0xFF);
            out |= static_cast<uint32_t>((a * (256 - t) + b * t + 128) >> 8) << shift;
        }
        return out;
    };
    for (int j = 0; j < dh; ++j) {
        const int y = dy + j;
        if (y < 0 || y >= dst.height) continue;
        const Tap& v = down[static_cast<size_t>(j)];
        const uint32_t* upper = src.row(sy + v.a) + sx;
        const uint32_t* lower = src.row(sy + v.b) + sx;
        uint32_t* line = dst.row(y);
        for (int i = 0; i < dw; ++i) {
            const int x = dx + i;
            if (x < 0 || x >= dst.width) continue;
            const Tap& u = across[static_cast<size_t>(i)];
            line[x] = blend(blend(upper[u.a], upper[u.b], u.weight), blend(lower[u.a], lower[u.b], u.weight), v.weight);
        }
    }
}

}  // namespace korvat::view
