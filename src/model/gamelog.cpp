#include "model/gamelog.h"

#include <cstring>

#include "model/deck.h"
#include "model/platform.h"
#include "model/records.h"

namespace korvat {

GameLog gameLog{};
void (*logChanged)() = nullptr;
void (*logReplaced)() = nullptr;

static bool isCurrentDeal(const LogEntry& e) {
    return e.status != LogStatus::Free && e.gameNumber == gameNumber && e.gameIndex == table.gameIndex;
}

int findLogEntry() {
    for (int i = 0; i < kLogEntries; ++i)
        if (isCurrentDeal(gameLog[static_cast<size_t>(i)])) return i;
    return -1;
}

int addLogEntry() {
    int found = findLogEntry();
    if (found != -1) return found;
    for (int i = 0; i < kLogEntries; ++i) {
        LogEntry& e = gameLog[static_cast<size_t>(i)];
        if (e.status == LogStatus::Free) {
            e.status = LogStatus::Started;
            e.gameNumber = gameNumber;
            e.gameIndex = table.gameIndex;
            if (logChanged) logChanged();
            return i;
        }
    }
    platform().messageBox("Log file is full.  Make a copy and reset stats.", "MODERATE ERROR",
                          Mb::Ok | Mb::IconExclamation);
    return -1;
}

int countLogEntries() {
    int n = 0;
    for (const LogEntry& e : gameLog)
        if (e.status != LogStatus::Free && e.gameIndex == table.gameIndex) ++n;
    return n;
}

int nthLogEntry(int n) {
    if (n < 0) return -1;
    for (int i = 0; i < kLogEntries; ++i) {
        const LogEntry& e = gameLog[static_cast<size_t>(i)];
        if (e.status != LogStatus::Free && e.gameIndex == table.gameIndex && n-- == 0) return i;
    }
    return -1;
}

int logPosition() {
    int position = 0;
    for (const LogEntry& e : gameLog) {
        if (e.status == LogStatus::Free || e.gameIndex != table.gameIndex) continue;
        if (e.gameNumber == gameNumber) return position;
        ++position;
    }
    return -1;
}

void resetLog() { std::memset(gameLog.data(), 0, sizeof(LogEntry) * gameLog.size()); }

}  // namespace korvat
