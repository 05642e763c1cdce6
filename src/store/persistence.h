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
// (empty at start-up); a file that cannot be read, fails its checks or is
// longer than a log is reported once and leaves the log empty and the file
// alone for the rest of the run.
void readLog();
// The same without the message: false with the reason in `error`;
// `missing` is set when there is no file at all (the log is then kept).
bool loadLog(std::string& error, bool* missing = nullptr);

// Writes gameLog to the log file, merged with what other copies of the
// program wrote there since this one last read or wrote it (see
// mergeLogs), under an advisory lock on the file held from the read to the
// rename. The merged log becomes gameLog, and logIndex follows its deal. A
// failed write is reported.
void writeLog();

// The program's answer to logChanged: the change is written by the next
// writeLogIfChanged, which the timer calls, so that no move waits for the
// disk.
void noteLogChanged();
void writeLogIfChanged();

// Options > Reset log file: the emptied log replaces the file at once,
// whatever other copies wrote to it.
void writeResetLog();

}  // namespace korvat
