#include "model/drawing.h"

#include "model/catalogue.h"
#include "model/records.h"

namespace korvat {

DrawingHooks drawingHooks;

void repaintTable() {
    fitFanStep();
    if (drawingHooks.composeAndPresent) drawingHooks.composeAndPresent();
}

void composeTable() {
    if (drawingHooks.composeTable) drawingHooks.composeTable();
}

void redrawMovedPile(Pile& pile) {
    if (drawingHooks.redrawMovedPile)
        drawingHooks.redrawMovedPile(pile);
    else
        layoutPile(pile);  // the card positions still follow the pile
}

void drawTopCard(Pile& pile) {
    if (drawingHooks.drawTopCard) drawingHooks.drawTopCard(pile);
}

void useCardPictures(bool small) {
    if (drawingHooks.useCardPictures) drawingHooks.useCardPictures(small);
}

void fitFanStep() {
    if (!currentGame || (currentGame->ruleFlags & GameRuleFlags::smallCards)) return;
    table.fanStep = 16;
    layoutAllPiles();
    int largest = 0;
    for (Pile* p = currentGame->layout; p; p = p->next) {
        if (p->fan != Fan::Down || p->count <= 0) continue;
        int bottom = p->y + p->height;
        if (bottom > kClientHeight) {
            int share = (bottom - kClientHeight) / p->count;
            if (share > largest) largest = share;
        }
    }
    if (largest != 0) {
        table.fanStep -= largest;
        if (table.fanStep < 1) table.fanStep = 1;
        layoutAllPiles();
    }
}

}  // namespace korvat
