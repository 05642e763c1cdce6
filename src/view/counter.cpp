#include "view/counter.h"

#include "model/catalogue.h"
#include "model/records.h"
#include "view/pictures.h"
#include "view/table_drawing.h"

namespace korvat::view {

int32_t countStock = 0;

bool pileCounted(uint32_t pileFlags) {
    const bool isStock = (pileFlags & PileFlags::stock) != 0;
    return isStock == (countStock == 1);
}

void drawCounter(Surface& surface) {
    copyRect(surface, 0, 0, backPicture, kCounterGridX, kCounterGridY, kCounterWidth, kCounterHeight,
             RasterMode::Copy);
    if (table.deckSize != 52 || !currentGame) return;
    for (Pile* p = currentGame->layout; p; p = p->next) {
        if (!pileCounted(p->flags)) continue;
        for (const Card* card = p->bottom; card; card = card->above) {
            // Only values of one deck have a cell.
            if (card->faceDown != kFaceDown || card->value < 0 || card->value > 51) continue;
            const int column = card->value >> 2, row = card->value & 3;
            copyRect(surface, column * kCounterCellWidth + 1, row * kCounterCellHeight + 1, cardPicture,
                     faceColumn(card->value) * table.cardWidth + kCounterPieceX,
                     row * table.cardHeight + kCounterPieceY, kCounterPieceWidth, kCounterPieceHeight,
                     RasterMode::Copy);
        }
    }
}

}  // namespace korvat::view
