#include "store/persistence.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "model/catalogue.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "model/score.h"
#include "store/bytes.h"
#include "store/logfile.h"

namespace korvat {

std::string logFilePath = "LOG.DAT";
bool logWritable = false;

namespace {

constexpr const char* kSection = "Prefs";

// The settings whose value picks a picture, a speed or a button action;
// any other value read from the file is replaced by the default.
bool rangeChecked(const PreferenceKey& key) {
    return key.field == &Preferences::CardBack || key.field == &Preferences::TableBack ||
           key.field == &Preferences::Move || key.field == &Preferences::Right;
}

const PreferenceKey& keyNamed(const char* name) { return *findPreferenceKey(name); }

}  // namespace

void readPreferences() {
    const Preferences defaults;
    for (const PreferenceKey& key : preferenceKeys) {
        const int32_t fallback = defaults.*key.field;
        int32_t value = platform().iniReadInt(kSection, key.name, fallback);
        if (rangeChecked(key) && (value < key.lowest || value > key.highest)) value = fallback;
        prefs.*key.field = value;
    }
}

void writePreferences() {
    static const char* const order[kPreferenceCount] = {"CardBack", "TableBack", "Move",      "LastGame", "Right",
                                                        "Prompt",   "AllowCheat", "AllowCounter", "AllowUndo",
                                                        "Seed",     "Three",     "Unlimit",   "Sound",    "Sizes"};
    std::vector<std::pair<std::string, std::string>> values;
    for (const char* name : order) {
        const PreferenceKey& key = keyNamed(name);
        int32_t value = prefs.*key.field;
        if (key.field == &Preferences::LastGame && currentGame) value = currentGame->commandId;
        char text[16];
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
        values.emplace_back(name, text);
    }
    if (!platform().iniWriteStrings(kSection, values))
        platform().messageBox("The preferences could not be saved in korvat.ini.", "MODERATE ERROR",
                              Mb::Ok | Mb::IconExclamation);
}

namespace {

// The log as this program last read it from, or wrote it to, the file at
// `path`: what the file held before other copies changed it.
struct LogOnDisk {
    std::string path;
    GameLog log{};
};
LogOnDisk logOnDisk;
bool logPending = false;
bool replaceOnDisk = false;

void remember(const GameLog& log) {
    logOnDisk.path = logFilePath;
    logOnDisk.log = log;
}

const GameLog& lastOnDisk() {
    static const GameLog none{};
    return logOnDisk.path == logFilePath ? logOnDisk.log : none;
}

void report(const std::string& error) {
    const std::string text = "The game log could not be saved.\n\n" + error;
    platform().messageBox(text.c_str(), "MODERATE ERROR", Mb::Ok | Mb::IconExclamation);
}

// Takes the merged log as the log in memory; the current deal keeps its
// entry wherever the merge put it.
void adopt(const GameLog& merged) {
    if (std::memcmp(merged.data(), gameLog.data(), sizeof(LogEntry) * gameLog.size()) == 0) return;
    const int index = table.logIndex;
    const bool logged = index >= 0 && index < kLogEntries && gameLog[static_cast<size_t>(index)].status != 0;
    const LogEntry current = logged ? gameLog[static_cast<size_t>(index)] : LogEntry{};
    gameLog = merged;
    if (logged) {
        table.logIndex = -1;
        for (int i = 0; i < kLogEntries; ++i) {
            const LogEntry& e = gameLog[static_cast<size_t>(i)];
            if (e.status != LogStatus::Free && e.gameNumber == current.gameNumber &&
                e.gameIndex == current.gameIndex) {
                table.logIndex = i;
                break;
            }
        }
    }
    updateStatusLine();
    if (logReplaced) logReplaced();
}

// The read-modify-write of the log file, under its lock.
bool writeLogLocked(std::string& error) {
    FileLock lock;
    bool created = false;
    if (!lock.lock(logFilePath, error, 5000, &created)) return false;
    GameLog merged = gameLog;
    int dropped = 0;
    if (!replaceOnDisk) {
        GameLog disk{};
        bool missing = false;
        std::string readError;
        if (!readLogFile(logFilePath, disk, readError, &missing)) {
            if (!missing) {
                // The file has become something that is not our log: it is
                // kept as it is, and left alone from now on.
                logWritable = false;
                error = readError + "\n\nThe file is kept as it is: the games of this session are logged in "
                                    "memory only and are not written to it.";
                return false;
            }
        }
        struct stat st {};
        const bool empty = created || missing || (::stat(logFilePath.c_str(), &st) == 0 && st.st_size == 0);
        // An empty or missing file tells nothing of the other copies: the
        // log in memory is written as it is.
        if (!empty) {
            const int index = table.logIndex;
            const LogEntry* current =
                index >= 0 && index < kLogEntries ? &gameLog[static_cast<size_t>(index)] : nullptr;
            merged = mergeLogs(lastOnDisk(), gameLog, disk, current, dropped);
        }
    }
    if (!writeLogFile(logFilePath, merged, error)) return false;
    replaceOnDisk = false;
    remember(merged);
    adopt(merged);
    if (dropped > 0)
        platform().messageBox("Log file is full.  Make a copy and reset stats.", "MODERATE ERROR",
                              Mb::Ok | Mb::IconExclamation);
    return true;
}

}  // namespace

bool loadLog(std::string& error, bool* missing) {
    bool none = false;
    if (!readLogFile(logFilePath, gameLog, error, &none)) {
        if (missing) *missing = none;
        if (none) remember(GameLog{});
        return false;
    }
    if (missing) *missing = false;
    remember(gameLog);
    return true;
}

void readLog() {
    std::string error;
    bool missing = false;
    logWritable = true;
    if (loadLog(error, &missing) || missing) return;
    logWritable = false;
    const std::string text = error +
                             "\n\nThe file is kept as it is: the games of this session are logged in memory only "
                             "and are not written to it.";
    platform().messageBox(text.c_str(), "MODERATE ERROR", Mb::Ok | Mb::IconExclamation);
}

void writeLog() {
    logPending = false;
    if (!logWritable) return;
    std::string error;
    if (!writeLogLocked(error)) report(error);
}

void noteLogChanged() { logPending = true; }

void writeLogIfChanged() {
    if (logPending) writeLog();
}

void writeResetLog() {
    replaceOnDisk = true;
    writeLog();
}

}  // namespace korvat
