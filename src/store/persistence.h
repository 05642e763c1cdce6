// The player's files: the preferences in korvat.ini and the game log in
// LOG.DAT.
#pragma once

#include <string>

namespace korvat {

// Reads the fourteen settings through the platform's INI calls; a missing
// key gives its default, and a CardBack, TableBack, Move or Right outside
// its range falls back to its default.
void readPreferences();
// Writes the fourteen settings in their fixed order, each as "%u", with
// LastGame taken from the game being played. A failed write is reported.
void writePreferences();

// Where the log is kept: "LOG.DAT" in the current folder.
extern std::string logFilePath;
// Whether writeLog may write the log file: not before readLog has looked
// at it (a start that failed earlier must not write an empty log over the
// player's), and not after a log file that exists could not be read (that
// file is then kept as it is for the rest of the run).
extern bool logWritable;

// Reads the log file into gameLog. A missing file leaves the log as it is
// (empty at start-up); a file that cannot be read or fails its checks is
// reported once and leaves the log empty and the file alone.
void readLog();
// Writes gameLog whole to the log file; a failed write is reported.
void writeLog();

}  // namespace korvat
