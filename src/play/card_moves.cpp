#include "play/card_moves.h"

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

UndoBuffer undoBuffer{};

void liftCards(Pile& source, Card& card) {
    if (source.flags & PileFlags::anySingleCard)
        liftSingle(source, card);
    else
        liftGroup(source, card);
}

void liftGroup(Pile& source, Card& card) {
    carriedPile.x = card.x;
    carriedPile.y = card.y;
    splitRun(source, carriedPile, card);
    layoutPile(source);
    layoutPile(carriedPile);
    composeTable();
    redrawMovedPile(carriedPile);
}

void liftSingle(Pile& source, Card& card) {
    carriedPile.x = card.x;
    carriedPile.y = card.y;
    unlinkCard(source, card);
    insertCardAbove(carriedPile, carriedPile.top, card);
    layoutPile(source);
    layoutPile(carriedPile);
    repaintTable();
    updateStatusLine();
    redrawMovedPile(carriedPile);
}

int glideFrames() {
    const int move = prefs.Move >= 0 && prefs.Move <= 3 ? prefs.Move : 2;
    return 1 << (move + 4);
}

bool glidesCut = false;

void glideTo(const Pile& target) {
    if (glidesCut) return;  // the landing puts the cards in place
    int endX = target.x, endY = target.y;
    if (target.fan == Fan::Right) endX += target.count * table.fanStep;
    if (target.fan == Fan::Down) endY += target.count * table.fanStep;
    const int frames = glideFrames();
    const int k = frames == 16 ? 4 : frames == 32 ? 5 : frames == 64 ? 6 : 7;
    // 16.16 fixed point; the step is truncated, so the last frame may stop
    // a few pixels short and the landing puts the cards in place.
    int64_t x = static_cast<int64_t>(carriedPile.x) * 65536;
    int64_t y = static_cast<int64_t>(carriedPile.y) * 65536;
    const int64_t dx = (x - static_cast<int64_t>(endX) * 65536) >> k;
    const int64_t dy = (y - static_cast<int64_t>(endY) * 65536) >> k;
    platform().animationBegins();
    for (int frame = 0; frame < frames; ++frame) {
        x -= dx;
        y -= dy;
        carriedPile.x = static_cast<int32_t>(x >> 16);
        carriedPile.y = static_cast<int32_t>(y >> 16);
        redrawMovedPile(carriedPile);
        platform().frameShown();
    }
}

// Orders the pile's values as its sort flags say, as the core sorts.
static void sortPile(Pile& pile) {
    if (!(pile.flags & (PileFlags::sortAscending | PileFlags::sortDescending))) return;
    uint8_t values[kDeckSlots];
    int n = 0;
    for (Card* c = pile.bottom; c && n < kDeckSlots; c = c->above) values[n++] = static_cast<uint8_t>(c->value);
    core::sortCards(pile.flags, values, n);
    n = 0;
    for (Card* c = pile.bottom; c && n < kDeckSlots; c = c->above) c->value = values[n++];
}

void landCards(Pile& target) {
    joinPiles(carriedPile, target);
    layoutPile(carriedPile);
    layoutPile(target);
    sortPile(target);
    repaintTable();
    updateStatusLine();
    if (prefs.Sound) platform().playSound(kFirstCardSound + static_cast<int>(effectRandom(5)));
}

void (*moveRecordedHook)() = nullptr;

static void record(int32_t target, int32_t source, int32_t targetCount, int chained) {
    if (table.logIndex == -1) {
        table.logIndex = addLogEntry();
        updateStatusLine();
    }
    if (moveRecordedHook) moveRecordedHook();
    if (table.undoCount < 0 || table.undoCount >= kUndoEntries) table.undoCount = 0;
    undoBuffer[static_cast<size_t>(table.undoCount)] = {target, source, targetCount, chained ? 1 : 0};
    noteRecorded(table.undoCount, chained != 0);
    if (++table.undoCount >= kUndoEntries) {
        table.undoCount = 0;
        forgetRedo();
        platform().messageBox("UNDO BUFFER FULL!\nRESETTING.\nALL PREVIOUS UNDO POSITIONS ARE LOST.",
                              "CRITICAL ERROR", Mb::Ok | Mb::IconExclamation);
    }
}

void recordMove(const Pile& target, const Pile& source, int chained) {
    record(pileIndex(target), pileIndex(source), target.count, chained);
}

void recordTurn(const Pile& pile, int chained) { record(-1, pileIndex(pile), -1, chained); }

void recordTurnAt(const Pile& pile, int position, int chained) {
    record(-1, pileIndex(pile), position, chained);
}

void recordTurnOf(const Pile& pile, const Card& card, int chained) {
    if (&card == pile.top) {
        recordTurn(pile, chained);
    } else {
        int position = 0;
        for (Card* c = pile.bottom; c && c != &card; c = c->above) ++position;
        recordTurnAt(pile, position, chained);
    }
}

void turnCard(Pile& pile, Card& card, int32_t faceDown, int chained) {
    card.faceDown = faceDown;
    repaintTable();
    recordTurnOf(pile, card, chained);
}

void shiftTopCard(Pile& source, Pile& target, int chained) {
    splitRun(source, carriedPile, *source.top);
    layoutPile(source);
    layoutPile(carriedPile);
    recordMove(target, source, chained);
    joinPiles(carriedPile, target);
    layoutPile(carriedPile);
    layoutPile(target);
}

bool selectionPending() { return core::selectionPending(currentRules(), currentTable()); }

static void cannotUndo() {
    platform().messageBox("No more moves to undo, or an attempted play has not been completed.", "CANNOT UNDO",
                          Mb::Ok | Mb::IconExclamation);
}

// Takes back the entries of the last action; false when the history does
// not match the table (some may have been taken back by then).
static bool takeBack() {
    while (true) {
        const UndoEntry& e = undoBuffer[static_cast<size_t>(table.undoCount - 1)];
        Pile* source = e.sourceIndex >= 0 ? pileAt(e.sourceIndex) : nullptr;
        if (e.targetIndex == -1) {
            // A turned card: flip it back.
            Card* turned = !source ? nullptr : e.targetCount < 0 ? source->top : cardAt(*source, e.targetCount);
            if (!turned) return false;
            --table.undoCount;
            turned->faceDown = turned->faceDown == kFaceDown ? kFaceUp : kFaceDown;
            repaintTable();
            updateStatusLine();
        } else {
            Pile* target = e.targetIndex >= 0 ? pileAt(e.targetIndex) : nullptr;
            Card* card = target ? cardAt(*target, e.targetCount) : nullptr;
            if (!source || !card) return false;
            --table.undoCount;
            liftGroup(*target, *card);
            glideTo(*source);
            landCards(*source);
        }
        if (table.undoCount == 0 || !e.chained) return true;
    }
}

void undo() {
    if (table.undoCount <= 0 || table.undoCount > kUndoEntries || selectionPending()) {
        cannotUndo();
        return;
    }
    // What the table was with the action made: Redo makes it again.
    const core::Table made = currentTable();
    const int madeCount = table.undoCount;
    if (takeBack()) {
        keepForRedo(made, madeCount);
    } else {
        forgetRedo();
        cannotUndo();  // the history does not match the table
    }
}

}  // namespace korvat
