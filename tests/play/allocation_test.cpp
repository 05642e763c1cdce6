// Play never allocates: a whole game of moves, drags, stock deals,
// redeals, selections, Step, Auto and undo makes no heap allocation, and
// neither do the core's legalMoves, apply, copies and hashes of a table.
//
// The player below chooses its actions at random without allocating
// either: it counts the possible actions and walks to the chosen one.
#include <array>
#include <cstdint>
#include <random>

#include "core/deal.h"
#include "core/legality.h"
#include "core/moves.h"
#include "model/gamelog.h"
#include "play/autoplay.h"
#include "play/current.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "test_support.h"

namespace korvat::test {
namespace {

struct Point {
    int x, y;
};

Point centreOf(const Pile& p) {
    const int x = p.top ? p.top->x : p.x, y = p.top ? p.top->y : p.y;
    return {x + table.cardWidth / 2, y + table.cardHeight / 2};
}

Pile* pileUnder(Point pt) {
    for (Pile* p = currentGame->layout; p; p = p->next)
        if (p->x <= pt.x && pt.x < p->x + p->width && p->y <= pt.y && pt.y < p->y + p->height) return p;
    return nullptr;
}

class NoAllocation : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        resetLog();
        prefs.Move = 0;
    }

    enum Kind { Move, Stock, Redeal, Select, Discard, Turn, Step, Auto, Undo, Drags, KindCount };
    std::array<int, KindCount> done{};
    std::mt19937 rng{12345};

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    // Calls f(pile, point) for every point that would lift cards: a visible
    // point of each card whose press offers a face-up group.
    template <typename F>
    void forEachTakeable(F f) {
        for (Pile* p = currentGame->layout; p; p = p->next) {
            if (!p->top || (p->flags & (PileFlags::stock | PileFlags::groupable))) continue;
            for (Card* c = p->top; c; c = c->below) {
                Point pt{c->x + table.cardWidth / 2, c->y + table.cardHeight / 2};
                if (c != p->top) {
                    if (p->fan == Fan::Right) pt.x = c->x + table.fanStep / 2;
                    else if (p->fan == Fan::Down) pt.y = c->y + table.fanStep / 2;
                    else break;
                }
                if (pileUnder(pt) == p && hitTest(pt.x, pt.y) == p && p->pickCard && p->pickCard->faceDown == kFaceUp)
                    f(*p, pt);
            }
        }
    }

    // Calls f(pile) for every pile whose top card or empty area is hit at its centre and passes the test.
    template <typename Test, typename F>
    void forEachPile(Test test, F f) {
        for (Pile* p = currentGame->layout; p; p = p->next)
            if (pileUnder(centreOf(*p)) == p && test(*p)) f(*p);
    }

    template <typename Test>
    Pile* randomPile(Test test) {
        int n = 0;
        forEachPile(test, [&](Pile&) { ++n; });
        if (n == 0) return nullptr;
        int k = below(n);
        Pile* chosen = nullptr;
        forEachPile(test, [&](Pile& p) {
            if (k-- == 0) chosen = &p;
        });
        return chosen;
    }

    void moveSomething() {
        int n = 0;
        forEachTakeable([&](Pile&, Point) { ++n; });
        if (n == 0) return;
        int k = below(n);
        Point at{};
        forEachTakeable([&](Pile&, Point pt) {
            if (k-- == 0) at = pt;
        });
        pressAt(at.x, at.y);
        if (!carrying()) return;
        // Sweep the carried cards over the table, marking and unmarking piles.
        for (int y = 0; y < kClientHeight; y += 60)
            for (int x = -20; x < kClientWidth; x += 80) {
                dragTo(x, y);
                ++done[Drags];
            }
        const core::GameRules rules = currentRules();
        const core::Table lifted = currentTable();
        auto accepts = [&](const Pile& t) {
            return &t != sourcePile && core::canPlace(rules, lifted, pileIndex(*sourcePile), pileIndex(t),
                                                      carriedPile.bottom->value, carriedPile.count);
        };
        Pile* target = randomPile(accepts);
        if (!target) target = sourcePile;
        const Point c = centreOf(*target);
        dragTo(c.x - table.cardWidth / 2 + table.grabX, c.y - table.cardHeight / 2 + table.grabY);
        release();
        if (target != sourcePile) ++done[Move];
    }

    // Undo refuses while a selection is open: press the selected cards again.
    void deselectAll() {
        for (Pile* p = currentGame->layout; p; p = p->next)
            if (p->top && p->top->faceDown == kSelected) {
                const Point c = centreOf(*p);
                pressAt(c.x, c.y);
            }
    }

    void act() {
        switch (below(12)) {
            case 0:
            case 1:
            case 2:
            case 3: moveSomething(); break;
            case 4:
            case 5: {
                if (selectionPending()) break;
                if (Pile* p = randomPile([](const Pile& p) { return p.top && (p.flags & PileFlags::stock); })) {
                    const Point c = centreOf(*p);
                    pressAt(c.x, c.y);
                    ++done[Stock];
                }
                break;
            }
            case 6: {
                if (Pile* p = randomPile([](const Pile& p) {
                        return !p.top && (p.flags & PileFlags::redealable) && table.redealsLeft != 0;
                    })) {
                    const Point c = centreOf(*p);
                    pressAt(c.x, c.y);
                    ++done[Redeal];
                }
                break;
            }
            case 7:
            case 8: {
                auto selectable = [](const Pile& p) {
                    return p.top && (p.flags & PileFlags::groupable) && !(p.flags & PileFlags::stock);
                };
                // Mostly a card that completes a group.
                auto completes = [&](const Pile& p) {
                    if (!selectable(p)) return false;
                    const int was = p.top->faceDown;
                    p.top->faceDown = was == kSelected ? kFaceUp : kSelected;
                    const bool group = isDiscardGroup();
                    p.top->faceDown = was;
                    return group;
                };
                Pile* p = below(4) ? randomPile(completes) : nullptr;
                if (!p) p = randomPile(selectable);
                if (p) {
                    const int before = table.undoCount;
                    const Point c = centreOf(*p);
                    pressAt(c.x, c.y);
                    ++done[Select];
                    if (table.undoCount > before) ++done[Discard];
                }
                break;
            }
            case 9: {
                if (Pile* p = randomPile([](const Pile& p) {
                        return p.top && p.top->faceDown == kFaceDown && !(p.flags & (PileFlags::stock | PileFlags::groupable));
                    })) {
                    const Point c = centreOf(*p);
                    const int before = table.undoCount;
                    pressAt(c.x, c.y);
                    release();
                    if (table.undoCount > before) ++done[Turn];
                }
                break;
            }
            case 10:
                if (below(4)) {
                    autoStep();
                    ++done[Step];
                } else {
                    while (autoStep()) {
                    }
                    ++done[Auto];
                }
                break;
            default:
                deselectAll();
                if (table.undoCount > 0) {
                    undo();
                    ++done[Undo];
                }
                break;
        }
    }

    // Deals the game once to warm up, then deals it again and plays it at
    // random; returns the allocations made from the second deal on.
    long playWhileCounting(int commandId, uint32_t number, int actions) {
        deal(commandId, number);
        const long before = allocations();
        deal(commandId, number);
        for (int i = 0; i < actions && table.undoCount < 1500; ++i) act();
        while (autoStep()) {
        }
        deselectAll();
        while (table.undoCount > 0) undo();
        return allocations() - before;
    }
};

TEST_F(NoAllocation, KlondikeMovesDealsRedealsAndUndoes) {
    EXPECT_EQ(playWhileCounting(827, 1, 600), 0);
    EXPECT_TRUE(headless.messages.empty());
    EXPECT_GE(done[Move], 10);
    EXPECT_GE(done[Stock], 20);
    EXPECT_GE(done[Redeal], 1);
    EXPECT_GE(done[Turn], 1);
    EXPECT_GE(done[Step], 5);
    EXPECT_GE(done[Auto], 2);
    EXPECT_GE(done[Undo], 10);
    EXPECT_GE(done[Drags], 1000);
}

TEST_F(NoAllocation, SpiderMovesDealsAndUndoes) {
    EXPECT_EQ(playWhileCounting(901, 901, 600), 0);
    EXPECT_TRUE(headless.messages.empty());
    EXPECT_GE(done[Move], 20);
    EXPECT_GE(done[Stock], 5);
    EXPECT_GE(done[Undo], 10);
    EXPECT_GE(done[Auto], 2);
}

TEST_F(NoAllocation, FourDeckGameMovesAndUndoes) {
    EXPECT_EQ(playWhileCounting(701, 701, 400), 0);
    EXPECT_TRUE(headless.messages.empty());
    EXPECT_EQ(table.deckSize, 208);
    EXPECT_GE(done[Move], 20);
    EXPECT_GE(done[Undo], 10);
    EXPECT_GE(done[Step], 5);
}

TEST_F(NoAllocation, PairingGamesSelectDiscardAndUndo) {
    for (int id : {842, 840}) {
        done = {};
        EXPECT_EQ(playWhileCounting(id, 7, 400), 0) << id;
        EXPECT_TRUE(headless.messages.empty()) << id;
        EXPECT_GE(done[Select], 20) << id;
        EXPECT_GE(done[Discard], 3) << id;
        EXPECT_GE(done[Undo], 2) << id;
    }
}

// The core over whole random games: listing the moves, applying every one
// of them to a copy with its changes recorded, and hashing each result.
TEST(NoAllocationInTheCore, LegalMovesApplyCopyAndHash) {
    std::mt19937 rng(7);
    for (int id : {827, 901, 701, 845, 842, 841}) {
        const GameEntry& game = gameCatalogue()[static_cast<size_t>(findGameRow(id))];
        core::MoveList moves;
        core::ChangeRecord record;
        uint64_t hashes = 0;
        int played = 0, applied = 0;
        const long before = allocations();
        // Whole games, deal after deal, until enough moves were played.
        for (uint32_t number = 11; played < 150 && number < 60; ++number) {
            const core::GameRules rules = core::makeRules(game, {id == 827, id == 845}, number);
            core::Table t = core::startTable(rules);
            for (int step = 0; step < 500; ++step) {
                core::legalMoves(rules, t, moves);
                if (moves.size == 0) break;
                for (const core::Move& m : moves) {
                    core::Table copy = t;
                    record.size = 0;
                    core::apply(rules, copy, m, &record);
                    hashes += core::hash(copy);
                    ++applied;
                }
                core::apply(rules, t, moves.moves[rng() % static_cast<unsigned>(moves.size)]);
                ++played;
            }
        }
        EXPECT_EQ(allocations() - before, 0) << id;
        EXPECT_GE(played, 150) << id;
        EXPECT_GT(applied, played) << id;
        EXPECT_NE(hashes, 0u);
    }
}

}  // namespace
}  // namespace korvat::test

#include "view/table_drawing.h"

namespace korvat::test {
namespace {

// The same whole games with the table drawing installed, as the desktop
// program plays them: composing, marking drop targets and moving the carried
// cards allocate nothing either. The first deal of each game has loaded its
// card pictures, so the count starts after that.
TEST_F(NoAllocation, WholeGamesWithTheTableDrawn) {
    if (!view::startGraphics()) GTEST_SKIP() << "no card pictures found";
    prefs.Sizes = -1;  // the pile sizes are drawn as text too
    EXPECT_EQ(playWhileCounting(827, 3, 200), 0);
    EXPECT_EQ(playWhileCounting(901, 3, 120), 0);  // the small card pictures
    EXPECT_EQ(playWhileCounting(827, 4, 120), 0);  // and back to the large ones
    EXPECT_TRUE(headless.messages.empty());
    EXPECT_GE(done[Move], 10);
    EXPECT_GE(done[Drags], 500);
    drawingHooks = DrawingHooks{};
}

}  // namespace
}  // namespace korvat::test
