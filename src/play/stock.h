// The stock, filling spaces, redeals and the four-suits discard.
#pragma once

#include "model/records.h"

namespace korvat {

// Deals from a stock pile onto every waste pile, then discards four suits.
void dealFromStock(Pile& stock);
// Discards the non-king top cards of the four-suits piles once they show all four suits.
void discardFourSuits();
// Fills every empty space that a filling pile can fill, one card each.
void fillSpaces();
// Gathers the redealt piles into the pressed empty pile and deals the refilled ones again.
void redeal(Pile& pile);
// The cards a redeal would gather.
int redealCardCount();

// The sequence of every move the program makes itself: lift, record, glide, land.
void moveCard(Pile& source, Card& card, Pile& target, int chained);

}  // namespace korvat
