// The survey's odds of every game, from the file scripts/make-odds.sh makes.
#include "shell/game_odds.h"

#include <cstdio>

namespace korvat {

namespace {
const GameOdds kOdds[] = {
#include "shell/game_odds.inc"
};
}  // namespace

const GameOdds* oddsOf(int commandId) {
    for (const GameOdds& o : kOdds)
        if (o.commandId == commandId) return &o;
    return nullptr;
}

std::string oddsText(int commandId) {
    const GameOdds* o = oddsOf(commandId);
    if (!o || o->deals <= 0) return "Not surveyed";
    char text[160];
    std::snprintf(text, sizeof text, "%.1f%% of %d deals proved winnable (95%% interval %d.%d-%d.%d%%)",
                  100.0 * o->winnable / o->deals, o->deals, o->lowTenths / 10, o->lowTenths % 10,
                  o->highTenths / 10, o->highTenths % 10);
    return text;
}

}  // namespace korvat
