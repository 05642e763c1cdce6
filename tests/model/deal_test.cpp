// The generators, the shuffle and the deal of every game.
#include <algorithm>
#include <chrono>
#include <map>

#include "core/deal.h"
#include "play/current.h"
#include "play/game.h"
#include "test_support.h"

namespace korvat::test {
namespace {

class Deal : public GameTest {};

TEST_F(Deal, GeneratorDrawsFromZero) {
    Generator g;
    EXPECT_EQ(g(13), 1u);
    EXPECT_EQ(g.state, 1u);
    EXPECT_EQ(g(13), 4u);
    EXPECT_EQ(g.state, 2707050038u);
    headless.clock = 3;
    EXPECT_EQ(newGameNumber(), static_cast<uint32_t>(3ull * 0xA15A4E35ull));
}

TEST_F(Deal, KlondikeGameZero) {
    deal(827, 0);
    Generator g{0};
    uint8_t slots[52];
    core::shuffle(g, 52, slots);
    const int firstSlots[] = {21, 0, 5, 2, 14, 42, 25, 27, 10, 49};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(slots[i], firstSlots[i]) << i;
    EXPECT_EQ(dealRandom.state, g.state) << "every redeal starts where the shuffle left the generator";
    const int tops[] = {21, 10, 35, 22, 34, 1, 36};
    Pile* piles = currentGame->layout;
    for (int i = 0; i < 7; ++i) {
        Pile& p = piles[4 + i];
        EXPECT_EQ(p.top->value, tops[i]) << i;
        EXPECT_EQ(p.count, i + 1);
        EXPECT_EQ(p.top->faceDown, 0);
        for (Card* c = p.bottom; c != p.top; c = c->above) EXPECT_EQ(c->faceDown, 1);
    }
    Pile& stock = piles[12];
    EXPECT_EQ(stock.count, 24);
    EXPECT_EQ(stock.bottom->value, 27);
    EXPECT_EQ(stock.top->value, 17);
    for (Card* c = stock.bottom; c; c = c->above) EXPECT_EQ(c->faceDown, 1);
    EXPECT_EQ(table.logIndex, -1);
    EXPECT_EQ(headless.title, "Klondike    Not started");
}

TEST_F(Deal, AgnesHighRankBelongsToTheNumber) {
    const int expected[] = {1, 4, 11, 1, 8};
    for (uint32_t n = 0; n < 5; ++n) {
        deal(828, n);
        EXPECT_EQ(table.baseRank, expected[n]) << n;
        // Restarting draws the same high rank again.
        startGame(gameNumber);
        EXPECT_EQ(table.baseRank, expected[n]) << n;
    }
}

// Deals every game from several numbers and checks what every deal must hold.
TEST_F(Deal, EveryGameDealsItsLayoutExactly) {
    for (const GameEntry& g : gameCatalogue()) {
        for (uint32_t number : {0u, 1u, 827u, 2147483648u, 4294967295u}) {
            SCOPED_TRACE(std::string(g.name) + " " + std::to_string(g.commandId) + " #" + std::to_string(number));
            deal(g.commandId, number);
            std::map<int, int> seen;
            int piles = 0, total = 0;
            for (Pile* p = currentGame->layout; p; p = p->next, ++piles) {
                ASSERT_EQ(p->count, p->dealCount);
                total += p->count;
                int down = 0;
                bool faceUpSeen = false, downAboveUp = false;
                for (Card* c = p->bottom; c; c = c->above) {
                    ++seen[c->value];
                    ASSERT_TRUE(c->faceDown == 0 || c->faceDown == 1);
                    if (c->faceDown) {
                        ++down;
                        if (faceUpSeen) downAboveUp = true;
                    } else {
                        faceUpSeen = true;
                    }
                }
                EXPECT_EQ(down, p->faceDownCount);
                if (!(p->flags & PileFlags::kingsToBottom)) {
                    EXPECT_FALSE(downAboveUp) << "face-down cards lie lowest";
                }
                // Start cards are dealt first, so they lie at the bottom.
                if (p->dealCount > 0 && !(p->flags & (PileFlags::sortAscending | PileFlags::sortDescending))) {
                    if (p->startCard >= 0 && p->startCard <= 51) {
                        EXPECT_EQ(p->bottom->value, p->startCard);
                    }
                    if (p->startCard == StartCard::AnyAce) {
                        EXPECT_EQ(rankOf(p->bottom->value), 0);
                    }
                }
                EXPECT_GE(p->driftX, -7);
                EXPECT_LE(p->driftX, 6);
                EXPECT_GE(p->driftY, -7);
                EXPECT_LE(p->driftY, 6);
            }
            EXPECT_EQ(piles, g.pileCount);
            EXPECT_EQ(total, table.deckSize);
            ASSERT_EQ(seen.size(), 52u);
            for (auto [value, times] : seen) EXPECT_EQ(times, table.deckSize / 52) << value;
        }
    }
}

TEST_F(Deal, TheSameNumberGivesTheSameDeal) {
    for (int id : {827, 901, 701, 828, 840}) {
        deal(id, 99);
        std::vector<std::vector<int>> first, firstFaces;
        for (Pile* p = currentGame->layout; p; p = p->next) {
            first.push_back(values(*p));
            firstFaces.push_back(faceStates(*p));
        }
        deal(id, 100);
        deal(id, 99);
        size_t i = 0;
        for (Pile* p = currentGame->layout; p; p = p->next, ++i) {
            EXPECT_EQ(values(*p), first[i]) << id;
            EXPECT_EQ(faceStates(*p), firstFaces[i]) << id;
        }
    }
}

TEST_F(Deal, StartCardsGoToTheirPilesWhateverTheShuffle) {
    // Velvet Rope deals the ace of spades to its first foundation.
    for (uint32_t n : {0u, 5u, 77u}) {
        deal(511, n);
        Pile* f = currentGame->layout;
        ASSERT_EQ(f[0].count, 1);
        EXPECT_EQ(f[0].top->value, 0);
        EXPECT_EQ(f[1].count, 0) << "a start card with a deal count of 0 only restricts";
    }
    // Auld Lang Syne deals the aces in deck order to its four foundations.
    deal(836, 3);
    Generator g{3};
    uint8_t slots[52];
    core::shuffle(g, 52, slots);
    std::vector<int> aces;
    for (int i = 0; i < 52; ++i)
        if (slots[i] < 4) aces.push_back(slots[i]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(currentGame->layout[i].top->value, aces[static_cast<size_t>(i)]);
}

TEST_F(Deal, KingsGoToTheBottom) {
    // Klondike's last tableau pile, dealt with and without the flag: the
    // kings above the bottom ones go under the pile one by one as they are
    // met going up, so kings found later end up lower, each with its state.
    selectGame(827);
    for (uint32_t n = 0; n < 200; ++n) {
        core::GameRules rules = core::makeRules(*currentGame, {}, n);
        const core::Table plain = core::startTable(rules);
        rules.piles[10].flags |= PileFlags::kingsToBottom;
        const core::Table moved = core::startTable(rules);
        std::vector<uint8_t> expected, rest;
        int k = 0;
        while (k < plain.count(10) && core::rankOfCard(plain.card(10, k)) == kHighestRank)
            expected.push_back(plain.card(10, k++));
        for (; k < plain.count(10); ++k) {
            const uint8_t c = plain.card(10, k);
            if (core::rankOfCard(c) == kHighestRank)
                expected.insert(expected.begin(), c);
            else
                rest.push_back(c);
        }
        expected.insert(expected.end(), rest.begin(), rest.end());
        std::vector<uint8_t> got(moved.cards + moved.begin(10), moved.cards + moved.end(10));
        ASSERT_EQ(got, expected) << n;
        for (int p = 0; p < 13; ++p) ASSERT_TRUE(p == 10 || moved.count(p) == plain.count(p)) << p;
    }
}

TEST_F(Deal, TwoDecksHoldEveryValueTwice) {
    Generator g{42};
    uint8_t slots[104];
    core::shuffle(g, 104, slots);
    std::vector<int> count(52);
    for (int i = 0; i < 104; ++i) ++count[slots[i]];
    for (int c : count) EXPECT_EQ(c, 2);
}

TEST_F(Deal, ShuffleSoundOnlyWithSound) {
    deal(827, 1);
    EXPECT_TRUE(headless.sounds.empty());
    prefs.Sound = -1;
    deal(827, 1);
    EXPECT_EQ(headless.sounds, (std::vector<int>{kShuffleSound}));
}

TEST_F(Deal, StartingAGameAllocatesNothing) {
    for (int id : {827, 701, 901, 840}) {
        deal(id, 1);  // warm up: the catalogue is parsed on first use
        long before = allocations();
        for (uint32_t n = 0; n < 20; ++n) {
            startGame(n);
        }
        EXPECT_EQ(allocations() - before, 0) << id;
    }
}

}  // namespace
}  // namespace korvat::test
