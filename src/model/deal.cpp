#include "model/deal.h"

#include "model/catalogue.h"
#include "model/drawing.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/score.h"

namespace korvat {

Generator dealRandom;
Generator effectRandom;
uint32_t gameNumber = 0;
Deck deck;

void newGameNumber() {
    gameNumber = platform().tickCount() * 0xA15A4E35u;
    dealRandom.state = gameNumber;
}

void startGame() {
    table.undoCount = 0;
    table.won = 0;
    table.redealsLeft = -1;
    const uint32_t rules = currentGame->ruleFlags;
    if (rules & GameRuleFlags::randomHigh) table.baseRank = static_cast<int32_t>(dealRandom(13));
    if ((rules & GameRuleFlags::oneRedeal) && !prefs.Unlimit) table.redealsLeft = 1;
    if ((rules & GameRuleFlags::twoRedeals) && !prefs.Unlimit) table.redealsLeft = 2;
    shuffleDeck();
    placePiles();
    dealCards();
    moveKingsToBottom();
    repaintTable();
    table.logIndex = findLogEntry();
    updateStatusLine();
}

void shuffleDeck() {
    const int size = table.deckSize;
    for (int i = 0; i < size; ++i) {
        Card& c = deck[static_cast<size_t>(i)];
        c.value = -1;
        c.placed = 0;
        c.below = c.above = nullptr;
    }
    for (int i = 0; i < size; ++i) {
        uint32_t j;
        do {
            j = dealRandom(static_cast<uint32_t>(size));
        } while (deck[j].value != -1);
        deck[j].value = i;
    }
    for (int i = 0; i < size; ++i) deck[static_cast<size_t>(i)].value %= 52;
    if (prefs.Sound) platform().playSound(kShuffleSound);
}

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

void dealCardTo(Pile& pile, Card& card) {
    const int before = pile.count;
    insertCardAbove(pile, pile.top, card);
    card.faceDown = before < pile.faceDownCount ? kFaceDown : kFaceUp;
    sortPile(pile);
    layoutPile(pile);
}

void dealCards() {
    const int size = table.deckSize;
    // Start cards: exact values, and aces for piles that start with any ace.
    for (Pile* p = currentGame->layout; p; p = p->next) {
        const int start = p->startCard;
        if (!((start >= 0 && start <= 51) || start == StartCard::AnyAce)) continue;
        for (int i = 0; i < size; ++i) {
            Card& c = deck[static_cast<size_t>(i)];
            bool matches = c.value == start || (start == StartCard::AnyAce && c.value < 4);
            if (matches && p->count < p->dealCount && c.placed != -1) {
                dealCardTo(*p, c);
                c.placed = -1;
            }
        }
    }
    // The general deal, one card per pile per round, in layout order.
    int cursor = 0;
    bool dealt = true;
    while (dealt) {
        dealt = false;
        for (Pile* p = currentGame->layout; p; p = p->next) {
            if (p->count >= p->dealCount) continue;
            while (cursor < size && deck[static_cast<size_t>(cursor)].placed == -1) ++cursor;
            if (cursor >= size) break;  // only a layout that overfills the deck gets here
            dealCardTo(*p, deck[static_cast<size_t>(cursor)]);
            ++cursor;
            dealt = true;
        }
    }
}

void moveKingsToBottom() {
    for (Pile* p = currentGame->layout; p; p = p->next) {
        if (!(p->flags & PileFlags::kingsToBottom) || !p->bottom) continue;
        Card* c = p->bottom;
        while (c && rankOf(c->value) == kHighestRank) c = c->above;
        while (c) {
            Card* next = c->above;
            if (rankOf(c->value) == kHighestRank) {
                unlinkCard(*p, *c);
                insertCardAbove(*p, nullptr, *c);
                layoutPile(*p);
                repaintTable();
            }
            c = next;
        }
    }
}

}  // namespace korvat
