// LOG.DAT: the game log on disk, exactly 28672 bytes, the 1024 entries of
// 28 bytes each in table order, every integer little-endian, no header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/gamelog.h"

namespace korvat {

// Reads up to 28672 bytes of the file at `path` into `log`; a shorter file
// fills the leading entries and leaves the rest zero. The file is checked
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

// The same on bytes in memory (used by the two above and by the fuzz target).
bool decodeLog(const uint8_t* data, size_t size, GameLog& log, std::string& error);
std::vector<uint8_t> encodeLog(const GameLog& log);

}  // namespace korvat
