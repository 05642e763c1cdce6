// The game log: 1024 entries remembering every deal played, in the order
// the deals were first logged.
#pragma once

#include <array>
#include <cstdint>

namespace korvat {

namespace LogStatus {
constexpr int32_t Free = 0;
constexpr int32_t Started = 1;
constexpr int32_t Completed = 2;
}  // namespace LogStatus

struct LogEntry {
    uint32_t gameNumber;
    int32_t gameIndex;
    int32_t status;
    char description[16];  // zero-terminated; at most 14 characters are stored
};

constexpr int kLogEntries = 1024;
constexpr int kLogEntryBytes = 28;
constexpr int kLogBytes = kLogEntries * kLogEntryBytes;  // 28672
constexpr int kDescriptionChars = 14;

using GameLog = std::array<LogEntry, kLogEntries>;
extern GameLog gameLog;

// Called after an entry has been added or marked completed, so that the
// program can keep the log on disk up to date; null when nobody listens.
extern void (*logChanged)();
// Called when the log has taken in what another program wrote to the file,
// so that whatever shows it (the graph) can show it again; null when nobody
// listens.
extern void (*logReplaced)();

// All of these work on the current game's gameNumber and gameIndex.
int findLogEntry();
int addLogEntry();  // shows the log-full message and returns -1 when no entry is free
int countLogEntries();
int nthLogEntry(int n);
int logPosition();
void resetLog();

}  // namespace korvat
