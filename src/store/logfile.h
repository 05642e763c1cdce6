// LOG.DAT: the game log on disk, exactly 28672 bytes, the 1024 entries of
// 28 bytes each in table order, every integer little-endian, no header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/gamelog.h"

namespace korvat {

// Reads the file at `path` into `log`; a file shorter than 28672 bytes
// fills the leading entries and leaves the rest zero, and a longer one is
// no game log. The file is checked
// before `log` is touched: every status must be 0, 1 or 2 and every used
// entry's gameIndex a catalogue row. A description with no terminating zero
// is read as at most 14 characters. Returns false with a reason in `error`
// (and `log` unchanged) when the file cannot be opened, cannot be read or
// fails a check; `missing` is set when there is no such file at all.
bool readLogFile(const std::string& path, GameLog& log, std::string& error, bool* missing = nullptr);

// Writes the whole log, 28672 bytes, to a temporary file renamed over the
// file at `path`. False with a reason in `error` when it could not be
// written; the old file is then untouched.
bool writeLogFile(const std::string& path, const GameLog& log, std::string& error);

// Merges the log of this program with the log another copy of it wrote to
// the file meanwhile. `base` is the log as this program last read or wrote
// the file, `mine` the log in memory, `disk` the file as it is now. The
// result keeps the file's entries in their order and adds, in their order
// after them, the deals logged here that the file lacks. One deal (game and
// number) is one entry: completed wins over started, and a description
// typed here since `base` wins over the file's. A deal that was in `base`,
// is unchanged here and is gone from the file was removed there (the log
// was reset) and stays removed, unless it is `current` (the deal being
// played here). Deals that find no free entry are counted in `dropped`.
GameLog mergeLogs(const GameLog& base, const GameLog& mine, const GameLog& disk, const LogEntry* current,
                  int& dropped);

// The same on bytes in memory (used by the two above and by the fuzz target).
bool decodeLog(const uint8_t* data, size_t size, GameLog& log, std::string& error);
std::vector<uint8_t> encodeLog(const GameLog& log);

}  // namespace korvat
