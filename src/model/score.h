// Score, money, the status line and the win.
#pragma once

#include <cstdint>

namespace korvat {

// The score seen at the last timer tick.
extern int32_t lastScore;

// The number of cards on the foundations.
int cardsOnFoundations();
// Five dollars per card brought home, less one per card of the deck.
int money();
// Formats the status line and sets it as the main window's title.
void updateStatusLine();
// The status line as last formatted.
const char* statusLine();
// Recognises a win, records it in the log and plays the animation.
void checkWin();
// Called when a deal is recognised as won, before the win animation; null
// when nobody listens.
extern void (*dealWonHook)();
// Whether the win on the table was made by Demo rather than by the player:
// such a deal is not marked completed in the log. Null when nobody asks.
extern bool (*wonByDemo)();
// The timer's work: on a changed score, check for a win and refresh the title.
void scoreTick();
// Called at the end of every timer tick; the program writes a changed game
// log there, away from the moves. Null when nobody listens.
extern void (*afterScoreTick)();

}  // namespace korvat
