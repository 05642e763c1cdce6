// One search of a solve: a best-first pass, then a depth-first pass that
// marks the tables it proves lost in the shared transposition table
// (Tarjan's low-link numbers). Its parts live in the files named below.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/legality.h"
#include "core/moves.h"
#include "core/rules.h"
#include "core/table.h"
#include "solve/rules_analysis.h"
#include "solve/solver.h"
#include "solve/transposition_table.h"

namespace korvat::solve {

class Search {
public:
    // `seed`: 0 orders the children by their promise alone; any other
    // seed adds to each a small amount of its own, fixed by the seed and
    // the child's table, so that ties and near ties fall differently.
    // `seen`: the tables seen, shared with the solve's other searches,
    // this one being search number `number` (1 to TranspositionTable::kLastSearch).
    Search(const core::GameRules& rules, const RulesAnalysis& analysis, const Limits& limits,
           const std::atomic<bool>* stop, TranspositionTable& seen, uint32_t number, uint64_t seed = 0);

    // The search also ends, Unknown, once the flag is set (another thread
    // of the solve has answered).
    void alsoStopOn(const std::atomic<bool>* flag) { answered_ = flag; }

    // The exhaustive search (search.cpp).
    Result run(const core::Table& table);
    // The win finder (finder.cpp): a beam search keeping `width` tables a
    // level. It answers Winnable or Unknown, never Unwinnable; when it
    // finds no win, `promising` (if given) gets the line to the most
    // promising table it kept. `readsLost`: it may read the tables the
    // exhaustive searches marked lost (not while one writes them on
    // another thread).
    Result findWin(const core::Table& table, uint32_t width, std::vector<core::Move>* promising, bool readsLost);
    // Whether the last findWin kept every table it met: a wider beam
    // would find nothing more.
    bool keptEveryTable() const { return !dropped_; }
    // Whether the last search ended at the memory limit.
    bool outOfMemory() const { return outOfMemory_; }

    // The finder's estimate of progress (move_ordering.cpp); made again
    // from a parent's pile terms, where `changed` holds at least the piles
    // of t that differ from the parent's.
    int findingPromise(const core::Table& t) const;
    void findingPileTerms(const core::Table& t, int* terms) const;
    int findingPromiseFrom(const core::Table& t, const int* parentTerms, core::PileMask changed) const;

private:
    // One edge of the search: presses on the stock (dealing, or redealing
    // when it is empty), if any, then a move.
    struct Step {
        uint16_t presses = 0;
        int16_t position = -1;  // where the presses leave the round: the cards then in the waste
        uint8_t lifted = 0;     // the cards a move between the piles takes (for onlyGivesBack)
        core::Move move;
    };
    // A child waiting to be searched: the step to it from its parent's
    // table, the forced moves made after the step, and its promise. Its
    // table is made again when it is entered, so that waiting children cost
    // no more than this.
    struct Child {
        Step via;
        uint32_t forcedBegin, forcedEnd;
        int rank;
        Key key;
    };
    // A table of the search with the step that led to it and the forced
    // moves made after the step; while it is being searched, its children.
    struct Frame {
        core::Table table;
        Step via;
        uint32_t forcedBegin = 0, forcedEnd = 0;
        uint32_t childrenBegin = 0, childrenEnd = 0, next = 0;
        uint32_t forcedAfter = 0;  // the forced moves' length before its children's
        int rank = 0;
        Key key{};
        // Depth first: the table's number in the order the pass enters
        // tables (0 for none), and the lowest number met below it
        // (closeOnLeave).
        uint32_t index = 0, low = 0;
    };
    // A step from the table being expanded, with how promising it looks.
    struct Candidate {
        int score;
        Step step;
    };
    // A child made and not yet looked up among the tables seen.
    struct Pending {
        core::Table table;
        Key key;
        Step step;
        uint32_t forcedBegin, forcedEnd;
        int score;
        int promise;  // the finder's: findingPromise of the table, scaled, or kDropped
    };
    // What the piles take as forced moves make a table, each pile asked
    // once until the next move.
    struct AcceptanceCache {
        explicit AcceptanceCache(const core::Table& table) : t(table) {}  // `of` left unfilled until asked
        const core::Table& t;
        core::PileMask known = 0;
        bool homeKnown = false;
        uint64_t home = 0;  // the values some foundation no card leaves might take
        core::Acceptance of[core::kMaxPiles];
        void forget() { known = 0, homeKnown = false; }
    };
    // A move that is worth making only for what it lets be done at once
    // (see RulesAnalysis::plainPiles), with the piles' sizes it leaves.
    struct WatchedMove {
        enum Kind { None, RoundCard, Emptied } kind = None;
        int from = 0, to = 0, fromCount = 0, toCount = 0;
        int landed = 0;  // where the moved cards lie on `to`
    };
    // Cards or runs other piles offer, and the cards of the round.
    struct Group {
        int source, value, count;
    };
    struct Offers {
        bool ready = false;
        int groups = 0, total = 0;
        Group offered[core::kMaxCards];
        uint8_t round[core::kMaxCards];
    };

    // A table the finder keeps for its next level: the node it was made
    // from, its step and the moves after it, and how promising it looks.
    struct BeamNode {
        uint32_t parent;  // ~0u for the start
        Step via;
        uint32_t movesBegin, movesEnd;  // the moves after the step, in beamMoves_
    };
    struct BeamEntry {
        core::Table table;
        uint32_t node;
    };
    struct BeamChoice {
        int score;
        uint32_t parent;
        Step via;
        uint32_t movesBegin, movesEnd;  // in choiceMoves_
        Key key;
        core::Table table;
    };

    // search.cpp: the two passes, the low-link marking, the line of a win.
    Frame childFrame(const Frame& parent, const Child& c) const;
    void numberOnEntry(Frame& f);
    void closeOnLeave(const Frame& f, Frame* parent);
    Result& winWithChild(Result& result);
    Result& finish(Result& result, Verdict verdict, const Frame* last);
    void appendToLine(core::Table& t, const Step* step, const core::Move* after, size_t count,
                      std::vector<core::Move>& line) const;
    uint64_t bytesInUse(bool soon) const;
    bool outOfTime();
    bool overMemory(uint64_t held, uint64_t soon);
    double elapsedMs() const;

    // children.cpp: listing a table's children.
    bool expand(Frame& f);
    void listMoveCandidates(Frame& f, const core::Acceptance* accepts, bool withRound);
    bool makeChildren(const core::Table& t, bool withRound, size_t& pending);
    void keepUnseenChildren(Frame& f, size_t pending);
    void makeStep(core::Table& t, const Step& step) const;
    void replayAfterStep(core::Table& t, const core::Move& m) const;
    Pending& newPending(size_t& pending, const core::Table& table, const Step& via, int score);
    bool recordIfWon(const Pending& child);
    void dropLastPending(size_t& pending, const Pending& child);
    void keyAndPrefetch(Pending& child);
    Key childKey(const core::Table& table);
    bool addChildWithChain(size_t& pending, const core::Table& table, const Step& via, int score);

    // stock_round.cpp: the tables of one stock round as one.
    core::Move stockPress(const core::Table& t) const {
        return t.empty(analysis_.stock) ? core::Move::redeal(analysis_.stock) : core::Move::deal(analysis_.stock);
    }
    // Presses on the stock that leave `position` cards of the round in the
    // waste, kept as one entry among the moves made after a step (a deal
    // flagged so) and written out press by press only for the line.
    static constexpr uint8_t kRoundJump = 0x80;
    core::Move roundJumpTo(int position) const;
    static bool isRoundJump(const core::Move& m) { return m.kind == core::Move::Deal && (m.flags & kRoundJump); }
    int roundCards(const core::Table& t, uint8_t* out) const;
    uint64_t roundValues(const core::Table& t) const;
    void dealRoundTo(core::Table& t, int position) const;
    void listRoundCandidates(const core::Table& t, const core::Acceptance* accepts);
    bool sendRoundCardHome(core::Table& t, AcceptanceCache& takes, uint64_t home);
    bool addRoundCardWithUses(const core::Table& parent, const core::Table& placed, const Step& via, int score, int q,
                              int depth, bool withRound, size_t& pending, int homeBefore);

    // safe_moves.cpp: the forced moves made after every step.
    void makeForcedMoves(core::Table& t);
    bool discardGuarded(core::Table& t, AcceptanceCache& takes, int p);
    bool discardNeedless(core::Table& t, AcceptanceCache& takes, int p);
    bool sendToDiscard(core::Table& t, AcceptanceCache& takes, int p, int v);
    bool leavesNoForcedMove(const core::Table& t, const Step& step, bool withRound, uint64_t home) const;
    bool nothingNeeds(int v, uint64_t home) const;
    bool firstCopyOut(const core::Table& t, int p, int q, int v) const;
    bool mayEverTake(const core::Table& t, int g, int v) const;
    bool homeIsNoChoice(AcceptanceCache& takes, uint64_t homeValues, int p, int q, int v) const;
    uint64_t homeValues(const core::Table& t) const;
    uint64_t cardsHome(const core::Table& t, uint8_t* count) const;
    uint64_t homeAccepts(AcceptanceCache& takes) const;
    const core::Acceptance& acceptanceOf(AcceptanceCache& takes, int q) const;
    bool placeable(AcceptanceCache& takes, int p, int q, int value) const;

    // pruning.cpp: moves and tables left out without losing a win.
    int homeCount(const core::Table& t) const;
    bool mayHaveStuck(const core::Table& child, const Step& step, int homeBefore) const;
    bool hasStuckCards(const core::Table& t) const;
    bool onlyGivesBack(const Frame& f, const core::Move& m) const;
    WatchedMove watchedMove(const core::Table& before, const core::Table& after, const Step& step,
                            bool withRound) const;
    bool watchedMoveUsed(const core::Table& t, const WatchedMove& w, bool withRound);
    int gatherOffers(const core::Table& t, int p, bool withRound, int notFrom, int notBase, Group* offered) const;
    bool somethingBuildsOn(const core::Table& t, int p, bool withRound, int notFrom = -1, int notBase = -1);
    bool offersReach(const core::Table& t, int p, const Offers& offers);

    // finder.cpp: the beam search for a win.
    Result& finishFound(Result& result, bool won, uint32_t node, std::vector<core::Move>* promising,
                        const Step* step = nullptr, const core::Move* after = nullptr, size_t count = 0);
    uint64_t findingBytes(const TranspositionTable& kept, bool soon) const;

    // move_ordering.cpp: the likeliest steps and tables first.
    void addMoveCandidate(const core::Table& t, const core::Move& m);
    void addRoundCandidate(const core::Table& t, uint16_t presses, int position, const core::Move& m, int value);
    int moveScore(const core::Table& t, const core::Move& m) const;
    int promise(const core::Table& t) const;
    // findingPromise in parts: the cards home, and each pile's term, which
    // with suits home both ways reads the foundations' next ranks.
    struct HomeNext {
        int up[4] = {}, down[4] = {};
    };
    void homeNext(const core::Table& t, HomeNext& next) const;
    int findingHomeTerm(const core::Table& t) const;
    int findingPileTerm(const core::Table& t, int p, const HomeNext& next) const;
    int roundCardsReady(const core::Table& t) const;
    int childRank(const Pending& child) const;

    const core::GameRules& rules_;
    const RulesAnalysis& analysis_;
    Limits limits_;
    const std::atomic<bool>* stop_;
    const std::atomic<bool>* answered_ = nullptr;
    bool prune_;
    uint64_t seed_;
    bool roundCardsGoHome_;  // cards of the round go home without a choice (sendRoundCardHome)
    // A card of the round goes home by choice only when the next card of
    // its suit could follow it at once (see listRoundCandidates).
    bool roundCardsWaitHome_;
    TranspositionTable& seen_;
    uint32_t searchNumber_;
    uint64_t tablesMet_ = 0;                      // the tables this search met first
    uint32_t enteredCount_ = 0;                   // the tables the depth-first pass has entered
    std::vector<Key> tarjanStack_;                // entered and left, not yet known lost (closeOnLeave)
    std::vector<core::Table> tarjanStackTables_;  // their tables, kept for Limits::lost
    double startMs_;  // nowMs when the search began
    uint64_t peakBytes_ = 0;
    uint64_t firstPassBytes_ = 0;  // the best-first pass's lists, held while the depth-first pass runs
    std::vector<Frame> path_;  // the depth-first path, from the table being searched from
    std::vector<Child> children_;
    size_t winningChild_ = 0;
    std::vector<core::Move> forcedMoves_;  // the forced moves after each step of the path and of the children
    std::vector<core::Move> roundChain_;   // the moves after a round card's step (addRoundCardWithUses)
    std::vector<Candidate> candidates_;
    std::vector<Pending> pending_;  // grown only, its tables reused
    core::MoveList legal_;
    Offers offers_, parentOffers_;
    core::Table startTable_;
    // The key of the table whose children are being made, pile by pile:
    // a child's key (and the finder's estimate) is made again from the
    // piles its step changed. That costs about a whole key for the parent,
    // and a comparison of the tables for each child: it pays with
    // kChildrenByPile children or more, and with four decks (1.6 times
    // the tables a second of four-deck Birchwood; with one or two decks
    // mostly 2 to 4% fewer).
    static constexpr size_t kChildrenByPile = 4;
    const bool byPile_;
    const core::Table* keysParent_ = nullptr;
    bool keysByPile_ = false;
    bool parentKeysReady_ = false;
    PileKeys parentKeys_;
    bool cutOff_ = false;  // a limit or a list that overflowed left tables unsearched
    // The finder's nodes, its next level, and the children it chooses from.
    std::vector<BeamNode> beamNodes_;
    std::vector<core::Move> beamMoves_;
    std::vector<BeamEntry> beam_;
    std::vector<BeamChoice> choices_;
    std::vector<core::Move> choiceMoves_;
    std::vector<uint32_t> heap_;
    bool readsLost_ = false;
    bool finding_ = false;  // this search is the win finder (findWin)
    bool dropped_ = false;
    bool outOfMemory_ = false;  // the finder left out a table it could have kept
};

}  // namespace korvat::solve
