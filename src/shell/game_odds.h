// The odds of each game as the solver's survey found them (the table of
// docs/winnability.md, compiled in): how many of the deals surveyed were
// proved winnable, proved lost or left undecided.
#pragma once

#include <string>

namespace korvat {

struct GameOdds {
    int commandId;
    int deals, winnable, unwinnable, unknown;
    int lowTenths, highTenths;  // the 95% interval of the winnable share, in tenths of a per cent
};

// The odds of the game with that command id, or null when it was not surveyed.
const GameOdds* oddsOf(int commandId);

// "96.5% of 200 deals proved winnable (95% interval 93.0-100.0%)", or a
// word that there are no odds.
std::string oddsText(int commandId);

}  // namespace korvat
