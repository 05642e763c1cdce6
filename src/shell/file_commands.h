// The commands that use the player's files: File > Open, Save and Save As,
// Options > Reset log file, and the saved game named on the command line.
#pragma once

namespace korvat {

// File > Open: asks, shows the open dialog and loads the chosen game; then
// the current game gets its log entry. A refused file changes nothing.
void commandOpen();
// File > Save: writes over the current file after asking, or goes on as
// Save As when there is none. True when a file was written.
bool commandSave();
// File > Save As: asks for a name and writes the game there. True when a
// file was written.
bool commandSaveAs();
// Options > Reset log file.
void commandResetLog();

// The open and save dialogs: each empties gameFileName, shows its dialog
// and, when a name is chosen, keeps it in gameFileName. Open then loads the
// file (a refused file empties gameFileName again) and Save As writes it.
enum class OpenResult { Cancelled, Loaded, Refused };
OpenResult openGameDialog();
bool saveGameDialog();

// Start-up: loads the saved game in gameFileName, finds its log entry and
// refreshes the status line. False (with gameFileName emptied) when it
// could not be loaded; the caller then starts the last game played.
bool openStartingGame();

}  // namespace korvat
