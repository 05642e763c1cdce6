// The game catalogue: 113 games, each a name, a menu command id, a word of
// game-wide rule flags and a list of pile records.
#pragma once

#include <array>
#include <cstdint>

#include "model/records.h"

namespace korvat {

namespace GameRuleFlags {
constexpr uint32_t oneRedeal = 0x1;
constexpr uint32_t twoRedeals = 0x2;
constexpr uint32_t twoDecks = 0x4;
constexpr uint32_t fourDecks = 0x8;
constexpr uint32_t smallCards = 0x10;
constexpr uint32_t acesHigh = 0x20;
constexpr uint32_t queensHigh = 0x40;
constexpr uint32_t randomHigh = 0x80;
constexpr uint32_t pairsOfRank = 0x100;
constexpr uint32_t pairsTen = 0x200;
constexpr uint32_t pairsEleven = 0x400;
constexpr uint32_t pairsThirteen = 0x800;
constexpr uint32_t pairsFourteen = 0x1000;
constexpr uint32_t faceTriplets = 0x2000;
constexpr uint32_t tensQuartets = 0x4000;
constexpr uint32_t fifteens = 0x8000;
constexpr uint32_t kingsSingly = 0x10000;
}  // namespace GameRuleFlags

// The cards a game is played with: one, two or four decks.
constexpr int deckSizeOf(uint32_t ruleFlags) {
    return (ruleFlags & GameRuleFlags::fourDecks) ? 208 : (ruleFlags & GameRuleFlags::twoDecks) ? 104 : 52;
}

struct GameEntry {
    Pile* layout = nullptr;    // first of pileCount consecutive piles, in layout order
    const char* name = "";     // as the title bar shows it
    uint32_t ruleFlags = 0;
    int32_t pileCount = 0;
    int32_t commandId = 0;     // menu command; also the help context of its rules page
};

constexpr int kGameCount = 113;
constexpr int kMaxPilesPerGame = 43;

using GameCatalogue = std::array<GameEntry, kGameCount>;

// The catalogue, in its fixed row order (the row is stored in the game log).
// The tables are filled from the compiled-in layout text the first time
// gameCatalogue() is called; a malformed line ends the program with a
// message naming the row.
GameCatalogue& gameCatalogue();

// Parses the compiled-in layouts anew, dropping every change the pile
// editor made to the definition words.
void reloadCatalogue();

// The selected row.
extern GameEntry* currentGame;

// Makes the row with that command id current and derives the table settings
// from its flags; does not deal.
void selectGame(int commandId);

// The row with that command id, or -1.
int findGameRow(int commandId);

// Parses a layout text into the given tables. Returns false and writes a
// message naming the row and the fault into `error` when a line is malformed
// or a game's piles or deal total disagree with its header.
bool parseLayouts(const char* text, GameCatalogue& catalogue, Pile* piles, int pileCapacity,
                  char* error, int errorSize);

// The layout text compiled into the program.
const char* layoutText();

}  // namespace korvat
