// Moving cards between piles, recording the moves, and undoing them.
//
// Every card that changes piles goes the same way: it is lifted into
// carriedPile, the move is recorded, the carried cards glide to the target
// and land there.
#pragma once

#include <array>
#include <cstdint>

#include "model/records.h"

namespace korvat {

// One recorded move or turn. A turn entry has targetIndex -1 and
// targetCount -1 when it turned the pile's top card; a turn of a card lower
// in the pile (the face-down bottom card of a pile that gives any single
// card) keeps that card's position from the bottom in targetCount. All entries of one player action after the first carry
// chained != 0, so that undo takes the whole action back at once.
struct UndoEntry {
    int32_t targetIndex;
    int32_t sourceIndex;
    int32_t targetCount;
    int32_t chained;
};

constexpr int kUndoEntries = 2048;
using UndoBuffer = std::array<UndoEntry, kUndoEntries>;
extern UndoBuffer undoBuffer;

void liftCards(Pile& source, Card& card);
void liftGroup(Pile& source, Card& card);
void liftSingle(Pile& source, Card& card);
void glideTo(const Pile& target);
void landCards(Pile& target);
void recordMove(const Pile& target, const Pile& source, int chained);
void recordTurn(const Pile& pile, int chained);
void recordTurnAt(const Pile& pile, int position, int chained);
bool selectionPending();
void undo();

// Records the turn of a card: of the pile's top card, or of the card at its
// position in the pile.
void recordTurnOf(const Pile& pile, const Card& card, int chained);
// Turns a card face up or face down and records the turn.
void turnCard(Pile& pile, Card& card, int32_t faceDown, int chained);
// Moves a pile's top card onto another pile at once, without a glide or a
// sort, and records it (as a redeal moves its cards).
void shiftTopCard(Pile& source, Pile& target, int chained);

// Called as each move or turn is recorded, before it is counted in
// undoCount; null when nobody listens (the history listens).
extern void (*moveRecordedHook)();

// The number of frames a glide takes with the current Move preference.
int glideFrames();
// While set, glides are cut short: the cards land at once. The window sets
// it for an Undo or Redo whose key waited while the one before it played,
// so that a burst of keys does not leave the table gliding after the last.
extern bool glidesCut;

}  // namespace korvat
