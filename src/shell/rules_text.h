// The rules of a pile, or of the whole game, put into words from the rule
// codes: shown by the right button and used for the help pages.
#pragma once

#include <cstddef>

#include "model/catalogue.h"
#include "model/records.h"

namespace korvat {

struct RulesText {
    char text[2048];
    const char* caption;
    // The text speaks of darkened piles: the reserves are blacked out while it is shown.
    bool darkens;
};

// What a pile's explanation depends on besides the pile.
struct RulesContext {
    int redealsLeft;  // -1 unlimited
    bool three;       // the Three preference
    bool unlimit;     // the Unlimit preference
    bool countLine;   // end with the number of cards the pile holds
};

// The context of the table as it stands.
RulesContext currentRulesContext();

// The explanation of one pile.
void pileRules(const Pile& pile, const RulesContext& context, RulesText& out);
// The game-wide rules of a catalogue row; empty text when it has none.
void gameRules(const GameEntry& game, RulesText& out);
// Shows the rules of the pile, or of the game when there is no pile, with
// the reserves darkened while the box is up.
void explainRules(Pile* pile);

}  // namespace korvat
