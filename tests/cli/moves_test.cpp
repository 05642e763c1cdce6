// The core against the program: random play of every game, each move made
// as the korvat-cli action a player would take, each move `moves` lists
// along the way, and the solver's lines through every redeal of the games
// whose redeals gather cards at random, leave the program's table where the
// core's apply leaves its own; and `korvat-cli moves` lists every move the
// pointer can make, each once.
#include <cctype>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cli/session.h"
#include "cli/solve_commands.h"
#include "core/deal.h"
#include "core/moves.h"
#include "model/score.h"
#include "play/current.h"
#include "shell/commands.h"
#include "solve/solver.h"
#include "test_support.h"

namespace korvat::test {
namespace {

// The piles in which the program's table differs from the core's.
std::string differences(const core::Table& program, const core::Table& core) {
    std::string s;
    auto cards = [](const core::Table& t, int p) {
        std::string c;
        for (int k = 0; k < t.count(p); ++k)
            c.append(" ").append(std::to_string(core::valueOf(t.card(p, k)))).append("/").append(
                std::to_string(core::stateOf(t.card(p, k))));
        return c;
    };
    for (int p = 0; p < core.pileCount; ++p)
        if (cards(program, p) != cards(core, p))
            s += "\n  pile " + std::to_string(p) + ":" + cards(program, p) + "\n  the core's:" + cards(core, p);
    if (program.redealsLeft != core.redealsLeft)
        s += "\n  redeals left " + std::to_string(program.redealsLeft) + ", the core's " + std::to_string(core.redealsLeft);
    return s;
}

class CoreAgainstPlay : public GameTest, public ::testing::WithParamInterface<int> {};

TEST_P(CoreAgainstPlay, EveryActionLeavesTheCoresTable) {
    const int id = GetParam();
    std::mt19937 rng(static_cast<unsigned>(id));
    for (uint32_t number : {1u, 2u}) {
        cli::Session s;
        s.commandId = id;
        s.number = number;
        s.unlimit = number == 2;
        s.preferences = {{findPreferenceKey("Three"), number == 1 ? -1 : 0}, {findPreferenceKey("Move"), 0}};
        cli::playSession(s, headless);
        core::GameRules rules = currentRules();
        core::Table expected = currentTable();
        ASSERT_EQ(expected, core::startTable(rules)) << id << " #" << number;
        std::string line;
        core::MoveList moves;
        for (int step = 0; step < 30; ++step) {
            // Each move `moves` lists, played and taken back, makes the core's move.
            for (const core::Move& listed : cli::pointerMoves()) {
                cli::Session one;
                one.actions = {cli::moveAction(listed)};
                cli::applyActions(one);
                core::Table after = expected;
                core::apply(rules, after, listed);
                ASSERT_TRUE(currentTable() == after && !(currentTable() == expected))
                    << "korvat-cli play " << id << " " << number << line << " " << one.actions[0];
                commandUndo();
                if (!(currentTable() == expected) || table.won) cli::playSession(s, headless);
            }
            core::legalMoves(rules, expected, moves);
            if (moves.size == 0) break;
            const core::Move m = moves.moves[std::uniform_int_distribution<int>(0, moves.size - 1)(rng)];
            cli::Session one;
            one.actions = {cli::moveAction(m)};
            line += " " + one.actions[0];
            s.actions.push_back(one.actions[0]);
            cli::applyActions(one);
            core::apply(rules, expected, m);
            ASSERT_TRUE(currentTable() == expected)
                << "korvat-cli play " << id << " " << number << line << differences(currentTable(), expected);
            ASSERT_EQ(rules.redealSeed, currentRules().redealSeed);
        }
        EXPECT_TRUE(headless.messages.empty()) << line;
    }
}

std::vector<int> everyGame() {
    std::vector<int> ids;
    for (const GameEntry& g : gameCatalogue()) ids.push_back(g.commandId);
    return ids;
}

INSTANTIATE_TEST_SUITE_P(AllGames, CoreAgainstPlay, ::testing::ValuesIn(everyGame()),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

// The "piles" of korvat-cli's JSON, and the strings of a list.
std::string pilesOf(const std::string& json) {
    const size_t at = json.find("\"piles\":");
    return at == std::string::npos ? "" : json.substr(at, json.find("]}]", at) + 3 - at);
}
std::vector<std::string> stringsOf(const std::string& json) {
    std::vector<std::string> out;
    const std::regex quoted("\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), quoted); it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1]);
    out.erase(out.begin());  // "moves"
    return out;
}
// The face states of each pile's cards, bottom card first.
std::vector<std::vector<int>> statesOf(const std::string& json) {
    std::vector<std::vector<int>> out;
    for (size_t at = json.find("\"cards\":["); at != std::string::npos; at = json.find("\"cards\":[", at + 1)) {
        std::vector<int>& pile = out.emplace_back();
        // [value,state],[value,state]...]
        for (size_t c = at + 9; json[c] == '['; c += json[c] == ',') {
            c = json.find(']', c);
            pile.push_back(json[c - 1] - '0');
            ++c;
        }
    }
    return out;
}
// Some top card is selected: [value,2] closes a pile's cards.
bool selectionLeft(const std::string& json) { return json.find(",2]]}") != std::string::npos; }

class CliMoves : public GameTest {
protected:
    // Checks the moves listed for the table that the game, options and
    // actions give; returns how many were listed.
    size_t check(std::vector<std::string> base, int pileCount) {
        const CliOutput listed = runCli([&] {
            std::vector<std::string> a = base;
            a.insert(a.begin(), "moves");
            return a;
        }());
        EXPECT_EQ(listed.status, 0) << listed.err;
        auto play = [&](const std::string& action) {
            std::vector<std::string> a = base;
            a.insert(a.begin(), "play");
            a.push_back(action);
            return runCli(a);
        };
        const CliOutput before = play("tick");
        const std::string start = pilesOf(before.out);
        const std::vector<std::vector<int>> states = statesOf(before.out);
        EXPECT_EQ(static_cast<int>(states.size()), pileCount);
        std::set<std::string> results;
        for (const std::string& action : stringsOf(listed.out)) {
            const CliOutput o = play(action);
            EXPECT_EQ(o.status, 0) << action << o.err;
            const std::string after = pilesOf(o.out);
            EXPECT_NE(after, start) << action << " changes nothing";
            EXPECT_TRUE(results.insert(after).second) << action << " leads where another listed move does";
        }
        // Every press and drop the pointer can make that changes the table
        // leads where a listed move does. Of the face-down cards beneath the
        // top card only the highest is pressed: a press on any of them takes
        // the same cards.
        auto same = [&](const std::string& action) {
            const CliOutput o = play(action);
            if (o.status != 0 || selectionLeft(o.out)) return;
            const std::string after = pilesOf(o.out);
            if (after != start) {
                EXPECT_TRUE(results.count(after)) << action << " is not listed";
            }
        };
        for (int p = 0; p < pileCount; ++p) {
            same("click:" + std::to_string(p));
            const std::vector<int>& pile = states[static_cast<size_t>(p)];
            const int n = static_cast<int>(pile.size());
            for (int k = 0; k < n; ++k) {
                const size_t i = static_cast<size_t>(k);
                if (k + 1 < n - 1 && pile[i] == kFaceDown && pile[i + 1] == kFaceDown) continue;
                for (int q = 0; q < pileCount; ++q)
                    same("move:" + std::to_string(p) + "," + std::to_string(k) + "," + std::to_string(q));
            }
        }
        return results.size();
    }
    // The game after `steps` listed moves, each the n-th listed.
    std::vector<std::string> playedFor(std::vector<std::string> base, int steps) {
        for (int i = 0; i < steps; ++i) {
            std::vector<std::string> a = base;
            a.insert(a.begin(), "moves");
            const std::vector<std::string> moves = stringsOf(runCli(a).out);
            if (moves.empty()) break;
            base.push_back(moves[static_cast<size_t>(i * 7) % moves.size()]);
        }
        return base;
    }
};

TEST_F(CliMoves, EveryListedMoveChangesTheTableAndNoOtherDoes) {
    EXPECT_GE(check(playedFor({"827", "5", "--pref", "Three=-1"}, 6), 13), 3u) << "Klondike dealing three";
    EXPECT_GE(check(playedFor({"901", "3"}, 4), 19), 5u) << "Spider";
    EXPECT_GE(check(playedFor({"701", "2"}, 3), 34), 5u) << "four decks";
    EXPECT_GE(check(playedFor({"840", "4"}, 3), 11), 2u) << "Elevens, a pairing game";
}

// Solver lines that once stopped where the fan of an earlier pile covered
// the middle of a card the line presses: each is played through to the win,
// and at every table along it each move `moves` lists makes the core's move
// (and Undo takes it back for the next).
TEST_F(CliMoves, SolverLinesAndEveryMoveListedAlongThemReplay) {
    struct Deal {
        int id;
        uint32_t number;
    };
    for (const Deal& d : {Deal{845, 3}, Deal{700, 8}, Deal{855, 2}}) {
        const std::string deal = std::to_string(d.id) + " " + std::to_string(d.number);
        // Bounded by tables alone, so that a slow machine finds the same line.
        const CliOutput solved = runCli(
            {"solve", std::to_string(d.id), std::to_string(d.number), "--max-states", "400000", "--max-ms", "600000"});
        ASSERT_EQ(solved.status, 0) << deal << solved.err;
        std::vector<std::string> line;
        for (const std::string& s : stringsOf(solved.out))
            if (s.find(':') != std::string::npos) line.push_back(s);
        ASSERT_GT(line.size(), 50u) << deal;
        cli::Session session;
        session.commandId = d.id;
        session.number = d.number;
        session.preferences = {{findPreferenceKey("Move"), 0}};
        cli::playSession(session, headless);
        const core::GameRules rules = currentRules();
        auto play = [&](const std::string& action) {
            cli::Session one;
            one.actions = {action};
            try {
                cli::applyActions(one);
            } catch (const cli::BadInput& e) {
                return e.message + " after korvat-cli play " + deal + " ...";
            }
            return std::string();
        };
        size_t listed = 0;
        for (size_t step = 0; step < line.size(); ++step) {
            const core::Table here = currentTable();
            for (const core::Move& m : cli::pointerMoves()) {
                const std::string action = cli::moveAction(m);
                ASSERT_EQ(play(action), "") << action << " at action " << step;
                core::Table expected = here;
                core::apply(rules, expected, m);
                ASSERT_TRUE(currentTable() == expected) << action << " at action " << step;
                ++listed;
                commandUndo();
                if (currentTable() != here || table.won) {
                    // A redeal Undo does not give back, or a win: the table again from the deal.
                    session.actions.assign(line.begin(), line.begin() + static_cast<long>(step));
                    cli::playSession(session, headless);
                }
            }
            ASSERT_EQ(play(line[step]), "") << "action " << step;
        }
        scoreTick();
        EXPECT_TRUE(core::isWon(rules, currentTable())) << deal;
        EXPECT_GT(listed, line.size()) << deal;
        EXPECT_TRUE(headless.messages.empty()) << deal << ": " << headless.messages[0].text;
    }
}

// In the games whose redeal gathers several piles in the deal generator's
// pattern, the solver's winning lines from the rules made from the game
// number alone (as the survey and the winnable-deals search make them),
// played action by action, keep the program's table on the core's through
// every redeal and win; after Restart the same line wins again.
TEST_F(CliMoves, LinesThroughShuffledRedealsKeepTheCoresTablesAndWin) {
    int lines = 0, redealtTwice = 0;
    for (const GameEntry& game : gameCatalogue()) {
        if (__builtin_popcountll(core::makeRules(game, {}, 0).gathered) < 2) continue;
        for (uint32_t number = 0; number < 10; ++number) {
            const core::GameRules rules = core::makeRules(game, {}, number);
            const solve::Result r = solve::solve(rules, core::startTable(rules), {10'000, 600'000});
            if (r.verdict != solve::Verdict::Winnable) continue;
            ++lines;
            std::string replay = "korvat-cli play " + std::to_string(game.commandId) + " " + std::to_string(number);
            int redeals = 0;
            for (const core::Move& m : r.line) {
                replay.append(" ").append(cli::moveAction(m));
                redeals += m.kind == core::Move::Redeal;
            }
            redealtTwice += redeals >= 2;
            cli::Session s;
            s.commandId = game.commandId;
            s.number = number;
            s.preferences = {{findPreferenceKey("Move"), 0}};
            cli::playSession(s, headless);
            for (const char* after : {"the deal", "Restart"}) {
                ASSERT_TRUE(currentRules() == rules) << replay << ": the program's rules after " << after;
                core::Table expected = core::startTable(rules);
                for (size_t step = 0; step < r.line.size(); ++step) {
                    cli::Session one;
                    one.actions = {cli::moveAction(r.line[step])};
                    try {
                        cli::applyActions(one);
                    } catch (const cli::BadInput& e) {
                        FAIL() << e.message << " at action " << step << " after " << after << " of " << replay;
                    }
                    core::apply(rules, expected, r.line[step]);
                    ASSERT_TRUE(currentTable() == expected) << "action " << step << " after " << after << " of "
                                                            << replay << differences(currentTable(), expected);
                }
                scoreTick();
                EXPECT_EQ(table.won, 1) << after << ": " << replay;
                ASSERT_TRUE(commandRestart());
                scoreTick();  // as the window's timer would, so that the next win is seen
            }
        }
    }
    EXPECT_GE(redealtTwice, 15) << lines << " lines: many of them redeal twice";
}

}  // namespace
}  // namespace korvat::test
