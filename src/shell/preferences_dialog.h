// The "Preferences" dialog (resource 1401) without a toolkit: its controls
// with their ids, texts and places in dialog units, and its dialog
// procedure. Every click changes the preferences at once; OK writes them.
#pragma once

namespace korvat {

namespace PreferencesId {
constexpr int Ok = 1;
constexpr int Prompt = 1800, AllowCheat = 1801, AllowCounter = 1802, AllowUndo = 1803, Seed = 1804;
constexpr int Three = 1805, Unlimit = 1806, Sound = 1807, Sizes = 1808;
constexpr int Move286 = 1809, Move386 = 1810, Move486 = 1811, Move586 = 1812;
constexpr int ExplainRules = 1813, Autoplay = 1814;
constexpr int CardBackDown = 1815, CardBackUp = 1816, TableBackDown = 1817, TableBackUp = 1818;
constexpr int Winnable = 1819;  // after the controls above: New, Page Up and Page Down deal winnable deals only
constexpr int None = -1;  // group boxes
}  // namespace PreferencesId

enum class PreferencesControlKind { GroupBox, CheckBox, RadioButton, PushButton, DefaultPushButton };

struct PreferencesControl {
    PreferencesControlKind kind;
    int id;
    const char* text;
    int x, y, width, height;  // dialog units
    bool startsGroup;         // the first radio button of its group
};

constexpr const char* kPreferencesTitle = "Preferences";
constexpr const char* kPreferencesFont = "Times New Roman";
constexpr int kPreferencesPointSize = 11;
// The height grew by a row for the "Winnable deals only." box under OK.
constexpr int kPreferencesWidth = 187, kPreferencesHeight = 198;  // dialog units

extern const PreferencesControl kPreferencesControls[];
extern const int kPreferencesControlCount;

// Whether a check box or radio button is marked: from the preferences.
bool preferencesControlChecked(int id);

// A click on a control of the dialog. Returns true when the dialog closes
// (OK, after the preferences have been written).
bool preferencesDialogCommand(int id);

// Closes the card counter window; set by the window while it can exist.
extern void (*closeCounterWindow)();

}  // namespace korvat
