// Shuffle and deal: a deal is fixed by the selected game and a 32-bit game
// number.
#pragma once

#include <array>
#include <cstdint>

#include "model/records.h"

namespace korvat {

// The program's random generator: a 32-bit linear congruential step.
// Two independent ones exist: dealRandom (re-seeded with gameNumber before
// every start; drives the high rank and the shuffle) and effectRandom
// (seeded from the clock; drives the drift of the win animation, the card
// sounds and the order a redeal gathers cards in).
struct Generator {
    uint32_t state = 0;
    // Advances the state and returns a value 0..n-1.
    uint32_t operator()(uint32_t n) {
        state = state * 0xA15A4E35u + 1u;
        return state % n;
    }
};

extern Generator dealRandom;
extern Generator effectRandom;
extern uint32_t gameNumber;

constexpr int kDeckSlots = 208;
using Deck = std::array<Card, kDeckSlots>;
// The cards of the game; the first deckSize slots are in use. Piles only link them.
extern Deck deck;

// A fresh game number from the clock; dealRandom is set to it.
void newGameNumber();
// Deals the current game anew from dealRandom.
void startGame();
void shuffleDeck();
void placePiles();
void positionPiles();
void dealCards();
void dealCardTo(Pile& pile, Card& card);
void moveKingsToBottom();

}  // namespace korvat
