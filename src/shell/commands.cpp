#include "play/game.h"
#include "shell/commands.h"

#include "model/deal.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/autoplay.h"
#include "play/moves.h"
#include "play/pointer.h"

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

static void dealNumber(uint32_t number) {
    gameNumber = number;
    dealRandom.state = gameNumber;
    startGame();
}

bool commandNew() {
    if (carrying() || !confirm("Start new game?")) return false;
    newGameNumber();
    startGame();
    return true;
}

bool commandRestart() {
    if (carrying() || !confirm("Restart this game?")) return false;
    dealNumber(gameNumber);
    return true;
}

void commandUndo() {
    if (carrying()) return;
    if (!prefs.AllowUndo) {
        featureDisabled();
        return;
    }
    undo();
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
    if (carrying()) return;
    dealNumber(gameNumber + 1);
}

void keyPageDown() {
    if (carrying()) return;
    dealNumber(gameNumber - 1);
}

}  // namespace korvat
