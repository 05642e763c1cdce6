// The core's moves over random play of every game: the listed moves are
// exactly what pressing every card and dropping it on every pile, pressing
// the stock, the empty piles and the groupable piles can do, each listed
// move changes the table, no two lead to the same table, and every card
// stays on the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cctype>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/actions.h"
#include "core/deal.h"
#include "core/legality.h"
#include "core/moves.h"
#include "model/catalogue.h"

namespace korvat::core {
namespace {

std::string describe(const Move& m) {
    std::string s = m.kind == Move::Place    ? "move:" + std::to_string(m.from) + "," + std::to_string(m.card) + "," + std::to_string(m.to)
                    : m.kind == Move::Turn   ? "turn:" + std::to_string(m.from) + "," + std::to_string(m.card)
                    : m.kind == Move::Deal   ? "deal:" + std::to_string(m.from)
                    : m.kind == Move::Redeal ? "redeal:" + std::to_string(m.from)
                                             : "discard";
    if (m.kind == Move::Discard)
        forEachPile(m.piles, [&](int p) { s += ":" + std::to_string(p); });
    return s;
}

std::string tableKey(const Table& t) { return std::string(reinterpret_cast<const char*>(&t), sizeof t); }

// The piles in which a table differs from another, card by card (value/state).
std::string differences(const Table& from, const std::string& key) {
    Table to;
    std::memcpy(&to, key.data(), sizeof to);
    std::string s;
    for (int p = 0; p < from.pileCount; ++p) {
        if (from.count(p) == to.count(p) &&
            std::memcmp(from.cards + from.begin(p), to.cards + to.begin(p), static_cast<size_t>(from.count(p))) == 0)
            continue;
        s += " [" + std::to_string(p) + ":";
        for (int k = 0; k < to.count(p); ++k)
            s += " " + std::to_string(valueOf(to.card(p, k))) + "/" + std::to_string(stateOf(to.card(p, k)));
        s += "]";
    }
    if (from.redealsLeft != to.redealsLeft) s += " redeals " + std::to_string(to.redealsLeft);
    return s;
}

// What one set of tables has that the other lacks, described against the table.
std::string setDifferences(const Table& t, const std::set<std::string>& listed, const std::set<std::string>& every) {
    std::string s;
    for (const std::string& k : every)
        if (!listed.count(k)) s += "\n  not listed:" + differences(t, k);
    for (const std::string& k : listed)
        if (!every.count(k)) s += "\n  listed, but the mouse cannot:" + differences(t, k);
    return s;
}

// Every table a mouse press (and drop) can make from this one, found the
// slow way: every card pressed, every pile tried as a target on a table
// with the lifted cards off their pile, every selection of up to five
// groupable piles pressed in layout order.
std::set<std::string> everyResult(const GameRules& r, const Table& t) {
    std::set<std::string> out;
    auto keep = [&](const Table& after) {
        if (after != t && !selectionPending(r, after)) out.insert(tableKey(after));
    };
    for (int p = 0; p < r.pileCount; ++p) {
        const PileRules& pile = r.piles[p];
        const int n = t.count(p);
        if (n == 0) {
            if (canRedeal(r, t, p)) {
                Table a = t;
                apply(r, a, Move::redeal(p));
                keep(a);
            }
            continue;
        }
        if (pile.has(PileFlags::stock)) {
            if (canDeal(r, t, p)) {
                Table a = t;
                apply(r, a, Move::deal(p));
                keep(a);
            }
            continue;
        }
        if (pile.has(PileFlags::groupable)) continue;
        for (int k = pile.fanned() ? 0 : n - 1; k < n; ++k) {
            const int g = findPickCard(r, t, p, k);
            if (g < 0) continue;
            if (stateOf(t.card(p, g)) != kFaceUp) {
                if (g == n - 1) {
                    Table a = t;
                    apply(r, a, Move::turn(p, g));
                    keep(a);
                }
                continue;
            }
            const int count = pile.has(PileFlags::anySingleCard) ? 1 : n - g;
            Table lifted = t;
            lifted.moveCards(p, g, count, r.pileCount - 1);
            lifted.ends[r.pileCount - 1] = static_cast<uint8_t>(lifted.ends[r.pileCount - 1] - count);
            for (int q = 0; q < r.pileCount; ++q) {
                if (!canPlace(r, lifted, p, q, valueOf(t.card(p, g)), count)) continue;
                Table a = t;
                apply(r, a, Move::place(p, g, q));
                keep(a);
            }
        }
    }
    // Presses on groupable piles, in layout order, up to the press that
    // first moves a card.
    std::vector<int> groupable;
    forEachPile(r.groupables, [&](int p) {
        if (!t.empty(p)) groupable.push_back(p);
    });
    const int m = static_cast<int>(groupable.size());
    auto pressAll = [&](auto& self, const Table& now, int from, int presses) -> void {
        for (int i = from; i < m; ++i) {
            Table a = now;
            selectClick(r, a, groupable[static_cast<size_t>(i)]);
            if (selectionPending(r, a))
                self(self, a, i + 1, presses + 1);
            else if (presses < 7)
                keep(a);
        }
    };
    pressAll(pressAll, t, 0, 0);
    return out;
}

// The deck as a count of each value: play never loses or makes a card.
std::vector<int> valueCounts(const Table& t) {
    std::vector<int> counts(52);
    for (int i = 0; i < t.cardCount(); ++i) ++counts[static_cast<size_t>(valueOf(t.cards[i]))];
    return counts;
}

class CoreRandomPlay : public ::testing::TestWithParam<int> {};

TEST_P(CoreRandomPlay, ListsExactlyTheMovesTheMouseCanMake) {
    const GameEntry& game = gameCatalogue()[static_cast<size_t>(findGameRow(GetParam()))];
    std::mt19937 rng(static_cast<unsigned>(GetParam()));
    for (uint32_t number : {0u, 77u, 4000000000u}) {
        const RuleOptions options{number % 2 == 1, number > 100};
        const GameRules r = makeRules(game, options, number);
        Table t = startTable(r);
        const std::vector<int> deck = valueCounts(t);
        ASSERT_EQ(t.cardCount(), r.deckSize);
        std::string line;
        MoveList moves;
        for (int step = 0; step < 60; ++step) {
            legalMoves(r, t, moves);
            ASSERT_FALSE(moves.overflow);
            std::set<std::string> listed;
            std::map<std::string, std::string> madeBy;
            for (const Move& m : moves) {
                Table a = t;
                apply(r, a, m);
                ASSERT_NE(a, t) << describe(m) << " changes nothing after" << line;
                ASSERT_TRUE(listed.insert(tableKey(a)).second)
                    << describe(m) << " leads where " << madeBy[tableKey(a)] << " does, after" << line;
                madeBy[tableKey(a)] = describe(m);
            }
            const std::set<std::string> every = everyResult(r, t);
            ASSERT_TRUE(listed == every) << "game " << game.commandId << " #" << number << " after" << line
                                         << setDifferences(t, listed, every);
            if (moves.size == 0) break;
            const Move& m = moves.moves[std::uniform_int_distribution<int>(0, moves.size - 1)(rng)];
            line += " " + describe(m);
            const uint64_t before = hash(t);
            apply(r, t, m);
            ASSERT_EQ(valueCounts(t), deck) << line;
            ASSERT_EQ(t.cardCount(), r.deckSize) << line;
            ASSERT_NE(hash(t), before) << line;
        }
    }
}

std::vector<int> everyGame() {
    std::vector<int> ids;
    for (const GameEntry& g : gameCatalogue()) ids.push_back(g.commandId);
    return ids;
}

INSTANTIATE_TEST_SUITE_P(AllGames, CoreRandomPlay, ::testing::ValuesIn(everyGame()),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string name = std::to_string(info.param) + "_";
                             for (const char* c = gameCatalogue()[static_cast<size_t>(findGameRow(info.param))].name; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

// Random play on four games at once, on four threads, sees exactly what
// the same play sees alone: the core shares nothing between tables.
std::vector<uint64_t> playAtRandom(const GameRules& r, unsigned seed, int steps) {
    std::mt19937 rng(seed);
    std::vector<uint64_t> seen;
    MoveList moves;
    for (int game = 0; game < 20; ++game) {
        GameRules rules = r;
        rules.gameNumber = static_cast<uint32_t>(rng());
        Table t = startTable(rules);
        for (int step = 0; step < steps; ++step) {
            legalMoves(rules, t, moves);
            if (moves.size == 0) break;
            apply(rules, t, moves.moves[std::uniform_int_distribution<int>(0, moves.size - 1)(rng)]);
            seen.push_back(hash(t));
        }
    }
    return seen;
}

TEST(CoreThreads, FourGamesTogetherPlayAsEachAlone) {
    const int ids[] = {827, 901, 701, 840};
    std::vector<GameRules> rules;
    for (int id : ids) rules.push_back(makeRules(gameCatalogue()[static_cast<size_t>(findGameRow(id))], {}, 1));
    std::vector<std::vector<uint64_t>> alone, together(4);
    for (size_t i = 0; i < 4; ++i) alone.push_back(playAtRandom(rules[i], static_cast<unsigned>(i), 150));
    std::vector<std::thread> threads;
    for (size_t i = 0; i < 4; ++i)
        threads.emplace_back([&, i] { together[i] = playAtRandom(rules[i], static_cast<unsigned>(i), 150); });
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_GT(alone[i].size(), 100u);
        EXPECT_EQ(together[i], alone[i]) << ids[i];
    }
}

}  // namespace
}  // namespace korvat::core
