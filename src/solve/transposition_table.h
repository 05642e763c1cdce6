// Canonical keys of tables and the table of keys already seen: a
// transposition table, shared by the searches of one solve, whose marks
// also record the tables proven lost (see Search::closeOnLeave).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/table.h"

namespace korvat::solve {

struct RulesAnalysis;

struct Key {
    uint64_t a, b;
};

// Two independent 64-bit hashes of the table, the same for tables that
// differ only by which of two interchangeable piles holds what, and for the
// tables of one stock round.
Key canonicalKey(const RulesAnalysis& analysis, const core::Table& t);

// A table's key pile by pile, so that the keys of the tables a move makes
// from it are made again only from the piles the move changed.
struct PileKeys {
    uint64_t a[core::kMaxPiles], b[core::kMaxPiles];
    bool round = false;
    void of(const RulesAnalysis& analysis, const core::Table& t);
    // canonicalKey(analysis, t), where these are the keys of a table
    // whose piles are those of t but the `changed` ones (core::changedPiles).
    Key keyOf(const RulesAnalysis& analysis, const core::Table& t, core::PileMask changed) const;
};

// Open addressing over 128-bit keys; grows by doubling up to its capacity.
// The searches of one solve share it. Each key carries a mark in the low
// bits of its second half, which lookups leave out: the search that last
// met the table and where in that search (see Search::closeOnLeave), or that the
// table cannot be won, which every later search may take as known.
class TranspositionTable {
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
    TranspositionTable(uint64_t capacity, uint64_t maxBytes) {
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
    void setMark(const Key& k, uint64_t mark) {
        Key* s = find(k);
        if (s->a == 0) return;
        if (mark == kLost && (s->b & kMarkMask) != kLost) ++lost_;
        s->b = (s->b & ~kMarkMask) | mark;
    }
    // The keys entered, and those marked lost.
    uint64_t count() const { return count_; }
    uint64_t lostCount() const { return lost_; }
    // The key's mark, or kNew when it was never entered.
    uint64_t markOf(const Key& k) const {
        const Key* s = find(k);
        return s->a == 0 ? kNew : s->b & kMarkMask;
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
    uint64_t size_ = 0, cap_ = 0, count_ = 0, lost_ = 0;
    bool full_ = false;
};

}  // namespace korvat::solve
