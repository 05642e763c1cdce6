#include "play/game.h"
#include "shell/preferences_dialog.h"

#include "model/deck.h"
#include "model/drawing.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "model/score.h"
#include "store/persistence.h"
#include "shell/solver_service.h"

namespace korvat {

void (*closeCounterWindow)() = nullptr;

namespace {

using Kind = PreferencesControlKind;
namespace Id = PreferencesId;

// Switching a setting: an off switch becomes -1, an on one (whatever its
// value) becomes 0, so that the check mark always tells the truth.
void invert(int32_t& value) { value = value ? 0 : -1; }

// The switch a check box stands for.
int32_t* switchOf(int id) {
    switch (id) {
        case Id::Prompt: return &prefs.Prompt;
        case Id::AllowCheat: return &prefs.AllowCheat;
        case Id::AllowCounter: return &prefs.AllowCounter;
        case Id::AllowUndo: return &prefs.AllowUndo;
        case Id::Seed: return &prefs.Seed;
        case Id::Three: return &prefs.Three;
        case Id::Unlimit: return &prefs.Unlimit;
        case Id::Sound: return &prefs.Sound;
        case Id::Sizes: return &prefs.Sizes;
        case Id::Winnable: return &winnableDealsOnly;
        default: return nullptr;
    }
}

void askUnlimit() {
    table.answer = platform().messageBox("The game must be restarted if redeal status is changed.", "ARE YOU SURE?",
                                         Mb::OkCancel | Mb::IconQuestion);
    if (table.answer != IdOk) return;  // the check mark goes back to match the setting
    invert(prefs.Unlimit);
    startGame(gameNumber);
}

}  // namespace

const PreferencesControl kPreferencesControls[] = {
    {Kind::GroupBox, Id::None, "Preferences", 5, 5, 105, 150, false},
    {Kind::CheckBox, Id::Prompt, "Display prompt.", 10, 20, 95, 10, false},
    {Kind::CheckBox, Id::AllowCheat, "Allow display all cards.", 10, 35, 95, 10, false},
    {Kind::CheckBox, Id::AllowCounter, "Allow card counter.", 10, 50, 95, 10, false},
    {Kind::CheckBox, Id::AllowUndo, "Allow undo.", 10, 65, 95, 10, false},
    {Kind::CheckBox, Id::Seed, "Display game seed.", 10, 80, 95, 10, false},
    {Kind::CheckBox, Id::Three, "Allow deal three.", 10, 95, 95, 10, false},
    {Kind::CheckBox, Id::Unlimit, "Allow unlimited redeals.", 10, 110, 95, 10, false},
    {Kind::CheckBox, Id::Sound, "Enable sounds.", 10, 125, 95, 10, false},
    {Kind::CheckBox, Id::Sizes, "Show pile sizes.", 10, 140, 95, 10, false},
    {Kind::GroupBox, Id::None, "Card back", 115, 5, 65, 35, false},
    {Kind::PushButton, Id::CardBackDown, "Down", 120, 20, 25, 15, false},
    {Kind::PushButton, Id::CardBackUp, "Up", 150, 20, 25, 15, false},
    {Kind::GroupBox, Id::None, "Table back", 115, 40, 65, 35, false},
    {Kind::PushButton, Id::TableBackDown, "Down", 120, 55, 25, 15, false},
    {Kind::PushButton, Id::TableBackUp, "Up", 150, 55, 25, 15, false},
    {Kind::GroupBox, Id::None, "Processor", 115, 75, 65, 40, false},
    {Kind::RadioButton, Id::Move286, "286", 120, 85, 20, 10, true},
    {Kind::RadioButton, Id::Move386, "386", 120, 100, 20, 10, false},
    {Kind::RadioButton, Id::Move486, "486", 150, 85, 20, 10, false},
    {Kind::RadioButton, Id::Move586, "586", 150, 100, 20, 10, false},
    {Kind::GroupBox, Id::None, "Right button.", 115, 115, 65, 40, false},
    {Kind::RadioButton, Id::ExplainRules, "Display rules.", 120, 125, 55, 10, true},
    {Kind::RadioButton, Id::Autoplay, "Autoplay cards.", 120, 140, 55, 10, false},
    {Kind::DefaultPushButton, Id::Ok, "OK", 66, 160, 55, 15, false},
    {Kind::CheckBox, Id::Winnable, "Winnable deals only.", 10, 180, 170, 10, false},
};
const int kPreferencesControlCount = static_cast<int>(sizeof kPreferencesControls / sizeof kPreferencesControls[0]);

bool preferencesControlChecked(int id) {
    if (const int32_t* value = switchOf(id)) return *value != 0;
    if (id >= Id::Move286 && id <= Id::Move586) return prefs.Move == id - Id::Move286;
    if (id == Id::ExplainRules || id == Id::Autoplay) return prefs.Right == id - Id::ExplainRules;
    return false;
}

bool preferencesDialogCommand(int id) {
    switch (id) {
        case Id::AllowCheat:
            invert(prefs.AllowCheat);
            if (!prefs.AllowCheat && table.showAllCards) table.showAllCards = 0;
            repaintTable();
            break;
        case Id::AllowCounter:
            invert(prefs.AllowCounter);
            if (!prefs.AllowCounter && closeCounterWindow) closeCounterWindow();
            break;
        case Id::Seed:
            invert(prefs.Seed);
            updateStatusLine();
            break;
        case Id::Unlimit: askUnlimit(); break;
        case Id::Sizes:
            invert(prefs.Sizes);
            repaintTable();
            break;
        case Id::Prompt:
        case Id::Winnable:
        case Id::AllowUndo:
        case Id::Three:
        case Id::Sound: invert(*switchOf(id)); break;
        case Id::Move286:
        case Id::Move386:
        case Id::Move486:
        case Id::Move586: prefs.Move = id - Id::Move286; break;
        case Id::ExplainRules:
        case Id::Autoplay: prefs.Right = id - Id::ExplainRules; break;
        case Id::CardBackDown:
        case Id::CardBackUp:
            prefs.CardBack = (prefs.CardBack + (id == Id::CardBackUp ? 1 : -1)) & 7;
            repaintTable();
            break;
        case Id::TableBackDown:
        case Id::TableBackUp:
            prefs.TableBack = (prefs.TableBack + (id == Id::TableBackUp ? 1 : -1)) & 15;
            repaintTable();
            break;
        case Id::Ok:
            writePreferences();
            writeWinnableSetting();
            repaintTable();
            return true;
        default: break;
    }
    return false;
}

}  // namespace korvat
