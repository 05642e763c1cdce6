#include "play/game.h"

#include "core/deal.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/drawing.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/score.h"
#include "play/current.h"
#include "play/redo.h"

namespace korvat {

void startGame(uint32_t number) {
    gameNumber = number;
    dealRandom.state = number;
    if (beforeDealHook) beforeDealHook(false);
    table.undoCount = 0;
    forgetRedo();
    table.won = 0;
    const core::GameRules rules =
        core::makeRules(*currentGame, core::ruleOptions(prefs), number);
    table.redealsLeft = rules.redealsAtStart;
    if (currentGame->ruleFlags & GameRuleFlags::randomHigh) table.baseRank = rules.baseRank;
    // The deal generator stands where the high rank and the shuffle left it:
    // every redeal of the deal starts from there.
    dealRandom.state = rules.redealSeed;
    if (prefs.Sound) platform().playSound(kShuffleSound);
    placePiles();
    setCurrentTable(core::startTable(rules));
    repaintTable();
    table.logIndex = findLogEntry();
    updateStatusLine();
}

}  // namespace korvat
