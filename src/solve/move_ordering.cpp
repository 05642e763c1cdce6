// Move ordering: how promising a step and the table it makes look, so that
// the search tries the likeliest first (cards home, cards uncovered, runs
// built, spaces made).
#include "solve/search.h"

#include <algorithm>

#include "core/actions.h"

namespace korvat::solve {

using namespace core;

namespace {

// What a card lying in a run that moves together is worth to the search.
constexpr int kOrderedWeight = 8;
// The finder's weights (findingPromise) of a card in a run, of a card
// that buries the cards under it, and of a card still in the stock.
constexpr int kFinderOrderedWeight = 40;
constexpr int kBuriedWeight = 15;
// And of a card that lies out of the run that would move with the card
// under it, where its pile builds it there (another suit, in Spider).
constexpr int kSplitWeight = 8;
// And of a card built on the one under it in a pile that gives up its top
// card alone and builds up or down by one in suit or colour (Forty
// Thieves, Maria): a built column is on its way home, card by card.
constexpr int kBuiltWeight = 30;
constexpr int kStockWeight = 8;
// And of a card lying above one that goes home before it: of its own suit
// where the foundations keep to suits, of any suit (a lower rank) besides.
constexpr int kBlockingWeight = 20;
constexpr int kLaterWeight = 5;
// And, where any suit goes home, of each place in the home order that a
// card lies past the earliest card under it, on a pile that takes any card
// and keeps it: a king on an ace holds the ace back longer than a two does
// (Old Patience, 0..49 at 5 s: 28 won against 23; Fanny 44 against 41,
// Frog 39 against 36).
constexpr int kLateByWeight = 20;
// And of each place in the home order left below the earliest card of a
// pile that stacks any card (RulesAnalysis::stackPiles).
constexpr int kRoomWeight = 1;
// The most a seeded search adds to a child's promise: ten cards home.
constexpr int kShake = 600;

}  // namespace

// A move the rules list, with how promising it looks.
void Search::addMoveCandidate(const Table& t, const Move& m) {
    Step step;
    step.move = m;
    if (m.kind == Move::Place) step.lifted = static_cast<uint8_t>(t.count(m.from) - m.card);
    candidates_.push_back({moveScore(t, m), step});
}

// A step of the round: presses to a point of it, then the waste card's move.
void Search::addRoundCandidate(const Table& t, uint16_t presses, int position, const Move& m, int value) {
    Step step;
    step.presses = presses;
    step.position = static_cast<int16_t>(position);
    step.move = m;
    int rank = 250 + (rules_.piles[m.to].has(PileFlags::foundation) ? 1000 : 0);
    if (!t.empty(m.to) && suitOf(valueOf(t.top(m.to))) == suitOf(value)) rank += 30;
    candidates_.push_back({rank - 2 * presses, step});
}

// How promising a table looks: cards home, face-down cards left, and
// cards lying in runs that move together.
int Search::promise(const Table& t) const {
    int down = 0, ordered = 0;
    for (int p = 0; p < rules_.pileCount; ++p) {
        const PileRules& pile = rules_.piles[p];
        if (pile.has(PileFlags::stock)) continue;
        const uint8_t* c = t.cards + t.begin(p);
        const bool runs = analysis_.runPiles & bit(p);  // only there can a card continue a run
        for (int i = 0, n = t.count(p); i < n; ++i) {
            down += stateOf(c[i]) == kFaceDown;
            if (runs && i > 0 && stateOf(c[i - 1]) == kFaceUp && continuesRun(pile, c[i - 1], c[i])) ++ordered;
        }
    }
    return 60 * (cardsOnFoundations(rules_, t) + roundCardsReady(t)) - 30 * down + kOrderedWeight * ordered;
}

// Cards of the round that wait to go home (roundCardsWaitHome_), which
// count as home: each suit's cards from its next one while they lie in the
// round.
int Search::roundCardsReady(const Table& t) const {
    int ready = 0;
    if (roundCardsWaitHome_ && analysis_.stockRoundAt(t)) {
        uint64_t home = homeValues(t);
        const uint64_t round = roundValues(t);
        for (uint64_t next; (next = ((home << 4) | 0xf) & ~home & round); home |= next)
            ready += __builtin_popcountll(next);
    }
    return ready;
}

// The win finder's estimate of progress, read from the rule data alone.
// A beam compares tables that made as many steps, where most steps change
// neither the cards home nor those face down; what tells them apart:
// a card lying on one it could not have been built on buries the cards
// under it, and one its pile built there but out of the run that moves
// with the card under it splits that run; a card the stock still holds,
// where nothing gathers cards back into it, is yet to land somewhere,
// mostly so (counted a little less, so that a deal is made when nothing
// better is left); a card in a run that
// moves together is on its way home (weighed more than for the exhaustive
// search's order: a beam keeps no table that does not look better now);
// where the foundations tell the order cards go home in (where each suit
// goes home both ways, as the foundations' tops tell it now), a card lying
// above one that goes home before it must be moved off first (for good
// where its pile gives cards only to the foundations; where any suit goes
// home, the longer it holds that card back the worse), and a pile that
// stacks any card takes without burying only cards that go home before
// its earliest one: a card put on the pile whose earliest card is next
// after it leaves the most room.
int Search::findingPromise(const Table& t) const {
    HomeNext next;
    homeNext(t, next);
    int score = findingHomeTerm(t);
    for (int p = 0; p < rules_.pileCount; ++p) score += findingPileTerm(t, p, next);
    return score;
}

// findingPromise of a table made from `parent`, whose pile terms are
// given: only the piles that changed are read again, but where the
// foundations' tops tell where each card goes and one of them changed.
int Search::findingPromiseFrom(const Table& t, const int* parentTerms, PileMask changed) const {
    if (analysis_.homeBothWays && (changed & rules_.foundations)) return findingPromise(t);
    HomeNext next;
    if (analysis_.homeBothWays) homeNext(t, next);
    int score = findingHomeTerm(t);
    for (int p = 0; p < rules_.pileCount; ++p) score += changed & bit(p) ? findingPileTerm(t, p, next) : parentTerms[p];
    return score;
}

// Each pile's term of findingPromise.
void Search::findingPileTerms(const Table& t, int* terms) const {
    HomeNext next;
    homeNext(t, next);
    for (int p = 0; p < rules_.pileCount; ++p) terms[p] = findingPileTerm(t, p, next);
}

// With suits home both ways, the next rank each way of each suit.
void Search::homeNext(const Table& t, HomeNext& next) const {
    if (!analysis_.homeBothWays) return;
    for (int s = 0; s < 4; ++s) {
        next.up[s] = t.count(analysis_.upHome[s]);
        next.down[s] = kHighestRank - t.count(analysis_.downHome[s]);
    }
}

int Search::findingHomeTerm(const Table& t) const { return 60 * (cardsOnFoundations(rules_, t) + roundCardsReady(t)); }

// One pile's part of findingPromise (nothing for a foundation).
[[gnu::always_inline]] inline int Search::findingPileTerm(const Table& t, int p, const HomeNext& next) const {
    const PileRules& pile = rules_.piles[p];
    if (pile.has(PileFlags::foundation)) return 0;
    const int n = t.count(p);
    if (pile.has(PileFlags::stock)) return rules_.gathered ? 0 : -kStockWeight * n;
    const bool stacks = analysis_.stackPiles & bit(p);
    if (n == 0) return stacks ? kRoomWeight * 13 : 0;
    const int direction = analysis_.homeDirection;
    const bool bothWays = analysis_.homeBothWays;
    int down = 0, ordered = 0, buried = 0, blocking = 0, later = 0, lateBy = 0, room = 0, split = 0, built = 0;
    const bool builds = pile.acceptCount != Accept::Nothing && pile.rankBuild != RankBuild::None;
    const bool columns = builds && pile.removal == Removal::TopCard &&
                         (pile.rankBuild == RankBuild::Up || pile.rankBuild == RankBuild::Down) &&
                         pile.suitBuild != SuitBuild::Any;
    const bool runs = analysis_.runPiles & bit(p);
    const uint8_t* c = t.cards + t.begin(p);
    down += stateOf(c[0]) == kFaceDown;
    // A pile that takes any card while any suit goes home, where no redeal
    // will gather its cards: how late each card lies counts too.
    const bool countsLateBy =
        (analysis_.anyCardPiles & bit(p)) && !((rules_.gathered & bit(p)) && t.redealsLeft != 0);
    if (direction || bothWays) {
        // The earliest place in the home order below each card, of its suit and of all.
        int least[4] = {13, 13, 13, 13}, leastAll = 13;
        for (int i = 0; i < n; ++i) {
            const int v = valueOf(c[i]);
            const int r = rankOf(v);
            int order = direction > 0 ? r : kHighestRank - r;
            if (bothWays) {
                const int s = suitOf(v);
                order = std::min(r >= next.up[s] ? r - next.up[s] : 13, r <= next.down[s] ? next.down[s] - r : 13);
            }
            if ((analysis_.homeBySuit || bothWays) && least[suitOf(v)] < order) ++blocking;
            else if (leastAll < order) {
                ++later;
                if (countsLateBy) lateBy += order - leastAll;
            }
            least[suitOf(v)] = std::min(least[suitOf(v)], order);
            leastAll = std::min(leastAll, order);
        }
        if (stacks) room += leastAll;
    }
    for (int i = 1; i < n; ++i) {
        if (stateOf(c[i]) == kFaceDown) {
            ++down;
            continue;
        }
        if (stateOf(c[i - 1]) != kFaceUp) continue;
        if (runs && continuesRun(pile, c[i - 1], c[i]))
            ++ordered;
        else if (builds && !(analysis_.buildsOn(p, valueOf(c[i - 1])) >> valueOf(c[i]) & 1))
            ++buried;
        else if (builds && runs)
            ++split;
        else if (columns)
            ++built;
    }
    return -30 * down + kFinderOrderedWeight * ordered - kBuriedWeight * buried - kBlockingWeight * blocking -
           kLaterWeight * later - kLateByWeight * lateBy + kRoomWeight * room - kSplitWeight * split +
           kBuiltWeight * built;
}

int Search::moveScore(const Table& t, const Move& m) const {
    switch (m.kind) {
        case Move::Turn: return 3000;
        case Move::Discard: return 900;
        case Move::Deal: return 40;
        case Move::Redeal: return 5;
        case Move::Place: break;
    }
    const PileRules& from = rules_.piles[m.from];
    const PileRules& to = rules_.piles[m.to];
    int s = 100;
    if (to.has(PileFlags::foundation)) s += 1000;
    if (from.has(PileFlags::foundation)) s -= 400;
    const int g = m.card;
    if (g > 0 && stateOf(t.card(m.from, g - 1)) == kFaceDown) s += 500;
    if (g > 0 && !from.has(PileFlags::anySingleCard)) {
        // Cards left face down under the group: uncovering them is progress.
        int down = 0;
        for (int k = 0; k < g; ++k) down += stateOf(t.card(m.from, k)) == kFaceDown;
        s += 20 * down;
    }
    if (rules_.wastes & bit(m.from) || rules_.reserves & bit(m.from)) s += 150;
    if (t.empty(m.to) && !to.has(PileFlags::foundation)) s -= g == 0 ? 600 : 200;
    if (g == 0 && !t.empty(m.to)) s += 200;  // the source becomes a space
    if (!t.empty(m.to) && suitOf(valueOf(t.top(m.to))) == suitOf(valueOf(t.card(m.from, g)))) s += 30;
    return s;
}

// The rank a new child is searched by: its table's promise, and a little
// of its step's; a seeded search adds to it a small amount of its own.
int Search::childRank(const Pending& child) const {
    int rank = promise(child.table) + child.score / 8;
    if (seed_) rank += static_cast<int>(((child.key.a ^ seed_) * 0xff51afd7ed558ccdull >> 40) % kShake);
    return rank;
}

}  // namespace korvat::solve
