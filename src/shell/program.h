// The program's shell without a toolkit: start-up and shut-down in their
// order, the menu commands and the keys. The desktop program routes its
// window events here.
#pragma once

#include <string>

namespace korvat {

// The current saved-game file name, or empty.
extern std::string gameFileName;

// Window creation: preferences, pictures, sounds, cursor, timer, the log,
// then the first game. False after a fatal error (the caller ends the
// program with status 1).
bool startProgram(const std::string& commandLine);
// Window destruction: the log and the preferences are written, everything freed.
void shutDownProgram();

// A menu command. Ignored while cards are carried. Returns false when the
// command asks the program to end (Exit, answered Yes).
bool runCommand(int id);

// Key codes of the keys the table answers.
namespace Key {
constexpr int Tab = 9, Enter = 13, PageUp = 33, PageDown = 34, Left = 37, Up = 38, Right = 39, Down = 40;
}
// A key press. Ignored while cards are carried.
void keyDown(int key);

// A hook the desktop program sets to show its about box, help and the
// windows and dialogs that later parts of the program add.
struct ShellHooks {
    void (*about)() = nullptr;
    // Create and show the card counter window, the graph window (the
    // commands have checked that they may, and that neither is open).
    void (*openCounter)() = nullptr;
    void (*openGraph)() = nullptr;
    // Show the "Select Game" dialog, the "Select logged game" dialog and
    // the pile editor modally on the main window; each returns when its
    // dialog has closed.
    void (*openSelectGame)() = nullptr;
    void (*openLoggedGame)() = nullptr;
    void (*openPileEditor)() = nullptr;
    // Show the "Preferences" dialog modally on the main window.
    void (*openPreferences)() = nullptr;
    // The game chooser: the command id of the game chosen, 0 for none.
    int (*chooseGame)() = nullptr;
    // The statistics of the history, modally on the main window.
    void (*openStatistics)() = nullptr;
};
extern ShellHooks shellHooks;

}  // namespace korvat
