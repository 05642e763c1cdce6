#include "core/deal.h"

#include <algorithm>

#include "model/catalogue.h"

namespace korvat::core {

void shuffle(Generator& generator, int size, uint8_t* out) {
    int16_t slot[kMaxCards];
    for (int i = 0; i < size; ++i) slot[i] = -1;
    for (int i = 0; i < size; ++i) {
        uint32_t j;
        do {
            j = generator(static_cast<uint32_t>(size));
        } while (slot[j] != -1);
        slot[j] = static_cast<int16_t>(i);
    }
    for (int i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(slot[i] % 52);
}

namespace {

// The piles while they are dealt: each its own array, bottom card first.
struct DealtPiles {
    uint8_t cards[kMaxPiles][kMaxCards];
    int count[kMaxPiles] = {};

    // One card on top of the pile, face down while the pile holds fewer than
    // its face-down count; then the pile is sorted as its flags say.
    void dealTo(const PileRules& pile, int p, int value) {
        const int state = count[p] < pile.faceDownCount ? kFaceDown : kFaceUp;
        cards[p][count[p]++] = cardByte(value, state);
        sortCards(pile.flags, cards[p], count[p]);
    }
};

}  // namespace

Generator dealGenerator(uint32_t ruleFlags, uint32_t gameNumber, int* highRank) {
    Generator g{gameNumber};
    const int high = (ruleFlags & GameRuleFlags::randomHigh) ? static_cast<int>(g(13)) : 0;
    if (highRank) *highRank = high;
    return g;
}

Table startTable(const GameRules& rules) {
    Generator g = dealGenerator(rules.ruleFlags, rules.gameNumber);
    const int size = rules.deckSize;
    uint8_t deck[kMaxCards];
    shuffle(g, size, deck);
    bool placed[kMaxCards] = {};

    DealtPiles piles;
    // Start cards: exact values, and aces for piles that start with any ace.
    for (int p = 0; p < rules.pileCount; ++p) {
        const PileRules& pile = rules.piles[p];
        const int start = pile.startCard;
        if (!((start >= 0 && start <= 51) || start == StartCard::AnyAce)) continue;
        for (int i = 0; i < size; ++i) {
            const bool matches = deck[i] == start || (start == StartCard::AnyAce && deck[i] < 4);
            if (matches && piles.count[p] < pile.dealCount && !placed[i]) {
                piles.dealTo(pile, p, deck[i]);
                placed[i] = true;
            }
        }
    }
    // The general deal, one card per pile per round, in layout order.
    int cursor = 0;
    for (bool dealt = true; dealt;) {
        dealt = false;
        for (int p = 0; p < rules.pileCount; ++p) {
            const PileRules& pile = rules.piles[p];
            if (piles.count[p] >= pile.dealCount) continue;
            while (cursor < size && placed[cursor]) ++cursor;
            if (cursor >= size) break;  // only a layout that overfills the deck gets here
            piles.dealTo(pile, p, deck[cursor]);
            ++cursor;
            dealt = true;
        }
    }
    // Kings to the bottom: each king above the ones already at the bottom
    // goes under the whole pile, in the order they are met going up.
    for (int p = 0; p < rules.pileCount; ++p) {
        if (!rules.piles[p].has(PileFlags::kingsToBottom)) continue;
        uint8_t* c = piles.cards[p];
        const int n = piles.count[p];
        int i = 0;
        while (i < n && rankOfCard(c[i]) == kHighestRank) ++i;
        for (; i < n; ++i)
            if (rankOfCard(c[i]) == kHighestRank) std::rotate(c, c + i, c + i + 1);
    }

    Table t = emptyTable(rules);
    for (int p = 0; p < rules.pileCount; ++p) t.push(p, piles.cards[p], piles.count[p]);
    return t;
}

}  // namespace korvat::core
