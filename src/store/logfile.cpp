#include "store/logfile.h"

#include <cstring>
#include <unordered_map>

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

namespace {

bool sameDeal(const LogEntry& a, const LogEntry& b) {
    return a.gameNumber == b.gameNumber && a.gameIndex == b.gameIndex;
}

uint64_t dealKey(const LogEntry& e) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(e.gameIndex)) << 32) | e.gameNumber;
}

// Where each deal's first used entry stands.
std::unordered_map<uint64_t, size_t> dealIndex(const GameLog& log) {
    std::unordered_map<uint64_t, size_t> index;
    index.reserve(log.size());
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].status != LogStatus::Free) index.emplace(dealKey(log[i]), i);
    return index;
}

bool sameDescription(const LogEntry& a, const LogEntry& b) {
    return std::strncmp(a.description, b.description, sizeof a.description) == 0;
}

}  // namespace

GameLog mergeLogs(const GameLog& base, const GameLog& mine, const GameLog& disk, const LogEntry* current,
                  int& dropped) {
    GameLog merged = disk;
    dropped = 0;
    const auto inBase = dealIndex(base);
    auto inMerged = dealIndex(merged);
    size_t nextFree = 0;
    for (const LogEntry& m : mine) {
        if (m.status == LogStatus::Free) continue;
        const auto b = inBase.find(dealKey(m));
        const LogEntry* before = b == inBase.end() ? nullptr : &base[b->second];
        const bool typedHere = before ? !sameDescription(m, *before) : m.description[0] != 0;
        if (const auto t = inMerged.find(dealKey(m)); t != inMerged.end()) {
            LogEntry& there = merged[t->second];
            if (m.status == LogStatus::Completed) there.status = LogStatus::Completed;
            if (typedHere) std::memcpy(there.description, m.description, sizeof m.description);
            continue;
        }
        const bool unchanged = before && before->status == m.status && !typedHere;
        const bool isCurrent = current && current->status != LogStatus::Free && sameDeal(*current, m);
        if (unchanged && !isCurrent) continue;  // removed from the file since
        while (nextFree < merged.size() && merged[nextFree].status != LogStatus::Free) ++nextFree;
        if (nextFree == merged.size()) {
            ++dropped;
            continue;
        }
        merged[nextFree] = m;
        inMerged.emplace(dealKey(m), nextFree);
    }
    return merged;
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
    if (!readFileBytes(path, kLogBytes + 1, bytes, error, missing)) return false;
    if (bytes.size() > static_cast<size_t>(kLogBytes)) {
        // Whatever follows the log is not ours to cut off at the next write.
        error = "\"" + path + "\" is not a game log: it is longer than " + std::to_string(kLogBytes) + " bytes.";
        return false;
    }
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
