// Feeds arbitrary bytes to the game log reader. Whatever the bytes, it stays
// inside its buffers; a log it accepts keeps the log's rules (known status,
// a catalogue row for every used entry, descriptions of at most 14
// characters) and is written and read back unchanged. Merged with the log
// of another program (the same bytes read from their middle on), the file's
// entries keep their places and every deal of this program is there,
// unless it found no free entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "model/gamelog.h"
#include "store/logfile.h"

using namespace korvat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static GameLog log;
    static GameLog back;
    std::string error;
    log[0].status = 99;  // must be overwritten or left by a refusal
    if (!decodeLog(data, size, log, error)) {
        if (error.empty() || log[0].status != 99) std::abort();
        return 0;
    }
    for (const LogEntry& e : log) {
        if (e.status < 0 || e.status > 2) std::abort();
        if (e.status != 0 && (e.gameIndex < 0 || e.gameIndex >= kGameCount)) std::abort();
        if (!std::memchr(e.description, 0, kDescriptionChars + 1)) std::abort();
    }
    const std::vector<uint8_t> bytes = encodeLog(log);
    if (bytes.size() != static_cast<size_t>(kLogBytes)) std::abort();
    if (!decodeLog(bytes.data(), bytes.size(), back, error)) std::abort();
    if (encodeLog(back) != bytes) std::abort();

    static GameLog disk;
    if (!decodeLog(data + size / 2, size - size / 2, disk, error)) return 0;
    int dropped = 0;
    const GameLog merged = mergeLogs(GameLog{}, log, disk, nullptr, dropped);
    for (size_t i = 0; i < disk.size(); ++i)
        if (disk[i].status != 0 && (merged[i].gameNumber != disk[i].gameNumber ||
                                    merged[i].gameIndex != disk[i].gameIndex || merged[i].status < disk[i].status))
            std::abort();
    if (dropped == 0)
        for (const LogEntry& m : log) {
            if (m.status == 0) continue;
            bool found = false;
            for (const LogEntry& e : merged)
                found = found || (e.status >= m.status && e.gameNumber == m.gameNumber && e.gameIndex == m.gameIndex);
            if (!found) std::abort();
        }
    return 0;
}
