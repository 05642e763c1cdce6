// The solver's analysis of a game's rules: which piles are interchangeable,
// which cards go home without a choice (safe moves), where the stock round
// applies, and which moves and tables the pruning may leave out.
#include "solve/rules_analysis.h"

#include <algorithm>

#include "core/actions.h"

namespace korvat::solve {

using namespace core;

namespace {

// Whether an empty pile with that start code takes only aces, or only kings.
bool startsWithAce(int start) { return start == StartCard::AnyAce || (start >= 0 && start < 4); }
bool startsWithKing(int start) { return start == StartCard::AnyKing || (start >= 48 && start < 52); }

}  // namespace

RulesAnalysis::RulesAnalysis(const GameRules& r, bool prune) {
    decks = r.deckSize / 52;
    rules = &r;
    findInterchangeablePiles(r);
    findSafeHomeMoves(r, prune);
    findKeyedByTop(r);
    findSuitBlind(r);
    findStockRound(r);
    findPlainPiles(r);
    findStuckCards(r);
    findHomeOrder(r);
}

void RulesAnalysis::findInterchangeablePiles(const GameRules& r) {
    // Interchangeable piles: the same rules, and nothing that reads the
    // layout order (deals to waste piles, gathering for a redeal, the
    // pile above, the four-suit discard, the stock) or sends cards to
    // "the first" or "the last" foundation in a way a player's choice
    // could tell apart.
    const bool foundationsOrdered = r.hasDiscardRules() || r.fourSuits;
    for (int p = 0; p < r.pileCount; ++p) {
        classOf[p] = p;
        const PileRules& a = r.piles[p];
        auto eligible = [&](int i) {
            const PileRules& x = r.piles[i];
            if (x.has(PileFlags::stock | PileFlags::waste | PileFlags::redealFaceDown | PileFlags::redealRefill |
                      PileFlags::fourSuitsDiscard | PileFlags::rankOfPileAbove | PileFlags::fillsSpaces))
                return false;
            if (i + 1 < r.pileCount && r.piles[i + 1].has(PileFlags::rankOfPileAbove)) return false;
            if (foundationsOrdered && x.has(PileFlags::foundation)) return false;
            return true;
        };
        if (!eligible(p)) continue;
        for (int q = 0; q < p; ++q) {
            const PileRules& b = r.piles[q];
            if (classOf[q] == q && eligible(q) && a.sizeLimit == b.sizeLimit && a.acceptCount == b.acceptCount &&
                a.rankBuild == b.rankBuild && a.suitBuild == b.suitBuild && a.startCard == b.startCard &&
                a.removal == b.removal && a.flags == b.flags && a.fanned() == b.fanned()) {
                classOf[p] = q;
                break;
            }
        }
    }
}

void RulesAnalysis::findSafeHomeMoves(const GameRules& r, bool prune) {
    // Going home without a choice.
    safeHomeMoves = !r.hasDiscardRules() && !r.suiteRuns && !r.straightRuns && !r.fourSuits;
    for (int v = 0; v < 52; ++v) buildable[v] = 0;
    for (int p = 0; p < r.pileCount; ++p) {
        const PileRules& q = r.piles[p];
        if (q.flags & kReadsOtherPiles) safeHomeMoves = false;
        if (q.has(PileFlags::foundation)) {
            if (q.removal == Removal::Nothing && !q.has(PileFlags::anySingleCard | PileFlags::waitReservesToTake))
                closedFoundations |= bit(p);
            continue;
        }
        // Cards built on a card of another pile: nothing on a pile that
        // takes no cards while it holds some, or holds one card at most.
        if (q.acceptCount == Accept::Nothing || q.sizeLimit == 1) continue;
        for (int v = 0; v < 52; ++v) buildable[v] |= buildsOn(p, v);
    }
    if (!closedFoundations) safeHomeMoves = false;
    onlyFoundationsTake = onlyStockAndHome = true;
    for (int p = 0; p < r.pileCount; ++p) {
        const PileRules& q = r.piles[p];
        if (!q.has(PileFlags::foundation) && q.acceptCount != Accept::Nothing) onlyFoundationsTake = false;
        if (!q.has(PileFlags::foundation | PileFlags::stock | PileFlags::waste)) onlyStockAndHome = false;
    }
    // Piles the player builds on carry the waste flag too (Spider's ten):
    // only a waste no card is put on counts.
    onlyStockAndHome = onlyStockAndHome && onlyFoundationsTake;
    for (PileMask f = closedFoundations; f; f &= f - 1)
        if (r.piles[__builtin_ctzll(f)].has(PileFlags::belowWasteTop | PileFlags::kingsOrBelowWasteTop |
                                            PileFlags::acesOrBelowWasteTop))
            guardedDiscards |= bit(__builtin_ctzll(f));
    needlessDiscards = guardedDiscards && !r.fourSuits && !r.suiteRuns && !r.straightRuns;
    for (int p = 0; p < r.pileCount; ++p)
        if (r.piles[p].has(PileFlags::rankOfPileAbove)) needlessDiscards = false;
    // Waste piles a press deals more than one card onto: taking a card
    // off one changes which cards later presses show once it is gathered
    // again, so no card leaves one without a choice while a redeal may
    // come. Likewise any pile gathered for a redeal with others: how
    // many cards each holds decides the order the gathering leaves them in.
    if (__builtin_popcountll(r.gathered) > 1) keptForRedeal |= r.gathered;
    for (int s = 0; s < r.pileCount; ++s)
        if (r.piles[s].has(PileFlags::stock))
            forEachPile(r.wastes, [&](int w) {
                if (cardsPerPress(r, s, w) > 1) keptForRedeal |= bit(w);
            });
    // An ace nothing is built on, with a foundation of its own always
    // free for it, is better home than anywhere else: no card needs to
    // be put on another to keep it waiting. That holds where an ace
    // always moves alone: piles give up their top card, or runs built
    // down, and no card from the middle.
    bool acesAlone = prune;
    for (int p = 0; p < r.pileCount; ++p) {
        const PileRules& q = r.piles[p];
        const bool downRuns = q.rankBuild == RankBuild::Down || q.rankBuild == RankBuild::DownByTwos;
        if (q.has(PileFlags::anySingleCard) || q.removal == Removal::FaceUpAndAbove ||
            (q.removal != Removal::TopCard && q.removal != Removal::Nothing && !downRuns))
            acesAlone = false;
    }
    int anyAce = 0, eachAce[4] = {0, 0, 0, 0};
    for (PileMask f = closedFoundations; f; f &= f - 1) {
        const PileRules& q = r.piles[__builtin_ctzll(f)];
        if (q.rankBuild != RankBuild::Up || q.suitBuild != SuitBuild::SameSuit ||
            (q.flags & (kWaitsForReserves | kReadsOtherPiles)))
            continue;
        if (q.startCard == StartCard::AnyAce) ++anyAce;
        if (q.startCard >= 0 && q.startCard < 4) ++eachAce[q.startCard];
    }
    const bool roomForAces = anyAce >= 4 * decks || std::min({eachAce[0], eachAce[1], eachAce[2], eachAce[3]}) >= decks;
    // A card waiting for its foundation's next place keeps it: in one
    // deck, with every foundation built up in suit from an ace, no other
    // card can take that place. Such a card that nothing could need
    // (below) goes home the moment it is free, so it need not be kept a
    // place to go: what could be built on it is as good home.
    readyHome = acesAlone && roomForAces && safeHomeMoves && decks == 1 && r.foundations == closedFoundations &&
                anyAce + eachAce[0] + eachAce[1] + eachAce[2] + eachAce[3] == __builtin_popcountll(r.foundations);
    for (int p = 0; p < r.pileCount && readyHome; ++p) {
        const PileRules& q = r.piles[p];
        if (q.flags & kWaitsForReserves) readyHome = false;
        // A card lifted with others on it is free to go home only when
        // those could be built on it, and so are home or go first.
        if (q.has(PileFlags::foundation) || q.removal == Removal::TopCard || q.removal == Removal::Nothing) continue;
        bool asked = false;  // a pile before with the same run and building rules
        for (int o = 0; o < p && !asked; ++o)
            asked = !r.piles[o].has(PileFlags::foundation) && r.piles[o].removal == q.removal &&
                    r.piles[o].rankBuild == q.rankBuild && r.piles[o].suitBuild == q.suitBuild;
        if (asked) continue;
        for (int lower = 0; lower < 52 && readyHome; ++lower)
            for (int upper = 0; upper < 52; ++upper)
                if (continuesRun(q, cardByte(lower, kFaceUp), cardByte(upper, kFaceUp)) &&
                    !(buildable[lower] >> upper & 1) && rankOf(upper) != 0)
                    readyHome = false;
    }
    if (acesAlone && roomForAces)
        for (int v = 0; v < 52; ++v)
            for (int ace = 0; ace < 4; ++ace)
                if (!buildable[ace]) buildable[v] &= ~(uint64_t{1} << ace);
}

void RulesAnalysis::findKeyedByTop(const GameRules& r) {
    // Piles the rules' own actions take cards from, and piles they sort.
    const PileMask moved = r.gathered | r.fillers | r.suiteRuns | r.straightRuns | r.fourSuits | r.groupables;
    const uint32_t reordered = PileFlags::stock | PileFlags::sortAscending | PileFlags::sortDescending |
                               PileFlags::kingsToBottom | PileFlags::groupable;
    for (PileMask f = closedFoundations & ~moved; f; f &= f - 1) {
        const int p = __builtin_ctzll(f);
        const PileRules& q = r.piles[p];
        if (q.flags & reordered) continue;
        // The pile below it may ask which ranks it holds.
        if (p + 1 < r.pileCount && r.piles[p + 1].has(PileFlags::rankOfPileAbove)) continue;
        const bool stepped = q.rankBuild == RankBuild::Up || q.rankBuild == RankBuild::Down ||
                             q.rankBuild == RankBuild::UpByTwos || q.rankBuild == RankBuild::DownByTwos;
        if (stepped && q.suitBuild == SuitBuild::SameSuit) continue;
        keyedByTop |= bit(p);
        const bool anyRank = q.rankBuild == RankBuild::Any || q.rankBuild == RankBuild::None;
        const bool anySuit = q.suitBuild == SuitBuild::Any || q.suitBuild == SuitBuild::None;
        if (anyRank && anySuit) keyedByCount |= bit(p);
    }
}

void RulesAnalysis::findSuitBlind(const GameRules& r) {
    // Suits are read by building and run rules that name them, by start
    // cards of one suit, by the discards that compare a card with a higher
    // one of its suit, by runs of one suit played off, by the four-suit
    // discard and by sorting (which orders a rank's cards by suit).
    const uint32_t readsSuits = kReadsOtherPiles | PileFlags::autoplaySuite | PileFlags::fourSuitsDiscard |
                                PileFlags::sortAscending | PileFlags::sortDescending;
    auto namesSuit = [](int32_t code) { return code >= 0 && code <= 3; };
    suitBlind = true;
    for (int p = 0; p < r.pileCount; ++p) {
        const PileRules& q = r.piles[p];
        if ((q.flags & readsSuits) || namesSuit(q.removal) || (q.startCard >= 0 && q.startCard < 52) ||
            (q.acceptCount != Accept::Nothing && namesSuit(q.suitBuild)))
            suitBlind = false;
    }
}

void RulesAnalysis::findStockRound(const GameRules& r) {
    int stocks = 0, wastes = 0;
    for (int p = 0; p < r.pileCount; ++p) {
        if (r.piles[p].has(PileFlags::stock)) stock = p, ++stocks;
        if (r.piles[p].has(PileFlags::waste)) waste = p, ++wastes;
    }
    if (stocks == 1 && wastes == 1 && stock != waste) {
        const PileRules& s = r.piles[stock];
        const PileRules& w = r.piles[waste];
        perPress = cardsPerPress(r, stock, waste);
        const uint32_t sFlags = PileFlags::stock | PileFlags::redealable | PileFlags::dealThree;
        hasStockRound =
            (s.flags & ~sFlags) == 0 && s.acceptCount == Accept::Nothing && s.startCard == StartCard::Nothing &&
            w.has(PileFlags::redealFaceDown) && !w.has(PileFlags::redealRefill | PileFlags::reserve) &&
            w.acceptCount == Accept::Nothing && w.startCard == StartCard::Nothing && s.has(PileFlags::redealable) &&
            w.removal == Removal::TopCard && !w.has(PileFlags::anySingleCard | PileFlags::waitReservesToTake) &&
            r.gathered == bit(waste) && !r.fourSuits && !r.suiteRuns && !r.straightRuns && !r.groupables &&
            !(r.fillers & (bit(stock) | bit(waste))) && !(r.reserves & (bit(stock) | bit(waste)));
        // A rule that reads the waste's top card tells the round's tables
        // apart; one that reads which ranks the pile above holds does not,
        // unless that pile is the stock or the waste (Osmosis reads its
        // foundations, which the round leaves as they are).
        for (int p = 0; p < r.pileCount; ++p) {
            const uint32_t reads = r.piles[p].flags & kReadsOtherPiles;
            const bool roundAbove = p == stock + 1 || p == waste + 1;
            if (reads & ~PileFlags::rankOfPileAbove || (reads && roundAbove)) hasStockRound = false;
        }
    }
}

void RulesAnalysis::findPlainPiles(const GameRules& r) {
    // Plain piles: built on and taken from by their own cards alone, a
    // run whole or its top card, with no rule of the game reading where
    // a card lies but the piles' own building rules.
    const uint32_t special = kWaitsForReserves | kReadsOtherPiles | PileFlags::stock | PileFlags::waste | PileFlags::reserve |
                             PileFlags::foundation | PileFlags::fillsSpaces | PileFlags::autoFillFromStock |
                             PileFlags::sortAscending | PileFlags::sortDescending | PileFlags::kingsToBottom |
                             PileFlags::anySingleCard | PileFlags::groupable | PileFlags::foundationOnly;
    bool plain = !r.hasDiscardRules() && !r.fourSuits && !r.suiteRuns && !r.straightRuns && !r.groupables &&
                 !r.fillers && !r.spaces;
    for (int p = 0; p < r.pileCount; ++p)
        if (r.piles[p].flags & (kWaitsForReserves | kReadsOtherPiles)) plain = false;
    settledAfterMoves = plain;
    for (int p = 0; p < r.pileCount && plain; ++p) {
        const PileRules& q = r.piles[p];
        if ((q.flags & special) || q.acceptCount == Accept::Nothing || q.removal == Removal::Nothing ||
            q.removal == Removal::FaceUpAndAbove)
            continue;
        plainPiles |= bit(p);
    }
    roundCardsWaitForUse = hasStockRound && perPress == 1 && plainPiles;
    for (int p = 0; p < r.pileCount; ++p) {
        const PileRules& q = r.piles[p];
        if (removesRuns(q.removal) && !q.has(PileFlags::foundation)) runPiles |= bit(p);
    }
    // Whole piles wait only where whatever is built on a run continues
    // it, so that the pile can still be lifted whole later.
    emptyingWaitsForUse = plainPiles != 0;
    for (PileMask piles = plainPiles; piles; piles &= piles - 1) {
        const PileRules& q = r.piles[__builtin_ctzll(piles)];
        if (q.removal == Removal::TopCard) emptyingWaitsForUse = false;
        for (int lower = 0; lower < 52 && emptyingWaitsForUse; ++lower)
            for (uint64_t m = buildsOn(__builtin_ctzll(piles), lower); m; m &= m - 1)
                if (!continuesRun(q, cardByte(lower, kFaceUp), cardByte(__builtin_ctzll(m), kFaceUp)))
                    emptyingWaitsForUse = false;
    }
}

void RulesAnalysis::findStuckCards(const GameRules& r) {
    // Cards stuck for good: one deck, every foundation closed and built
    // up in suit from an ace, and every card that lies in a plain pile.
    upInSuit = decks == 1 && r.foundations && r.foundations == closedFoundations;
    bool plainElsewhere = settledAfterMoves;  // no rule reads where cards lie
    for (int p = 0; p < r.pileCount; ++p) {
        const PileRules& q = r.piles[p];
        if (q.has(PileFlags::foundation)) {
            upInSuit = upInSuit && startsWithAce(q.startCard) && q.rankBuild == RankBuild::Up &&
                       q.suitBuild == SuitBuild::SameSuit;
        } else if (!(plainPiles & bit(p)) && !q.has(PileFlags::stock | PileFlags::waste)) {
            plainElsewhere = false;
        }
        if (q.has(PileFlags::foundation) || q.acceptCount == Accept::Nothing) continue;
        spaceTakes |= startValues(q.startCard);
    }
    const PileMask moved = r.gathered | r.fillers | r.suiteRuns | r.straightRuns | r.fourSuits | r.groupables;
    for (int p = 0; p < r.pileCount; ++p) {
        const PileRules& q = r.piles[p];
        if (q.has(PileFlags::foundationOnly) && !q.has(PileFlags::foundation | PileFlags::anySingleCard) &&
            q.removal == Removal::TopCard && !(moved & bit(p)))
            homeOnlyPiles |= bit(p);
    }
    stuckInPlainPiles = upInSuit && plainElsewhere;
    checksStuckCards = upInSuit && (plainElsewhere || homeOnlyPiles);
    for (int v = 0; v < 52; ++v) {
        carriers[v] = 0;
        for (int x = 0; x < 52; ++x)
            if (buildable[x] & (uint64_t{1} << v)) carriers[v] |= uint64_t{1} << x;
    }
}

void RulesAnalysis::findHomeOrder(const GameRules& r) {
    // Foundations up from an ace and down from a king, and with their suit
    // told (a given ace or king), the suits that have each.
    int up = 0, down = 0, bySuit = 0, all = 0, upSuits = 0, downSuits = 0;
    for (PileMask piles = r.foundations; piles; piles &= piles - 1) {
        const int p = __builtin_ctzll(piles);
        const PileRules& q = r.piles[p];
        ++all;
        up += startsWithAce(q.startCard) && q.rankBuild == RankBuild::Up;
        down += startsWithKing(q.startCard) && q.rankBuild == RankBuild::Down;
        bySuit += q.suitBuild == SuitBuild::SameSuit;
        if (q.rankBuild == RankBuild::Up && q.startCard >= 0 && q.startCard < 4) {
            upHome[q.startCard] = p;
            upSuits |= 1 << q.startCard;
        } else if (q.rankBuild == RankBuild::Down && q.startCard >= 48 && q.startCard < 52) {
            downHome[q.startCard - 48] = p;
            downSuits |= 1 << (q.startCard - 48);
        }
    }
    homeDirection = all && up == all ? 1 : all && down == all ? -1 : 0;
    homeBySuit = homeDirection && bySuit == all;
    homeBothWays = !homeDirection && decks <= 2 && all == 8 && bySuit == all && upSuits == 15 && downSuits == 15;
    for (int p = 0; homeDirection && p < r.pileCount; ++p) {
        const PileRules& q = r.piles[p];
        if (q.rankBuild == RankBuild::Any && q.acceptCount != Accept::Nothing && q.has(PileFlags::foundationOnly))
            (homeBySuit ? stackPiles : anyCardPiles) |= bit(p);
    }
}

}  // namespace korvat::solve
