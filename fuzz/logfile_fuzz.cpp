// Feeds arbitrary bytes to the game log reader. Whatever the bytes, it stays
// inside its buffers; a log it accepts keeps the log's rules (known status,
// a catalogue row for every used entry, descriptions of at most 14
// characters) and is written and read back unchanged.
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
    return 0;
}
