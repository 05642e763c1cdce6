// The history at the table: one row for the deal being played, the finished
// rows waiting for the next write, and the reports of a history that cannot
// be used.
#include "shell/history_recorder.h"

#include <chrono>
#include <memory>
#include <vector>

#include "model/catalogue.h"
#include "model/deck.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "model/score.h"
#include "play/game.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "shell/solver_service.h"

namespace korvat::historyRecorder {

namespace {

constexpr int kBatchWaitMs = 5000;
constexpr int kEndWaitMs = 2000;
// Ticks of 100 ms that the history may stay locked before the player is told.
constexpr int kLockedTicksBeforeReport = 100;

int64_t systemClock() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

enum class Status { Closed, Open, Unusable };

// The deal on the table and its row.
struct Current {
    bool active = false;    // the deal has a row
    bool finished = false;  // won: later moves in it make no new row
    const GameEntry* game = nullptr;
    uint32_t number = 0;
    history::DealRow row;
    bool dirty = false;       // changed since it was last written
    uint32_t clockStart = 0;  // the platform's clock at the deal's first move
};

// Hint, Demo or Undo used before the deal's first move.
struct HelpBefore {
    const GameEntry* game = nullptr;
    uint32_t number = 0;
    bool hint = false, demo = false, undo = false;
};

struct State {
    bool on = false;
    Mode mode = Mode::Window;
    std::string path;
    // The game log as it was read at the start, to be taken in when the
    // history has not taken in a log yet; null once that is settled.
    std::unique_ptr<GameLog> logToImport;
    Status status = Status::Closed;
    Current current;
    HelpBefore helpBefore;
    std::vector<history::DealRow> finished;  // waiting to be written
    int busyTicks = 0;
    bool lockReported = false;
    bool failureReported = false;
    std::string report;  // waiting to be shown
};
State state;
history::Database db;  // apart from the state, which is made anew for each session

bool isCurrentDeal(const Current& c) { return c.game == currentGame && c.number == gameNumber; }

void say(const std::string& text) {
    if (!state.report.empty()) state.report += "\n\n";
    state.report += text;
}

void showReport() {
    if (state.report.empty() || carrying()) return;
    const std::string text = std::move(state.report);
    state.report.clear();
    platform().messageBox(text.c_str(), "MODERATE ERROR", Mb::Ok | Mb::IconExclamation);
}

void giveUp(const std::string& what, const std::string& error) {
    state.status = Status::Unusable;
    state.finished.clear();
    state.current.dirty = false;
    if (state.failureReported) return;
    state.failureReported = true;
    say("The history of the deals played " + what + ".\n\n" + state.path + ": " + error +
        ".\n\nThe file is kept as it is: the deals of this session are not added to it.");
}

void importLogOnce() {
    if (!state.logToImport || state.status != Status::Open || !db.writable()) return;
    bool done = false;
    std::string error;
    switch (db.importLog(*state.logToImport, done, error)) {
        case history::Outcome::Done: state.logToImport.reset(); break;
        case history::Outcome::Busy: break;  // at a later tick
        case history::Outcome::Failed: giveUp("could not be written", error); break;
    }
}

bool openHistory(int waitMs) {
    if (state.status == Status::Open) return true;
    if (state.status == Status::Unusable) return false;
    std::string error;
    switch (db.open(state.path, waitMs, error)) {
        case history::Outcome::Busy: return false;
        case history::Outcome::Failed: giveUp("could not be opened", error); return false;
        case history::Outcome::Done: break;
    }
    state.status = Status::Open;
    if (!db.writable()) {
        state.failureReported = true;
        say("The history of the deals played can only be read: " + state.path +
            " cannot be written.\n\nThe deals of this session are not added to it.");
    }
    importLogOnce();
    return state.status == Status::Open;
}

void startRow() {
    Current& c = state.current;
    c = Current{};
    c.active = true;
    c.game = currentGame;
    c.number = gameNumber;
    c.row.game = currentGame->commandId;
    c.row.number = gameNumber;
    c.row.three = prefs.Three ? 1 : 0;
    c.row.unlimit = prefs.Unlimit ? 1 : 0;
    c.row.started = wallClock();
    const HelpBefore& h = state.helpBefore;
    const bool before = h.game == currentGame && h.number == gameNumber;
    c.row.hint = before && h.hint ? 1 : 0;
    c.row.demo = before && h.demo ? 1 : 0;
    c.row.undo = before && h.undo ? 1 : 0;
    state.helpBefore = HelpBefore{};
    c.clockStart = platform().tickCount();
    c.dirty = true;
}

// The deal's row gets its end: the time and moves as they stand now.
void finishRow(const char* finish) {
    Current& c = state.current;
    c.row.ended = wallClock();
    c.row.timeMs = static_cast<uint32_t>(platform().tickCount() - c.clockStart);
    c.row.moves = movesMade();
    c.row.won = finish != history::Finish::Left;
    c.row.finish = finish;
    c.dirty = false;
    // A history that cannot be written (reported) takes nothing more.
    if (state.status == Status::Unusable || (state.status == Status::Open && !db.writable())) return;
    state.finished.push_back(c.row);
    if (state.mode == Mode::Batch) writePending();
}

}  // namespace

int64_t (*wallClock)() = systemClock;

void begin(const std::string& path, Mode mode, bool importLog) {
    end();
    state = State{};
    state.on = true;
    state.mode = mode;
    state.path = path;
    if (importLog) state.logToImport = std::make_unique<GameLog>(gameLog);
    moveRecordedHook = moveRecorded;
    beforeDealHook = beforeDeal;
    dealWonHook = dealWon;
    if (mode == Mode::Batch) {
        openHistory(kBatchWaitMs);
        showReport();
    }
}

bool recording() { return state.on; }

bool end() {
    if (!state.on) return true;
    Current& c = state.current;
    if (c.active && !c.finished) finishRow(history::Finish::Left);
    c = Current{};
    if (state.status == Status::Closed && !state.finished.empty()) openHistory(kEndWaitMs);
    if (state.status == Status::Open) {
        db.setBusyTimeout(kEndWaitMs);
        importLogOnce();
        writePending();
    }
    const size_t lost = state.finished.size();
    if (lost > 0 && state.status != Status::Unusable)
        say("The history of the deals played is locked by another program: " + state.path + ".\n\n" +
            (lost == 1 ? std::string("The last deal") : std::to_string(lost) + " deals") +
            " of this session could not be added to it.");
    // Shown now even while cards are held: there is no later.
    if (!state.report.empty())
        platform().messageBox(state.report.c_str(), "MODERATE ERROR", Mb::Ok | Mb::IconExclamation);
    const bool whole =
        lost == 0 && state.status != Status::Unusable && (state.status == Status::Closed || db.writable());
    db.close();
    if (moveRecordedHook == moveRecorded) moveRecordedHook = nullptr;
    if (beforeDealHook == beforeDeal) beforeDealHook = nullptr;
    if (dealWonHook == dealWon) dealWonHook = nullptr;
    state = State{};
    return whole;
}

void tick() {
    if (!state.on) return;
    // The window opens the history once it has a row to write, so that a
    // window at rest holds none of the database (nor the library's pages).
    const bool rowWaiting = !state.finished.empty() || (state.current.active && state.current.dirty);
    if (state.status == Status::Closed && (state.mode == Mode::Batch || rowWaiting))
        openHistory(state.mode == Mode::Batch ? kBatchWaitMs : 0);
    importLogOnce();
    writePending();
    showReport();
}

void writePending() {
    if (state.status != Status::Open || !db.writable()) return;
    Current& c = state.current;
    std::vector<history::DealRow*> rows;
    for (history::DealRow& r : state.finished) rows.push_back(&r);
    const bool withCurrent = c.active && c.dirty;
    if (withCurrent) rows.push_back(&c.row);
    if (rows.empty()) return;
    std::string error;
    switch (db.write(rows, error)) {
        case history::Outcome::Done:
            state.finished.clear();
            if (withCurrent) c.dirty = false;
            state.busyTicks = 0;
            break;
        case history::Outcome::Busy:
            if (++state.busyTicks >= kLockedTicksBeforeReport && !state.lockReported) {
                state.lockReported = true;
                say("The history of the deals played is locked by another program: " + state.path +
                    ".\n\nThe deals of this session are kept and added to it once it is free.");
            }
            break;
        case history::Outcome::Failed: giveUp("could not be written", error); break;
    }
}

void enterDeal() {
    if (!state.on || !currentGame) return;
    if (state.current.active && isCurrentDeal(state.current)) return;
    if (state.current.active && !state.current.finished) finishRow(history::Finish::Left);
    startRow();
}

void moveRecorded() {
    if (!state.on || !currentGame) return;
    Current& c = state.current;
    if (c.active && isCurrentDeal(c)) {
        // The first move after a restart or after every move was undone:
        // the time is counted from here, as the status bar counts it.
        if (!c.finished && table.undoCount <= 0) c.clockStart = platform().tickCount();
        return;
    }
    enterDeal();
}

void beforeDeal(bool replaced) {
    if (!state.on) return;
    state.helpBefore = HelpBefore{};
    Current& c = state.current;
    if (!c.active) return;
    // The same deal dealt again (Restart) goes on in its row; a won deal
    // dealt again is played anew.
    if (!replaced && isCurrentDeal(c) && !c.finished) return;
    if (!c.finished) finishRow(history::Finish::Left);
    c = Current{};
}

void dealWon() {
    if (!state.on) return;
    Current& c = state.current;
    if (!c.active || c.finished || !isCurrentDeal(c)) return;
    c.finished = true;
    finishRow(history::Finish::Won);
}

void helpUsed(Help help) {
    if (!state.on || !currentGame) return;
    Current& c = state.current;
    if (c.active && isCurrentDeal(c)) {
        int& flag = help == Help::Hint ? c.row.hint : help == Help::Demo ? c.row.demo : c.row.undo;
        if (flag != 1 && !c.finished) {
            flag = 1;
            c.dirty = true;
        }
        return;
    }
    HelpBefore& h = state.helpBefore;
    if (h.game != currentGame || h.number != gameNumber) h = HelpBefore{currentGame, gameNumber};
    (help == Help::Hint ? h.hint : help == Help::Demo ? h.demo : h.undo) = true;
}

history::Database* database() {
    if (!state.on) return nullptr;
    openHistory(state.mode == Mode::Batch ? kBatchWaitMs : 0);
    showReport();
    return state.status == Status::Open ? &db : nullptr;
}

bool readResults(std::vector<history::Result>& out, std::string& error) {
    out.clear();
    history::Database* d = database();
    if (!d) {
        error = state.on ? "The history of the deals played cannot be read." : "No history is kept.";
        return false;
    }
    // What this program finished is counted too, written or not (reading
    // waits a moment for a program that is writing).
    writePending();
    d->setBusyTimeout(500);
    const bool read = d->readResults(out, error);
    d->setBusyTimeout(state.mode == Mode::Batch ? kBatchWaitMs : 0);
    if (!read) return false;
    for (const history::DealRow& r : state.finished)
        out.push_back({r.game, r.won, r.ended, r.timeMs, static_cast<int32_t>(r.moves)});
    return true;
}

history::Outcome resetGame(int game, std::string& error) {
    history::Database* d = database();
    if (!d || !d->writable()) {
        error = "The history of the deals played cannot be written.";
        return history::Outcome::Failed;
    }
    d->setBusyTimeout(500);
    const history::Outcome o = d->resetGame(game, error);
    d->setBusyTimeout(state.mode == Mode::Batch ? kBatchWaitMs : 0);
    return o;
}

int pending() {
    return static_cast<int>(state.finished.size()) + (state.current.active && state.current.dirty ? 1 : 0);
}

}  // namespace korvat::historyRecorder
