// The solver's help at the table: a hint is a legal move while one exists
// and, where proven, the first move of a line that wins; the deal's history
// is the tables Undo brings back; the review of a played-out lost deal
// finds the table after K actions winnable and the one after K + 1 lost,
// and korvat-cli's review says the same.
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "cli/solve_commands.h"
#include "core/deal.h"
#include "play/card_moves.h"
#include "play/current.h"
#include "play/deal_history.h"
#include "play/pointer.h"
#include "shell/solver_service.h"
#include "solve/hint.h"
#include "solve/review.h"
#include "test_support.h"

namespace korvat::test {
namespace {

bool isLegal(const core::GameRules& rules, const core::Table& t, const core::Move& m) {
    core::MoveList every;
    core::legalMoves(rules, t, every, false);
    return std::find(every.begin(), every.end(), m) != every.end();
}

bool lineWins(const core::GameRules& rules, core::Table t, const std::vector<core::Move>& line) {
    for (const core::Move& m : line) {
        if (!isLegal(rules, t, m)) return false;
        core::apply(rules, t, m);
    }
    return core::isWon(rules, t);
}

// A random legal move; false when there is none.
bool randomMove(const core::GameRules& rules, const core::Table& t, std::mt19937& random, core::Move& out) {
    core::MoveList moves;
    core::legalMoves(rules, t, moves);
    if (moves.size == 0) return false;
    out = moves.moves[random() % static_cast<unsigned>(moves.size)];
    return true;
}

// Every game, a few random moves into deal 1.
TEST(SolverHelp, AHintIsLegalWhileAMoveExistsAndAProvenOneBeginsAWin) {
    int proven = 0, unproven = 0;
    for (const GameEntry& game : gameCatalogue()) {
        const core::GameRules rules = core::makeRules(game, {}, 1);
        core::Table t = core::startTable(rules);
        std::mt19937 random(static_cast<unsigned>(game.commandId));
        core::Move m;
        for (int i = 0; i < 8 && randomMove(rules, t, random, m); ++i) core::apply(rules, t, m);
        const solve::Result r = solve::solve(rules, t, {20'000, 60'000});
        const solve::Hint h = solve::hintFrom(rules, t, r);
        core::MoveList moves;
        core::legalMoves(rules, t, moves);
        SCOPED_TRACE(game.name);
        switch (h.why) {
            case solve::Hint::Why::Move:
                EXPECT_TRUE(isLegal(rules, t, h.move));
                EXPECT_EQ(h.proven, r.verdict == solve::Verdict::Winnable);
                if (h.proven) {
                    EXPECT_TRUE(h.move == r.line.front() && lineWins(rules, t, r.line));
                }
                ++(h.proven ? proven : unproven);
                break;
            case solve::Hint::Why::Won: EXPECT_TRUE(core::isWon(rules, t)); break;
            case solve::Hint::Why::Lost: EXPECT_EQ(r.verdict, solve::Verdict::Unwinnable); break;
            case solve::Hint::Why::None: ADD_FAILURE() << "a hint is always given while a move exists"; break;
        }
        if (r.verdict == solve::Verdict::Unknown) {
            EXPECT_TRUE(moves.size == 0 || h.why == solve::Hint::Why::Move);
        }
    }
    EXPECT_GT(proven, 20);
    EXPECT_GT(unproven, 5);
}

class DealHistoryTest : public GameTest {};

// Random moves through the play layer in every game, then Undo all the way
// back: each table it brings back is the one the history has for it.
TEST_F(DealHistoryTest, TheHistoryIsWhatUndoBringsBack) {
    prefs.Move = 0;
    for (const GameEntry& game : gameCatalogue()) {
        deal(game.commandId, 3);
        std::mt19937 random(static_cast<unsigned>(game.commandId));
        core::Move m;
        for (int i = 0; i < 15 && randomMove(currentRules(), currentTable(), random, m); ++i) playMove(m);
        const DealHistory h = dealHistory();
        SCOPED_TRACE(game.name);
        ASSERT_EQ(h.first, 0);
        ASSERT_EQ(static_cast<int>(h.tables.size()), movesMade() + 1);
        for (size_t k = h.tables.size() - 1; k > 0; --k) {
            undo();
            core::Table now = currentTable();
            now.redealsLeft = h.tables[k - 1].redealsLeft;
            EXPECT_TRUE(now == h.tables[k - 1]) << "after " << k - 1 << " actions";
        }
    }
}

// Deals played at random until no move is left or for 60 moves, that end
// lost; reviewed by the solver and by korvat-cli.
TEST(SolverHelp, ReviewFindsTheActionThatLostAPlayedOutDeal) {
    const solve::Limits limits{50'000, 600'000};
    int reviewed = 0;
    const std::pair<int, uint32_t> deals[] = {{843, 3}, {810, 1}, {818, 2}, {816, 1}, {816, 3}};
    for (const auto& [id, number] : deals) {
        const core::GameRules rules = core::makeRules(gameCatalogue()[static_cast<size_t>(findGameRow(id))], {}, number);
        std::vector<core::Table> history{core::startTable(rules)};
        std::mt19937 random(static_cast<unsigned>(id));
        std::vector<std::string> args{"review", std::to_string(id), std::to_string(number), "--max-states",
                                      std::to_string(limits.maxStates), "--max-ms", std::to_string(limits.maxMs)};
        core::Move m;
        for (int i = 0; i < 60 && randomMove(rules, history.back(), random, m); ++i) {
            core::Table t = history.back();
            core::apply(rules, t, m);
            history.push_back(t);
            args.push_back(cli::moveAction(m));
        }
        const solve::Review r = solve::review(rules, history, limits);
        if (r.why != solve::Review::Why::Found) continue;
        SCOPED_TRACE(std::to_string(id));
        const size_t k = static_cast<size_t>(r.lastWinnable);
        EXPECT_EQ(solve::solve(rules, history[k], limits).verdict, solve::Verdict::Winnable);
        EXPECT_EQ(solve::solve(rules, history[k + 1], limits).verdict, solve::Verdict::Unwinnable);
        ASSERT_TRUE(r.losingMoveKnown);
        core::Table t = history[k];
        core::apply(rules, t, r.losingMove);
        EXPECT_TRUE(t == history[k + 1]);
        EXPECT_TRUE(r.keepsWin == r.atLastWinnable.line.front() && lineWins(rules, history[k], r.atLastWinnable.line));
        const CliOutput out = runCli(args);
        ASSERT_EQ(out.status, 0) << out.err;
        EXPECT_EQ(out.out, "{\"lastWinnable\":" + std::to_string(k) + ",\"losingMove\":\"" + cli::moveAction(r.losingMove) +
                               "\",\"keepsWin\":\"" + cli::moveAction(r.keepsWin) + "\"}\n");
        ++reviewed;
    }
    EXPECT_GE(reviewed, 4);
}

}  // namespace
}  // namespace korvat::test
