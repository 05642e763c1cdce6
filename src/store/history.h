// The history of every deal played: an SQLite database with one row per
// deal, kept beside the game log and without its limit of 1024 deals. This
// file is the connection to it: opening (creating or upgrading the schema),
// the rows written as deals enter and finish, the import of a game log and
// what the statistics read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/gamelog.h"

struct sqlite3;

namespace korvat::history {

// The schema's version, kept in the database's user_version.
constexpr int kSchemaVersion = 1;

// How a deal was finished, as the `finish` column holds it; a row being
// played has none.
namespace Finish {
constexpr const char* Won = "won";    // won (with or without Hint and Demo: see their columns)
constexpr const char* Left = "left";  // left unfinished: a new deal, another game, open, exit
}  // namespace Finish

// One deal. Values that are not known (a deal imported from a game log has
// no times, moves or settings) are -1.
struct DealRow {
    int64_t id = 0;  // the row's id once written, else 0
    int game = 0;    // the game's command id (827 Klondike)
    uint32_t number = 0;
    int three = -1, unlimit = -1;        // the preferences that change play
    int64_t started = -1, ended = -1;    // wall clock, milliseconds since 1970 (UTC)
    int64_t timeMs = -1;                 // time played, as the status bar counts it
    int moves = -1;                      // moves made, as the status bar counts them
    bool won = false;
    const char* finish = nullptr;        // Finish::*, null while the deal is played
    int hint = -1, demo = -1, undo = -1; // 1 when used in this deal, 0 when not
};

// A finished deal as the statistics read it.
struct Result {
    int game;
    bool won;
    int64_t ended;   // -1 for an imported deal
    int64_t timeMs;  // -1 when not known
    int32_t moves;   // -1 when not known
};

// What a write came to: done, or the database is locked by another program
// (try again later, nothing was changed), or it failed (with a reason).
enum class Outcome { Done, Busy, Failed };

// Where the history lives: $KORVAT_HISTORY when set, else
// $XDG_DATA_HOME/korvat/history.sqlite, by default
// ~/.local/share/korvat/history.sqlite.
std::string defaultPath();

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the database at `path`, making it and its folder when missing,
    // and creates or upgrades its schema. A file that cannot be written is
    // opened for reading only. Busy when another program holds the lock the
    // schema needs (call again later); Failed with a reason when the file is
    // no history (not a database, damaged, another program's, made by a
    // newer Korvat) or cannot be opened at all. The file is then left alone.
    Outcome open(const std::string& path, int busyMilliseconds, std::string& error);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    bool writable() const { return db_ != nullptr && writable_; }
    const std::string& path() const { return path_; }
    // How long a statement waits for another program's lock.
    void setBusyTimeout(int milliseconds);

    // Writes the rows in one transaction: a row without an id is inserted
    // and given one, a row with an id is brought up to date. On Busy or
    // Failed nothing was written and no id was given.
    Outcome write(std::vector<DealRow*>& rows, std::string& error);

    // The deals of a game log become rows, once for the whole life of the
    // database: false in `done` when that import has been made already.
    Outcome importLog(const GameLog& log, bool& done, std::string& error);

    // Every finished deal, in the order they were finished (imported deals
    // first, in the log's order).
    bool readResults(std::vector<Result>& out, std::string& error);
    // Every row, in the order they were written (tests and the tools).
    bool readRows(std::vector<DealRow>& out, std::string& error);

    // Removes the finished deals of one game; the deal being played keeps
    // its row.
    Outcome resetGame(int game, std::string& error);

private:
    Outcome createSchema(std::string& error);
    Outcome run(const char* sql, std::string& error);
    std::string message() const;

    sqlite3* db_ = nullptr;
    bool writable_ = false;
    std::string path_;
};

}  // namespace korvat::history
