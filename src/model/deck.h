// The current game's deck of cards, its two generators and its game number
// (a deal is fixed by the selected game and the number), and the piles'
// places on the table.
#pragma once

#include <array>
#include <cstdint>

#include "model/random.h"
#include "model/records.h"

namespace korvat {

// Two independent generators exist: dealRandom (re-seeded with gameNumber
// before every start; drives the high rank and the shuffle) and effectRandom
// (seeded from the clock; drives the drift of the win animation, the card
// sounds and the order a redeal gathers cards in).
extern Generator dealRandom;
extern Generator effectRandom;
extern uint32_t gameNumber;

constexpr int kDeckSlots = 208;
using Deck = std::array<Card, kDeckSlots>;
// The cards of the game; the first deckSize slots are in use. Piles only link them.
extern Deck deck;

// A fresh game number from the clock.
uint32_t newGameNumber();

// Called before the deal on the table is replaced: by startGame, with the
// game and number it is about to deal, which may be the same deal again
// (`replaced` false); by selectGame and by a saved game read (`replaced`
// true), before anything of the deal changes. Null when nobody listens.
extern void (*beforeDealHook)(bool replaced);
// Links the current game's piles, empties them, sets their places and the
// drift of the win animation.
void placePiles();
// Recomputes only the piles' places from their grid positions.
void positionPiles();

}  // namespace korvat
