#include "store/logfile.h"

#include <cstring>

#include "model/catalogue.h"
#include "store/bytes.h"

namespace korvat {

bool decodeLog(const uint8_t* data, size_t size, GameLog& log, std::string& error) {
    GameLog fresh{};
    if (size > static_cast<size_t>(kLogBytes)) size = kLogBytes;
    // A last entry cut short by the end of the file is filled with what there
    // is and zero after it.
    uint8_t padded[kLogEntryBytes];
    for (size_t i = 0; i * kLogEntryBytes < size; ++i) {
        size_t offset = i * kLogEntryBytes;
        size_t have = size - offset < static_cast<size_t>(kLogEntryBytes) ? size - offset : kLogEntryBytes;
        std::memset(padded, 0, sizeof padded);
        std::memcpy(padded, data + offset, have);
        ByteReader in(padded, sizeof padded);
        LogEntry& e = fresh[i];
        in.u32(e.gameNumber);
        in.i32(e.gameIndex);
        in.i32(e.status);
        in.bytes(e.description, sizeof e.description);
        if (std::memchr(e.description, 0, kDescriptionChars + 1) == nullptr) {
            e.description[kDescriptionChars] = 0;
            e.description[kDescriptionChars + 1] = 0;
        }
        if (e.status != LogStatus::Free && e.status != LogStatus::Started && e.status != LogStatus::Completed) {
            error = "Entry " + std::to_string(i) + " has an unknown status (" + std::to_string(e.status) + ").";
            return false;
        }
        if (e.status != LogStatus::Free && (e.gameIndex < 0 || e.gameIndex >= kGameCount)) {
            error = "Entry " + std::to_string(i) + " names no game of this program (" +
                    std::to_string(e.gameIndex) + ").";
            return false;
        }
    }
    log = fresh;
    return true;
}

std::vector<uint8_t> encodeLog(const GameLog& log) {
    ByteWriter out;
    for (const LogEntry& e : log) {
        out.u32(e.gameNumber);
        out.i32(e.gameIndex);
        out.i32(e.status);
        out.bytes(e.description, sizeof e.description);
    }
    return out.data();
}

bool readLogFile(const std::string& path, GameLog& log, std::string& error, bool* missing) {
    std::vector<uint8_t> bytes;
    if (!readFileBytes(path, kLogBytes, bytes, error, missing)) return false;
    if (!decodeLog(bytes.data(), bytes.size(), log, error)) {
        error = "\"" + path + "\" is not a game log: " + error;
        return false;
    }
    return true;
}

bool writeLogFile(const std::string& path, const GameLog& log, std::string& error) {
    return writeFileReplacing(path, encodeLog(log), error);
}

}  // namespace korvat
