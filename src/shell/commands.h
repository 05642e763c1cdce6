// The program's commands and keys as plain functions, shared by the desktop
// program and korvat-cli. Every one of them does nothing while cards are
// being carried.
#pragma once

namespace korvat {

// Asks an "ARE YOU SURE?" question while the Prompt preference is on, and
// otherwise answers Yes. Stores the answer in table.answer; true for Yes.
bool confirm(const char* text);

// Shows the message of a command switched off in the preferences.
void featureDisabled();

// New and Restart ask first (while Prompt is on); true when they dealt.
bool commandNew();
bool commandRestart();
void commandUndo();
// Makes the last action Undo took back again (switched off with Undo).
void commandRedo();
void commandAuto();
void commandStep();
// Deals the game number one above (Page Up) or below (Page Down) the current one.
void keyPageUp();
void keyPageDown();

}  // namespace korvat
