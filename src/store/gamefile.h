// Saved games (*.GAM): the game being played, its deal number, every card
// of every pile with its face-down state, the move history and the pile
// layout, in one little-endian record behind the signature "<KORVAT>".
//
// Reading takes the whole file and checks all of it before anything of the
// current game changes; a file that fails is refused with a message and
// leaves the game, its layout, its history and the log as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "play/card_moves.h"

namespace korvat {

// The seven leading definition words of a stored pile record that a saved
// game restores.
struct SavedPileDefinition {
    int32_t column, row, dealCount, faceDownCount, sizeLimit, fan, acceptCount;
};

struct SavedCard {
    int32_t value;
    int32_t faceDown;
};

// A saved game that has passed every check, ready to be put on the table.
struct SavedGame {
    int commandId = 0;
    uint32_t gameNumber = 0;
    std::vector<int> pileCounts;  // cards of each pile, in layout order
    std::vector<SavedCard> cards;  // every pile's cards bottom to top, pile after pile
    std::vector<UndoEntry> moves;  // oldest first
    std::vector<SavedPileDefinition> definitions;  // empty when the file ends after the moves
};

enum class GameFileCheck { Good, NotSavedGame, Damaged };

// The most moves a saved game holds: the history never keeps more.
constexpr int kMaxSavedMoves = kUndoEntries - 1;
// No saved game is longer than this (43 piles, four decks, every move).
constexpr size_t kMaxGameFileBytes = 8 + 2 + 4 + 2 * 43 + 4 * 208 + 2 + 16 * kMaxSavedMoves + 2 + 96 * 43;

// Checks the bytes of a saved game and fills `game`. NotSavedGame when the
// signature does not match; Damaged, with the reason in `error`, for every
// other fault. Changes nothing but `game` and `error`.
GameFileCheck decodeGameFile(const uint8_t* data, size_t size, SavedGame& game, std::string& error);

// The current game as the bytes of a saved game.
std::vector<uint8_t> encodeGameFile();

// Puts a checked saved game on the table: selects its game, restores its
// deal number and high rank, its piles, its history and the stored layout,
// plays the shuffle sound and repaints. The caller sets logIndex.
void restoreSavedGame(const SavedGame& game);

// Reads the saved game at `path` and puts it on the table. A file that
// cannot be read or fails a check gives a "MAJOR ERROR!" message box and
// returns false with nothing changed.
bool readGameFile(const std::string& path);

// Writes the current game to `path` through a temporary file. False with
// the reason in `error` when it could not be written; the old file is then
// untouched.
bool writeGameFile(const std::string& path, std::string& error);

}  // namespace korvat
