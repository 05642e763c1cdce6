// A table as a plain value: every card of every pile, in order, in one
// byte each, and the redeals still allowed. No pointers, so a copy is a
// plain copy and two tables compare byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/rules.h"

namespace korvat::core {

// A card byte: the card's value (rank * 4 + suit) in the low six bits and
// its state (kFaceUp, kFaceDown, kSelected) in the top two.
constexpr uint8_t cardByte(int value, int state) { return static_cast<uint8_t>(value | state << 6); }
constexpr int valueOf(uint8_t card) { return card & 63; }
constexpr int stateOf(uint8_t card) { return card >> 6; }
constexpr int rankOfCard(uint8_t card) { return (card & 63) >> 2; }

struct Table {
    // The piles' cards one after another, in layout order, each from its
    // bottom card to its top card. Bytes past the last card are zero.
    uint8_t cards[kMaxCards];
    // One past each pile's top card in `cards`; zero past the last pile.
    uint8_t ends[kMaxPiles];
    uint8_t pileCount;
    int8_t redealsLeft;  // -1 unlimited, else 2, 1 or 0

    int begin(int p) const { return p ? ends[p - 1] : 0; }
    int end(int p) const { return ends[p]; }
    int count(int p) const { return ends[p] - begin(p); }
    bool empty(int p) const { return count(p) == 0; }
    int cardCount() const { return pileCount ? ends[pileCount - 1] : 0; }
    // Card k of pile p, counted from its bottom card (0).
    uint8_t card(int p, int k) const { return cards[begin(p) + k]; }
    uint8_t top(int p) const { return cards[ends[p] - 1]; }
    uint8_t& cardRef(int p, int k) { return cards[begin(p) + k]; }
    uint8_t& topRef(int p) { return cards[ends[p] - 1]; }

    // Puts n cards on top of pile p.
    void push(int p, const uint8_t* cards, int n);
    // Moves the n cards from card k of pile `from` (k and those above it,
    // or card k alone when n is 1 and cards lie above it) to the top of
    // pile `to`, in order. `from` may be `to`: the cards then go to its top.
    void moveCards(int from, int k, int n, int to);
    // Makes the n cards the whole of pile p.
    void replace(int p, const uint8_t* cards, int n);
    // Orders a pile's values as its sort flags say, leaving every card's
    // state where it was.
    void sortPile(const PileRules& pile, int p);

    friend bool operator==(const Table& a, const Table& b) { return std::memcmp(&a, &b, sizeof(Table)) == 0; }
    friend bool operator!=(const Table& a, const Table& b) { return !(a == b); }
};

static_assert(sizeof(Table) <= 256, "a table stays within 256 bytes");
// Pile hashes and comparisons read a pile's last word whole: a table's
// last pile has room.
static_assert(offsetof(Table, cards) + kMaxCards + 8 <= sizeof(Table), "a table's cards are followed by 8 bytes");

// Orders n cards as a pile's sort flags (PileFlags) say: a selection sort
// that exchanges values only, so every card's state stays where it was.
// The one sort of piles: the program's piles are sorted by it too.
void sortCards(uint32_t pileFlags, uint8_t* cards, int n);

// An empty table of the game's piles.
Table emptyTable(const GameRules& rules);

// The piles whose cards differ between two tables of one game.
PileMask changedPiles(const Table& a, const Table& b);

// 64-bit hashes. pileHash depends only on the pile's cards; tableHash
// combines the piles' hashes by their layout index with `combine`, so a
// table's hash can be brought up to date by replacing the terms of the
// piles a move changed.
uint64_t pileHash(const Table& table, int p);
constexpr uint64_t mix(uint64_t x) {
    x ^= x >> 31;
    x *= 0x7fb5d329728ea185ull;
    x ^= x >> 27;
    x *= 0x81dadef4bc2dd44dull;
    x ^= x >> 33;
    return x;
}
// The term a pile with that hash adds to the table's hash in the given slot
// (its layout index, or any class number a caller counts piles by).
constexpr uint64_t combine(uint64_t pileHash, int slot) {
    return mix(pileHash + 0x9e3779b97f4a7c15ull * static_cast<uint64_t>(slot + 1));
}
uint64_t hash(const Table& table);

}  // namespace korvat::core
