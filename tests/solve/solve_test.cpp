// The solver: a winning line wins when korvat-cli plays it, the win
// finder's lines win in every game and it never calls a deal lost,
// "unwinnable" agrees with a plain enumeration of every reachable table,
// limits and a stop from another thread end every part of a search at once
// on one thread or several, and a search leaves the game being played alone.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "cli/solve_commands.h"
#include "core/deal.h"
#include "play/current.h"
#include "play/pointer.h"
#include "solve/rules_analysis.h"
#include "solve/search.h"
#include "solve/solver.h"
#include "solve/transposition_table.h"
#include "test_support.h"

namespace korvat::test {
namespace {

core::GameRules rulesOf(int id, uint32_t number, core::RuleOptions options = {}) {
    return core::makeRules(gameCatalogue()[static_cast<size_t>(findGameRow(id))], options, number);
}

// Winning lines of many kinds of game (stock rounds, redeals, discards,
// runs played off, reserves, four decks) replayed through korvat-cli play.
TEST(Solver, EveryWinningLineWinsWhenPlayed) {
    struct Deal {
        int id;
        uint32_t number;
        bool three, unlimit;
    };
    const Deal deals[] = {{827, 0, false, true}, {827, 2, true, true}, {827, 1, false, false}, {842, 3, false, false},
                          {841, 1, false, false}, {816, 1, false, false}, {823, 4, false, false}, {506, 0, false, false},
                          {921, 2, false, false}, {830, 0, false, false}, {829, 0, false, false}, {912, 0, false, false},
                          {803, 0, false, false}, {502, 0, false, false}, {827, 151, true, true}};
    int won = 0;
    for (const Deal& d : deals) {
        const core::GameRules rules = rulesOf(d.id, d.number, {d.three, d.unlimit});
        const solve::Result r = solve::solve(rules, core::startTable(rules), {2'000'000, 5000});
        // Each of these deals has a winning line (151 dealt three needs a
        // card left in the waste that could have gone home).
        EXPECT_NE(r.verdict, solve::Verdict::Unwinnable) << d.id << " #" << d.number;
        if (r.verdict != solve::Verdict::Winnable) continue;
        ++won;
        std::vector<std::string> args = {"play", std::to_string(d.id), std::to_string(d.number), "--pref", "Move=0"};
        if (d.three) args.insert(args.end(), {"--pref", "Three=-1"});
        if (d.unlimit) args.push_back("--unlimit");
        for (const core::Move& m : r.line) args.push_back(cli::moveAction(m));
        args.push_back("tick");
        const CliOutput out = runCli(args);
        ASSERT_EQ(out.status, 0) << out.err;
        EXPECT_NE(out.out.find("\"won\":1"), std::string::npos) << d.id << " #" << d.number << ": the line does not win";
    }
    EXPECT_GE(won, 13) << "these deals are winnable within the limits";
}

// A table's cards, with the piles in `alike` (piles whose contents may be
// exchanged) in sorted order, so that tables differing only so count once.
std::string tableKey(const core::Table& t, uint64_t alike) {
    std::vector<std::string> piles;
    std::string key(1, static_cast<char>(t.redealsLeft));
    for (int p = 0; p < t.pileCount; ++p) {
        std::string cards(reinterpret_cast<const char*>(t.cards + t.begin(p)), static_cast<size_t>(t.count(p)));
        if (alike >> p & 1)
            piles.push_back(cards);
        else
            key += cards + '|';
    }
    std::sort(piles.begin(), piles.end());
    for (const std::string& cards : piles) key += cards + '|';
    return key;
}

// Every table reachable from the deal, by the listed moves alone, without
// any of the solver's shortcuts; true when one is won.
bool anyWinReachable(const core::GameRules& rules, const core::Table& start, size_t& tables, uint64_t alike = 0) {
    std::unordered_set<std::string> seen;
    std::deque<core::Table> queue{start};
    seen.insert(tableKey(start, alike));
    core::MoveList moves;
    while (!queue.empty()) {
        const core::Table t = queue.front();
        queue.pop_front();
        if (core::isWon(rules, t)) return true;
        core::legalMoves(rules, t, moves);
        for (const core::Move& m : moves) {
            core::Table next = t;
            core::apply(rules, next, m);
            if (seen.insert(tableKey(next, alike)).second) queue.push_back(next);
        }
        if (seen.size() > 3'000'000) {
            ADD_FAILURE() << "too many tables to check";
            break;
        }
    }
    tables = seen.size();
    return false;
}

// Golf, one foundation built up or down (so sending a card home is always a
// choice), made small: ten cards left in the stock and one in each column,
// the others already home under the foundation's card.
core::Table smallGolf(const core::GameRules& rules) {
    core::Table t = core::startTable(rules);
    const int stock = rules.pileCount - 1;
    for (int i = 0; i < 6; ++i) core::apply(rules, t, core::Move::deal(stock));
    uint8_t home[52];
    int n = 0;
    for (int p = 1; p < stock; ++p) {
        uint8_t column[52];
        const int count = t.count(p);
        for (int i = 0; i < count; ++i) column[i] = t.card(p, i);
        for (int i = 0; i + 1 < count; ++i) home[n++] = column[i];
        t.replace(p, column + count - 1, 1);
    }
    for (int i = 0; i < t.count(0); ++i) home[n++] = t.card(0, i);
    t.replace(0, home, n);
    return t;
}

// Aces up made small: after `deals` deals, the cards below rank `lowest`
// already discarded, wherever they lay (so that a card is often the lowest
// of its suit left, and goes to the discard without a choice).
core::Table smallAcesUp(const core::GameRules& rules, int deals, int lowest) {
    core::Table t = core::startTable(rules);
    const int stock = rules.pileCount - 1;
    for (int i = 0; i < deals; ++i) core::apply(rules, t, core::Move::deal(stock));
    uint8_t home[52];
    int n = 0;
    for (int p = 1; p < rules.pileCount; ++p) {
        uint8_t kept[52];
        int k = 0;
        for (int i = 0; i < t.count(p); ++i) {
            const uint8_t c = t.card(p, i);
            (core::rankOfCard(c) < lowest ? home[n++] : kept[k++]) = c;
        }
        t.replace(p, kept, k);
    }
    for (int i = 0; i < n; ++i) home[i] = core::cardByte(core::valueOf(home[i]), kFaceUp);
    t.replace(0, home, n);
    return t;
}

// Klondike made small: the cards below `lowest` rank already home, and
// every card of the suits in `homeSuits` (a bit per suit), the others where
// the deal put them.
core::Table smallKlondike(const core::GameRules& rules, int lowest, int homeSuits = 0) {
    core::Table t = core::startTable(rules);
    for (int p = 0; p < rules.pileCount; ++p) {
        const core::PileRules& pile = rules.piles[p];
        uint8_t kept[52];
        int n = 0;
        if (pile.has(PileFlags::foundation)) {
            const int suit = suitOf(pile.startCard);
            const int home = homeSuits >> suit & 1 ? 13 : lowest;
            for (int rank = 0; rank < home; ++rank) kept[n++] = core::cardByte(rank * 4 + suit, kFaceUp);
        } else {
            for (int i = 0; i < t.count(p); ++i) {
                const uint8_t card = t.card(p, i);
                if (core::rankOfCard(card) >= lowest && !(homeSuits >> suitOf(core::valueOf(card)) & 1)) kept[n++] = card;
            }
        }
        t.replace(p, kept, n);
    }
    return t;
}

// Small games from their deal, and small Golf tables; and Osmosis 1, lost,
// which the search sees by taking the stock's round whole though the
// foundations read the pile above.
TEST(Solver, UnwinnableAgreesWithEveryReachableTable) {
    int checked = 0, golf = 0, osmosis = 0;
    for (int id : {809, 840, 842, 839, 835}) {
        for (uint32_t number = 0; number < 7; ++number) {
            if (id == 809 && number != 1) continue;
            const core::GameRules rules = rulesOf(id, number);
            SCOPED_TRACE(testing::Message() << id << " #" << number);
            const core::Table start = id == 835 ? smallGolf(rules) : core::startTable(rules);
            const solve::Result r = solve::solve(rules, start, {200'000, 5000});
            if (r.verdict != solve::Verdict::Unwinnable && id != 835) continue;
            size_t tables = 0;
            const bool winnable = anyWinReachable(rules, start, tables);
            if (r.verdict == solve::Verdict::Unwinnable) {
                EXPECT_FALSE(winnable) << id << " #" << number << " is called unwinnable";
                ++checked;
                osmosis += id == 809;
            }
            golf += id == 835 && winnable;
        }
    }
    EXPECT_GE(checked, 12);
    EXPECT_GE(golf, 2) << "some of the Golf tables can be won";
    EXPECT_EQ(osmosis, 1) << "Osmosis 1 is found lost";
}

// Aces up, where the exhaustive search sends a card to the discard without
// a choice once no lower card of its suit is left out: of these small
// tables the first four are won by the lines it finds, and the others,
// which it calls lost, are lost at every table they reach.
TEST(Solver, AcesUpDiscardsAnswerAsEveryReachableTable) {
    const uint32_t numbers[] = {0, 1, 2, 3, 6, 43, 117, 126};
    for (size_t i = 0; i < std::size(numbers); ++i) {
        const core::GameRules rules = rulesOf(833, numbers[i]);
        const core::Table start = smallAcesUp(rules, 1 + static_cast<int>(numbers[i] % 3), 10);
        const solve::Result r = solve::solve(rules, start, {2'000'000, 60'000});
        SCOPED_TRACE(testing::Message() << "#" << numbers[i]);
        size_t tables = 0;
        if (i >= 4) {
            EXPECT_EQ(r.verdict, solve::Verdict::Unwinnable);
            EXPECT_FALSE(anyWinReachable(rules, start, tables));
            continue;
        }
        ASSERT_EQ(r.verdict, solve::Verdict::Winnable);
        core::Table t = start;
        for (const core::Move& m : r.line) core::apply(rules, t, m);
        EXPECT_TRUE(core::isWon(rules, t));
    }
}

// Contradance made small: the foundations of the suits in `suits` (a bit
// per suit) built to within `left` cards of their ends, the others whole;
// the cards left stay in the stock in the order dealt.
core::Table smallContradance(const core::GameRules& rules, int left, int suits) {
    core::Table t = core::startTable(rules);
    const int stock = rules.pileCount - 1;
    uint8_t kept[104];
    int n = 0;
    auto near = [&](int value) {
        const int r = rankOf(value);
        return (suits >> suitOf(value) & 1) && (r <= 5 ? r < left : r > 12 - left);
    };
    for (int i = 0; i < t.count(stock); ++i)
        if (near(core::valueOf(t.card(stock, i)))) kept[n++] = t.card(stock, i);
    t.replace(stock, kept, n);
    for (int f = 0; f < 16; ++f) {
        uint8_t cards[13];
        int k = 0;
        const int start = rules.piles[f].startCard, step = rules.piles[f].rankBuild == RankBuild::Down ? -1 : 1;
        for (int r = rankOf(start); r >= 0 && r <= 12 && !near(r * 4 + suitOf(start)); r += step)
            cards[k++] = core::cardByte(r * 4 + suitOf(start), kFaceUp);
        t.replace(f, cards, k);
    }
    return t;
}

// Contradance, where a card goes home without a choice when it is the
// first copy of its value that can (firstCopyOut): small tables, on the
// last pass and before the redeal, answered as every reachable table
// answers them, and a deal won only by keeping a copy back.
TEST(Solver, FirstCopiesHomeAnswerAsEveryReachableTable) {
    for (uint32_t number = 0; number < 12; ++number) {
        const core::GameRules rules = rulesOf(924, number);
        // Half on the last pass, with more cards left; half with the redeal.
        core::Table start = number % 2 ? smallContradance(rules, 1, 0b0111) : smallContradance(rules, 2, 0b0011);
        if (number % 2 == 0) start.redealsLeft = 0;
        const solve::Result r = solve::solve(rules, start, {2'000'000, 60'000});
        ASSERT_NE(r.verdict, solve::Verdict::Unknown) << "#" << number;
        size_t tables = 0;
        EXPECT_EQ(r.verdict == solve::Verdict::Winnable, anyWinReachable(rules, start, tables)) << "#" << number;
    }
    // Deal 58 is won only by keeping a copy back on the last pass, while
    // the other copy, still in the stock, goes home first (sending the
    // first copy home there too, the search finds it lost).
    const core::GameRules rules = rulesOf(924, 58);
    const solve::Result r = solve::solve(rules, core::startTable(rules), {100'000, 60'000});
    ASSERT_EQ(r.verdict, solve::Verdict::Winnable);
    core::Table t = core::startTable(rules);
    for (const core::Move& m : r.line) core::apply(rules, t, m);
    EXPECT_TRUE(core::isWon(rules, t));
}

// Klondike dealt three, redeals unlimited, where the search takes each
// round whole and from a table off it (a card taken out) the rest of the
// round and the next: small tables, answered as every press and move one
// at a time answers them (the tableau piles alike).
TEST(Solver, ARoundDealtThreeReachesWhatPressesReach) {
    int answers[2] = {0, 0};
    for (uint32_t number = 0; number < 20; ++number) {
        const core::GameRules rules = rulesOf(827, number, {true, true});
        // One suit left to play, and two of one colour: nothing builds on
        // the tableau, so the round decides which cards can be had when;
        // then two of either colour, the lower ranks home.
        const int suit = static_cast<int>(number % 4);
        const int other = suit ^ (number < 8 ? 1 : 2);
        const int homeSuits = 0b1111 & ~(1 << suit) & ~(number >= 4 ? 1 << other : 0);
        const core::Table start = smallKlondike(rules, number < 8 ? 0 : 5 + static_cast<int>(number % 4), homeSuits);
        uint64_t tableau = 0;
        for (int p = 0; p < rules.pileCount; ++p)
            if (!rules.piles[p].has(PileFlags::foundation | PileFlags::stock | PileFlags::waste)) tableau |= uint64_t{1} << p;
        size_t tables = 0;
        const bool winnable = anyWinReachable(rules, start, tables, tableau);
        const solve::Result r = solve::solve(rules, start, {1'000'000, 20000});
        EXPECT_EQ(r.verdict, winnable ? solve::Verdict::Winnable : solve::Verdict::Unwinnable) << "#" << number;
        ++answers[winnable];
    }
    EXPECT_GE(answers[0], 2);
    EXPECT_GE(answers[1], 2);
}

// The moves the search leaves out for later, and the tables it gives up
// as lost, change no answer: small Klondike tables, dealing one and three,
// redeals limited and not, answered alike with every move tried.
TEST(Solver, LeavingMovesOutChangesNoAnswer) {
    int winnable = 0, unwinnable = 0;
    for (const core::RuleOptions options : {core::RuleOptions{false, true}, core::RuleOptions{true, true}, core::RuleOptions{false, false}}) {
        for (uint32_t number = 0; number < 24; ++number) {
            const core::GameRules rules = rulesOf(827, number, options);
            // From a small table, some moves at random: many such tables are lost.
            // Every third: two suits in play from their aces, so that aces
            // and twos are still to go home.
            core::Table start = number % 3 ? smallKlondike(rules, 3) : smallKlondike(rules, 0, 0b1001);
            std::mt19937 rng(number);
            core::MoveList moves;
            for (uint32_t i = 0; i < 40 + 3 * number; ++i) {
                core::legalMoves(rules, start, moves);
                if (moves.size == 0) break;
                core::apply(rules, start, moves.moves[rng() % static_cast<unsigned>(moves.size)]);
            }
            const solve::Result left = solve::solve(rules, start, {100'000, 20000});
            solve::Limits every{100'000, 20000};
            every.prune = false;
            const solve::Result all = solve::solve(rules, start, every);
            if (left.verdict == solve::Verdict::Unknown || all.verdict == solve::Verdict::Unknown) continue;
            EXPECT_EQ(left.verdict, all.verdict) << "#" << number << " three " << options.three << " unlimit " << options.unlimit;
            (left.verdict == solve::Verdict::Winnable ? winnable : unwinnable)++;
        }
    }
    EXPECT_GE(winnable, 20);
    EXPECT_GE(unwinnable, 10);
}

// A table a search finds lost is lost: the searches after it, sharing
// the tables seen, never look at it again. Small Klondike tables, dealing
// one and three, most of them won after some searching and some not
// answered within the limit; tables found lost on the way, none of which
// a search of its own may win.
TEST(Solver, ATableFoundLostIsLost) {
    size_t found = 0, checked = 0;
    for (const core::RuleOptions options : {core::RuleOptions{false, true}, core::RuleOptions{true, true}}) {
        for (uint32_t number = 0; number < 16; ++number) {
            const core::GameRules rules = rulesOf(827, number, options);
            std::vector<core::Table> lost;
            solve::Limits limits{20'000, 20000};
            limits.lost = &lost;
            solve::solve(rules, smallKlondike(rules, 1), limits);
            found += lost.size();
            for (size_t i = 0; i < lost.size(); i += std::max<size_t>(1, lost.size() / 40), ++checked)
                EXPECT_NE(solve::solve(rules, lost[i], {5'000, 20000}).verdict, solve::Verdict::Winnable)
                    << "#" << number << " three " << options.three;
        }
    }
    EXPECT_GE(found, 10'000u);
    EXPECT_GE(checked, 200u);
}

uint8_t cardOf(int rank, int suit, int state) { return core::cardByte(rank * 4 + suit, state); }

// A hand-made Klondike table: each suit's cards home up to homeRanks (from
// its ace), the first tableau piles as given (bottom card first), the
// stock holding the given cards (its top card last), the rest empty.
core::Table handMadeKlondike(const core::GameRules& rules, const int homeRanks[4], const std::vector<uint8_t>& stock,
                             const std::vector<std::vector<uint8_t>>& piles) {
    core::Table t = core::startTable(rules);
    size_t tableau = 0;
    for (int p = 0; p < rules.pileCount; ++p) {
        const core::PileRules& pile = rules.piles[p];
        uint8_t cards[52];
        size_t n = 0;
        if (pile.has(PileFlags::foundation)) {
            const int suit = suitOf(pile.startCard);
            for (int rank = 0; rank < homeRanks[suit]; ++rank) cards[n++] = cardOf(rank, suit, kFaceUp);
        } else if (pile.has(PileFlags::stock)) {
            for (uint8_t c : stock) cards[n++] = c;
        } else if (!pile.has(PileFlags::waste) && tableau < piles.size()) {
            for (uint8_t c : piles[tableau++]) cards[n++] = c;
        }
        t.replace(p, cards, static_cast<int>(n));
    }
    return t;
}

// A card is sent home without a choice only when no card it could hold
// is still needed elsewhere. Here the five of suit 2 must hold a four of
// suit 0, the only way to free the three under it; that four is not next
// for its foundation (which waits for the three), so the five stays.
TEST(Solver, ACardThatMayBeNeededStaysOut) {
    const core::GameRules rules = rulesOf(827, 0, {false, true});
    const int homeRanks[4] = {2, 3, 4, 3};
    std::vector<uint8_t> stock;
    for (int suit = 0; suit < 4; ++suit)
        for (int rank = homeRanks[suit]; rank < 13; ++rank)
            if (!(suit == 0 && rank <= 3) && !(suit == 2 && rank == 4) && !(suit == 3 && rank == 4))
                stock.push_back(cardOf(rank, suit, kFaceDown));
    // The four's other place, face down under the three; the five alone.
    const core::Table t = handMadeKlondike(
        rules, homeRanks, stock,
        {{cardOf(4, 3, kFaceDown), cardOf(2, 0, kFaceDown), cardOf(3, 0, kFaceUp)}, {cardOf(4, 2, kFaceUp)}});
    EXPECT_EQ(solve::solve(rules, t, {1'000'000, 20000}).verdict, solve::Verdict::Winnable);
}

// A card of the stock round that may go home waits there only until the
// next card of its suit could follow it. Here the three of suit 2 must go
// home from the round, by choice (the two of suit 0 could still be built on
// it), for the four on top of a pile to follow it and free the cards of
// suit 0 under that four; no other move leads anywhere.
TEST(Solver, ACardOfTheRoundGoesHomeWhenTheNextCanFollow) {
    const core::GameRules rules = rulesOf(827, 0, {false, true});
    const int homeRanks[4] = {0, 13, 2, 13};
    std::vector<uint8_t> round = {cardOf(2, 2, kFaceDown)}, underFour, spades;
    for (int rank = 4; rank < 13; ++rank) round.push_back(cardOf(rank, 2, kFaceDown));
    for (int rank = 2; rank >= 0; --rank) underFour.push_back(cardOf(rank, 0, kFaceDown));
    underFour.push_back(cardOf(3, 2, kFaceUp));
    for (int rank = 12; rank >= 3; --rank) spades.push_back(cardOf(rank, 0, rank == 3 ? kFaceUp : kFaceDown));
    const core::Table t = handMadeKlondike(rules, homeRanks, round, {underFour, spades});
    EXPECT_EQ(solve::solve(rules, t, {1'000'000, 20000}).verdict, solve::Verdict::Winnable);
}

// A card of the round is put on a pile together with what is built on it,
// and that may be more cards of the round. Here the five of suit 0 must
// leave the cards under it, and only a chain of two round cards, the seven
// of suit 0 on the eight of suit 2 and the six of suit 2 on the seven,
// gives it a place (the two other suits are home).
TEST(Solver, CardsOfTheRoundCarryACardOfAPile) {
    const core::GameRules rules = rulesOf(827, 0, {false, true});
    const int homeRanks[4] = {3, 13, 4, 13};
    std::vector<uint8_t> round;
    for (int rank = 5; rank < 13; ++rank) round.push_back(cardOf(rank, 0, kFaceDown));
    for (int rank = 5; rank < 13; ++rank)
        if (rank != 7) round.push_back(cardOf(rank, 2, kFaceDown));
    const core::Table t = handMadeKlondike(
        rules, homeRanks, round,
        {{cardOf(4, 2, kFaceDown), cardOf(3, 0, kFaceDown), cardOf(4, 0, kFaceUp)}, {cardOf(7, 2, kFaceUp)}});
    const solve::Result r = solve::solve(rules, t, {1'000'000, 20000});
    EXPECT_EQ(r.verdict, solve::Verdict::Winnable);
}

// The finder alone, a little of it in every game: it answers Winnable
// only with a line of legal moves that wins, and never Unwinnable.
TEST(Solver, TheFinderWinsOnlyByLinesThatWin) {
    int won = 0;
    std::set<int> wonGames;
    for (const GameEntry& game : gameCatalogue()) {
        const core::GameRules rules = core::makeRules(game, {}, 1);
        const core::Table start = core::startTable(rules);
        const solve::RulesAnalysis analysis(rules, true);
        solve::TranspositionTable seen(0, 0);
        solve::Search finder(rules, analysis, {5000, 20000}, nullptr, seen, 1, 1);
        const solve::Result r = finder.findWin(start, 8, nullptr, false);
        ASSERT_NE(r.verdict, solve::Verdict::Unwinnable) << game.commandId;
        if (r.verdict != solve::Verdict::Winnable) continue;
        ++won;
        wonGames.insert(game.commandId);
        core::Table t = start;
        for (const core::Move& m : r.line) {
            core::MoveList legal;
            core::legalMoves(rules, t, legal, false);
            ASSERT_NE(std::find(legal.begin(), legal.end(), m), legal.end())
                << game.commandId << ": " << cli::moveAction(m) << " is not a move of the table";
            core::apply(rules, t, m);
        }
        EXPECT_TRUE(core::isWon(rules, t)) << game.commandId << ": the line does not win";
    }
    EXPECT_GE(won, 15) << won << ": the finder wins many of these deals in a few thousand tables";
    // Where a higher card of the suit on top elsewhere sends a card to the
    // discard, the finder sends it there at once, and wins these.
    EXPECT_TRUE(wonGames.count(833) && wonGames.count(507)) << "Aces up and Stone Circle";
    // Where piles stack any card, one is put where it leaves the most room.
    EXPECT_TRUE(wonGames.count(834)) << "Strategy";
    // Where each suit goes home both ways, a card's place in the home order
    // is read from the foundations' tops.
    const core::GameRules colorado = rulesOf(903, 2);
    const solve::RulesAnalysis analysis(colorado, true);
    solve::TranspositionTable seen(0, 0);
    for (const uint64_t seed : {1, 3}) {
        solve::Search finder(colorado, analysis, {100'000, 60'000}, nullptr, seen, 1, seed);
        EXPECT_EQ(finder.findWin(core::startTable(colorado), 16, nullptr, false).verdict, solve::Verdict::Winnable)
            << "Colorado 2, seed " << seed;
    }
}

// Where any suit goes home, the finder counts how long a card holds back
// the one under it on a pile that takes any card: its narrow beams win
// Old Patience deals (5 of 0..9 at 128 tables a level; 3 where every card
// lying above an earlier one counted alike).
TEST(Solver, FinderWeighsHowLateACardLiesWhereAnySuitGoesHome) {
    int won = 0;
    for (uint32_t number = 0; number < 10; ++number) {
        const core::GameRules rules = rulesOf(847, number);
        const solve::RulesAnalysis analysis(rules, true);
        EXPECT_EQ(analysis.anyCardPiles, core::PileMask{0xf0});  // its four piles
        solve::TranspositionTable seen(0, 0);
        solve::Search finder(rules, analysis, {1'000'000, 60'000}, nullptr, seen, 1, 1);
        won += finder.findWin(core::startTable(rules), 128, nullptr, false).verdict == solve::Verdict::Winnable;
    }
    EXPECT_GE(won, 5);
}

// A table's key and the finder's estimate, made again from its parent's
// pile by pile, are the table's own: every game, along a walk of moves at
// random, every move from each table on the way.
TEST(Solver, KeysAndEstimatesMadeByPileAreTheTablesOwn) {
    int checked = 0;
    for (const GameEntry& game : gameCatalogue()) {
        const core::GameRules rules = core::makeRules(game, {}, 3);
        const solve::RulesAnalysis analysis(rules, true);
        solve::TranspositionTable seen(0, 0);
        const solve::Search search(rules, analysis, {1000, 1000}, nullptr, seen, 1);
        core::Table t = core::startTable(rules);
        std::mt19937 rng(game.commandId);
        core::MoveList moves;
        for (int step = 0; step < 60; ++step) {
            core::legalMoves(rules, t, moves);
            if (moves.size == 0) break;
            solve::PileKeys keys;
            keys.of(analysis, t);
            int terms[core::kMaxPiles];
            search.findingPileTerms(t, terms);
            for (const core::Move& m : moves) {
                core::Table child = t;
                core::apply(rules, child, m);
                const core::PileMask changed = core::changedPiles(t, child);
                for (int p = 0; p < rules.pileCount; ++p) {
                    if (changed & core::bit(p)) continue;
                    ASSERT_EQ(core::pileHash(t, p), core::pileHash(child, p)) << game.commandId << " pile " << p;
                }
                const solve::Key whole = solve::canonicalKey(analysis, child), byPile = keys.keyOf(analysis, child, changed);
                ASSERT_TRUE(whole.a == byPile.a && whole.b == byPile.b) << game.commandId << ": " << cli::moveAction(m);
                ASSERT_EQ(search.findingPromiseFrom(child, terms, changed), search.findingPromise(child))
                    << game.commandId << ": " << cli::moveAction(m);
                ++checked;
            }
            core::apply(rules, t, moves.moves[rng() % static_cast<unsigned>(moves.size)]);
        }
    }
    EXPECT_GE(checked, 20000);
}

// Where no rule reads suits (Old Patience), two cards of one rank may be
// exchanged wherever they lie and the key stays; where one does
// (Klondike), the exchange is another table.
TEST(Solver, CardsOfOneRankShareAKeyOnlyWhereNoRuleReadsSuits) {
    for (const int id : {847, 827}) {
        const core::GameRules rules = rulesOf(id, 5);
        const solve::RulesAnalysis analysis(rules, true);
        EXPECT_EQ(analysis.suitBlind, id == 847) << id;
        const core::Table t = core::startTable(rules);
        int exchanged = 0;
        for (int i = 0; i < t.cardCount(); ++i)
            for (int j = i + 1; j < t.cardCount(); ++j) {
                if (core::rankOfCard(t.cards[i]) != core::rankOfCard(t.cards[j]) || t.cards[i] == t.cards[j]) continue;
                core::Table u = t;
                const uint8_t si = u.cards[i] & 0xc0, sj = u.cards[j] & 0xc0;
                u.cards[i] = static_cast<uint8_t>((t.cards[j] & 63) | si);
                u.cards[j] = static_cast<uint8_t>((t.cards[i] & 63) | sj);
                const solve::Key a = solve::canonicalKey(analysis, t), b = solve::canonicalKey(analysis, u);
                EXPECT_EQ(a.a == b.a && a.b == b.b, id == 847) << id << ": cards " << i << " and " << j;
                ++exchanged;
            }
        EXPECT_GE(exchanged, 50) << id;
    }
}

// The finder's small share is for games of the stock, its waste and the
// foundations alone (Contradance); piles built on carry the waste flag
// too, and Spider's ten must not count as wastes.
TEST(Solver, OnlyAStockItsWasteAndHomeMakeAGameOfTheStockAndHome) {
    for (const int id : {924, 901, 822, 827}) {
        const solve::RulesAnalysis analysis(rulesOf(id, 0), true);
        EXPECT_EQ(analysis.onlyStockAndHome, id == 924) << id;
    }
}

TEST(Solver, LimitsAndAStopEndTheSearch) {
    // Klondike 202 with unlimited redeals is lost, which takes millions of
    // tables to show: no order of the moves answers it sooner. Alhambra 0
    // keeps the finder busy as long as it is let.
    for (const int threads : {1, 2}) {
        for (const int id : {827, 919}) {
            const core::GameRules rules = rulesOf(id, id == 827 ? 202 : 0, {false, id == 827});
            const core::Table start = core::startTable(rules);
            solve::Limits limits{5000, 60'000};
            limits.threads = threads;
            const solve::Result few = solve::solve(rules, start, limits);
            EXPECT_EQ(few.verdict, solve::Verdict::Unknown) << id;
            EXPECT_LE(few.states, 5000u * static_cast<unsigned>(threads)) << id;

            limits = {100'000'000, 200};
            limits.threads = threads;
            const solve::Result brief = solve::solve(rules, start, limits);
            EXPECT_EQ(brief.verdict, solve::Verdict::Unknown) << id;
            EXPECT_LT(brief.ms, 1000) << id;

            // Stopped early and later, on two threads while the finder
            // runs beside the exhaustive search.
            for (const int after : {20, 500}) {
                std::atomic<bool> stop{false};
                solve::Result stopped;
                limits = {100'000'000, 60'000};
                limits.threads = threads;
                std::thread search([&] { stopped = solve::solve(rules, start, limits, &stop); });
                std::this_thread::sleep_for(std::chrono::milliseconds(after));
                const auto asked = std::chrono::steady_clock::now();
                stop = true;
                search.join();
                const double waited =
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count();
                EXPECT_EQ(stopped.verdict, solve::Verdict::Unknown) << id;
                EXPECT_LT(waited, 250) << id << " on " << threads << " threads: a stop ends the search promptly";
            }
        }
    }
}

// Several threads hold no more memory together than the one limit allows.
TEST(Solver, MemoryStaysWithinOneLimitOnSeveralThreads) {
    const core::GameRules rules = rulesOf(901, 3);
    for (const int threads : {1, 2, 4}) {
        // Memory, not time, ends the search, even in a slow build.
        solve::Limits limits{100'000'000, 60'000, 4ull << 20};
        limits.threads = threads;
        const solve::Result r = solve::solve(rules, core::startTable(rules), limits);
        EXPECT_LE(r.bytes, limits.maxBytes) << threads << " threads";
        EXPECT_GT(r.bytes, limits.maxBytes / 4) << threads << " threads: the search used its memory";
    }
}

class SolverBesideTheGame : public GameTest {};

// A search on another thread while the player plays: the game sees exactly
// what it sees without the search, and the search answers for the table it
// was given.
TEST_F(SolverBesideTheGame, LeavesTheGameBeingPlayedAlone) {
    auto playSome = [&] {
        deal(827, 5);
        core::MoveList moves;
        for (int i = 0; i < 30; ++i) {
            core::legalMoves(currentRules(), currentTable(), moves);
            if (moves.size == 0) break;
            playMove(moves.moves[i % moves.size]);
        }
        return currentTable();
    };
    const core::Table alone = playSome();
    const std::string titleAlone = headless.title;

    const core::GameRules rules = rulesOf(827, 10, {false, true});
    const core::Table given = core::startTable(rules);
    std::atomic<bool> stop{false};
    solve::Result r;
    std::thread search([&] { r = solve::solve(rules, given, {100'000'000, 60'000}, &stop); });
    const core::Table beside = playSome();
    stop = true;
    search.join();
    EXPECT_EQ(beside, alone);
    EXPECT_EQ(headless.title, titleAlone);
    EXPECT_EQ(core::startTable(rules), given);
}

}  // namespace
}  // namespace korvat::test
