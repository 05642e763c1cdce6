#include "play/autoplay.h"

#include "model/catalogue.h"
#include "model/drawing.h"
#include "play/legality.h"
#include "play/moves.h"
#include "play/stock.h"

namespace korvat {

bool autoplayPile(Pile* p) {
    if (!p || !(p->flags & PileFlags::toFoundation) || p->count == 0 || !p->top) return false;
    if ((p->flags & PileFlags::waitReservesToTake) && !reservesEmpty()) return false;
    const bool single = p->flags & PileFlags::anySingleCard;
    Card* first = single ? p->bottom : p->top;
    if (first->faceDown == kFaceDown) {
        // Turning the card is the step. (For a pile whose any card may be
        // taken this is the bottom card; turning it keeps Auto from looping.)
        turnCard(*p, *first, kFaceUp, 0);
        return true;
    }
    for (Card* card = first; card; card = single ? card->above : nullptr) {
        for (Pile* f = currentGame->layout; f; f = f->next) {
            if (!(f->flags & PileFlags::foundation) || !canPlace(*p, *f, *card, 1)) continue;
            moveCard(*p, *card, *f, 0);
            fillSpaces();
            return true;
        }
    }
    return false;
}

bool autoStep() {
    for (Pile* p = currentGame->layout; p; p = p->next)
        if (autoplayPile(p)) return true;
    return false;
}

// Plays the first complete run found on a pile with the flag, where
// `follows(below, above)` says that the card beneath continues the run.
template <typename Follows>
static bool playRun(uint32_t flag, Follows follows) {
    for (Pile* p = currentGame->layout; p; p = p->next) {
        if (!(p->flags & flag) || p->count == 0 || !p->top) continue;
        Card* z = p->top;
        if (z->faceDown != kFaceUp || rankOf(z->value) != 0) continue;
        while (z->below && follows(*z->below, *z)) {
            z = z->below;
            if (z->faceDown != kFaceUp) break;
        }
        if (z->faceDown != kFaceUp || rankOf(z->value) != kHighestRank) continue;
        Pile* f = currentGame->layout;
        while (f && !((f->flags & PileFlags::foundation) && f->count == 0)) f = f->next;
        if (!f) continue;
        for (int i = 0; i < 13; ++i) moveCard(*p, *p->top, *f, 1);
        return true;
    }
    return false;
}

bool playStraightRun() {
    return playRun(PileFlags::autoplayStraight,
                   [](const Card& below, const Card& above) { return rankOf(below.value) == rankOf(above.value) + 1; });
}

bool playSuiteRun() {
    return playRun(PileFlags::autoplaySuite,
                   [](const Card& below, const Card& above) { return below.value == above.value + 4; });
}

void toggleSelect(Pile& p) {
    if (!p.top) return;
    p.top->faceDown = p.top->faceDown == kFaceUp ? kSelected : kFaceUp;
    repaintTable();
    if (!isDiscardGroup()) return;
    int chained = 0;
    for (Pile* f = currentGame->layout; f; f = f->next) {
        if (!(f->flags & PileFlags::foundation)) continue;
        for (Pile* q = currentGame->layout; q; q = q->next) {
            if (!q->top || q->top->faceDown != kSelected) continue;
            q->top->faceDown = kFaceUp;
            moveCard(*q, *q->top, *f, chained);
            chained = 1;
        }
    }
}

bool isDiscardGroup() {
    // No discard rule is met by more than nine cards of one deck, so a
    // larger selection is never a group.
    constexpr int kMaxGroup = 10;
    int values[kMaxGroup];
    int k = 0;
    for (const Pile* p = currentGame->layout; p; p = p->next) {
        if (!p->top || p->top->faceDown != kSelected) continue;
        if (k == kMaxGroup) return false;
        values[k++] = rankOf(p->top->value) + 1;
    }
    const uint32_t r = currentGame->ruleFlags;
    const int sum2 = k == 2 ? values[0] + values[1] : -1;
    if ((r & GameRuleFlags::pairsOfRank) && k == 2 && values[0] == values[1]) return true;
    if ((r & GameRuleFlags::pairsTen) && sum2 == 10) return true;
    if ((r & GameRuleFlags::pairsEleven) && sum2 == 11) return true;
    if ((r & GameRuleFlags::pairsThirteen) && sum2 == 13) return true;
    if ((r & GameRuleFlags::pairsFourteen) && sum2 == 14) return true;
    if ((r & GameRuleFlags::faceTriplets) && k == 3 && values[0] != values[1] && values[1] != values[2] &&
        values[0] != values[2] && values[0] + values[1] + values[2] == 36)
        return true;
    if ((r & GameRuleFlags::tensQuartets) && k == 4 && values[0] == values[1] && values[1] == values[2] &&
        values[2] == values[3] && values[0] >= 10)
        return true;
    if ((r & GameRuleFlags::kingsSingly) && k == 1 && values[0] == 13) return true;
    if (r & GameRuleFlags::fifteens) {
        int sum = 0;
        bool small = true;
        for (int i = 0; i < k; ++i) {
            sum += values[i];
            if (values[i] > 9) small = false;
        }
        if (small && sum == 15) return true;
    }
    return false;
}

}  // namespace korvat
