// The main menu as one table: the desktop program builds its menu bar from
// it, and the help contents lists the games from it.
#pragma once

namespace korvat {

namespace MenuKind {
constexpr int Popup = 0;      // opens the items of the next depth that follow it
constexpr int Command = 1;    // sends its command id
constexpr int Separator = 2;
}  // namespace MenuKind

struct MenuEntry {
    int depth;         // 0 on the menu bar
    int kind;          // MenuKind
    const char* text;  // "&" marks the mnemonic
    int id;            // command id of a Command
    bool rightEnd;     // placed at the right end of the menu bar
};

extern const MenuEntry kMainMenu[];
extern const int kMainMenuSize;

// Command ids of the menu.
namespace Command {
constexpr int New = 100, Open = 101, Save = 102, SaveAs = 103, Restart = 104, Select = 105, Exit = 106;
constexpr int ShowAllCards = 200, CardCounter = 201, Preferences = 202, Graph = 203, Database = 204;
constexpr int ResetLog = 205, EditMode = 206, EditPile = 207;
constexpr int Undo = 300, Auto = 301, Step = 302, Rules = 303;
constexpr int Contents = 400, About = 401;
// After the items above: the actions Undo took back, made again.
constexpr int Redo = 304;
// After the items above, in the Solver menu: the next move of a winning
// line, and the line played out.
constexpr int Hint = 310, Demo = 311;
// After the items above: File > Choose Game... (any game found by its
// name) and Options > Statistics... (of the history of the deals played).
constexpr int ChooseGame = 107, Statistics = 208;
// After them: the review of a deal that can no longer be won.
constexpr int WhereWrong = 312;
}  // namespace Command

// The keys of the menu commands, in Qt's portable key names ("Ctrl+N").
// The first key of a command is the one its menu item shows; the others
// do the same.
struct MenuKeys {
    int id;
    const char* keys[2];
};
extern const MenuKeys kMenuKeys[];
extern const int kMenuKeysSize;

// The menu text of a game ("&Aces Up" for command 833), or null.
const char* gameMenuText(int commandId);

}  // namespace korvat
