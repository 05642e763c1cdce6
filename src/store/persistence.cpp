#include "store/persistence.h"

#include <cstdio>

#include "model/catalogue.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
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
    bool written = true;
    for (const char* name : order) {
        const PreferenceKey& key = keyNamed(name);
        int32_t value = prefs.*key.field;
        if (key.field == &Preferences::LastGame && currentGame) value = currentGame->commandId;
        char text[16];
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
        if (!platform().iniWriteString(kSection, name, text)) written = false;
    }
    if (!written)
        platform().messageBox("The preferences could not be saved in korvat.ini.", "MODERATE ERROR",
                              Mb::Ok | Mb::IconExclamation);
}

void readLog() {
    std::string error;
    bool missing = false;
    logWritable = true;
    if (readLogFile(logFilePath, gameLog, error, &missing) || missing) return;
    logWritable = false;
    const std::string text = error +
                             "\n\nThe file is kept as it is: the games of this session are logged in memory only "
                             "and are not written to it.";
    platform().messageBox(text.c_str(), "MODERATE ERROR", Mb::Ok | Mb::IconExclamation);
}

void writeLog() {
    if (!logWritable) return;
    std::string error;
    if (writeLogFile(logFilePath, gameLog, error)) return;
    const std::string text = "The game log could not be saved.\n\n" + error;
    platform().messageBox(text.c_str(), "MODERATE ERROR", Mb::Ok | Mb::IconExclamation);
}

}  // namespace korvat
