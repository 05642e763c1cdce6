// The history at the table: the deal being played gets its row when the log
// gets it (its first move, or File > Open), and the row is finished when the
// deal is won or left (a new deal, another game, a saved game opened, the
// end of the program). The writes happen on the timer, off the path of a
// move; a history that cannot be used is reported once and never holds up
// play, and the game log is never touched by it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/history.h"

namespace korvat::historyRecorder {

enum class Mode {
    // The desktop program: the history is opened at the first timer tick
    // with a deal's row to write (or when the statistics are asked for),
    // and a write never waits for another program's lock (a locked history
    // is written at a later tick).
    Window,
    // korvat-cli: opened at once, and each finished deal written at once,
    // waiting up to 5 seconds for another program's lock.
    Batch,
};

// Starts recording into the history at `path`. `importLog`: the game log
// in memory was read from its file (or there was none), so its deals, as
// they are now, become history rows if the history has not taken in a log
// yet.
void begin(const std::string& path, Mode mode, bool importLog);
// Leaves the deal being played, writes what is pending (waiting up to 2
// seconds for another program's lock), reports what could not be written,
// and closes the history. Recording stops. True when nothing was lost.
bool end();
bool recording();

// The timer: opens the history when it is not yet open, finishes the row of
// a deal that has been won, writes what is pending, shows a report that
// waited for the cards to be put down.
void tick();

// The current deal enters the history (File > Open, whether or not a file
// was read, as the log has it).
void enterDeal();
// The hooks the play calls: a move recorded, a deal about to be dealt anew
// or replaced by a saved game.
void moveRecorded();
void beforeDeal(bool replaced);
// The deal was recognised as won (before the win animation).
void dealWon();

enum class Help { Hint, Demo, Undo };
// Hint, Demo or Undo was used in the current deal.
void helpUsed(Help help);

// The history, opened now if it is not yet; null when it cannot be read.
// For the statistics and the game chooser.
history::Database* database();
// Every finished deal of the history (Database::readResults) with those of
// this program not yet written; false with the reason when the history
// cannot be read.
bool readResults(std::vector<history::Result>& out, std::string& error);
// Removes the finished deals of one game from the history.
history::Outcome resetGame(int game, std::string& error);

// Rows finished or changed but not yet written (tests and the benchmark).
int pending();
// Writes what is pending now, as the timer would.
void writePending();

// The wall clock in milliseconds since 1970; tests may set another.
extern int64_t (*wallClock)();

}  // namespace korvat::historyRecorder
