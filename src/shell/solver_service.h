// The solver at the table: a search of the table on the screen in the
// background after every change, its verdict, the hint and the demo that
// follow its winning line, and the search for the next game number whose
// deal can be won ("Winnable deals only").
//
// Everything here runs on the program's one thread but the searches, each
// on a thread of its own with its own copy of the rules and the table. The
// program's thread never waits for a search: a change of the table only
// sets the search's stop flag; its thread is joined once it has ended.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/moves.h"
#include "core/rules.h"
#include "core/table.h"
#include "solve/solver.h"

namespace korvat {

struct GameEntry;
class Platform;

// What the status bar says of the table on the screen.
enum class TableVerdict {
    None,       // no game, or cards are being carried
    Thinking,   // a search of this table is under way
    Winnable,   // the solver found a winning line from this table
    Lost,       // every table that can be reached was seen, none won
    Undecided,  // a limit came first
    LostFromStart,   // lost, and so was the deal's first table
    Won,             // the table is won
    FinishedByDemo,  // won, by a move of Demo
};
// "Winnable", "Can no longer be won", "Not decided", "Thinking...",
// "Cannot be won", "Won", "Finished by Demo" (empty for None).
const char* tableVerdictText(TableVerdict verdict);

// A search in the background: at most this many tables, this long, in this
// much memory.
constexpr solve::Limits kBackgroundLimits{2'000'000, 5'000, 256ull << 20};
// Each game number tried for Winnable deals only.
constexpr solve::Limits kDealLimits{1'000'000, 2'000, 256ull << 20};
// The limits given, on the machine's cores but one (one at least), so that
// the window stays quick while a search runs.
solve::Limits searchLimits(solve::Limits limits);

namespace tableSolver {

// Set by the desktop program. `searchEnded` is called on the search's own
// thread when it ends: it should have collect() run on the program's
// thread. `searchWanted` is called on the program's thread when the table
// has changed: it should have searchIfNeeded() run once the current event
// (a move with its glides, an undo, a deal) is over.
extern void (*searchEnded)();
extern void (*searchWanted)();

// The table on the screen may have changed: when it has, the search of the
// old one is stopped (never waited for) and a new one wanted. Cheap; runs
// after every repaint.
void tableChanged();
// Starts the search of the table on the screen unless it has a verdict or
// is being searched already; threads of stopped searches that have ended
// are joined.
void searchIfNeeded();
// Takes the answer of a search that has ended. It becomes the verdict only
// when it belongs to the table on the screen. True when the verdict changed.
bool collect();
// The verdict on the table on the screen.
TableVerdict verdict();
// The next move of the winning line, when the verdict is Winnable and
// the deal is not yet won.
bool nextMove(core::Move& move);
// The searches started since the program began, and the search threads
// that have not yet ended, the stopped ones included (tests).
int searchesStarted();
int searchesUnderWay();
// Waits until the search under way has ended, then collects (tests and
// the headless program).
void waitForSearch();
// Stops every search and joins their threads: at exit.
void shutDown();

// Takes a search's answer for a table (a winnable deal found for New).
void offerVerdict(const core::GameRules& rules, const core::Table& table, const solve::Result& result);

// The solver's result on the table on the screen, when it has one, and
// how many moves of its winning line have been made since.
const solve::Result* knownResult(size_t& movesAlong);

// Demo makes a move: the table it leaves is the demo's until another
// action changes it, and a win there is the demo's, not the player's.
void playDemoMove(const core::Move& move);
// Whether the table on the screen is won and Demo made the move that won it.
bool finishedByDemo();

}  // namespace tableSolver

// The moves made in this deal: the player's actions that undo would take
// back one at a time.
int movesMade();

// The time played in this deal, in milliseconds of the platform's clock:
// from its first move to now, or to the win. Back at the deal's start
// (a new deal, Restart, every move undone) it is 0 again.
uint32_t timePlayed();

// Hint and demo: the solver's hint at the table on the screen (Move): the
// next move of the winning line (`proven`), or else the move it judges most
// promising; Thinking while its verdict is still being found (a search is
// then under way: ask again when it has come); None when there is no move
// to give (the table is won or lost, or no move can be made).
enum class HintAnswer { Move, Thinking, None };
HintAnswer hintMove(core::Move& move, bool& proven);
// Says plainly why there is no move to show or play, with the verdict in
// words: captioned "NO HINT." for Hint, "NO DEMO." for Demo. Hint at a table
// that can no longer be won offers to look for the move that lost it.
void explainNoHint(bool forDemo = false);

// "Winnable deals only": the Winnable key of section "Prefs" in korvat.ini,
// 0 off (the default), any other value on. Kept apart from the fourteen
// keys of the preferences record; written only when on or already there,
// so that a korvat.ini of the defaults keeps its bytes.
extern int32_t winnableDealsOnly;
void readWinnableSetting(Platform& ini);
void writeWinnableSetting();

// A search for the first game number, from `from` on in steps of `step`
// (+1 or -1, modulo 2^32), of the current game whose deal the solver
// proves winnable.
struct WinnableSearch {
    const GameEntry* game = nullptr;
    core::RuleOptions options;
    uint32_t from = 0;
    int step = 1;
    std::atomic<bool> stop{false};       // set to cancel
    std::atomic<bool> done{false};       // set when it has ended
    std::atomic<uint32_t> tried{0};      // game numbers tried so far
    std::atomic<uint32_t> trying{0};     // the one being tried
    // With a budget, the search gives up for now once it has run that long
    // (outOfTime); run again, it goes on from where it stopped.
    uint32_t budgetMs = UINT32_MAX;
    bool outOfTime = false;
    bool found = false;
    uint32_t number = 0;
    core::GameRules rules;  // of the number found, with its table and line
    core::Table table;
    solve::Result result;
};
// The numbers tried before the search gives up.
constexpr uint32_t kWinnableTries = 1000;
// Runs the search on the calling thread.
void runWinnableSearch(WinnableSearch& search);
// How long the search for a winnable deal holds the player before it asks
// whether to deal the number asked for anyway or to go on looking: 20
// seconds (tests make it shorter).
extern uint32_t winnableAskAfterMs;
// Set by the desktop program: runs the search without blocking its window
// (a progress indication with Cancel once it takes longer than a moment)
// and returns when it has ended. Without it the search runs in place.
extern void (*waitForWinnableSearch)(WinnableSearch& search);

// The game number New, Page Up or Page Down should deal, from `from` in
// steps of `step`: `from` itself while Winnable deals only is off, else the
// first number whose deal is proved winnable. Every 20 seconds without one
// the player may have `from` dealt anyway. False when the search was
// cancelled or found none (then says so): the deal on the table stays.
bool winnableDeal(uint32_t from, int step, uint32_t& number);

}  // namespace korvat
