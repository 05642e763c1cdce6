#include "core/table.h"

#include <algorithm>

namespace korvat::core {

Table emptyTable(const GameRules& rules) {
    Table t;
    std::memset(&t, 0, sizeof t);
    t.pileCount = static_cast<uint8_t>(rules.pileCount);
    t.redealsLeft = static_cast<int8_t>(rules.redealsAtStart);
    return t;
}

namespace {

uint64_t wordAt(const uint8_t* c) {
    uint64_t w;
    std::memcpy(&w, c, 8);
    return w;
}

// Whether n cards from x and from y are the same, compared a word at a
// time; the last word is read whole with what follows it masked off (a
// table's cards are followed by 8 readable bytes).
bool sameCards(const uint8_t* x, const uint8_t* y, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8)
        if (wordAt(x + i) != wordAt(y + i)) return false;
    return i == n || ((wordAt(x + i) ^ wordAt(y + i)) & (~uint64_t{0} >> (8 * (8 - (n - i))))) == 0;
}

}  // namespace

// Pile by pile, where the counts are the same, a word at a time.
PileMask changedPiles(const Table& a, const Table& b) {
    PileMask changed = 0;
    for (int p = 0; p < a.pileCount; ++p) {
        const int n = a.count(p);
        if (n != b.count(p) || !sameCards(a.cards + a.begin(p), b.cards + b.begin(p), n)) changed |= bit(p);
    }
    return changed;
}

void Table::push(int p, const uint8_t* newCards, int n) {
    const int at = ends[p];
    const int total = cardCount();
    std::memmove(cards + at + n, cards + at, static_cast<size_t>(total - at));
    std::memcpy(cards + at, newCards, static_cast<size_t>(n));
    for (int i = p; i < pileCount; ++i) ends[i] = static_cast<uint8_t>(ends[i] + n);
}

void Table::replace(int p, const uint8_t* newCards, int n) {
    const int b = begin(p), e = ends[p], total = cardCount(), grow = n - (e - b);
    std::memmove(cards + b + n, cards + e, static_cast<size_t>(total - e));
    std::memcpy(cards + b, newCards, static_cast<size_t>(n));
    if (grow < 0) std::memset(cards + total + grow, 0, static_cast<size_t>(-grow));
    for (int i = p; i < pileCount; ++i) ends[i] = static_cast<uint8_t>(ends[i] + grow);
}

void Table::moveCards(int from, int k, int n, int to) {
    const int src = begin(from) + k;
    uint8_t* c = cards;
    if (from == to) {
        std::rotate(c + src, c + src + n, c + ends[to]);
    } else if (from < to) {
        // The cards between close up and the moved ones go to the end of `to`.
        std::rotate(c + src, c + src + n, c + ends[to]);
        for (int i = from; i < to; ++i) ends[i] = static_cast<uint8_t>(ends[i] - n);
    } else {
        const int dst = ends[to];
        std::rotate(c + dst, c + src, c + src + n);
        for (int i = to; i < from; ++i) ends[i] = static_cast<uint8_t>(ends[i] + n);
    }
}

void sortCards(uint32_t pileFlags, uint8_t* c, int n) {
    auto pass = [&](auto before) {
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) {
                const int vi = valueOf(c[i]), vj = valueOf(c[j]);
                if (before(vj, vi)) {
                    c[i] = static_cast<uint8_t>((c[i] & 0xC0) | vj);
                    c[j] = static_cast<uint8_t>((c[j] & 0xC0) | vi);
                }
            }
    };
    if (pileFlags & PileFlags::sortAscending) pass([](int a, int b) { return a < b; });
    if (pileFlags & PileFlags::sortDescending) pass([](int a, int b) { return a > b; });
}

void Table::sortPile(const PileRules& pile, int p) { sortCards(pile.flags, cards + begin(p), count(p)); }

uint64_t pileHash(const Table& table, int p) {
    uint64_t h = 0xcbf29ce484222325ull;
    const uint8_t* c = table.cards + table.begin(p);
    int n = table.count(p);
    // Eight cards at a time, then the rest one by one.
    for (; n >= 8; n -= 8, c += 8) {
        uint64_t w;
        std::memcpy(&w, c, 8);
        h = mix(h ^ w);
    }
    for (; n > 0; --n, ++c) h = (h ^ *c) * 0x100000001b3ull;
    return h ^ static_cast<uint64_t>(table.count(p));
}

uint64_t hash(const Table& table) {
    uint64_t h = mix(static_cast<uint64_t>(table.redealsLeft + 2));
    for (int p = 0; p < table.pileCount; ++p) h += combine(pileHash(table, p), p);
    return h;
}

}  // namespace korvat::core
