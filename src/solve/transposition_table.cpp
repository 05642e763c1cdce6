// Canonical keys: a table hashed so that tables the search may count as
// one (interchangeable piles exchanged, the points of one stock round) get
// the same key.
#include "solve/transposition_table.h"

#include <cstddef>
#include <cstring>

#include "solve/rules_analysis.h"

namespace korvat::solve {

using namespace core;

namespace {

// Two running hashes of a pile's cards, a word at a time, each card byte
// and-ed with `mask`; each step is one to one in the word, and the caller
// mixes the results.
[[gnu::always_inline]] inline void hashCards(const uint8_t* c, int n, uint64_t mask, uint64_t& x, uint64_t& y) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, c + i, 8);
        w &= mask;
        x = (x ^ w) * 0xd6e8feb86659fd93ull;
        x ^= x >> 32;
        y = (y ^ w) * 0x9e3779b97f4a7c15ull + (y >> 29);
    }
    if (i < n) {
        // The last few cards, read as a whole word with what follows them
        // masked off (the caller leaves 8 bytes readable past the pile).
        uint64_t w;
        std::memcpy(&w, c + i, 8);
        w &= mask & ~uint64_t{0} >> (8 * (8 - (n - i)));
        x = (x ^ w) * 0xd6e8feb86659fd93ull;
        x ^= x >> 32;
        y = (y ^ w) * 0x9e3779b97f4a7c15ull + (y >> 29);
    }
}

}  // namespace


namespace {

// The start of a key: what the piles' parts are added to.
Key keyBase(const Table& t) {
    return {mix(static_cast<uint64_t>(t.redealsLeft + 3)), static_cast<uint64_t>(t.redealsLeft + 7)};
}

// Pile p's part of the key; `round`: the table is keyed as its stock
// round stands once the waste is gathered back.
[[gnu::always_inline]] inline void pileKey(const RulesAnalysis& analysis, const Table& t, int p, bool round,
                                           uint64_t mask, uint64_t& ka, uint64_t& kb) {
    uint8_t gathered[kMaxCards + 8];
    const uint8_t* c = t.cards + t.begin(p);
    int n = t.count(p);
    if (round && p == analysis.waste) {
        n = 0;
    } else if (round && p == analysis.stock) {
        std::memcpy(gathered, c, static_cast<size_t>(n));
        for (int i = t.end(analysis.waste) - 1; i >= t.begin(analysis.waste); --i)
            gathered[n++] = cardByte(valueOf(t.cards[i]), kFaceDown);
        std::memset(gathered + n, 0, 8);
        c = gathered;
    }
    uint64_t x = 0x243f6a8885a308d3ull ^ static_cast<uint64_t>(n), y = 0x13198a2e03707344ull + static_cast<uint64_t>(n);
    if (!(analysis.keyedByTop & bit(p)))
        hashCards(c, n, mask, x, y);
    else if (n > 0 && !(analysis.keyedByCount & bit(p)))
        hashCards(c + n - 1, 1, mask, x, y);  // its count and top card alone
    const uint64_t slot = static_cast<uint64_t>(analysis.classOf[p] + 1);
    ka = mix(x + slot * 0xbf58476d1ce4e5b9ull);
    kb = mix(y ^ (slot * 0x94d049bb133111ebull));
}

[[gnu::always_inline]] inline bool keyedOnRound(const RulesAnalysis& analysis, const Table& t) {
    return analysis.stockRoundAt(t) && analysis.onRound(t);
}

// The bits of a card byte the key reads: where suits play no part, not
// the suit's.
uint64_t cardMask(const RulesAnalysis& analysis) { return analysis.suitBlind ? 0xfcfcfcfcfcfcfcfcull : ~uint64_t{0}; }

}  // namespace

// The piles' parts are added, so that the order of piles of one class
// changes nothing.
Key canonicalKey(const RulesAnalysis& analysis, const Table& t) {
    const bool round = keyedOnRound(analysis, t);
    const uint64_t mask = cardMask(analysis);
    Key k = keyBase(t);
    for (int p = 0; p < t.pileCount; ++p) {
        uint64_t ka, kb;
        pileKey(analysis, t, p, round, mask, ka, kb);
        k.a += ka;
        k.b += kb;
    }
    return {k.a | 1, k.b};
}

void PileKeys::of(const RulesAnalysis& analysis, const Table& t) {
    round = keyedOnRound(analysis, t);
    const uint64_t mask = cardMask(analysis);
    for (int p = 0; p < t.pileCount; ++p) pileKey(analysis, t, p, round, mask, a[p], b[p]);
}

Key PileKeys::keyOf(const RulesAnalysis& analysis, const Table& t, PileMask changed) const {
    if (keyedOnRound(analysis, t) != round) return canonicalKey(analysis, t);
    // On the round the stock's part reads the waste.
    if (round) changed |= bit(analysis.stock) | bit(analysis.waste);
    const uint64_t mask = cardMask(analysis);
    Key k = keyBase(t);
    for (int p = 0; p < t.pileCount; ++p) {
        if (changed & bit(p)) {
            uint64_t ka, kb;
            pileKey(analysis, t, p, round, mask, ka, kb);
            k.a += ka;
            k.b += kb;
        } else {
            k.a += a[p];
            k.b += b[p];
        }
    }
    return {k.a | 1, k.b};
}

}  // namespace korvat::solve
