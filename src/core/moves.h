// What the player may do at a table, and what each action does: the moves
// the mouse can make, their effects with everything the rules then do by
// themselves, and a record of each change for the interactive layer to
// glide, sound, log and write undo entries from.
#pragma once

#include <cstdint>

#include "core/rules.h"
#include "core/table.h"

namespace korvat::core {

struct Move {
    enum Kind : uint8_t {
        Place,    // the group whose lowest card is card `card` of pile `from` onto pile `to`
        Turn,     // turn the face-down card `card` of pile `from` face up (its top card, from the mouse)
        Deal,     // press the stock `from`
        Redeal,   // press the empty pile `from` while redeals remain
        Discard,  // select the top cards of the piles in `piles`, in layout order but `last` last
    };
    // A Place made by autoplay (Step, Auto, the right button): spaces are
    // filled after it, but complete runs are not played.
    static constexpr uint8_t Autoplay = 1;

    Kind kind = Place;
    uint8_t from = 0;
    uint8_t to = 0;
    uint8_t card = 0;
    uint8_t flags = 0;
    uint8_t last = 0xFF;  // Discard: the pile selected last, or 0xFF for layout order throughout
    PileMask piles = 0;   // Discard: the piles whose top cards form the group

    static Move place(int from, int card, int to, uint8_t flags = 0) {
        return {Place, uint8_t(from), uint8_t(to), uint8_t(card), flags, 0xFF, 0};
    }
    static Move turn(int pile, int card) { return {Turn, uint8_t(pile), 0, uint8_t(card), 0, 0xFF, 0}; }
    static Move deal(int stock) { return {Deal, uint8_t(stock), 0, 0, 0, 0xFF, 0}; }
    static Move redeal(int pile) { return {Redeal, uint8_t(pile), 0, 0, 0, 0xFF, 0}; }
    static Move discard(PileMask piles, int last = 0xFF) { return {Discard, 0, 0, 0, 0, uint8_t(last), piles}; }

    friend bool operator==(const Move&, const Move&) = default;
};

// The moves of one table. Real tables offer far fewer; a list that runs
// full says so, and a search then knows it did not see every move.
constexpr int kMaxMoves = 1024;
struct MoveList {
    int size = 0;
    bool overflow = false;
    Move moves[kMaxMoves];
    void add(const Move& m) {
        if (size < kMaxMoves)
            moves[size++] = m;
        else
            overflow = true;
    }
    const Move* begin() const { return moves; }
    const Move* end() const { return moves + size; }
};

// One change of a table, in the order the rules make them.
struct Change {
    enum Kind : uint8_t {
        Carry,   // cards lifted from `from` at `card`, carried to `to` and landed (the target is then sorted)
        Shift,   // the top card of `from` put on `to` at once, without a glide or a sort
        Turn,    // card `card` of pile `from` turned to `state`
        Select,  // the top card of `from` selected or deselected (`state`)
    };
    static constexpr uint8_t Recorded = 1;  // writes an undo entry
    static constexpr uint8_t Chained = 2;   // belongs to the undo action of the entry before it
    static constexpr uint8_t Quiet = 4;     // a turn or selection not shown until later

    Kind kind;
    uint8_t from;
    uint8_t to;
    uint8_t card;   // Carry, Turn: position of the (lowest) card in `from`, from its bottom card
    uint8_t count;  // Carry: the cards moved
    uint8_t state;  // Turn, Select: the card's new state
    uint8_t flags;

    bool recorded() const { return flags & Recorded; }
    bool chained() const { return flags & Chained; }
};

constexpr int kMaxChanges = 1024;
struct ChangeRecord {
    int size = 0;
    bool redealt = false;       // a redeal drew from the effect generator:
    uint32_t generatorState = 0;  // its state after the redeal's draws
    Change changes[kMaxChanges];
    void add(const Change& c) {
        if (size < kMaxChanges) changes[size++] = c;
    }
    const Change* begin() const { return changes; }
    const Change* end() const { return changes + size; }
};

// Every move the player could make with the mouse from this table, each
// once, no two leading to the same table, every one changing it. Without
// `distinct`, two moves that end alike through equal cards or the rules' own
// actions may both be listed (a search that checks its tables anyway saves
// the time).
void legalMoves(const GameRules& rules, const Table& table, MoveList& out, bool distinct = true);

struct Acceptance;
// What presses on one pile offer: its moves of legalMoves but discards, which
// take several piles, and without the check that no two end alike. `accepts`,
// when given, is what every pile accepts at this table (acceptance()).
void pileMoves(const GameRules& rules, const Table& table, int pile, MoveList& out,
               const Acceptance* accepts = nullptr);
// The moves of legalMoves without `distinct`, but for those of the piles in
// `skip`, with what every pile accepts at this table already asked.
void legalMoves(const GameRules& rules, const Table& table, MoveList& out, const Acceptance* accepts, PileMask skip);

// Makes the move on the table, then everything the rules do by themselves
// after it. The move must be one legalMoves lists (or one the pointer or
// autoplay found legal). With a record, every change is written to it.
void apply(const GameRules& rules, Table& table, const Move& move, ChangeRecord* record = nullptr);

// A press on a groupable pile: selects or deselects its top card (turns a
// face-down one up), discards the selection once it forms a group, then
// fills spaces.
void selectClick(const GameRules& rules, Table& table, int pile, ChangeRecord* record = nullptr);

// What autoplay would do with the pile (a card home, or a face-down card
// turned); false when nothing. autoStepMove: the same for the first pile in
// layout order that offers something, as Step chooses.
bool autoplayMove(const GameRules& rules, const Table& table, int pile, Move& out);
bool autoStepMove(const GameRules& rules, const Table& table, Move& out);
// The move that sends the cards a press takes at card `card` of the pile
// (face up) home: to the first foundation in layout order, other than the
// pile itself, that takes them, asked as autoplay asks; false when none does
// or a press there takes nothing to carry (a stock, a groupable pile).
bool homeMove(const GameRules& rules, const Table& table, int pile, int card, Move& out);

// What a press on the pile does, the press having found card `picked` of it
// to take (-1: none): Play the move `out` (a deal, a redeal, a turn, or on a
// groupable pile the selection of its top card, which Move::Turn makes
// there); Lift the cards from `picked` up, to be carried (`out` is the Place
// from the pile onto itself, its target to be chosen); or Nothing.
enum class Press { Nothing, Play, Lift };
Press pressMove(const GameRules& rules, const Table& table, int pile, int picked, Move& out);

// Whether a press on the stock deals now, and whether the empty pile redeals.
bool canDeal(const GameRules& rules, const Table& table, int stock);
bool canRedeal(const GameRules& rules, const Table& table, int pile);

// The Discard that legalMoves lists for the group of piles: the presses
// that turn the table's selection into it. False when their top cards form
// no group the game's discard rules allow, or presses cannot reach it.
bool discardMove(const GameRules& rules, const Table& table, PileMask group, Move& out);

// Whether the move, made on `from`, leaves `after` (the redeals left
// aside: Undo does not give a redeal back) and writes that many undo
// entries (changes recorded).
bool leaves(const GameRules& rules, const Table& from, const Move& move, const Table& after, int entries);
// A move a player could make on `from` (one legalMoves lists, autoplay's
// of a pile, a double click's home) that leaves `after` writing that many
// undo entries: the action of an undo history whose moves are not known,
// as a saved game's. False when none does.
bool moveBetween(const GameRules& rules, const Table& from, const Table& after, int entries, Move& out);

// Some top card is selected for a discard group.
bool selectionPending(const GameRules& rules, const Table& table);
// The selected top cards form a group the game's discard rules allow.
bool isDiscardGroup(const GameRules& rules, const Table& table);

// Every card lies on a foundation.
bool isWon(const GameRules& rules, const Table& table);
// The cards on the foundations.
int cardsOnFoundations(const GameRules& rules, const Table& table);

}  // namespace korvat::core
