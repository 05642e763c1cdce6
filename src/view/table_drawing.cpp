#include "view/table_drawing.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "model/catalogue.h"
#include "model/drawing.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "play/current.h"
#include "play/keyboard.h"  // the focus frame: keyboard play places it, the drawing only reads it
#include "play/pointer.h"  // dropTarget: pointer play sets it, the drawing only reads it
#include "view/scaled_pictures.h"

namespace korvat::view {

namespace {

void noCounter() {}

// Cells of the card picture.
constexpr int kBackRow = 5;
constexpr int kMarkerRow = 4;
constexpr int kFaceCardMarker = 9;
constexpr int kRedealMarker = 10;
constexpr int kAnyCardMarker = 11;
constexpr int kNothingMarker = 12;

// Places in the back picture.
constexpr int kEditMarkerX = 448, kEditMarkerY = 128;

// Copies cell (column, row) of the card picture, or its top left w x h
// part, to the table pixel (x, y): at the table's size, a whole card is a
// whole cell and a strip reaches to where the table pixel after it begins.
void drawCell(Surface& surface, int x, int y, int column, int row, int w, int h, RasterMode mode) {
    if (tableScale.unit()) {
        copyRect(surface, x, y, cardPicture, column * table.cardWidth, row * table.cardHeight, w, h, mode);
        return;
    }
    const int dx = tableScale.x(x), dy = tableScale.y(y);
    const int cw = cardCellWidth(), ch = cardCellHeight();
    const int dw = w >= table.cardWidth ? cw : std::min(cw, tableScale.x(int64_t{x} + w) - dx);
    const int dh = h >= table.cardHeight ? ch : std::min(ch, tableScale.y(int64_t{y} + h) - dy);
    if (mode == RasterMode::Blackout) {
        copyRect(surface, dx, dy, surface, 0, 0, dw, dh, mode);
        return;
    }
    const Picture cell = cardCell(column, row);
    copyRect(surface, dx, dy, *cell.surface, cell.x, cell.y, dw, dh, mode);
}

// Fills the w x h rectangle at table pixel (x, y) with the colour of one
// pixel of the back picture.
void fillFromBack(int x, int y, int w, int h, int sx, int sy) {
    const int left = tableScale.x(x), top = tableScale.y(y);
    tileRect(tableImage, left, top, tableScale.x(int64_t{x} + w) - left, tableScale.y(int64_t{y} + h) - top,
             backPicture, sx, sy, 1, 1);
}

// Shows a rectangle of windowSurface, cut to the window.
void presentRect(int64_t x, int64_t y, int64_t w, int64_t h) {
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(x + w, windowSurface.width);
    const int64_t bottom = std::min<int64_t>(y + h, windowSurface.height);
    if (right <= left || bottom <= top) return;
    platform().present(windowSurface, static_cast<int>(left), static_cast<int>(top),
                       static_cast<int>(right - left), static_cast<int>(bottom - top));
}

// The hint on the table, and the table it was given for.
struct Hint {
    bool shown = false;
    core::Move move;
    core::Table table;
};
Hint hint;

// The hint is drawn only on the table it was given for.
bool hintStillShown() {
    if (hint.shown && (carrying() || !currentGame || currentTable() != hint.table)) hint.shown = false;
    return hint.shown;
}

// What the hint marks on one pile: its cards from `from` to `to` (positions
// from the bottom card), and its top card or marker as the target.
struct HintMarks {
    int from = -1, to = -1;
    bool target = false;
};

HintMarks hintMarksOf(const Pile& pile) {
    HintMarks m;
    if (!hint.shown || !currentGame) return m;
    const int p = pileIndex(pile);
    if (p < 0) return m;
    const core::Move& move = hint.move;
    const int top = pile.count - 1;
    switch (move.kind) {
        case core::Move::Place:
            if (p == move.from) m.from = move.card, m.to = top;
            if (p == move.to) m.target = true;
            break;
        case core::Move::Turn:
            if (p == move.from) m.from = m.to = move.card;
            break;
        case core::Move::Deal:
            if (p == move.from) m.from = m.to = top;
            break;
        case core::Move::Redeal:
            if (p == move.from) m.target = true;
            break;
        case core::Move::Discard:
            if (move.piles & core::bit(p)) m.from = m.to = top;
            break;
    }
    return m;
}

}  // namespace

void (*refreshCounter)() = noCounter;
void (*tableShown)() = nullptr;

void showHint(const core::Move& move) {
    if (!currentGame || carrying()) return;
    hint.shown = true;
    hint.move = move;
    hint.table = currentTable();
    repaintTable();
}

void clearHint() {
    if (!hint.shown) return;
    hint.shown = false;
    repaintTable();
}

bool hintShown() { return hintStillShown(); }

int faceColumn(int value) {
    int column = (value >> 2) + table.baseRank;
    if (column >= 13) column -= 13;
    // Out-of-range values (none arise in play) stay inside the picture.
    return ((column % 13) + 13) % 13;
}

bool emptyPileMarker(const Pile& pile, Marker& marker) {
    auto rankMarker = [&](int rank) {
        marker = {(rank + table.baseRank) % 13, kMarkerRow, RasterMode::Copy};
        return true;
    };
    if ((pile.flags & PileFlags::redealable) && table.redealsLeft != 0) {
        marker = {kRedealMarker, kBackRow, RasterMode::Copy};
        return true;
    }
    const int code = pile.startCard;
    if (code >= 0 && code <= 51) {
        marker = {faceColumn(code), code & 3, RasterMode::Mark};
        return true;
    }
    switch (code) {
        case StartCard::AnyKing: return rankMarker(12);
        case StartCard::AnyAce: return rankMarker(0);
        case StartCard::AnyQueen: return rankMarker(11);
        case StartCard::FaceCard: marker = {kFaceCardMarker, kBackRow, RasterMode::Copy}; return true;
        case StartCard::AnyTwo: return rankMarker(1);
        case StartCard::AnySix: return rankMarker(5);
        case StartCard::AnySeven: return rankMarker(6);
        case StartCard::AnyCard: marker = {kAnyCardMarker, kBackRow, RasterMode::Copy}; return true;
        case StartCard::Nothing: marker = {kNothingMarker, kBackRow, RasterMode::Copy}; return true;
        default: return false;
    }
}

void drawPile(Surface& surface, Pile& pile) {
    const bool dark = table.darkenReserves && (pile.flags & PileFlags::reserve);
    auto modeOf = [dark](RasterMode mode) { return dark ? RasterMode::Blackout : mode; };
    const int cw = table.cardWidth, ch = table.cardHeight;

    const HintMarks hinted = hintMarksOf(pile);
    if (!pile.bottom) {
        Marker m;
        if (emptyPileMarker(pile, m))
            drawCell(surface, pile.x, pile.y, m.column, m.row, cw, ch,
                     modeOf(hinted.target ? RasterMode::Mark : m.mode));
        return;
    }

    const int back = ((prefs.CardBack % 8) + 8) % 8;
    int position = 0;
    for (Card* card = pile.bottom; card; card = card->above, ++position) {
        int w = cw, h = ch;
        if (card != pile.top) {
            // A covered card shows only the strip that the next card leaves free.
            if (pile.fan == Fan::Right)
                w = std::min(table.fanStep, cw);
            else if (pile.fan == Fan::Down)
                h = std::min(table.fanStep, ch);
            else
                continue;
        }
        const bool marked = (table.showAllCards && card->faceDown == kFaceDown) ||
                            card->faceDown == kSelected || (card == pile.top && &pile == dropTarget);
        const bool hintedCard =
            (position >= hinted.from && position <= hinted.to) || (card == pile.top && hinted.target);
        if (hintedCard && !marked && card->faceDown == kFaceDown)
            drawCell(surface, card->x, card->y, back, kBackRow, w, h, modeOf(RasterMode::Mark));
        else if (marked || hintedCard)
            drawCell(surface, card->x, card->y, faceColumn(card->value), card->value & 3, w, h,
                     modeOf(RasterMode::Mark));
        else if (card->faceDown == kFaceDown)
            drawCell(surface, card->x, card->y, back, kBackRow, w, h, modeOf(RasterMode::Copy));
        else
            drawCell(surface, card->x, card->y, faceColumn(card->value), card->value & 3, w, h,
                     modeOf(RasterMode::Copy));
    }
}

void drawTopCard(Surface& surface, Pile& pile) {
    const Card* top = pile.top;
    if (!top) return;
    drawCell(surface, top->x, top->y, faceColumn(top->value), top->value & 3, table.cardWidth,
             table.cardHeight, &pile == dropTarget ? RasterMode::Mark : RasterMode::Copy);
}

void drawTopCardShown(Pile& pile) {
    if (!pile.top) return;
    drawTopCard(tableImage, pile);
    drawTopCard(windowSurface, pile);
    presentRect(tableScale.x(pile.top->x), tableScale.y(pile.top->y), cardCellWidth(), cardCellHeight());
}

void drawPiles() {
    if (!currentGame) return;
    int index = 0;
    for (Pile* p = currentGame->layout; p; p = p->next, ++index) {
        drawPile(tableImage, *p);
        if (table.editMode && index == editPile) {
            const Picture marker = tablePicture(kEditMarker);
            copyRect(tableImage, tableScale.x(p->x), tableScale.y(p->y), *marker.surface, marker.x, marker.y,
                     marker.width, marker.height, RasterMode::Copy);
        }
    }
    // The keys' focus frame around the cards a press would take, in the
    // edit marker's colours: two pixels of its ground inside its edge.
    int x = 0, y = 0, w = 0, h = 0;
    if (focusFrame(x, y, w, h)) {
        auto ring = [](int left, int top, int width, int height, int t, int sx, int sy) {
            fillFromBack(left - t, top - t, width + 2 * t, t, sx, sy);
            fillFromBack(left - t, top + height, width + 2 * t, t, sx, sy);
            fillFromBack(left - t, top, t, height, sx, sy);
            fillFromBack(left + width, top, t, height, sx, sy);
        };
        ring(x, y, w, h, 2, kEditMarkerX + 1, kEditMarkerY + 1);        // the ground
        ring(x - 2, y - 2, w + 4, h + 4, 1, kEditMarkerX, kEditMarkerY);  // the edge
    }
}

void drawPileSizes() {
    if (!currentGame) return;
    for (Pile* p = currentGame->layout; p; p = p->next) {
        char text[16];
        std::snprintf(text, sizeof text, "%3u", static_cast<unsigned>(p->count));
        int x = p->x + 20, y = p->y;
        if (p->count > 0 && p->fan == Fan::Right) x += (p->count - 1) * table.fanStep;
        if (p->count > 0 && p->fan == Fan::Down) y += (p->count - 1) * table.fanStep;
        drawTableText(tableImage, tableScale.x(x), tableScale.y(y), text);
    }
}

void composeTable() {
    hintStillShown();
    const int w = tableImage.width, h = tableImage.height;
    const Picture tile = tablePicture(table.won ? kWinTile : prefs.TableBack & 15);
    tileRect(tableImage, 0, 0, w, h, *tile.surface, tile.x, tile.y, tile.width, tile.height);
    drawPiles();
    if (prefs.Sizes) drawPileSizes();
}

void presentTable() {
    copyRect(windowSurface, 0, 0, tableImage, 0, 0, tableImage.width, tableImage.height, RasterMode::Copy);
    presentRect(0, 0, windowSurface.width, windowSurface.height);
}

void composeAndPresent() {
    if (table.counterOpen) refreshCounter();
    composeTable();
    presentTable();
    if (tableShown) tableShown();
}

void redrawMovedPile(Pile& pile) {
    if (!pile.bottom) {
        layoutPile(pile);
        return;
    }
    // The old place is where the bottom card was last put, with the extent
    // the pile had then; the new place is the pile's origin with its new extent.
    const int64_t oldX = pile.bottom->x, oldY = pile.bottom->y;
    const int64_t oldW = pile.width, oldH = pile.height;
    layoutPile(pile);
    const int64_t newX = pile.x, newY = pile.y;
    const int64_t left = std::min(oldX, newX), top = std::min(oldY, newY);
    const int64_t right = std::max(oldX + oldW, newX + pile.width);
    const int64_t bottom = std::max(oldY + oldH, newY + pile.height);

    // On the table image, cut to it: the surfaces are no larger. A card
    // drawn at a size other than 1x may reach a pixel past where the next
    // table pixel begins.
    const int64_t past = tableScale.unit() ? 0 : 1;
    const int x0 = std::clamp(tableScale.x(left), 0, dragImage.width);
    const int y0 = std::clamp(tableScale.y(top), 0, dragImage.height);
    const int x1 = static_cast<int>(std::clamp<int64_t>(tableScale.x(right) + past, 0, dragImage.width));
    const int y1 = static_cast<int>(std::clamp<int64_t>(tableScale.y(bottom) + past, 0, dragImage.height));
    if (x1 <= x0 || y1 <= y0) return;
    copyRect(dragImage, x0, y0, tableImage, x0, y0, x1 - x0, y1 - y0, RasterMode::Copy);
    drawPile(dragImage, pile);
    copyRect(windowSurface, x0, y0, dragImage, x0, y0, x1 - x0, y1 - y0, RasterMode::Copy);
    presentRect(x0, y0, x1 - x0, y1 - y0);
}

bool redrawAtSize(int width, int height) {
    if (!setTableSize(width, height)) return false;
    composeTable();
    copyRect(windowSurface, 0, 0, tableImage, 0, 0, tableImage.width, tableImage.height, RasterMode::Copy);
    if (carrying()) drawPile(windowSurface, carriedPile);
    return true;
}

void useCardPictures(bool small) {
    releaseScaledCards();
    if (small) {
        freeLargeCards();
        loadSmallCards();
    } else {
        freeSmallCards();
        loadLargeCards();
    }
}

void installTableDrawing() {
    drawingHooks.composeAndPresent = composeAndPresent;
    drawingHooks.composeTable = composeTable;
    drawingHooks.redrawMovedPile = redrawMovedPile;
    drawingHooks.drawTopCard = drawTopCardShown;
    drawingHooks.useCardPictures = useCardPictures;
}

bool startGraphics() {
    if (!openGraphics() || !loadLargeCards()) return false;
    // A small-card game selected before the drawing started gets its picture now.
    if (table.smallCards) {
        freeLargeCards();
        if (!loadSmallCards()) return false;
    }
    installTableDrawing();
    return true;
}

}  // namespace korvat::view
