#include "model/deck.h"

#include "model/catalogue.h"
#include "model/platform.h"

namespace korvat {

Generator dealRandom;
Generator effectRandom;
uint32_t gameNumber = 0;
void (*beforeDealHook)(bool replaced) = nullptr;
Deck deck;

uint32_t newGameNumber() { return platform().tickCount() * 0xA15A4E35u; }

static void placeOrigin(Pile& p) {
    if (table.smallCards) {
        p.x = p.column * (table.cardWidth >> 1) + 7;
        p.y = p.row * ((table.cardHeight + 3) >> 1) + 6;
    } else {
        p.x = p.column * ((table.cardWidth + 6) >> 1) + 6;
        p.y = p.row * ((table.cardHeight + 6) >> 1) + 8;
    }
}

void placePiles() {
    Pile* piles = currentGame->layout;
    const int n = currentGame->pileCount;
    for (int i = 0; i < n; ++i) {
        Pile& p = piles[i];
        p.prev = i > 0 ? &piles[i - 1] : nullptr;
        p.next = i + 1 < n ? &piles[i + 1] : nullptr;
        p.bottom = p.top = p.pickCard = nullptr;
        placeOrigin(p);
        p.width = table.cardWidth;
        p.height = table.cardHeight;
        p.count = 0;
        p.driftX = static_cast<int32_t>(effectRandom(14)) - 7;
        p.driftY = static_cast<int32_t>(effectRandom(14)) - 7;
    }
}

void positionPiles() {
    for (Pile* p = currentGame->layout; p; p = p->next) placeOrigin(*p);
}

}  // namespace korvat
