#include "shell/file_commands.h"

#include <string>

#include "model/gamelog.h"
#include "model/platform.h"
#include "model/records.h"
#include "model/score.h"
#include "shell/commands.h"
#include "shell/history_recorder.h"
#include "shell/program.h"
#include "store/gamefile.h"
#include "store/persistence.h"

namespace korvat {

namespace {

bool notStarted(unsigned icon) {
    if (table.logIndex != -1) return false;
    platform().messageBox("Game has not been started.", "NO REASON TO SAVE.", Mb::Ok | icon);
    return true;
}

bool writeTo(const std::string& path) {
    std::string error;
    if (writeGameFile(path, error)) return true;
    const std::string text = "I'm sorry, but the game could not be saved.\n\n" + error;
    platform().messageBox(text.c_str(), "MAJOR ERROR!", Mb::Ok | Mb::IconExclamation);
    return false;
}

}  // namespace

OpenResult openGameDialog() {
    gameFileName.clear();
    std::string name;
    if (!platform().openFileDialog(name) || name.empty()) return OpenResult::Cancelled;
    gameFileName = name;
    if (readGameFile(gameFileName)) return OpenResult::Loaded;
    // A later Save must never write over a file that was not ours.
    gameFileName.clear();
    return OpenResult::Refused;
}

bool saveGameDialog() {
    gameFileName.clear();
    std::string name;
    if (!platform().saveFileDialog(name) || name.empty()) return false;
    gameFileName = name;
    if (writeTo(gameFileName)) return true;
    gameFileName.clear();
    return false;
}

void commandOpen() {
    if (!confirm("Open new game?")) return;
    if (openGameDialog() == OpenResult::Refused) return;
    table.logIndex = addLogEntry();
    historyRecorder::enterDeal();
    updateStatusLine();
}

bool commandSave() {
    if (notStarted(0)) return false;
    if (gameFileName.empty()) return saveGameDialog();
    if (!confirm("Save over this game?")) return false;
    return writeTo(gameFileName);
}

bool commandSaveAs() {
    if (notStarted(Mb::IconStop)) return false;
    return saveGameDialog();
}

void commandResetLog() {
    if (table.logIndex != -1) {
        platform().messageBox("Game in progress.  Complete this game first, or start a new game.", "NOT NOW.",
                              Mb::Ok | Mb::IconStop);
        return;
    }
    table.answer = platform().messageBox("Reset Log file?", "ARE YOU SURE?", Mb::YesNo | Mb::IconQuestion);
    if (table.answer != IdYes) return;
    resetLog();
    // On disk at once, as every other change of the log.
    writeResetLog();
}

bool openStartingGame() {
    if (gameFileName.empty()) return false;
    if (!readGameFile(gameFileName)) {
        gameFileName.clear();
        return false;
    }
    table.logIndex = findLogEntry();
    updateStatusLine();
    return true;
}

}  // namespace korvat
