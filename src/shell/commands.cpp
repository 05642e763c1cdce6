#include "play/game.h"
#include "shell/commands.h"

#include "model/deck.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/autoplay.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "play/redo.h"
#include "shell/history_recorder.h"
#include "shell/solver_service.h"

namespace korvat {

bool confirm(const char* text) {
    if (prefs.Prompt)
        table.answer = platform().messageBox(text, "ARE YOU SURE?", Mb::YesNo | Mb::IconQuestion);
    else
        table.answer = IdYes;
    return table.answer == IdYes;
}

void featureDisabled() {
    platform().messageBox("This feature has been disabled.  Go to preferences to enable this feature.", "WAIT!",
                          Mb::Ok);
}

bool commandNew() {
    if (carrying() || !confirm("Start new game?")) return false;
    uint32_t winnable;
    if (!winnableDeal(newGameNumber(), 1, winnable)) return false;  // none found, or cancelled: the deal stays
    startGame(winnable);
    return true;
}

bool commandRestart() {
    if (carrying() || !confirm("Restart this game?")) return false;
    startGame(gameNumber);
    return true;
}

void commandUndo() {
    if (carrying()) return;
    if (!prefs.AllowUndo) {
        featureDisabled();
        return;
    }
    if (table.undoCount > 0) historyRecorder::helpUsed(historyRecorder::Help::Undo);
    undo();
}

void commandRedo() {
    if (carrying()) return;
    if (!prefs.AllowUndo) {
        featureDisabled();
        return;
    }
    redo();
}

void commandAuto() {
    if (carrying()) return;
    while (autoStep()) {
    }
}

void commandStep() {
    if (carrying()) return;
    autoStep();
}

void keyPageUp() {
    uint32_t number;
    if (carrying() || !winnableDeal(gameNumber + 1, 1, number)) return;
    startGame(number);
}

void keyPageDown() {
    uint32_t number;
    if (carrying() || !winnableDeal(gameNumber - 1, -1, number)) return;
    startGame(number);
}

}  // namespace korvat
