#include "play/legality.h"

#include "model/catalogue.h"

namespace korvat {

bool reservesEmpty() {
    for (const Pile* p = currentGame->layout; p; p = p->next)
        if ((p->flags & PileFlags::reserve) && p->count > 0) return false;
    return true;
}

bool higherCardOnWasteTop(const Pile& source, const Card& card) {
    for (const Pile* p = currentGame->layout; p; p = p->next) {
        if (p == &source || p->count == 0 || !p->top || p->removal != Removal::TopCard) continue;
        if (suitOf(p->top->value) == suitOf(card.value) && rankOf(p->top->value) > rankOf(card.value)) return true;
    }
    return false;
}

bool rankInPileAbove(const Pile& target, const Card& card) {
    const Pile* above = target.prev;
    if (!above) return false;
    const int rank = rankOf(card.value);
    if (target.count == 0) return above->bottom && rankOf(above->bottom->value) == rank;
    for (const Card* c = above->bottom; c; c = c->above)
        if (rankOf(c->value) == rank) return true;
    return false;
}

bool liesBelow(const Pile& pile, const Card* groupBottom, const Card* pressed) {
    for (const Card* c = pile.bottom; c; c = c->above) {
        if (c == groupBottom) return false;
        if (c == pressed) return true;
    }
    return false;
}

// How far apart the ranks of neighbouring cards of a run are.
static int runStep(const Pile& pile) {
    if (pile.rankBuild == RankBuild::Down) return 1;
    if (pile.rankBuild == RankBuild::DownByTwos) return 2;
    return 0;
}

static bool runSuitsHold(int removal, int upper, int lower) {
    const int x = upper ^ lower;
    switch (removal) {
        case Removal::SameColourRun: return (x & 2) == 0;
        case Removal::AlternatingRun: return (x & 2) != 0;
        case Removal::SameSuitRun: return (x & 3) == 0;
        case Removal::ChangingSuitRun: return (x & 3) != 0;
        default: return true;  // any suits
    }
}

Card* findPickCard(Pile& pile, Card& pressed) {
    if ((pile.flags & PileFlags::waitReservesToTake) && !reservesEmpty()) return nullptr;
    if (pile.flags & PileFlags::anySingleCard) return &pressed;
    switch (pile.removal) {
        case Removal::TopCard: return pile.top;
        case Removal::FaceUpAndAbove: return &pressed;
        case Removal::AnySuitRun:
        case Removal::SameColourRun:
        case Removal::AlternatingRun:
        case Removal::SameSuitRun:
        case Removal::ChangingSuitRun: {
            Card* current = pile.top;
            if (!current) return nullptr;
            if (&pressed == current || !current->below) return current;
            const int step = runStep(pile);
            while (true) {
                Card* b = current->below;
                if (!b || rankOf(b->value) != rankOf(current->value) + step || b->faceDown != kFaceUp ||
                    !runSuitsHold(pile.removal, current->value, b->value))
                    return current;
                if (!b->below) return b;
                current = b;
            }
        }
        default: return nullptr;
    }
}

static bool startForbids(int start, int value) {
    const int rank = rankOf(value);
    if (start == StartCard::Nothing) return true;
    if (start >= 0 && start <= 51) return value != start;
    switch (start) {
        case StartCard::AnyKing: return rank != 12;
        case StartCard::AnyAce: return rank != 0;
        case StartCard::AnyQueen: return rank != 11;
        case StartCard::FaceCard: return rank < 10;
        // The editor's "any two, six, seven" accept only that rank, as their markers show.
        case StartCard::AnyTwo: return rank != 1;
        case StartCard::AnySix: return rank != 5;
        case StartCard::AnySeven: return rank != 6;
        default: return false;  // any card
    }
}

bool canPlace(const Pile& source, const Pile& target, const Card& card, int n) {
    const bool empty = target.count == 0 || !target.top;
    const uint32_t flags = target.flags;
    const int rank = rankOf(card.value);
    if (!empty && target.top->faceDown == kFaceDown) return false;                             // 1
    if (target.sizeLimit != 0 && target.count + n > target.sizeLimit) return false;            // 2
    if ((flags & PileFlags::kingsOrBelowWasteTop) && rank != 12 && !higherCardOnWasteTop(source, card))
        return false;                                                                          // 3
    if ((flags & PileFlags::acesOrBelowWasteTop) && rank != 0 && !higherCardOnWasteTop(source, card))
        return false;                                                                          // 4
    if ((flags & PileFlags::belowWasteTop) && !higherCardOnWasteTop(source, card)) return false;  // 5
    if ((flags & PileFlags::rankOfPileAbove) && !rankInPileAbove(target, card)) return false;  // 6
    if ((source.flags & PileFlags::foundationOnly) && !(flags & PileFlags::foundation)) return false;  // 7
    const bool fromReserve = source.flags & PileFlags::reserve;
    if ((flags & PileFlags::waitReservesToFillSpace) && !fromReserve && !reservesEmpty() && empty)
        return false;                                                                          // 8
    if ((flags & PileFlags::waitReservesToPlay) && !fromReserve && !reservesEmpty()) return false;  // 9
    if ((flags & PileFlags::waitReservesAlways) && !reservesEmpty()) return false;             // 10
    if (target.acceptCount == Accept::Nothing && !empty) return false;                         // 11
    if (target.acceptCount == Accept::OneCard && n != 1) return false;                         // 12
    if (empty) return !startForbids(target.startCard, card.value);                             // 13
    const int d = rankOf(target.top->value) - rank;                                            // 14
    switch (target.rankBuild) {
        case RankBuild::Up: if (d != -1) return false; break;
        case RankBuild::Down: if (d != 1) return false; break;
        case RankBuild::UpByTwos: if (d != -2) return false; break;
        case RankBuild::DownByTwos: if (d != 2) return false; break;
        case RankBuild::UpOrDown: if (d != -1 && d != 1) return false; break;
        default: break;
    }
    const int x = target.top->value ^ card.value;                                              // 15
    switch (target.suitBuild) {
        case SuitBuild::SameColour: return (x & 2) == 0;
        case SuitBuild::OppositeColour: return (x & 2) != 0;
        case SuitBuild::SameSuit: return (x & 3) == 0;
        case SuitBuild::DifferentSuit: return (x & 3) != 0;
        default: return true;
    }
}

}  // namespace korvat
