#include "play/game.h"
#include "shell/program.h"

#include "model/catalogue.h"
#include "model/deck.h"
#include "model/drawing.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "model/score.h"
#include "play/autoplay.h"
#include "play/pointer.h"
#include "play/redo.h"
#include "shell/commands.h"
#include "shell/file_commands.h"
#include "shell/help.h"
#include "shell/history_recorder.h"
#include "shell/menu.h"
#include "shell/rules_text.h"
#include "store/persistence.h"
#include "view/pictures.h"
#include "view/table_drawing.h"

namespace korvat {

std::string gameFileName;
ShellHooks shellHooks;

// The end of every timer tick: the log and the history written when changed.
static void afterTick() {
    writeLogIfChanged();
    historyRecorder::tick();
}

bool startProgram(const std::string& commandLine) {
    gameFileName.clear();
    gameFileName += commandLine;
    readPreferences();
    if (!view::openGraphics()) return false;
    platform().loadSounds();
    platform().loadCursor();
    if (!view::loadLargeCards()) return false;
    view::installTableDrawing();
    explainRulesHook = explainRules;
    platform().startTimer(1, 100);
    effectRandom.state = platform().tickCount();
    readLog();
    // From now on every deal entered in the log, and every win, is on disk
    // by the next timer tick (within 100 ms), off the path of the move; so
    // is the history of the deals played, opened at the first tick. A log
    // that could not be read is not taken into the history.
    logChanged = noteLogChanged;
    historyRecorder::begin(history::defaultPath(), historyRecorder::Mode::Window, logWritable);
    afterScoreTick = afterTick;
    // The saved game named on the command line; when there is none, or it
    // cannot be loaded, the last game played is dealt.
    if (openStartingGame()) return true;
    selectGame(prefs.LastGame);
    startGame(newGameNumber());
    return true;
}

void shutDownProgram() {
    historyRecorder::end();
    writeLog();
    logChanged = nullptr;
    afterScoreTick = nullptr;
    writePreferences();
    platform().stopTimer(1);
    if (table.smallCards)
        view::freeSmallCards();
    else
        view::freeLargeCards();
    platform().destroyCursor();
    platform().freeSounds();
    view::closeGraphics();
}

static void chooseGame(int id) {
    selectGame(id);
    startGame(newGameNumber());
    gameFileName.clear();
    table.logIndex = findLogEntry();
    updateStatusLine();
}

bool runCommand(int id) {
    if (carrying()) return true;
    switch (id) {
        case Command::New:
            if (commandNew()) gameFileName.clear();
            break;
        case Command::Restart: commandRestart(); break;
        case Command::Exit:
            return !confirm("Are you sure you want to quit?");
        case Command::ShowAllCards:
            if (!prefs.AllowCheat) {
                featureDisabled();
                break;
            }
            table.showAllCards = table.showAllCards ? 0 : 1;
            repaintTable();
            break;
        case Command::CardCounter:
            if (!prefs.AllowCounter) {
                featureDisabled();
                break;
            }
            if (!table.counterOpen && shellHooks.openCounter) shellHooks.openCounter();
            break;
        case Command::Graph:
            if (table.graphOpen) break;
            table.logMatchCount = countLogEntries();
            if (table.logMatchCount == 0) {
                platform().messageBox("Not enough data for graph.", "CANNOT MAKE GRAPH.", Mb::Ok | Mb::IconStop);
                break;
            }
            if (shellHooks.openGraph) shellHooks.openGraph();
            break;
        case Command::Select:
            if (!confirm("Select new game?")) break;
            if (shellHooks.openSelectGame) shellHooks.openSelectGame();
            break;
        case Command::Database:
            table.logMatchCount = countLogEntries();
            if (table.logMatchCount == 0) {
                platform().messageBox("No games of this type are in the database .", "NONE YET.",
                                      Mb::Ok | Mb::IconStop);
                break;
            }
            if (shellHooks.openLoggedGame) shellHooks.openLoggedGame();
            break;
        case Command::EditMode:
            table.editMode = table.editMode ? 0 : 1;
            repaintTable();
            break;
        case Command::EditPile:
            if (!table.editMode) {
                platform().messageBox("Not in edit mode.  Turn on Edit mode in 'Options' menu.", "NOT IN EDIT MODE.",
                                      Mb::Ok | Mb::IconStop);
                break;
            }
            if (!confirm("Edit this game?  The game will have to be restarted.")) break;
            if (shellHooks.openPileEditor) shellHooks.openPileEditor();
            break;
        case Command::Undo: commandUndo(); break;
        case Command::Redo: commandRedo(); break;
        case Command::Auto: commandAuto(); break;
        case Command::Step: commandStep(); break;
        case Command::Rules: platform().openHelp(helpBookOf(currentGame->commandId), currentGame->commandId); break;
        case Command::Contents: platform().openHelp("korvat.hlp", 1); break;
        case Command::About:
            if (shellHooks.about)
                shellHooks.about();
            else
                platform().messageBox("Korvat\nVersion 2.1", "About Korvat", Mb::Ok | Mb::IconInformation);
            break;
        case Command::Open:
            commandOpen();
            checkRedo();  // a game read is another table
            break;
        case Command::Save: commandSave(); break;
        case Command::SaveAs: commandSaveAs(); break;
        case Command::Preferences:
            if (shellHooks.openPreferences) shellHooks.openPreferences();
            break;
        case Command::ResetLog: commandResetLog(); break;
        case Command::ChooseGame:
            if (shellHooks.chooseGame)
                if (const int chosen = shellHooks.chooseGame(); findGameRow(chosen) >= 0) chooseGame(chosen);
            break;
        case Command::Statistics:
            if (shellHooks.openStatistics) shellHooks.openStatistics();
            break;
        default:
            if (findGameRow(id) >= 0) chooseGame(id);
            break;
    }
    return true;
}

// Moves the edited pile to a new grid place and lays the table out again.
static void moveEditedPile(int dColumn, int dRow) {
    Pile* p = pileAt(editPile);
    if (!p) return;
    p->column += dColumn;
    p->row += dRow;
    if (p->column < 0) p->column = table.maxColumn;
    if (p->column > table.maxColumn) p->column = 0;
    if (p->row < 0) p->row = table.maxRow;
    if (p->row > table.maxRow) p->row = 0;
    positionPiles();
    layoutAllPiles();
    repaintTable();
}

void keyDown(int key) {
    if (carrying()) return;
    switch (key) {
        case Key::PageUp:
            keyPageUp();
            gameFileName.clear();
            return;
        case Key::PageDown:
            keyPageDown();
            gameFileName.clear();
            return;
        default: break;
    }
    if (!table.editMode) return;
    switch (key) {
        case Key::Tab:
            if (++editPile >= currentGame->pileCount) editPile = 0;
            repaintTable();
            break;
        case Key::Enter:
            if (Pile* p = pileAt(editPile)) {
                if (++p->fan > 2) p->fan = 0;
                layoutAllPiles();
                repaintTable();
            }
            break;
        case Key::Left: moveEditedPile(-1, 0); break;
        case Key::Right: moveEditedPile(1, 0); break;
        case Key::Up: moveEditedPile(0, -1); break;
        case Key::Down: moveEditedPile(0, 1); break;
        default: break;
    }
}

}  // namespace korvat
