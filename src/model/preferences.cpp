#include "model/preferences.h"

#include <cstring>

namespace korvat {

Preferences prefs;

namespace {
constexpr int64_t kAnyLow = -2147483648LL;
constexpr int64_t kAnyHigh = 4294967295LL;  // a switch written as "%u"
}  // namespace

const PreferenceKey preferenceKeys[kPreferenceCount] = {
    {"Prompt", &Preferences::Prompt, kAnyLow, kAnyHigh, true},
    {"AllowCheat", &Preferences::AllowCheat, kAnyLow, kAnyHigh, true},
    {"AllowCounter", &Preferences::AllowCounter, kAnyLow, kAnyHigh, true},
    {"AllowUndo", &Preferences::AllowUndo, kAnyLow, kAnyHigh, true},
    {"Seed", &Preferences::Seed, kAnyLow, kAnyHigh, true},
    {"Three", &Preferences::Three, kAnyLow, kAnyHigh, true},
    {"Unlimit", &Preferences::Unlimit, kAnyLow, kAnyHigh, true},
    {"Sound", &Preferences::Sound, kAnyLow, kAnyHigh, true},
    {"Sizes", &Preferences::Sizes, kAnyLow, kAnyHigh, true},
    {"CardBack", &Preferences::CardBack, 0, 7, false},
    {"TableBack", &Preferences::TableBack, 0, 15, false},
    {"Move", &Preferences::Move, 0, 3, false},
    {"Right", &Preferences::Right, 0, 1, false},
    {"LastGame", &Preferences::LastGame, 0, kAnyHigh, false},
};

const PreferenceKey* findPreferenceKey(const char* name) {
    for (const PreferenceKey& key : preferenceKeys)
        if (std::strcmp(key.name, name) == 0) return &key;
    return nullptr;
}

}  // namespace korvat
