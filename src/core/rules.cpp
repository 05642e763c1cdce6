#include "core/rules.h"

#include "core/deal.h"
#include "model/catalogue.h"
#include "model/preferences.h"

namespace korvat::core {

bool GameRules::hasDiscardRules() const {
    using namespace GameRuleFlags;
    return ruleFlags & (pairsOfRank | pairsTen | pairsEleven | pairsThirteen | pairsFourteen | faceTriplets |
                        tensQuartets | fifteens | kingsSingly);
}

bool operator==(const GameRules& a, const GameRules& b) {
    if (a.pileCount != b.pileCount || a.ruleFlags != b.ruleFlags || a.deckSize != b.deckSize ||
        a.redealsAtStart != b.redealsAtStart || a.three != b.three || a.unlimit != b.unlimit ||
        a.gameNumber != b.gameNumber || a.redealSeed != b.redealSeed || a.baseRank != b.baseRank)
        return false;
    for (int p = 0; p < a.pileCount; ++p)
        if (!(a.piles[p] == b.piles[p])) return false;
    return true;
}

RuleOptions ruleOptions(const Preferences& preferences) { return {preferences.Three != 0, preferences.Unlimit != 0}; }

GameRules makeRules(const GameEntry& game, RuleOptions options, uint32_t gameNumber, uint32_t redealSeed) {
    GameRules r;
    const uint32_t flags = game.ruleFlags;
    r.pileCount = game.pileCount < kMaxPiles ? game.pileCount : kMaxPiles;
    r.ruleFlags = flags;
    r.deckSize = deckSizeOf(flags);
    r.three = options.three;
    r.unlimit = options.unlimit;
    r.gameNumber = gameNumber;
    r.redealSeed = redealSeed;
    r.redealsAtStart = -1;
    if ((flags & GameRuleFlags::oneRedeal) && !options.unlimit) r.redealsAtStart = 1;
    if ((flags & GameRuleFlags::twoRedeals) && !options.unlimit) r.redealsAtStart = 2;
    if (flags & GameRuleFlags::acesHigh) r.baseRank = 1;
    if (flags & GameRuleFlags::queensHigh) r.baseRank = 12;
    if (flags & GameRuleFlags::randomHigh) dealGenerator(flags, gameNumber, &r.baseRank);
    for (int p = 0; p < r.pileCount; ++p) {
        const Pile& src = game.layout[p];
        PileRules& d = r.piles[p];
        d.dealCount = src.dealCount;
        d.faceDownCount = src.faceDownCount;
        d.sizeLimit = src.sizeLimit;
        d.fan = src.fan;
        d.acceptCount = src.acceptCount;
        d.rankBuild = src.rankBuild;
        d.suitBuild = src.suitBuild;
        d.startCard = src.startCard;
        d.removal = src.removal;
        d.flags = src.flags;
        const PileMask b = bit(p);
        if (d.has(PileFlags::foundation)) {
            r.foundations |= b;
            r.lastFoundation = p;
        }
        if (d.has(PileFlags::reserve)) r.reserves |= b;
        if (d.has(PileFlags::waste)) r.wastes |= b;
        if (d.removal == Removal::TopCard) r.topCardOnly |= b;
        if (d.has(PileFlags::fillsSpaces)) r.fillers |= b;
        if (d.has(PileFlags::autoFillFromStock)) r.spaces |= b;
        if (d.has(PileFlags::redealFaceDown | PileFlags::redealRefill)) r.gathered |= b;
        if (d.has(PileFlags::fourSuitsDiscard)) r.fourSuits |= b;
        if (d.has(PileFlags::autoplaySuite)) r.suiteRuns |= b;
        if (d.has(PileFlags::autoplayStraight)) r.straightRuns |= b;
        if (d.has(PileFlags::groupable) && !d.has(PileFlags::stock)) r.groupables |= b;
        if (d.has(PileFlags::foundationOnly)) r.foundationOnlySources |= b;
        if (d.has(PileFlags::sortAscending | PileFlags::sortDescending)) r.resultsMayCoincide = true;
    }
    if (r.deckSize > 52 || (r.fillers && r.spaces) || r.suiteRuns || r.straightRuns || r.fourSuits)
        r.resultsMayCoincide = true;
    return r;
}

GameRules makeRules(const GameEntry& game, RuleOptions options, uint32_t gameNumber) {
    // The redeal seed is where the deal generator stands after the deal.
    Generator g = dealGenerator(game.ruleFlags, gameNumber);
    uint8_t slots[kMaxCards];
    shuffle(g, deckSizeOf(game.ruleFlags), slots);
    return makeRules(game, options, gameNumber, g.state);
}

}  // namespace korvat::core
