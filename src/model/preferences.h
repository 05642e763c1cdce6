// The fourteen user settings, each named after its key in korvat.ini.
// Switches are 0 for off and any other value for on; the preferences dialog
// stores on as -1.
#pragma once

#include <cstdint>

namespace korvat {

struct Preferences {
    int32_t Prompt = 0;         // ask "ARE YOU SURE?" before New, Open, Restart...
    int32_t AllowCheat = 0;     // Show All Cards may be used
    int32_t AllowCounter = -1;  // the card counter may be used
    int32_t AllowUndo = -1;     // Undo may be used
    int32_t Seed = 0;           // the title shows the deal number
    int32_t Three = 0;          // dealThree piles deal three cards at a time
    int32_t Unlimit = 0;        // unlimited redeals in every game
    int32_t Sound = -1;         // sounds are played
    int32_t Sizes = 0;          // pile sizes are written on the table
    int32_t CardBack = 6;       // 0..7
    int32_t TableBack = 15;     // 0..15
    int32_t Move = 2;           // glide speed 0..3: 2^(Move+4) frames
    int32_t Right = 0;          // right button: 0 explains rules, 1 autoplays
    int32_t LastGame = 827;     // command id of the game started at start-up
};

extern Preferences prefs;

}  // namespace korvat

namespace korvat {

// The settings by their korvat.ini keys, in the record's order, with the
// values each may take. Switches take any value (0 is off).
struct PreferenceKey {
    const char* name;
    int32_t Preferences::*field;
    int64_t lowest;
    int64_t highest;
    bool isSwitch;
};

constexpr int kPreferenceCount = 14;
extern const PreferenceKey preferenceKeys[kPreferenceCount];

// The key of that name, or null.
const PreferenceKey* findPreferenceKey(const char* name);

}  // namespace korvat
