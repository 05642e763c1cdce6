// The solver's analysis of a game's rules, made once a solve: what the
// search may take for granted in this game (piles it may exchange, cards
// that go home without a choice (safe moves), moves it may leave out).
#pragma once

#include <cstdint>

#include "core/legality.h"
#include "core/rules.h"
#include "core/table.h"

namespace korvat::solve {

struct RulesAnalysis {
    // `prune` off leaves out what only the pruning of moves uses.
    RulesAnalysis(const core::GameRules& rules, bool prune);

    const core::GameRules* rules;
    int decks = 1;

    // Piles whose contents may be exchanged without changing what can be
    // won: each pile's class is the first pile it may be exchanged with.
    int classOf[core::kMaxPiles];

    // A card may go home without a choice (a safe move) when nothing could
    // ever need it where it lies: every card that could be built on it
    // elsewhere is home for good.
    bool safeHomeMoves = false;
    // Also when what could be built on it is next for home (see
    // Search::nothingNeeds).
    bool readyHome = false;
    // No pile but the foundations ever takes a card (the stock deals onto
    // its waste): a card waits where it lies or goes home.
    bool onlyFoundationsTake = false;
    // The foundations, the stock and its waste are all the piles, and
    // only the foundations take a card.
    bool onlyStockAndHome = false;
    uint64_t buildable[52];                // the values that could be built on a card of value v
    core::PileMask closedFoundations = 0;  // foundations no card ever leaves
    core::PileMask keptForRedeal = 0;      // piles no card leaves without a choice while redeals remain
    // Foundations no card leaves that take a card for a higher card of its
    // suit on top of another pile (see Search::discardGuarded).
    core::PileMask guardedDiscards = 0;
    // Where those discards are the only rule that reads other piles' cards:
    // a card that no lower card of its suit left outside the foundations
    // could ever want as its higher card is sent there by both searches
    // (see Search::discardNeedless).
    bool needlessDiscards = false;

    // Foundations no card leaves and no rule reads below the top card: the
    // cards under the top are known from the other piles, and the order
    // they went home in makes no difference to what can follow, so the
    // canonical key holds only their top card and count. (A foundation
    // built in suit by a fixed rank step is hashed whole as before: its
    // top card already tells its cards.)
    core::PileMask keyedByTop = 0;
    // Of those, the ones that take any card on any top: only their count.
    core::PileMask keyedByCount = 0;
    // No rule of the game reads a card's suit or colour, only its rank:
    // cards of one rank may be exchanged wherever they lie without
    // changing what can be won, so the canonical key reads ranks alone.
    bool suitBlind = false;

    // A card that can leave its pile neither for home, its card of the
    // suit below lying under it, nor for another pile, every card it could
    // be built on being home or under it too, nor for an empty pile, will
    // never go home: the table cannot be won (Search::hasStuckCards).
    bool checksStuckCards = false;
    bool stuckInPlainPiles = false;  // plain piles' cards may be so (every other pile plain, a stock or a waste)
    // Piles whose cards go nowhere but home, top card first: each of their
    // cards can leave for home alone, and may be stuck so.
    core::PileMask homeOnlyPiles = 0;
    bool upInSuit = false;    // one deck, every foundation closed and built up in suit from an ace
    // The order cards go home in, where the foundations tell it: every
    // foundation built up by one from an ace (1), or down by one from a
    // king (-1); else 0. `homeBySuit`: each foundation keeps to one suit.
    int homeDirection = 0;
    bool homeBySuit = false;
    // Piles that take any card and give cards only home, where the home
    // order is known by suit: a pile's earliest card in that order bounds
    // the cards it can still take without burying one.
    core::PileMask stackPiles = 0;
    // Piles that take any card and give cards only home, where the home
    // order is known but not by suit: how late each card lies counts for
    // the finder (a pile a redeal gathers only once no redeal is left).
    core::PileMask anyCardPiles = 0;
    // One or two decks whose suits each go home both ways, one foundation
    // up from the ace and one down from the king (upHome, downHome): a
    // card's place in the home order is how far the nearer of the two
    // that still wants it is from taking it.
    bool homeBothWays = false;
    int upHome[4] = {}, downHome[4] = {};
    uint64_t carriers[52];    // the values a card of value v could be built on
    uint64_t spaceTakes = 0;  // the values an empty pile could take

    // A card moved onto a plain pile is worth moving only for what is done
    // with it, or with the card it leaves on top, at once; anything later
    // could be done as well by making the move later. So the search moves
    //  - a whole pile onto another only when something can go into the
    //    pile left empty (`emptyingWaitsForUse`);
    //  - with one card a press and redeals unlimited
    //    (`roundCardsWaitForUse`), when every card of the round can be had
    //    at any time in any order, a card of the round onto a plain pile
    //    only together with what is built on it: a card or run another pile
    //    offers, put on it directly or on a chain of round cards put there
    //    with it (Search::addRoundCardWithUses).
    core::PileMask plainPiles = 0;
    core::PileMask runPiles = 0;  // piles other than foundations that give up runs
    bool roundCardsWaitForUse = false;
    bool emptyingWaitsForUse = false;

    // A table whose forced moves are all made stays so after a move between
    // piles other than foundations, but for the top card the move leaves
    // on the pile it came from: no rule of the game reads where other
    // cards lie (see Search::makeForcedMoves).
    bool settledAfterMoves = false;

    // The stock round: one stock dealing onto one waste pile that is
    // gathered back into it, nothing else dealt, filled or played off
    // along the way. With redeals unlimited, pressing the stock again and
    // again comes back to the same table, so the tables on that round are
    // one: the search lists, from any of them, the moves of the waste card
    // at every point of the round.
    bool hasStockRound = false;
    int stock = -1, waste = -1, perPress = 1;

    // The values pile p takes on a card of value `top` by its building rules.
    uint64_t buildsOn(int p, int top) const {
        return core::buildValues(rules->piles[p].rankBuild, rules->piles[p].suitBuild, top);
    }
    // The stock round applies to this table: redeals unlimited, the stock
    // face down and the waste face up, as dealing and gathering leave them.
    bool stockRoundAt(const core::Table& t) const {
        if (!hasStockRound || t.redealsLeft != -1) return false;
        for (int i = t.begin(stock); i < t.end(stock); ++i)
            if (core::stateOf(t.cards[i]) != kFaceDown) return false;
        for (int i = t.begin(waste); i < t.end(waste); ++i)
            if (core::stateOf(t.cards[i]) != kFaceUp) return false;
        return true;
    }
    // A table on the round itself (rather than on the way to it): the
    // waste holds a whole number of presses, or the stock is empty.
    bool onRound(const core::Table& t) const { return t.count(waste) % perPress == 0 || t.empty(stock); }

private:
    void findInterchangeablePiles(const core::GameRules& r);
    void findSafeHomeMoves(const core::GameRules& r, bool prune);
    void findKeyedByTop(const core::GameRules& r);
    void findSuitBlind(const core::GameRules& r);
    void findStockRound(const core::GameRules& r);
    void findPlainPiles(const core::GameRules& r);
    void findStuckCards(const core::GameRules& r);
    void findHomeOrder(const core::GameRules& r);
};

}  // namespace korvat::solve
