// Redo after Undo over every game, and the double click that sends a card
// home.
#include <cstdio>
#include <random>
#include <vector>

#include "core/legality.h"
#include "core/moves.h"
#include "play/current.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "play/redo.h"
#include "test_support.h"

namespace korvat::test {
namespace {

bool sameEntry(const UndoEntry& a, const UndoEntry& b) {
    return a.targetIndex == b.targetIndex && a.sourceIndex == b.sourceIndex && a.targetCount == b.targetCount &&
           a.chained == b.chained;
}

// A move that is one undo action of its own: it writes undo entries, the
// first of them not chained to the action before.
bool ownAction(const core::Move& m) {
    core::Table t = currentTable();
    core::ChangeRecord record;
    core::apply(currentRules(), t, m, &record);
    for (const core::Change& c : record)
        if (c.recorded()) return !c.chained();
    return false;
}

bool pickAction(std::mt19937& random, core::Move& out) {
    core::MoveList moves;
    core::legalMoves(currentRules(), currentTable(), moves);
    // Now and then what Step would play, so that autoplay's moves are undone too.
    if (random() % 4 == 0 && core::autoStepMove(currentRules(), currentTable(), out) && ownAction(out)) return true;
    std::vector<core::Move> own;
    for (const core::Move& m : moves)
        if (ownAction(m)) own.push_back(m);
    if (own.empty()) return false;
    out = own[random() % own.size()];
    return true;
}

class Redo : public GameTest {};

TEST_F(Redo, UndoneActionsAreMadeAgainInOrderUntilANewMoveOrDeal) {
    std::mt19937 random(13);
    int redone = 0, refusedRedeals = 0, inexactUndos = 0;
    for (const GameEntry& game : gameCatalogue()) {
        SCOPED_TRACE(game.commandId);
        deal(game.commandId, 3);
        struct Done {
            core::Move move;
            core::Table table;
            int count;
        };
        std::vector<Done> done{{core::Move{}, currentTable(), table.undoCount}};
        core::Move m;
        for (int i = 0; i < 40 && pickAction(random, m); ++i) {
            playMove(m);
            if (table.undoCount <= done.back().count) break;  // the buffer ran full
            done.push_back({m, currentTable(), table.undoCount});
        }
        const int n = static_cast<int>(done.size()) - 1;
        if (n == 0) continue;
        const std::vector<UndoEntry> written(undoBuffer.begin(), undoBuffer.begin() + done.back().count);
        const int j = 1 + static_cast<int>(random() % static_cast<unsigned>(n));
        bool exact = true;
        for (int u = 1; u <= j && exact; ++u) {
            undo();
            const Done& back = done[static_cast<size_t>(n - u)];
            ASSERT_EQ(table.undoCount, back.count);
            // A landing on a sorted pile takes back whatever lies there.
            exact = currentTable() == back.table;
            if (exact) {
                EXPECT_EQ(redoCount(), u);
            }
        }
        if (!exact) {
            ++inexactUndos;
            continue;
        }
        for (int u = j - 1; u >= 0; --u) {
            const Done& next = done[static_cast<size_t>(n - u)];
            const Done& from = done[static_cast<size_t>(n - u - 1)];
            const size_t messages = headless.messages.size();
            redo();
            if (table.undoCount == from.count) {
                // Only a redeal no longer allowed may be refused: Undo does not give it back.
                EXPECT_EQ(next.move.kind, core::Move::Redeal);
                EXPECT_EQ(currentTable().redealsLeft, 0);
                ASSERT_EQ(headless.messages.size(), messages + 1);
                EXPECT_EQ(headless.messages.back().caption, "CANNOT REDO");
                EXPECT_EQ(currentTable(), from.table) << "refused: nothing changes";
                ++refusedRedeals;
                break;
            }
            ++redone;
            EXPECT_EQ(headless.messages.size(), messages);
            ASSERT_EQ(currentTable(), next.table);
            ASSERT_EQ(table.undoCount, next.count);
            for (int e = from.count; e < next.count; ++e)
                EXPECT_TRUE(sameEntry(undoBuffer[static_cast<size_t>(e)], written[static_cast<size_t>(e)]))
                    << "the undo entries are those the action wrote first";
        }
        // A new move forgets what was left to redo; so does a new deal.
        if (table.undoCount > 0) undo();
        if (redoCount() > 0 && pickAction(random, m)) {
            playMove(m);
            EXPECT_EQ(redoCount(), 0);
            const size_t messages = headless.messages.size();
            redo();
            ASSERT_EQ(headless.messages.size(), messages + 1);
            EXPECT_EQ(headless.messages.back().text, "No more moves to redo, or the next one can no longer be made.");
        }
        if (table.undoCount > 0) undo();
        deal(game.commandId, 3);
        EXPECT_EQ(redoCount(), 0);
    }
    std::printf("%d actions redone, %d redeals refused, %d games skipped by an inexact undo\n", redone,
                refusedRedeals, inexactUndos);
    EXPECT_GT(redone, 400);
}

TEST_F(Redo, ARedealNoLongerAllowedIsNotMadeAgain) {
    deal(827, 1);  // Klondike: two redeals
    const int stock = 12;
    while (pileAt(stock)->count > 0) playMove(core::Move::deal(stock));
    playMove(core::Move::redeal(stock));
    ASSERT_EQ(table.redealsLeft, 1);
    const core::Table redealt = currentTable();
    // Undo does not give the redeal back, so making it again takes the last.
    undo();
    redo();
    EXPECT_TRUE(headless.messages.empty());
    core::Table expected = redealt;
    expected.redealsLeft = 0;
    EXPECT_EQ(currentTable(), expected);
    undo();
    EXPECT_EQ(redoCount(), 1);
    redo();
    ASSERT_EQ(headless.messages.size(), size_t(1));
    EXPECT_EQ(headless.messages[0].caption, "CANNOT REDO");
    EXPECT_EQ(pileAt(stock)->count, 0);
    EXPECT_EQ(redoCount(), 1);
}

class DoubleClick : public GameTest {};

TEST_F(DoubleClick, SendsALiftableCardHomeAsStepWouldElseItIsAPress) {
    int home = 0, presses = 0;
    for (const GameEntry& game : gameCatalogue()) {
        SCOPED_TRACE(game.commandId);
        deal(game.commandId, 1);
        for (int p = 0; p < currentGame->pileCount; ++p) {
            Pile& pile = *pileAt(p);
            if (!pile.top) continue;
            const int x = pile.top->x + table.cardWidth / 2, y = pile.top->y + table.cardHeight / 2;
            if (hitTest(x, y) != &pile) continue;  // another pile lies over it
            const core::GameRules rules = currentRules();
            const core::Table before = currentTable();
            const int count = table.undoCount;
            // The card a press there lifts, and the first foundation that takes it.
            core::Move expected;
            bool goesHome = false;
            const Card* g = pile.pickCard;
            if (g && g->faceDown == kFaceUp && !(pile.flags & (PileFlags::stock | PileFlags::groupable))) {
                int k = 0;
                for (const Card* c = pile.bottom; c != g; c = c->above) ++k;
                const int n = (pile.flags & PileFlags::anySingleCard) ? 1 : pile.count - k;
                for (int f = 0; f < currentGame->pileCount && !goesHome; ++f) {
                    if (f == p || !(pileAt(f)->flags & PileFlags::foundation)) continue;
                    goesHome = core::canPlace(rules, before, p, f, g->value, n);
                    if (goesHome) expected = core::Move::place(p, k, f, core::Move::Autoplay);
                }
            }
            core::Move step;
            if (goesHome && g == pile.top && !(pile.flags & PileFlags::anySingleCard) &&
                core::autoplayMove(rules, before, p, step)) {
                EXPECT_EQ(step, expected) << "as Step plays the top card of a pile";
            }
            doubleClickAt(x, y);
            if (goesHome) {
                EXPECT_FALSE(carrying());
                core::Table after = before;
                core::apply(rules, after, expected);
                EXPECT_EQ(currentTable(), after);
                EXPECT_GT(table.undoCount, count);
                undo();
                EXPECT_EQ(table.undoCount, count) << "one undo action";
                ++home;
            } else {
                // Two presses, as before: the first of them a press like this one.
                if (carrying()) release();
                const core::Table pressed = currentTable();
                setCurrentTable(before);
                table.undoCount = count;
                pressAt(x, y);
                if (carrying()) release();
                EXPECT_EQ(currentTable(), pressed);
                ++presses;
            }
        }
    }
    std::printf("%d cards sent home, %d double clicks that stayed presses\n", home, presses);
    EXPECT_GT(home, 20);
    EXPECT_GT(presses, 500);
}

}  // namespace
}  // namespace korvat::test
