#include "solve/solver.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/actions.h"
#include "core/legality.h"
#include "model/catalogue.h"

namespace korvat::solve {

using namespace core;

const char* verdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Winnable: return "winnable";
        case Verdict::Unwinnable: return "unwinnable";
        case Verdict::Unknown: break;
    }
    return "unknown";
}

namespace {

// ---- What the rules allow the search to take for granted ----

struct Analysis {
    // Piles whose contents may be exchanged without changing what can be
    // won: each pile's class is the first pile it may be exchanged with.
    int classOf[kMaxPiles];
    // A card may go home without a choice when nothing could ever need it
    // where it lies: every card that could be built on it elsewhere is home
    // for good. needs[v]: the values that could be built on a card of value v.
    bool safeMoves = false;
    bool readyHome = false;  // also when what needs it is next for home (see safeHome)
    uint64_t needs[52];
    PileMask closedFoundations = 0;  // foundations no card ever leaves
    PileMask choiceFrom = 0;         // piles no card leaves without a choice while redeals remain
    int decks = 1;

    Analysis(const GameRules& r, bool prune) {
        decks = r.deckSize / 52;
        rules = &r;
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

        // Going home without a choice.
        const uint32_t waitFlags = PileFlags::waitReservesToPlay | PileFlags::waitReservesToFillSpace |
                                   PileFlags::waitReservesToDeal | PileFlags::waitReservesAlways |
                                   PileFlags::waitReservesToTake;
        const uint32_t readsOthers = PileFlags::belowWasteTop | PileFlags::kingsOrBelowWasteTop |
                                     PileFlags::acesOrBelowWasteTop | PileFlags::rankOfPileAbove;
        safeMoves = !r.hasDiscardRules() && !r.suiteRuns && !r.straightRuns && !r.fourSuits;
        for (int v = 0; v < 52; ++v) needs[v] = 0;
        for (int p = 0; p < r.pileCount; ++p) {
            const PileRules& q = r.piles[p];
            if (q.flags & readsOthers) safeMoves = false;
            if (q.has(PileFlags::foundation)) {
                if (q.removal == Removal::Nothing && !q.has(PileFlags::anySingleCard | PileFlags::waitReservesToTake))
                    closedFoundations |= bit(p);
                continue;
            }
            // Cards built on a card of another pile: nothing on a pile that
            // takes no cards while it holds some, or holds one card at most.
            if (q.acceptCount == Accept::Nothing || q.sizeLimit == 1) continue;
            for (int v = 0; v < 52; ++v) needs[v] |= builds(p, v);
        }
        if (!closedFoundations) safeMoves = false;
        // Waste piles a press deals more than one card onto: taking a card
        // off one changes which cards later presses show once it is gathered
        // again, so no card leaves one without a choice while a redeal may
        // come. Likewise any pile gathered for a redeal with others: how
        // many cards each holds decides the order the gathering leaves them in.
        if (__builtin_popcountll(r.gathered) > 1) choiceFrom |= r.gathered;
        for (int s = 0; s < r.pileCount; ++s)
            if (r.piles[s].has(PileFlags::stock))
                forEachPile(r.wastes, [&](int w) {
                    if (cardsPerPress(r, s, w) > 1) choiceFrom |= bit(w);
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
            if (q.rankBuild != RankBuild::Up || q.suitBuild != SuitBuild::SameSuit || (q.flags & (waitFlags | readsOthers)))
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
        readyHome = acesAlone && roomForAces && safeMoves && decks == 1 && r.foundations == closedFoundations &&
                    anyAce + eachAce[0] + eachAce[1] + eachAce[2] + eachAce[3] == __builtin_popcountll(r.foundations);
        for (int p = 0; p < r.pileCount && readyHome; ++p) {
            const PileRules& q = r.piles[p];
            if (q.flags & waitFlags) readyHome = false;
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
                    if (continuesRun(q, cardByte(lower, kFaceUp), cardByte(upper, kFaceUp)) && !(needs[lower] >> upper & 1) &&
                        rankOf(upper) != 0)
                        readyHome = false;
        }
        if (acesAlone && roomForAces)
            for (int v = 0; v < 52; ++v)
                for (int ace = 0; ace < 4; ++ace)
                    if (!needs[ace]) needs[v] &= ~(uint64_t{1} << ace);

        // The stock cycle: one stock dealing onto one waste pile that is
        // gathered back into it, nothing else dealt, filled or played off
        // along the way. With redeals unlimited, pressing the stock again
        // and again comes back to the same table, so the tables on that
        // round are one: the search lists, from any of them, the moves of
        // the waste card at every point of the round.
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
            cycle = (s.flags & ~sFlags) == 0 && s.acceptCount == Accept::Nothing && s.startCard == StartCard::Nothing &&
                    w.has(PileFlags::redealFaceDown) && !w.has(PileFlags::redealRefill | PileFlags::reserve) &&
                    w.acceptCount == Accept::Nothing && w.startCard == StartCard::Nothing &&
                    s.has(PileFlags::redealable) && w.removal == Removal::TopCard &&
                    !w.has(PileFlags::anySingleCard | PileFlags::waitReservesToTake) &&
                    r.gathered == bit(waste) && !r.fourSuits && !r.suiteRuns && !r.straightRuns && !r.groupables &&
                    !(r.fillers & (bit(stock) | bit(waste))) && !(r.reserves & (bit(stock) | bit(waste)));
            for (int p = 0; p < r.pileCount; ++p)
                if (r.piles[p].flags & readsOthers) cycle = false;
        }

        // Plain piles: built on and taken from by their own cards alone, a
        // run whole or its top card, with no rule of the game reading where
        // a card lies but the piles' own building rules.
        const uint32_t special = waitFlags | readsOthers | PileFlags::stock | PileFlags::waste | PileFlags::reserve |
                                 PileFlags::foundation | PileFlags::fillsSpaces | PileFlags::autoFillFromStock |
                                 PileFlags::sortAscending | PileFlags::sortDescending | PileFlags::kingsToBottom |
                                 PileFlags::anySingleCard | PileFlags::groupable | PileFlags::foundationOnly;
        bool plain = !r.hasDiscardRules() && !r.fourSuits && !r.suiteRuns && !r.straightRuns && !r.groupables &&
                     !r.fillers && !r.spaces;
        for (int p = 0; p < r.pileCount; ++p)
            if (r.piles[p].flags & (waitFlags | readsOthers)) plain = false;
        settledUnlessFrom = plain;
        for (int p = 0; p < r.pileCount && plain; ++p) {
            const PileRules& q = r.piles[p];
            if ((q.flags & special) || q.acceptCount == Accept::Nothing || q.removal == Removal::Nothing ||
                q.removal == Removal::FaceUpAndAbove)
                continue;
            plainPiles |= bit(p);
        }
        roundWaits = cycle && perPress == 1 && plainPiles;
        for (int p = 0; p < r.pileCount; ++p) {
            const PileRules& q = r.piles[p];
            const bool runs = q.removal == Removal::AnySuitRun || q.removal == Removal::SameColourRun ||
                              q.removal == Removal::AlternatingRun || q.removal == Removal::SameSuitRun ||
                              q.removal == Removal::ChangingSuitRun;
            if (runs && !q.has(PileFlags::foundation)) runPiles |= bit(p);
        }
        // Whole piles wait only where whatever is built on a run continues
        // it, so that the pile can still be lifted whole later.
        emptiedWaits = plainPiles != 0;
        for (PileMask piles = plainPiles; piles; piles &= piles - 1) {
            const PileRules& q = r.piles[__builtin_ctzll(piles)];
            if (q.removal == Removal::TopCard) emptiedWaits = false;
            for (int lower = 0; lower < 52 && emptiedWaits; ++lower)
                for (uint64_t m = builds(__builtin_ctzll(piles), lower); m; m &= m - 1)
                    if (!continuesRun(q, cardByte(lower, kFaceUp), cardByte(__builtin_ctzll(m), kFaceUp)))
                        emptiedWaits = false;
        }

        // Cards stuck for good: one deck, every foundation closed and built
        // up in suit from an ace, and every card that lies in a plain pile.
        upInSuit = decks == 1 && r.foundations && r.foundations == closedFoundations;
        bool plainElsewhere = plain;
        for (int p = 0; p < r.pileCount; ++p) {
            const PileRules& q = r.piles[p];
            if (q.has(PileFlags::foundation)) {
                const bool ace = q.startCard == StartCard::AnyAce || (q.startCard >= 0 && q.startCard < 4);
                upInSuit = upInSuit && ace && q.rankBuild == RankBuild::Up && q.suitBuild == SuitBuild::SameSuit;
            } else if (!(plainPiles & bit(p)) && !q.has(PileFlags::stock | PileFlags::waste)) {
                plainElsewhere = false;
            }
            if (q.has(PileFlags::foundation) || q.acceptCount == Accept::Nothing) continue;
            intoSpace |= startValues(q.startCard);
        }
        stuckCards = upInSuit && plainElsewhere;
        for (int v = 0; v < 52; ++v) {
            parents[v] = 0;
            for (int x = 0; x < 52; ++x)
                if (needs[x] & (uint64_t{1} << v)) parents[v] |= uint64_t{1} << x;
        }
    }

    // The values pile p takes on a card of value `top` by its building rules.
    uint64_t builds(int p, int top) const {
        return buildValues(rules->piles[p].rankBuild, rules->piles[p].suitBuild, top);
    }
    const GameRules* rules;

    // A card that can leave its pile neither for home, its card of the
    // suit below lying under it, nor for another pile, every card it could
    // be built on being home or under it too, nor for an empty pile, will
    // never go home: the table cannot be won (`stuckCards`).
    bool stuckCards = false;
    bool upInSuit = false;   // one deck, every foundation closed and built up in suit from an ace
    uint64_t parents[52];    // the values a card of value v could be built on
    uint64_t intoSpace = 0;  // the values an empty pile could take

    // A card moved onto a plain pile is worth moving only for what is done
    // with it, or with the card it leaves on top, at once; anything later
    // could be done as well by making the move later. So the search moves
    //  - a whole pile onto another only when something can go into the
    //    pile left empty (`emptiedWaits`);
    //  - with one card a press and redeals unlimited (`roundWaits`), when
    //    every card of the round can be had at any time in any order, a card
    //    of the round onto a plain pile only together with what is built on
    //    it: a card or run another pile offers, put on it directly or on a
    //    chain of round cards put there with it (roundCardUses).
    PileMask plainPiles = 0;
    PileMask runPiles = 0;  // piles other than foundations that give up runs
    bool roundWaits = false;
    bool emptiedWaits = false;

    // A table whose forced moves are all made stays so after a move between
    // piles other than foundations, but for the top card the move leaves
    // on the pile it came from: no rule of the game reads where other
    // cards lie (see forcedMoves).
    bool settledUnlessFrom = false;

    bool cycle = false;  // the stock cycle applies to the game
    int stock = -1, waste = -1, perPress = 1;

    // The stock cycle applies to this table: redeals unlimited, the stock
    // face down and the waste face up, as dealing and gathering leave them.
    bool cycleAt(const Table& t) const {
        if (!cycle || t.redealsLeft != -1) return false;
        for (int i = t.begin(stock); i < t.end(stock); ++i)
            if (stateOf(t.cards[i]) != kFaceDown) return false;
        for (int i = t.begin(waste); i < t.end(waste); ++i)
            if (stateOf(t.cards[i]) != kFaceUp) return false;
        return true;
    }
    // A table on the round itself (rather than on the way to it): the
    // waste holds a whole number of presses, or the stock is empty.
    bool onRound(const Table& t) const { return t.count(waste) % perPress == 0 || t.empty(stock); }
};

// ---- Tables already seen ----

struct Key {
    uint64_t a, b;
};

// Two running hashes of a pile's cards, a word at a time; each step is
// one to one in the word, and the caller mixes the results.
void hashCards(const uint8_t* c, int n, uint64_t& x, uint64_t& y) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, c + i, 8);
        x = (x ^ w) * 0xd6e8feb86659fd93ull;
        x ^= x >> 32;
        y = (y ^ w) * 0x9e3779b97f4a7c15ull + (y >> 29);
    }
    if (i < n) {
        // The last few cards, read as a whole word with what follows them
        // masked off (the caller leaves 8 bytes readable past the pile).
        uint64_t w;
        std::memcpy(&w, c + i, 8);
        w &= ~uint64_t{0} >> (8 * (8 - (n - i)));
        x = (x ^ w) * 0xd6e8feb86659fd93ull;
        x ^= x >> 32;
        y = (y ^ w) * 0x9e3779b97f4a7c15ull + (y >> 29);
    }
}

// hashCards reads a pile's last word whole: a table's last pile has room.
static_assert(offsetof(Table, cards) + kMaxCards + 8 <= sizeof(Table), "a table's cards are followed by 8 bytes");

// Two independent 64-bit hashes of the table, the same for tables that
// differ only by which of two interchangeable piles holds what, and for the
// tables of one stock round.
Key canonicalKey(const Analysis& an, const Table& t) {
    const bool round = an.cycleAt(t) && an.onRound(t);
    uint8_t gathered[kMaxCards + 8];
    uint64_t a = mix(static_cast<uint64_t>(t.redealsLeft + 3)), b = static_cast<uint64_t>(t.redealsLeft + 7);
    for (int p = 0; p < t.pileCount; ++p) {
        const uint8_t* c = t.cards + t.begin(p);
        int n = t.count(p);
        if (round && p == an.waste) {
            n = 0;
        } else if (round && p == an.stock) {
            // The round as it stands once the waste is gathered back.
            std::memcpy(gathered, c, static_cast<size_t>(n));
            for (int i = t.end(an.waste) - 1; i >= t.begin(an.waste); --i)
                gathered[n++] = cardByte(valueOf(t.cards[i]), kFaceDown);
            std::memset(gathered + n, 0, 8);
            c = gathered;
        }
        uint64_t x = 0x243f6a8885a308d3ull ^ static_cast<uint64_t>(n), y = 0x13198a2e03707344ull + static_cast<uint64_t>(n);
        hashCards(c, n, x, y);
        const uint64_t slot = static_cast<uint64_t>(an.classOf[p] + 1);
        a += mix(x + slot * 0xbf58476d1ce4e5b9ull);
        b += mix(y ^ (slot * 0x94d049bb133111ebull));
    }
    return {a | 1, b};
}

// Open addressing over 128-bit keys; grows by doubling up to its capacity.
// The searches of one solve share it. Each key carries a mark in the low
// bits of its second half, which lookups leave out: the search that last
// met the table and where in that search (see Search::leave), or that the
// table cannot be won, which every later search may take as known.
class Seen {
public:
    static constexpr int kIndexBits = 26;
    static constexpr int kMarkBits = 40;
    static constexpr uint64_t kMarkMask = (uint64_t{1} << kMarkBits) - 1;
    static constexpr uint64_t kLost = kMarkMask;                    // the table cannot be won
    static constexpr uint64_t kNew = ~uint64_t{0};                  // what enter gives for a key new to the search
    static constexpr uint32_t kLastSearch = (1u << (kMarkBits - kIndexBits)) - 2;
    static constexpr uint32_t kLastIndex = (1u << kIndexBits) - 1;
    static uint64_t mark(uint32_t search, uint32_t index) { return uint64_t{search} << kIndexBits | index; }
    static uint32_t searchOf(uint64_t mark) { return static_cast<uint32_t>(mark >> kIndexBits); }
    static uint32_t indexOf(uint64_t mark) { return static_cast<uint32_t>(mark & kLastIndex); }

    // Room for `capacity` keys, in no more than `maxBytes` (at least 1 MiB).
    Seen(uint64_t capacity, uint64_t maxBytes) {
        cap_ = 1 << 16;
        while (cap_ < capacity && (cap_ << 1) * sizeof(Key) <= maxBytes) cap_ <<= 1;
        size_ = 1 << 12;  // most searches end within a few thousand tables
        slots_.reset(static_cast<Key*>(std::calloc(size_, sizeof(Key))));
    }
    // The key for search `search`, marked `index` there: kNew when the
    // search had not met it (and it is not lost), else its mark. With no
    // room left it sets full() and gives a mark that ends nothing.
    uint64_t enter(const Key& k, uint32_t search, uint32_t index) {
        if (count_ * 10 >= size_ * 7 && !grow()) {
            full_ = true;
            return mark(search, 0);
        }
        Key* s = find(k);
        if (s->a == 0) {
            *s = {k.a, (k.b & ~kMarkMask) | mark(search, index)};
            ++count_;
            return kNew;
        }
        const uint64_t was = s->b & kMarkMask;
        if (was == kLost || searchOf(was) == search) return was;
        s->b = (s->b & ~kMarkMask) | mark(search, index);
        return kNew;
    }
    // Marks a key entered before.
    void remark(const Key& k, uint64_t mark) {
        Key* s = find(k);
        if (s->a != 0) s->b = (s->b & ~kMarkMask) | mark;
    }
    // Starts fetching the slot the key would go to, to be entered shortly.
    void prefetch(const Key& k) const { __builtin_prefetch(slots_.get() + (k.a & (size_ - 1))); }
    bool full() const { return full_; }
    uint64_t bytes() const { return size_ * sizeof(Key); }

private:
    struct Free {
        void operator()(Key* p) const { std::free(p); }
    };
    // The key's slot, or the empty slot it would go to.
    Key* find(const Key& k) const {
        uint64_t i = k.a & (size_ - 1);
        while (true) {
            Key* s = slots_.get() + i;
            if (s->a == 0 || (s->a == k.a && (s->b ^ k.b) >> kMarkBits == 0)) return s;
            i = (i + 1) & (size_ - 1);
        }
    }
    bool grow() {
        if (size_ >= cap_) return false;
        const uint64_t bigger = size_ * 2;
        Key* fresh = static_cast<Key*>(std::calloc(bigger, sizeof(Key)));
        if (!fresh) return false;
        for (uint64_t i = 0; i < size_; ++i) {
            const Key& k = slots_.get()[i];
            if (k.a == 0) continue;
            uint64_t j = k.a & (bigger - 1);
            while (fresh[j].a != 0) j = (j + 1) & (bigger - 1);
            fresh[j] = k;
        }
        slots_.reset(fresh);
        size_ = bigger;
        return true;
    }
    std::unique_ptr<Key, Free> slots_;
    uint64_t size_ = 0, cap_ = 0, count_ = 0;
    bool full_ = false;
};

// ---- The search ----

// Tables the first, best-first pass keeps at most (about 300 bytes each).
constexpr size_t kBestFirstTables = 100'000;
// What a card lying in a run that moves together is worth to the search.
constexpr int kOrderedWeight = 8;
// The most a seeded search adds to a child's promise: ten cards home.
constexpr int kShake = 600;
// The tables of the shortest of the short searches solve makes first, and
// the share of its limits they take at most.
constexpr uint64_t kShortSearch = 1000;
constexpr int kShortShare = 4;

class Search {
public:
    // `seed`: 0 orders the children by their promise alone; any other
    // seed adds to each a small amount of its own, fixed by the seed and
    // the child's table, so that ties and near ties fall differently.
    // `seen`: the tables seen, shared with the solve's other searches,
    // this one being search number `number` (1 to Seen::kLastSearch).
    Search(const GameRules& rules, const Analysis& analysis, const Limits& limits, const std::atomic<bool>* stop,
           Seen& seen, uint32_t number, uint64_t seed = 0)
        : r_(rules), an_(analysis), limits_(limits), stop_(stop), prune_(limits.prune), seed_(seed),
          roundHome_(limits.prune && an_.safeMoves && an_.cycle && an_.perPress == 1),
          roundWaitsHome_(roundHome_ && an_.upInSuit), seen_(seen), number_(number),
          start_(std::chrono::steady_clock::now()) {}

    // Two passes. Best first while the tables kept fit a budget: always the
    // most promising table seen so far, which finds most wins in a few
    // hundred tables. Then depth first from each table left open, most
    // promising first, which needs no more memory than the path it is on
    // and ends, when no limit comes first, with every reachable table seen.
    Result run(const Table& table) {
        Result result;
        origin_ = table;
        Frame first{};
        first.table = table;
        forcedMoves(first.table);
        first.forcedEnd = static_cast<uint32_t>(forced_.size());
        if (isWon(r_, first.table)) return finish(result, Verdict::Winnable, &first);
        if (prune_ && an_.stuckCards && stuck(first.table)) return finish(result, Verdict::Unwinnable, nullptr);
        first.key = canonicalKey(an_, first.table);
        if (seen_.enter(first.key, number_, 0) == Seen::kLost) return finish(result, Verdict::Unwinnable, nullptr);
        ++tables_;

        struct Node {
            Frame frame;
            uint32_t parent;
        };
        std::vector<Node> nodes;
        std::vector<std::pair<int, uint32_t>> open;  // rank and node, as a heap
        nodes.push_back({first, ~0u});
        open.push_back({0, 0});
        // The frames from the start to a node, for its line.
        auto pathTo = [&](uint32_t n) {
            frames_.clear();
            for (; n != ~0u; n = nodes[n].parent) frames_.push_back(nodes[n].frame);
            std::reverse(frames_.begin(), frames_.end());
        };
        const size_t budget = std::min<uint64_t>(limits_.maxStates / 4 + 1, kBestFirstTables);
        uint32_t tick = 0;
        while (!open.empty() && nodes.size() < budget) {
            if ((++tick & 255) == 0 && outOfTime()) return finish(result, Verdict::Unknown, nullptr);
            if (seen_.full() || tables_ >= limits_.maxStates) return finish(result, Verdict::Unknown, nullptr);
            std::pop_heap(open.begin(), open.end());
            const uint32_t at = open.back().second;
            open.pop_back();
            Frame f = nodes[at].frame;
            children_.clear();
            if (expand(f)) {
                const Frame winner = enter(f, children_[won_]);
                pathTo(at);
                return finish(result, Verdict::Winnable, &winner);
            }
            for (const Child& c : children_) {
                nodes.push_back({enter(f, c), at});
                open.push_back({c.rank, static_cast<uint32_t>(nodes.size() - 1)});
                std::push_heap(open.begin(), open.end());
            }
            if ((tick & 255) == 0 && bytesInUse() + nodes.capacity() * sizeof(Node) > limits_.maxBytes)
                return finish(result, Verdict::Unknown, nullptr);
        }

        std::sort(open.begin(), open.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        for (const auto& [rank, at] : open) {
            pathTo(at);
            const size_t base = frames_.size() - 1;  // the open table is searched from here
            waiting_.clear();
            waitingTables_.clear();
            arrive(frames_.back());
            children_.clear();
            if (expand(frames_.back())) return won(result);
            while (frames_.size() > base) {
                if ((++tick & 255) == 0 && (outOfTime() || bytesInUse() > limits_.maxBytes))
                    return finish(result, Verdict::Unknown, nullptr);
                if (seen_.full() || tables_ >= limits_.maxStates) return finish(result, Verdict::Unknown, nullptr);
                Frame& f = frames_.back();
                if (f.next == f.childrenEnd) {
                    leave(f, frames_.size() - 1 > base ? &frames_[frames_.size() - 2] : nullptr);
                    children_.resize(f.childrenBegin);
                    forced_.resize(f.forcedAfter);
                    frames_.pop_back();
                    continue;
                }
                const Frame child = enter(f, children_[f.next++]);
                frames_.push_back(child);
                arrive(frames_.back());
                if (expand(frames_.back())) return won(result);
            }
        }
        return finish(result, cutOff_ ? Verdict::Unknown : Verdict::Unwinnable, nullptr);
    }

private:
    // One edge of the search: presses on the stock (dealing, or redealing
    // when it is empty), if any, then a move.
    struct Step {
        uint16_t presses = 0;
        int16_t position = -1;  // where the presses leave the round: the cards then in the waste
        uint8_t lifted = 0;     // the cards a move between the piles takes (for givesBack)
        Move move;
    };
    // A child waiting to be searched: the step to it from its parent's
    // table, the forced moves made after the step, and its promise. Its
    // table is made again when it is entered, so that waiting children cost
    // no more than this.
    struct Child {
        Step via;
        uint32_t forcedBegin, forcedEnd;
        int rank;
        Key key;
    };
    // A table of the search with the step that led to it and the forced
    // moves made after the step; while it is being searched, its children.
    struct Frame {
        Table table;
        Step via;
        uint32_t forcedBegin = 0, forcedEnd = 0;
        uint32_t childrenBegin = 0, childrenEnd = 0, next = 0;
        uint32_t forcedAfter = 0;  // the forced moves' length before its children's
        int rank = 0;
        Key key{};
        // Depth first: the table's number in the order the pass enters
        // tables (0 for none), and the lowest number met below it (leave).
        uint32_t index = 0, low = 0;
    };

    // A step from the table being expanded, with how promising it looks.
    struct Candidate {
        int score;
        Step step;
    };
    // A child made and not yet looked up among the tables seen.
    struct Pending {
        Table table;
        Key key;
        Step step;
        uint32_t forcedBegin, forcedEnd;
        int score;
    };

    Move press(const Table& t) const { return t.empty(an_.stock) ? Move::redeal(an_.stock) : Move::deal(an_.stock); }

    // Presses on the stock that leave `position` cards of the round in the
    // waste, kept as one entry among the moves made after a step (a deal
    // flagged so) and written out press by press only for the line.
    static constexpr uint8_t kRoundJump = 0x80;
    Move roundJump(int position) const {
        Move m = Move::deal(an_.stock);
        m.flags = kRoundJump;
        m.card = static_cast<uint8_t>(position);
        return m;
    }
    static bool isRoundJump(const Move& m) { return m.kind == Move::Deal && (m.flags & kRoundJump); }
    // Makes a move kept among those after a step.
    void replay(Table& t, const Move& m) const {
        if (isRoundJump(m))
            setRound(t, m.card);
        else
            apply(r_, t, m);
    }

    // The child's table, made from its parent's.
    Frame enter(const Frame& parent, const Child& c) const {
        Frame f{};
        f.table = parent.table;
        take(f.table, c.via);
        for (uint32_t i = c.forcedBegin; i < c.forcedEnd; ++i) replay(f.table, forced_[i]);
        f.via = c.via;
        f.forcedBegin = c.forcedBegin;
        f.forcedEnd = c.forcedEnd;
        f.rank = c.rank;
        f.key = c.key;
        return f;
    }

    // Depth first, entering a table: its number, as its mark among the
    // tables seen. Its children, entered among the tables seen as it lists
    // them, are marked with its number until they are entered in turn.
    void arrive(Frame& f) {
        f.index = entered_ < Seen::kLastIndex ? ++entered_ : 0;
        f.low = f.index;
        seen_.remark(f.key, Seen::mark(number_, f.index));
        waiting_.push_back(f.key);
        if (limits_.lost) waitingTables_.push_back(f.table);
    }
    // Depth first, leaving a table whose children were all searched: no
    // win lies below it, and the tables it reaches that this pass met
    // before are lost already or still being searched; f.low is the lowest
    // number among these (0 for a table of the first pass, or a table
    // whose moves could not all be listed). When that is its own number,
    // every table reached from it was searched in full: it and the tables
    // waiting above it (entered since it and reaching no lower one) are
    // lost, for this search and every later one. Else the parent (null for
    // the first table of the pass) takes the lowest number on.
    void leave(const Frame& f, Frame* parent) {
        if (f.index != 0 && f.low == f.index) {
            while (true) {
                const Key k = waiting_.back();
                waiting_.pop_back();
                seen_.remark(k, Seen::kLost);
                if (limits_.lost) {
                    limits_.lost->push_back(waitingTables_.back());
                    waitingTables_.pop_back();
                }
                if (k.a == f.key.a && k.b == f.key.b) break;
            }
        } else if (parent) {
            parent->low = std::min(parent->low, f.low);
        }
    }

    Result& won(Result& result) {
        const Frame winner = enter(frames_.back(), children_[won_]);
        return finish(result, Verdict::Winnable, &winner);
    }

    // The memory the search holds now, roughly, with room for its largest
    // list to double once more.
    uint64_t bytesInUse() const {
        const uint64_t lists[3] = {frames_.capacity() * sizeof(Frame), children_.capacity() * sizeof(Child),
                                   forced_.capacity() * sizeof(Move)};
        return lists[0] + lists[1] + lists[2] + *std::max_element(lists, lists + 3) + waiting_.capacity() * sizeof(Key) +
               seen_.bytes();
    }

    void take(Table& t, const Step& step) const {
        if (step.presses) setRound(t, step.position);
        apply(r_, t, step.move);
    }

    // The cards of the stock and the waste in the order the stock deals
    // them: the waste from its bottom card, then the stock from its top.
    int roundCards(const Table& t, uint8_t* out) const {
        int n = 0;
        for (int i = t.begin(an_.waste); i < t.end(an_.waste); ++i) out[n++] = t.cards[i];
        for (int i = t.end(an_.stock) - 1; i >= t.begin(an_.stock); --i) out[n++] = t.cards[i];
        return n;
    }

    // The values of the cards of the stock and the waste.
    uint64_t roundValues(const Table& t) const {
        uint64_t values = 0;
        for (int i = t.begin(an_.waste); i < t.end(an_.waste); ++i) values |= uint64_t{1} << valueOf(t.cards[i]);
        for (int i = t.begin(an_.stock); i < t.end(an_.stock); ++i) values |= uint64_t{1} << valueOf(t.cards[i]);
        return values;
    }

    // The table as the presses leave it with `position` cards dealt in the
    // round: those face up in the waste, the rest face down in the stock.
    void setRound(Table& t, int position) const {
        uint8_t round[kMaxCards], waste[kMaxCards], stock[kMaxCards];
        const int n = roundCards(t, round);
        for (int i = 0; i < position; ++i) waste[i] = cardByte(valueOf(round[i]), kFaceUp);
        for (int i = n - 1, k = 0; i >= position; --i, ++k) stock[k] = cardByte(valueOf(round[i]), kFaceDown);
        t.replace(an_.waste, waste, position);
        t.replace(an_.stock, stock, n - position);
    }

    bool outOfTime() {
        if (stop_ && stop_->load(std::memory_order_relaxed)) return true;
        return elapsedMs() >= limits_.maxMs;
    }
    double elapsedMs() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    }

    Result& finish(Result& result, Verdict verdict, const Frame* last) {
        result.verdict = verdict;
        result.states = tables_;
        result.ms = elapsedMs();
        if (verdict == Verdict::Winnable) {
            // The line: the forced moves of the start, then each frame's step
            // and the forced moves that followed it, replayed to name the
            // stock presses.
            Table t = origin_;
            auto addFrame = [&](const Frame& f, bool withStep) {
                if (withStep) {
                    for (int i = 0; i < f.via.presses; ++i) {
                        const Move m = press(t);
                        apply(r_, t, m);
                        result.line.push_back(m);
                    }
                    apply(r_, t, f.via.move);
                    result.line.push_back(f.via.move);
                }
                for (uint32_t i = f.forcedBegin; i < f.forcedEnd; ++i) {
                    if (isRoundJump(forced_[i])) {
                        while (t.count(an_.waste) != forced_[i].card) {
                            const Move m = press(t);
                            apply(r_, t, m);
                            result.line.push_back(m);
                        }
                        continue;
                    }
                    apply(r_, t, forced_[i]);
                    result.line.push_back(forced_[i]);
                }
            };
            // The path: the start, the frames being searched, and the winner.
            for (size_t i = 0; i < frames_.size(); ++i) addFrame(frames_[i], i > 0);
            if (last != (frames_.empty() ? nullptr : &frames_[0])) addFrame(*last, !frames_.empty());
        }
        return result;
    }

    // What the piles take as forced moves make a table, each pile asked
    // once until the next move.
    struct Takes {
        explicit Takes(const Table& table) : t(table) {}  // `of` left unfilled until asked
        const Table& t;
        PileMask known = 0;
        bool homeKnown = false;
        uint64_t home = 0;  // the values some foundation no card leaves might take
        Acceptance of[kMaxPiles];
        void forget() { known = 0, homeKnown = false; }
    };
    uint64_t homeTakes(Takes& takes) const {
        if (!takes.homeKnown) {
            takes.home = 0;
            for (PileMask f = an_.closedFoundations; f; f &= f - 1) {
                const Acceptance& a = acceptanceOf(takes, __builtin_ctzll(f));
                if (!a.never && a.room >= 1) takes.home |= a.values;
            }
            takes.homeKnown = true;
        }
        return takes.home;
    }
    const Acceptance& acceptanceOf(Takes& takes, int q) const {
        if (!(takes.known & bit(q))) {
            takes.of[q] = acceptance(r_, takes.t, q);
            takes.known |= bit(q);
        }
        return takes.of[q];
    }

    // Makes the moves that cannot hurt, until none is left: a face-down top
    // card turned up, and a card home that nothing could need where it lies
    // (a top card, or with the round as one, a card of the round).
    void forcedMoves(Table& t) {
        uint64_t home = 0;
        bool homeKnown = false;
        Takes takes(t);
        for (bool again = true; again;) {
            again = false;
            for (int p = 0; p < r_.pileCount; ++p) {
                const PileRules& pile = r_.piles[p];
                const int n = t.count(p);
                if (n == 0 || pile.has(PileFlags::stock | PileFlags::groupable)) continue;
                const uint8_t top = t.top(p);
                if (stateOf(top) == kFaceDown) {
                    if (findPickCard(r_, t, p, n - 1) != n - 1) continue;
                    const Move m = Move::turn(p, n - 1);
                    apply(r_, t, m);
                    forced_.push_back(m);
                    takes.forget();
                    again = true;
                    continue;
                }
                if (!an_.safeMoves || stateOf(top) != kFaceUp || pile.has(PileFlags::foundation) ||
                    ((an_.choiceFrom & bit(p)) && t.redealsLeft != 0))
                    continue;
                const int v = valueOf(top);
                if (!(homeTakes(takes) >> v & 1)) continue;
                if (!homeKnown) {
                    home = homeValues(t);
                    homeKnown = true;
                }
                if (!safeHome(v, home)) continue;
                if (n == 1 && (r_.spaces & bit(p)) && r_.fillers) continue;  // the space would be filled
                if (findPickCard(r_, t, p, n - 1) != n - 1) continue;
                for (PileMask f = an_.closedFoundations; f; f &= f - 1) {
                    const int q = __builtin_ctzll(f);
                    if (!placeable(takes, p, q, v)) continue;
                    if (!takesNoOnesPlace(takes, home, p, q, v)) break;
                    const Move m = Move::place(p, n - 1, q);
                    apply(r_, t, m);
                    forced_.push_back(m);
                    takes.forget();
                    again = true;
                    homeKnown = false;
                    break;
                }
            }
            if (!again && roundHome_ && an_.cycleAt(t)) {
                if (!homeKnown) {
                    home = homeValues(t);
                    homeKnown = true;
                }
                again = roundCardHome(t, takes, home);
                homeKnown = !again;
            }
        }
    }

    // Whether the step, made from a table with no forced move left, leaves
    // none to make (nor a won table): it moves cards between piles other
    // than foundations, the pile it takes them from may send none home
    // without a choice, and the card it leaves there on top can neither be
    // turned nor go home without a choice. Cards of the round were asked
    // of with the round, which the step leaves as it was but for the card
    // it takes.
    // `home`: the values home on the table the step was made from, which a
    // step that sends nothing home leaves as they were.
    bool stillSettled(const Table& t, const Step& step, bool cycle, uint64_t home) const {
        if (!an_.settledUnlessFrom) return false;
        if (step.move.kind != Move::Place) return false;
        const int p = step.move.from;
        if (r_.foundations & bit(step.move.to)) return false;
        if (an_.choiceFrom & bit(p)) {
            // Nothing leaves such a pile without a choice while a redeal may
            // come; the card taken off it is asked of where it lands.
            if (t.redealsLeft == 0) return false;
            const uint8_t landed = t.top(step.move.to);
            return !an_.safeMoves || stateOf(landed) != kFaceUp || !safeHome(valueOf(landed), home);
        }
        if (cycle && p == an_.waste) return roundHome_;
        if (t.empty(p)) return true;
        const uint8_t top = t.top(p);
        if (stateOf(top) == kFaceDown) return false;
        return !an_.safeMoves || !safeHome(valueOf(top), home);
    }

    // With one card a press and redeals unlimited, any card of the round
    // can be had at any time: one that could go home and that nothing could
    // need (as for a top card above) goes home at once. The presses that
    // bring it to the waste's top are made too, as the line must show them.
    bool roundCardHome(Table& t, Takes& takes, uint64_t home) {
        uint8_t round[kMaxCards];
        const int total = roundCards(t, round);
        const uint64_t taken = homeTakes(takes);
        for (int i = 0; i < total; ++i) {
            const int v = valueOf(round[i]);
            if (!(taken >> v & 1) || !safeHome(v, home)) continue;
            for (PileMask f = an_.closedFoundations; f; f &= f - 1) {
                const int q = __builtin_ctzll(f);
                if (!acceptanceOf(takes, q).accepts(an_.waste, v, 1)) continue;
                if (!takesNoOnesPlace(takes, home, an_.waste, q, v)) break;
                if (t.count(an_.waste) != i + 1) {
                    setRound(t, i + 1);
                    forced_.push_back(roundJump(i + 1));
                }
                const Move m = Move::place(an_.waste, i, q);
                apply(r_, t, m);
                forced_.push_back(m);
                takes.forget();
                return true;
            }
        }
        return false;
    }

    // Whether nothing could need the card of value v where it lies, the
    // values in `home` being home: every card that could be built on it is
    // home, or (readyHome) is next for its foundation, with every card that
    // could be built on it home: it would go home itself the moment it is
    // free, and so is as well home as on this card.
    bool safeHome(int v, uint64_t home) const {
        const uint64_t wanted = an_.needs[v] & ~home;
        if (!wanted) return true;
        if (!an_.readyHome) return false;
        const uint64_t next = ((home << 4) | 0xf) & ~home;  // each suit's next card, one deck built up from aces
        if (wanted & ~next) return false;
        for (uint64_t m = wanted; m; m &= m - 1)
            if (an_.needs[__builtin_ctzll(m)] & ~home) return false;
        return true;
    }

    int homeCount(const Table& t) const {
        int n = 0;
        forEachPile(an_.closedFoundations, [&](int f) { n += t.count(f); });
        return n;
    }

    // Whether some cards of plain piles are stuck for good (see
    // Analysis::stuckCards). A card can leave its pile only for home when
    // every card it could be built on is home or under it and no empty
    // pile takes it; only a face-down card, or the lowest face-up card on
    // face-down ones, can be so, the others leaving with the run below
    // them. Such a card goes home only after every such card lying above
    // its card of the suit below has gone home (itself included, when it
    // lies above that card): when those waits go round in a circle, none of
    // the cards in it ever goes home.
    bool stuck(const Table& t) const {
        uint8_t pileOf[52], at[52];
        uint64_t home = 0;
        for (int p = 0; p < r_.pileCount; ++p)
            for (int i = t.begin(p); i < t.end(p); ++i) {
                const int v = valueOf(t.cards[i]);
                pileOf[v] = static_cast<uint8_t>(p);
                at[v] = static_cast<uint8_t>(i);
                if (an_.closedFoundations & bit(p)) home |= uint64_t{1} << v;
            }
        uint64_t homeOnly = 0;
        for (PileMask piles = an_.plainPiles; piles; piles &= piles - 1) {
            const int p = __builtin_ctzll(piles);
            for (int i = t.begin(p) + 1; i < t.end(p); ++i) {
                const int v = valueOf(t.cards[i]);
                if (stateOf(t.cards[i]) != kFaceDown && stateOf(t.cards[i - 1]) != kFaceDown) continue;
                if (rankOf(v) == 0 || (an_.intoSpace >> v & 1)) continue;
                bool leaves = false;
                for (uint64_t z = an_.parents[v] & ~home; z && !leaves; z &= z - 1) {
                    const int w = __builtin_ctzll(z);
                    leaves = pileOf[w] != p || at[w] > i;
                }
                if (!leaves) homeOnly |= uint64_t{1} << v;
            }
        }
        if (!homeOnly) return false;
        // waits[v]: the cards of homeOnly that must go home before v can.
        uint64_t waits[52];
        for (uint64_t m = homeOnly; m; m &= m - 1) {
            const int v = __builtin_ctzll(m);
            const int below = v - 4;
            waits[v] = 0;
            if (home >> below & 1) continue;
            for (uint64_t o = homeOnly; o; o &= o - 1) {
                const int w = __builtin_ctzll(o);
                if (pileOf[w] == pileOf[below] && at[w] > at[below]) waits[v] |= uint64_t{1} << w;
            }
        }
        // Take away the cards that wait for none left; any left wait in a circle.
        uint64_t left = homeOnly;
        for (bool again = true; again;) {
            again = false;
            for (uint64_t m = left; m; m &= m - 1) {
                const int v = __builtin_ctzll(m);
                if (!(waits[v] & left)) {
                    left &= ~(uint64_t{1} << v);
                    again = true;
                }
            }
        }
        return left != 0;
    }

    // Whether sending the top card of p (value v) home to q is no choice:
    // every foundation that takes v takes it as q does (q's twin: the same
    // rules, as many cards, the same top), and the cards those foundations
    // take, wherever they lie, are no more than the twins can hold. Where a
    // foundation builds up or down, or a card could go to two different
    // foundations, or two copies of a card compete for one place, the
    // choice is left to the search.
    bool takesNoOnesPlace(Takes& takes, uint64_t homeValues, int p, int q, int v) const {
        const Table& t = takes.t;
        auto twin = [&](int f) {
            if (an_.classOf[f] != an_.classOf[q] || t.count(f) != t.count(q)) return false;
            return t.empty(q) || valueOf(t.top(f)) == valueOf(t.top(q));
        };
        int twins = 0;
        for (int f = 0; f < r_.pileCount; ++f) {
            if (!r_.piles[f].has(PileFlags::foundation)) continue;
            if (twin(f)) {
                ++twins;
                continue;
            }
            if (f != p && placeable(takes, p, f, v)) return false;
        }
        const Acceptance& accepts = acceptanceOf(takes, q);
        if (an_.decks == 1 && !accepts.asksSource && !accepts.never && accepts.room >= 1)
            return __builtin_popcountll((accepts.values | uint64_t{1} << v) & ~homeValues) <= twins;
        uint8_t home[52];
        cardsHome(t, home);
        int wanting = 0;
        for (int x = 0; x < 52; ++x)
            if (home[x] < an_.decks && (x == v || accepts.accepts(p, x, 1))) wanting += an_.decks - home[x];
        return wanting <= twins;
    }

    // The values every copy of which lies on a foundation no card leaves.
    uint64_t homeValues(const Table& t) const {
        uint64_t home = 0;
        if (an_.decks == 1) {
            forEachPile(an_.closedFoundations, [&](int f) {
                for (int i = t.begin(f); i < t.end(f); ++i) home |= uint64_t{1} << valueOf(t.cards[i]);
            });
            return home;
        }
        uint8_t count[52];
        return cardsHome(t, count);
    }

    // The values every copy of which lies on a foundation no card leaves;
    // `count` gets how many copies of each value lie there.
    uint64_t cardsHome(const Table& t, uint8_t* count) const {
        std::fill(count, count + 52, uint8_t{0});
        forEachPile(an_.closedFoundations, [&](int f) {
            for (int i = t.begin(f); i < t.end(f); ++i) ++count[valueOf(t.cards[i])];
        });
        uint64_t home = 0;
        for (int v = 0; v < 52; ++v)
            if (count[v] >= an_.decks) home |= uint64_t{1} << v;
        return home;
    }

    // Whether the top card of p may go onto q, asked as the pointer asks it:
    // with the card off its pile.
    bool placeable(Takes& takes, int p, int q, int value) const {
        if (!(r_.reserves & bit(p))) return acceptanceOf(takes, q).accepts(p, value, 1);
        Table lifted = takes.t;
        lifted.moveCards(p, lifted.count(p) - 1, 1, r_.pileCount - 1);
        lifted.ends[r_.pileCount - 1] = static_cast<uint8_t>(lifted.ends[r_.pileCount - 1] - 1);
        return canPlace(r_, lifted, p, q, value, 1);
    }

    void addStep(const Table& t, const Move& m) {
        Step step;
        step.move = m;
        if (m.kind == Move::Place) step.lifted = static_cast<uint8_t>(t.count(m.from) - m.card);
        candidates_.push_back({score(t, m), step});
    }

    // Whether the move only gives back a table already seen, between plain
    // piles, where a move does nothing but carry the cards: a whole pile
    // into an empty pile it may be exchanged with gives the same table with
    // the two swapped, and the step that made this table taken back, when
    // nothing followed it, gives the table it was made from.
    bool givesBack(const Frame& f, const Move& m) const {
        if (m.kind != Move::Place || !(an_.plainPiles & bit(m.from)) || !(an_.plainPiles & bit(m.to))) return false;
        const Table& t = f.table;
        if (m.card == 0 && t.empty(m.to) && an_.classOf[m.from] == an_.classOf[m.to]) return true;
        const Step& v = f.via;
        return v.presses == 0 && v.move.kind == Move::Place && v.move.from != v.move.to && f.forcedBegin == f.forcedEnd &&
               v.move.from == m.to && v.move.to == m.from && t.count(m.from) - m.card == v.lifted &&
               t.count(m.to) == v.move.card;
    }

    // A step of the round: presses to a point of it, then the waste card's move.
    void addRoundStep(const Table& t, uint16_t presses, int position, const Move& m, int value) {
        Step step;
        step.presses = presses;
        step.position = static_cast<int16_t>(position);
        step.move = m;
        int rank = 250 + (r_.piles[m.to].has(PileFlags::foundation) ? 1000 : 0);
        if (!t.empty(m.to) && suitOf(valueOf(t.top(m.to))) == suitOf(value)) rank += 30;
        candidates_.push_back({rank - 2 * presses, step});
    }

    // How promising a table looks: cards home, face-down cards left, and
    // cards lying in runs that move together.
    int promise(const Table& t) const {
        int down = 0, ordered = 0;
        for (int p = 0; p < r_.pileCount; ++p) {
            const PileRules& pile = r_.piles[p];
            if (pile.has(PileFlags::stock)) continue;
            const uint8_t* c = t.cards + t.begin(p);
            const bool runs = an_.runPiles & bit(p);  // only there can a card continue a run
            for (int i = 0, n = t.count(p); i < n; ++i) {
                down += stateOf(c[i]) == kFaceDown;
                if (runs && i > 0 && stateOf(c[i - 1]) == kFaceUp && continuesRun(pile, c[i - 1], c[i])) ++ordered;
            }
        }
        // Cards of the round that wait to go home (roundWaitsHome_) count
        // as home: each suit's cards from its next one while they lie in
        // the round.
        int ready = 0;
        if (roundWaitsHome_ && an_.cycleAt(t)) {
            uint64_t home = homeValues(t);
            const uint64_t round = roundValues(t);
            for (uint64_t next; (next = ((home << 4) | 0xf) & ~home & round); home |= next)
                ready += __builtin_popcountll(next);
        }
        return 60 * (cardsOnFoundations(r_, t) + ready) - 30 * down + kOrderedWeight * ordered;
    }

    // The values of single cards the pile `a` was asked for takes. `exact`
    // is false where a rule reads the source or other piles: every value
    // the pile might take is given, each to be asked of `a` in turn.
    uint64_t acceptedValues(const Acceptance& a, bool& exact) const {
        exact = true;
        if (a.never || a.room < 1) return 0;
        exact = !a.asksSource;
        return a.values;
    }

    // Makes the frame's children: every step, the forced moves after it,
    // the tables not seen before, most promising first. True when a child
    // wins (it is children_[won_]).
    bool expand(Frame& f) {
        const Table& t = f.table;
        candidates_.clear();
        const bool cycle = an_.cycleAt(t);
        // What every pile takes, asked once for the moves and the round;
        // with the round, the stock's own presses are left to it.
        Acceptance accepts[kMaxPiles];
        for (int q = 0; q < r_.pileCount; ++q) accepts[q] = acceptance(r_, t, q);
        legalMoves(r_, t, list_, accepts, cycle ? bit(an_.stock) : 0);
        if (list_.overflow) {
            cutOff_ = true;
            f.low = 0;
        }
        for (const Move& m : list_)
            if (!prune_ || !givesBack(f, m)) addStep(t, m);
        if (cycle) {
            // Then the waste card's moves at each point of the round the
            // presses reach (the stock's own presses were left out above).
            // The round from here, one press at a time, without making it:
            // only the waste's top card differs from point to point. From a
            // table off the round (a card taken out of a round dealt three),
            // the presses go on through the redeal and the next round whole,
            // so that the table at the round's end is no step of its own.
            uint8_t round[kMaxCards];
            const int total = roundCards(t, round);
            // Which values each pile may take from the waste: by value alone
            // where its rules say no more, else asked card by card.
            uint64_t takes[kMaxPiles], wanted = 0;
            bool exact[kMaxPiles];
            for (int target = 0; target < r_.pileCount; ++target) {
                takes[target] = 0;
                if (target == an_.waste || target == an_.stock) continue;
                takes[target] = acceptedValues(accepts[target], exact[target]);
                wanted |= takes[target];
            }
            const int start = t.count(an_.waste);
            // A card of the round may go home at any time, and nothing else
            // can take its place there: it may as well wait in the round
            // until the next card of its suit is to follow it. So it goes
            // home by choice only when that card could follow at once (lies
            // in the round or face up on top of a pile); a king never need
            // go by choice, going without a choice once all else is home.
            uint64_t follows = ~uint64_t{0};
            if (roundWaitsHome_) {
                follows = roundValues(t);
                for (int p = 0; p < r_.pileCount; ++p)
                    if (!(r_.foundations & bit(p)) && !t.empty(p) && stateOf(t.top(p)) == kFaceUp)
                        follows |= uint64_t{1} << valueOf(t.top(p));
                follows >>= 4;
            }
            const bool onRound = an_.onRound(t);
            int q = start;
            bool redealt = false;
            for (int presses = 1; presses <= 2 * total + 4; ++presses) {
                q = q == total ? 0 : std::min(q + an_.perPress, total);
                if (onRound && q == start) break;  // round the whole round
                if (!onRound && redealt && q == total) break;  // and the next round whole
                if (q == 0) {
                    redealt = true;
                    continue;
                }
                const int value = valueOf(round[q - 1]);
                if (!(wanted >> value & 1)) continue;
                for (int target = 0; target < r_.pileCount; ++target) {
                    if (!(takes[target] >> value & 1)) continue;
                    if ((r_.foundations & bit(target)) && !(follows >> value & 1)) continue;
                    if (!exact[target] && !accepts[target].accepts(an_.waste, value, 1)) continue;
                    const Move m = Move::place(an_.waste, q - 1, target);
                    addRoundStep(t, static_cast<uint16_t>(presses), q, m, value);
                }
            }
        }
        parentOffers_.ready = false;
        // Cards become stuck only when cards they could be built on go home.
        const int homeBefore = an_.stuckCards ? homeCount(t) : 0;
        const uint64_t homeNow = an_.settledUnlessFrom && an_.safeMoves ? homeValues(t) : 0;
        f.forcedAfter = static_cast<uint32_t>(forced_.size());
        f.childrenBegin = static_cast<uint32_t>(children_.size());
        // The children are made first and their keys looked up after, so
        // that the table of seen keys is read while other children are made.
        size_t pending = 0;
        for (const Candidate& c : candidates_) {
            Pending& child = nextPending(pending, t, c.step, c.score);
            take(child.table, c.step);
            const Watch watch = watchFor(t, child.table, c.step, cycle);
            const bool settled = stillSettled(child.table, c.step, cycle, homeNow);
            if (!settled) forcedMoves(child.table);
            child.forcedEnd = static_cast<uint32_t>(forced_.size());
            if (!settled && wins(child)) return true;
            if (prune_ && watch.kind == Watch::RoundCard && child.table.count(watch.to) == watch.toCount) {
                // The card lies on the pile unused: the children are its uses.
                const Table placed = child.table;
                chain_.assign(forced_.begin() + child.forcedBegin, forced_.end());
                drop(pending, child);
                if (roundCardUses(t, placed, c.step, c.score, watch.to, 0, cycle, pending, homeBefore)) return true;
                continue;
            }
            if (prune_ && ((watch.kind != Watch::None && !worthMaking(child.table, watch, cycle)) ||
                           (an_.stuckCards && homeCount(child.table) > homeBefore && stuck(child.table)))) {
                drop(pending, child);
                continue;
            }
            lookAhead(child);
        }
        for (size_t i = 0; i < pending; ++i) {
            const Pending& child = pending_[i];
            if (tables_ >= limits_.maxStates) {  // the caller stops at once
                cutOff_ = true;
                break;
            }
            // A child seen before leaves its forced moves unused in forced_,
            // to go with its parent's.
            const uint64_t was = seen_.enter(child.key, number_, f.index);
            if (was != Seen::kNew) {
                if (was != Seen::kLost) f.low = std::min(f.low, Seen::indexOf(was));
                continue;
            }
            ++tables_;
            int rank = promise(child.table) + child.score / 8;
            if (seed_) rank += static_cast<int>(((child.key.a ^ seed_) * 0xff51afd7ed558ccdull >> 40) % kShake);
            children_.push_back({child.step, child.forcedBegin, child.forcedEnd, rank, child.key});
        }
        std::stable_sort(children_.begin() + f.childrenBegin, children_.end(),
                         [](const Child& a, const Child& b) { return a.rank > b.rank; });
        f.childrenEnd = static_cast<uint32_t>(children_.size());
        f.next = f.childrenBegin;
        return false;
    }

    // A child waiting to be looked up: the next of pending_, from the
    // table given, its moves after the step beginning at the end of forced_.
    Pending& nextPending(size_t& pending, const Table& table, const Step& via, int score) {
        if (pending == pending_.size()) pending_.emplace_back();
        Pending& child = pending_[pending++];
        child.table = table;
        child.step = via;
        child.score = score;
        child.forcedBegin = static_cast<uint32_t>(forced_.size());
        return child;
    }
    // Whether the child, its moves after the step ended, is won; it is then
    // children_[won_].
    bool wins(const Pending& child) {
        if (!isWon(r_, child.table)) return false;
        won_ = children_.size();
        children_.push_back({child.step, child.forcedBegin, child.forcedEnd, 0, child.key});
        return true;
    }
    // The last waiting child, left out with its moves.
    void drop(size_t& pending, const Pending& child) {
        forced_.resize(child.forcedBegin);
        --pending;
    }
    // The child's key, the slot it goes to fetched ahead of the lookup.
    void lookAhead(Pending& child) {
        child.key = canonicalKey(an_, child.table);
        seen_.prefetch(child.key);
    }

    // A card of the round put on pile q (`placed`, from the parent's
    // table by the step `via` and the moves in chain_) is worth only what
    // is then built on it, any other move being as well made before it: the
    // children are the card with each of its uses, a card or run another
    // pile offers put on it, or a card of the round put on it and used in
    // turn. True when a child wins.
    bool roundCardUses(const Table& parent, const Table& placed, const Step& via, int score, int q, int depth,
                       bool cycle, size_t& pending, int homeBefore) {
        const Acceptance accepts = acceptance(r_, placed, q);
        // What the other piles offer is what they offered at the parent's
        // table, unless a move without a choice changed them.
        bool asParent = true;
        for (const Move& m : chain_)
            if (!(isRoundJump(m) || (m.kind == Move::Place && m.to == q))) asParent = false;
        Offers fresh;
        const Offers* offers = &parentOffers_;
        if (!asParent) {
            fresh.groups = gatherOffers(placed, q, cycle, -1, -1, fresh.offered);
            fresh.total = roundCards(placed, fresh.round);
            offers = &fresh;
        } else if (!parentOffers_.ready) {
            parentOffers_.groups = gatherOffers(parent, -1, cycle, -1, -1, parentOffers_.offered);
            parentOffers_.total = roundCards(parent, parentOffers_.round);
            parentOffers_.ready = true;
        }
        const uint64_t home = homeValues(placed);
        for (int g = 0; g < offers->groups; ++g) {
            const Group& o = offers->offered[g];
            if (o.source == q || !accepts.accepts(o.source, o.value, o.count)) continue;
            Step use;
            use.move = Move::place(o.source, placed.count(o.source) - o.count, q);
            Pending& child = nextPending(pending, placed, via, score);
            forced_.insert(forced_.end(), chain_.begin(), chain_.end());
            apply(r_, child.table, use.move);
            forced_.push_back(use.move);
            const Watch watch = watchFor(placed, child.table, use, cycle);
            if (!stillSettled(child.table, use, cycle, home)) forcedMoves(child.table);
            child.forcedEnd = static_cast<uint32_t>(forced_.size());
            if (wins(child)) return true;
            if ((watch.kind != Watch::None && !worthMaking(child.table, watch, cycle)) ||
                (an_.stuckCards && homeCount(child.table) > homeBefore && stuck(child.table))) {
                drop(pending, child);
                continue;
            }
            lookAhead(child);
        }
        // A chain of round cards is as long as the ranks allow; the bound
        // only keeps a game whose piles build round the corner finite. With
        // two copies of each card the chains are too many to make each from
        // every table: the card is then a child alone where a chain of
        // round cards could follow it, as any other.
        if (depth >= 13) return false;
        uint8_t round[kMaxCards];
        const int total = roundCards(placed, round);
        bool keep = false;
        for (int i = 0; i < total; ++i) {
            if (!accepts.accepts(an_.waste, valueOf(round[i]), 1)) continue;
            const size_t mark = chain_.size();
            Table next = placed;
            if (next.count(an_.waste) != i + 1) {
                setRound(next, i + 1);
                chain_.push_back(roundJump(i + 1));
            }
            Step put;
            put.move = Move::place(an_.waste, i, q);
            apply(r_, next, put.move);
            chain_.push_back(put.move);
            if (!stillSettled(next, put, cycle, home)) {
                const size_t forcedMark = forced_.size();
                forcedMoves(next);
                chain_.insert(chain_.end(), forced_.begin() + static_cast<std::ptrdiff_t>(forcedMark), forced_.end());
                forced_.resize(forcedMark);
            }
            if (next.count(q) != placed.count(q) + 1) {
                // Something was done with it without a choice.
                if (asItStands(pending, next, via, score)) return true;
            } else if (chainReaches(next, q, *offers)) {
                // Used in turn, where a card another pile offers could follow
                // on it or on more cards of the round.
                if (an_.decks > 1) {
                    keep = true;
                    chain_.resize(mark);
                    break;
                }
                if (roundCardUses(parent, next, via, score, q, depth + 1, cycle, pending, homeBefore)) return true;
            }
            chain_.resize(mark);
        }
        return keep && asItStands(pending, placed, via, score);
    }

    // The table, made by the step `via` and the moves in chain_, as a child;
    // true when it wins.
    bool asItStands(size_t& pending, const Table& table, const Step& via, int score) {
        Pending& child = nextPending(pending, table, via, score);
        forced_.insert(forced_.end(), chain_.begin(), chain_.end());
        child.forcedEnd = static_cast<uint32_t>(forced_.size());
        if (wins(child)) return true;
        lookAhead(child);
        return false;
    }

    // A move that is worth making only for what it lets be done at once
    // (see Analysis::plainPiles), with the piles' sizes it leaves.
    struct Watch {
        enum Kind { None, RoundCard, Emptied } kind = None;
        int from = 0, to = 0, fromCount = 0, toCount = 0;
        int landed = 0;  // where the moved cards lie on `to`
    };
    Watch watchFor(const Table& before, const Table& after, const Step& step, bool cycle) const {
        Watch w;
        if (step.move.kind != Move::Place || !(an_.plainPiles & bit(step.move.to))) return w;
        const Move& m = step.move;
        if (cycle && m.from == an_.waste) {
            if (!an_.roundWaits) return w;
            w.kind = Watch::RoundCard;
        } else if (an_.emptiedWaits && (an_.plainPiles & bit(m.from)) && m.card == 0 && !before.empty(m.to)) {
            w.kind = Watch::Emptied;
        } else {
            return w;
        }
        w.from = m.from;
        w.to = m.to;
        w.fromCount = after.count(m.from);
        w.toCount = after.count(m.to);
        w.landed = before.count(m.to);
        return w;
    }

    // Whether the watched move lets something be done at once: something
    // put into the space a whole pile leaves, or anything done without a
    // choice after the move. (A card of the round that lies unused is
    // made together with each of its uses instead: roundCardUses.)
    bool worthMaking(const Table& t, const Watch& w, bool cycle) {
        if (t.count(w.to) != w.toCount || t.count(w.from) != w.fromCount) return true;
        return canBuildOn(t, w.from, cycle, w.to, w.landed);
    }

    // Cards or runs other piles offer, and the cards of the round.
    struct Group {
        int source, value, count;
    };
    struct Offers {
        bool ready = false;
        int groups = 0, total = 0;
        Group offered[kMaxCards];
        uint8_t round[kMaxCards];
    };

    // The cards and runs a press on a pile other than p (and the stock and,
    // with the round, the waste) would lift, but the cards at notBase of
    // pile notFrom, and whole piles that would only change places with p.
    int gatherOffers(const Table& t, int p, bool cycle, int notFrom, int notBase, Group* offered) const {
        int groups = 0;
        for (int q = 0; q < r_.pileCount; ++q) {
            if (q == p || q == an_.stock || (cycle && q == an_.waste) || t.empty(q)) continue;
            const int n = t.count(q);
            for (int i = n - 1, last = -1; i >= 0 && groups < kMaxCards && stateOf(t.card(q, i)) != kFaceDown; --i) {
                const int base = findPickCard(r_, t, q, i);
                if (base < 0 || base == last) continue;
                last = base;
                i = std::min(i, base);  // a press between the base and i takes the same cards
                if (q == notFrom && base == notBase) continue;  // the cards just moved, going back
                if (p >= 0 && base == 0 && t.empty(p) && an_.classOf[q] == an_.classOf[p]) continue;  // piles swapped
                offered[groups++] = {q, valueOf(t.card(q, base)), n - base};
            }
        }
        return groups;
    }

    // Whether a card could be built on the top card of pile p now: a card
    // or run another pile offers, or a card of the round. With round cards
    // waiting (roundWaits), a round card counts only when a card another
    // pile offers could be built on it in turn, directly or on a chain of
    // round cards: a chain of round cards alone is worth no more than the
    // round.
    bool canBuildOn(const Table& t, int p, bool cycle, int notFrom = -1, int notBase = -1) {
        offers_.groups = gatherOffers(t, p, cycle, notFrom, notBase, offers_.offered);
        offers_.total = cycle ? roundCards(t, offers_.round) : 0;
        return chainReaches(t, p, offers_);
    }

    // The search of canBuildOn over the offers, leaving out those of pile p.
    bool chainReaches(const Table& t, int p, const Offers& offers) {
        Acceptance accepts = acceptance(r_, t, p);
        bool exact;
        uint64_t reach = acceptedValues(accepts, exact);
        if (exact && !accepts.oneCard && r_.piles[p].sizeLimit == 0) {
            // The pile takes cards by their values alone, runs as single
            // cards: the chain is the values reached through round cards.
            uint64_t offered = 0, round = 0, tried = 0;
            for (int g = 0; g < offers.groups; ++g)
                if (offers.offered[g].source != p) offered |= uint64_t{1} << offers.offered[g].value;
            for (int i = 0; i < offers.total; ++i) round |= uint64_t{1} << valueOf(offers.round[i]);
            while (!(reach & offered)) {
                const uint64_t fresh = reach & round & ~tried;
                if (!fresh) return false;
                if (!an_.roundWaits) return true;
                tried |= fresh;
                for (uint64_t m = fresh; m; m &= m - 1) reach |= an_.builds(p, __builtin_ctzll(m));
            }
            return true;
        }
        bool used[kMaxCards] = {};
        int chain[kMaxCards + 1];
        int depth = 0;
        chain[depth++] = t.empty(p) ? -1 : valueOf(t.top(p));
        while (depth > 0) {
            const int top = chain[--depth];
            if (top >= 0) {  // on a card, the pile's own building rules
                accepts.empty = false;
                accepts.top = top;
                accepts.values = an_.builds(p, top);
            }
            for (int g = 0; g < offers.groups; ++g)
                if (offers.offered[g].source != p &&
                    accepts.accepts(offers.offered[g].source, offers.offered[g].value, offers.offered[g].count))
                    return true;
            for (int i = 0; i < offers.total; ++i) {
                if (used[i] || !accepts.accepts(an_.waste, valueOf(offers.round[i]), 1)) continue;
                if (!an_.roundWaits) return true;
                used[i] = true;
                chain[depth++] = valueOf(offers.round[i]);
            }
        }
        return false;
    }

    int score(const Table& t, const Move& m) const {
        switch (m.kind) {
            case Move::Turn: return 3000;
            case Move::Discard: return 900;
            case Move::Deal: return 40;
            case Move::Redeal: return 5;
            case Move::Place: break;
        }
        const PileRules& from = r_.piles[m.from];
        const PileRules& to = r_.piles[m.to];
        int s = 100;
        if (to.has(PileFlags::foundation)) s += 1000;
        if (from.has(PileFlags::foundation)) s -= 400;
        const int g = m.card;
        if (g > 0 && stateOf(t.card(m.from, g - 1)) == kFaceDown) s += 500;
        if (g > 0 && !from.has(PileFlags::anySingleCard)) {
            // Cards left face down under the group: uncovering them is progress.
            int down = 0;
            for (int k = 0; k < g; ++k) down += stateOf(t.card(m.from, k)) == kFaceDown;
            s += 20 * down;
        }
        if (r_.wastes & bit(m.from) || r_.reserves & bit(m.from)) s += 150;
        if (t.empty(m.to) && !to.has(PileFlags::foundation)) s -= g == 0 ? 600 : 200;
        if (g == 0 && !t.empty(m.to)) s += 200;  // the source becomes a space
        if (!t.empty(m.to) && suitOf(valueOf(t.top(m.to))) == suitOf(valueOf(t.card(m.from, g)))) s += 30;
        return s;
    }

    const GameRules& r_;
    const Analysis& an_;
    Limits limits_;
    const std::atomic<bool>* stop_;
    bool prune_;
    uint64_t seed_;
    bool roundHome_;  // cards of the round go home without a choice (roundCardHome)
    // A card of the round goes home by choice only when the next card of
    // its suit could follow it at once (see expand).
    bool roundWaitsHome_;
    Seen& seen_;
    uint32_t number_;
    uint64_t tables_ = 0;   // the tables this search met first
    uint32_t entered_ = 0;  // the tables the depth-first pass has entered
    std::vector<Key> waiting_;  // entered and left, not yet known lost (leave)
    std::vector<Table> waitingTables_;  // their tables, kept for Limits::lost
    std::chrono::steady_clock::time_point start_;
    std::vector<Frame> frames_;
    std::vector<Child> children_;
    size_t won_ = 0;
    std::vector<Move> forced_;
    std::vector<Move> chain_;  // the moves after a round card's step (roundCardUses)
    std::vector<Candidate> candidates_;
    std::vector<Pending> pending_;  // grown only, its tables reused
    MoveList list_;
    Offers offers_, parentOffers_;
    Table origin_;
    bool cutOff_ = false;
};

// The Luby sequence 1 1 2 1 1 2 4 1 1 2 1 1 2 4 8 ..., i from 1.
uint64_t luby(uint64_t i) {
    for (uint64_t k = 1;; ++k) {
        if (i == (uint64_t{1} << k) - 1) return uint64_t{1} << (k - 1);
        if (i < (uint64_t{1} << k) - 1) return luby(i - (uint64_t{1} << (k - 1)) + 1);
    }
}

}  // namespace

// A search's time to a win depends much on which of its near-equal moves it
// tries first: one order wins a deal in a few hundred tables where another
// has not won it after millions. So short searches come first, the first
// in the plain order, the others each ordering the moves a little
// differently, their lengths in the Luby sequence, for at most a quarter of
// the limits; then one search with what is left. Each is complete in
// itself: one that sees every table it can reach answers as surely as the
// last. They share the tables seen, so that a table one search found lost
// no later one searches again.
Result solve(const GameRules& rules, const Table& table, const Limits& limits, const std::atomic<bool>* stop) {
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(); };
    const auto analysis = std::make_unique<Analysis>(rules, limits.prune);
    Seen seen(limits.maxStates + limits.maxStates / 2 + 16, limits.maxBytes / 2);
    uint32_t number = 1;
    uint64_t used = 0;
    Limits rest = limits;
    if (limits.prune) {
        const uint64_t states = limits.maxStates / kShortShare;
        const double ms = double(limits.maxMs) / kShortShare;
        for (uint64_t i = 1; number < Seen::kLastSearch; ++i, ++number) {
            Limits probe = limits;
            probe.maxStates = kShortSearch * luby(i);
            if (used + probe.maxStates > states || elapsed() >= ms) break;
            probe.maxMs = static_cast<uint32_t>(ms - elapsed()) + 1;
            Result r = std::make_unique<Search>(rules, *analysis, probe, stop, seen, number, i - 1)->run(table);
            used += r.states;
            if (r.verdict != Verdict::Unknown || (stop && stop->load(std::memory_order_relaxed))) {
                r.states = used;
                r.ms = elapsed();
                return r;
            }
        }
        rest.maxStates = limits.maxStates - used;
        rest.maxMs = static_cast<uint32_t>(std::max(0.0, limits.maxMs - elapsed()));
    }
    Result r = std::make_unique<Search>(rules, *analysis, rest, stop, seen, number)->run(table);
    r.states += used;
    r.ms = elapsed();
    return r;
}

}  // namespace korvat::solve
