#include "shell/program.h"

#include "model/catalogue.h"
#include "model/deal.h"
#include "model/drawing.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "model/score.h"
#include "play/autoplay.h"
#include "play/pointer.h"
#include "shell/commands.h"
#include "shell/help.h"
#include "shell/menu.h"
#include "shell/rules.h"
#include "store/persistence.h"
#include "view/pictures.h"
#include "view/table_drawing.h"

namespace korvat {

std::string gameFileName;
ShellHooks shellHooks;

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
    // A saved game named on the command line is opened by the saved-game
    // reader once it exists; until then the last game is dealt.
    selectGame(prefs.LastGame);
    newGameNumber();
    startGame();
    return true;
}

void shutDownProgram() {
    writeLog();
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
    newGameNumber();
    startGame();
    gameFileName.clear();
    table.logIndex = findLogEntry();
    updateStatusLine();
}

bool runCommand(int id) {
    if (carrying()) return true;
    switch (id) {
        case Command::New:
            if (!confirm("Start new game?")) break;
            newGameNumber();
            startGame();
            gameFileName.clear();
            break;
        case Command::Restart:
            if (!confirm("Restart this game?")) break;
            dealRandom.state = gameNumber;
            startGame();
            break;
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
        case Command::Undo: commandUndo(); break;
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
        case Command::Save:
        case Command::SaveAs:
        case Command::Select:
        case Command::CardCounter:
        case Command::Preferences:
        case Command::Graph:
        case Command::Database:
        case Command::ResetLog:
        case Command::EditMode:
        case Command::EditPile:
            break;  // these come with the files, the dialogs and the other windows
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
