// The history database through SQLite's C API: the schema, its version and
// the statements that write and read the deals.
#include "store/history.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "model/catalogue.h"

namespace korvat::history {

namespace {

// Version 1. The columns are described in the README, for the player who
// reads the history with the sqlite3 shell.
constexpr const char* kSchema =
    "CREATE TABLE games("
    " id INTEGER PRIMARY KEY,"  // the game's command id
    " name TEXT NOT NULL,"
    " decks INTEGER NOT NULL);"
    "CREATE TABLE deals("
    " id INTEGER PRIMARY KEY,"
    " game INTEGER NOT NULL,"    // games.id
    " number INTEGER NOT NULL,"  // the game number, 0..4294967295
    " three INTEGER,"            // the Three and Unlimit preferences
    " unlimit INTEGER,"
    " started INTEGER,"  // milliseconds since 1970-01-01 UTC: the first move
    " ended INTEGER,"    // the win, or when the deal was left
    " time_ms INTEGER,"  // time played and moves made, as the status bar counts them
    " moves INTEGER,"
    " won INTEGER NOT NULL DEFAULT 0,"
    " finish TEXT,"  // 'won', or 'left' unfinished; null while played
    " hint INTEGER,"  // 1 when Hint, Demo, Undo were used in the deal
    " demo INTEGER,"
    " undo INTEGER,"
    " source TEXT NOT NULL DEFAULT 'played');"  // 'played', or 'log': imported from LOG.DAT
    "CREATE TABLE meta("
    " key TEXT PRIMARY KEY,"
    " value);";

constexpr const char* kInsert =
    "INSERT INTO deals(game, number, three, unlimit, started, ended, time_ms, moves, won, finish, hint, demo, "
    "undo, source) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)";
constexpr const char* kUpdate =
    "UPDATE deals SET game = ?1, number = ?2, three = ?3, unlimit = ?4, started = ?5, ended = ?6, time_ms = ?7, "
    "moves = ?8, won = ?9, finish = ?10, hint = ?11, demo = ?12, undo = ?13 WHERE id = ?15";

// A prepared statement, finalized when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool ok() const { return rc_ == SQLITE_OK && s_; }
    int prepareCode() const { return rc_; }
    sqlite3_stmt* get() const { return s_; }
    int step() { return sqlite3_step(s_); }
    int64_t integer(int column) const { return sqlite3_column_int64(s_, column); }
    // -1 for a null.
    int64_t orUnknown(int column) const {
        return sqlite3_column_type(s_, column) == SQLITE_NULL ? -1 : sqlite3_column_int64(s_, column);
    }

private:
    sqlite3_stmt* s_ = nullptr;
    int rc_ = SQLITE_OK;
};

bool busy(int rc) { return (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED; }

void bindOrNull(sqlite3_stmt* s, int index, int64_t value) {
    if (value < 0)
        sqlite3_bind_null(s, index);
    else
        sqlite3_bind_int64(s, index, value);
}

void bindRow(sqlite3_stmt* s, const DealRow& r) {
    sqlite3_bind_int(s, 1, r.game);
    sqlite3_bind_int64(s, 2, r.number);
    bindOrNull(s, 3, r.three);
    bindOrNull(s, 4, r.unlimit);
    bindOrNull(s, 5, r.started);
    bindOrNull(s, 6, r.ended);
    bindOrNull(s, 7, r.timeMs);
    bindOrNull(s, 8, r.moves);
    sqlite3_bind_int(s, 9, r.won ? 1 : 0);
    if (r.finish)
        sqlite3_bind_text(s, 10, r.finish, -1, SQLITE_STATIC);
    else
        sqlite3_bind_null(s, 10);
    bindOrNull(s, 11, r.hint);
    bindOrNull(s, 12, r.demo);
    bindOrNull(s, 13, r.undo);
}

const char* finishNamed(const unsigned char* text) {
    if (!text) return nullptr;
    for (const char* f : {Finish::Won, Finish::Left})
        if (std::strcmp(reinterpret_cast<const char*>(text), f) == 0) return f;
    return Finish::Left;
}

// Makes the folders above `path` that are missing, as `mkdir -p` would.
void makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return;
    }
}

int decksOf(const GameEntry& game) {
    if (game.ruleFlags & GameRuleFlags::fourDecks) return 4;
    if (game.ruleFlags & GameRuleFlags::twoDecks) return 2;
    return 1;
}

}  // namespace

std::string defaultPath() {
    if (const char* named = std::getenv("KORVAT_HISTORY"); named && *named) return named;
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        data = xdg;
    } else {
        const char* home = std::getenv("HOME");
        data = std::string(home && *home ? home : ".") + "/.local/share";
    }
    return data + "/korvat/history.sqlite";
}

Database::~Database() { close(); }

void Database::close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    writable_ = false;
}

void Database::setBusyTimeout(int milliseconds) {
    if (db_) sqlite3_busy_timeout(db_, milliseconds);
}

std::string Database::message() const { return db_ ? sqlite3_errmsg(db_) : "out of memory"; }

Outcome Database::run(const char* sql, std::string& error) {
    char* text = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &text);
    if (rc == SQLITE_OK) return Outcome::Done;
    error = text ? text : sqlite3_errstr(rc);
    sqlite3_free(text);
    return busy(rc) ? Outcome::Busy : Outcome::Failed;
}

Outcome Database::open(const std::string& path, int busyMilliseconds, std::string& error) {
    close();
    path_ = path;
    makeFolders(path);
    // A file the system lets us only read is opened for reading.
    int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    }
    if (rc != SQLITE_OK) {
        error = message();
        close();
        return Outcome::Failed;
    }
    writable_ = sqlite3_db_readonly(db_, "main") == 0;
    sqlite3_busy_timeout(db_, busyMilliseconds);

    // Reading the version is the first read of the file: one that is no
    // database, or is damaged, fails here.
    auto fail = [&](int code, const std::string& reason) {
        error = reason;
        close();
        return busy(code) ? Outcome::Busy : Outcome::Failed;
    };
    int version = 0, tables = 0;
    {
        Statement v(db_, "PRAGMA user_version");
        if (!v.ok()) return fail(v.prepareCode(), message());
        rc = v.step();
        if (rc != SQLITE_ROW) return fail(rc, message());
        version = static_cast<int>(v.integer(0));
        Statement t(db_, "SELECT count(*) FROM sqlite_master");
        if (!t.ok()) return fail(t.prepareCode(), message());
        rc = t.step();
        if (rc != SQLITE_ROW) return fail(rc, message());
        tables = static_cast<int>(t.integer(0));
    }
    if (version > kSchemaVersion)
        return fail(SQLITE_ERROR, "it was made by a newer version of Korvat (history version " +
                                      std::to_string(version) + ")");
    if (version == 0 && tables > 0) return fail(SQLITE_ERROR, "it is a database of another program");
    if (version == 0) {
        if (!writable_) return fail(SQLITE_READONLY, "it cannot be written");
        // Several programs may share the history: with a write-ahead log,
        // reading never waits for a writer. Kept in the file once set; a
        // file whose folder cannot take the log stays as it is.
        std::string ignored;
        run("PRAGMA journal_mode=WAL", ignored);
        const Outcome made = createSchema(error);
        if (made != Outcome::Done) {
            close();
            return made;
        }
    }
    // Written rows reach the file at each commit; the disk is synced at the
    // log's checkpoints, so a write costs the window no wait for the disk.
    std::string ignored;
    if (writable_) run("PRAGMA synchronous=NORMAL", ignored);
    // The page cache stays small: the statistics, which read every row,
    // read the file mapped into memory.
    run("PRAGMA cache_size=-512", ignored);
    return Outcome::Done;
}

Outcome Database::createSchema(std::string& error) {
    Outcome o = run("BEGIN IMMEDIATE", error);
    if (o != Outcome::Done) return o;
    // Another program may have made it while this one waited for the lock.
    bool made = false;
    {
        Statement v(db_, "SELECT count(*) FROM sqlite_master");
        made = v.ok() && v.step() == SQLITE_ROW && v.integer(0) > 0;
    }
    if (!made) {
        o = run(kSchema, error);
        if (o == Outcome::Done) {
            Statement add(db_, "INSERT INTO games(id, name, decks) VALUES(?1, ?2, ?3)");
            for (int i = 0; i < kGameCount && add.ok() && o == Outcome::Done; ++i) {
                const GameEntry& g = gameCatalogue()[static_cast<size_t>(i)];
                sqlite3_bind_int(add.get(), 1, g.commandId);
                sqlite3_bind_text(add.get(), 2, g.name, -1, SQLITE_STATIC);
                sqlite3_bind_int(add.get(), 3, decksOf(g));
                const int rc = add.step();
                if (rc != SQLITE_DONE) {
                    error = message();
                    o = busy(rc) ? Outcome::Busy : Outcome::Failed;
                }
                sqlite3_reset(add.get());
            }
            if (!add.ok()) {
                error = message();
                o = Outcome::Failed;
            }
        }
        if (o == Outcome::Done) o = run("PRAGMA user_version = 1", error);
    }
    if (o == Outcome::Done) o = run("COMMIT", error);
    if (o != Outcome::Done) {
        std::string ignored;
        run("ROLLBACK", ignored);
    }
    return o;
}

Outcome Database::write(std::vector<DealRow*>& rows, std::string& error) {
    if (!db_) {
        error = "the history is not open";
        return Outcome::Failed;
    }
    Outcome o = run("BEGIN IMMEDIATE", error);
    if (o != Outcome::Done) return o;
    std::vector<int64_t> ids(rows.size(), 0);
    {
        Statement insert(db_, kInsert), update(db_, kUpdate);
        if (!insert.ok() || !update.ok()) {
            error = message();
            o = Outcome::Failed;
        }
        for (size_t i = 0; i < rows.size() && o == Outcome::Done; ++i) {
            const DealRow& r = *rows[i];
            Statement& s = r.id ? update : insert;
            sqlite3_reset(s.get());
            sqlite3_clear_bindings(s.get());
            bindRow(s.get(), r);
            if (r.id)
                sqlite3_bind_int64(s.get(), 15, r.id);
            else
                sqlite3_bind_text(s.get(), 14, "played", -1, SQLITE_STATIC);
            const int rc = s.step();
            if (rc != SQLITE_DONE) {
                error = message();
                o = busy(rc) ? Outcome::Busy : Outcome::Failed;
            } else if (!r.id) {
                ids[i] = sqlite3_last_insert_rowid(db_);
            }
        }
    }
    if (o == Outcome::Done) o = run("COMMIT", error);
    if (o != Outcome::Done) {
        std::string ignored;
        run("ROLLBACK", ignored);
        return o;
    }
    for (size_t i = 0; i < rows.size(); ++i)
        if (ids[i]) rows[i]->id = ids[i];
    return Outcome::Done;
}

Outcome Database::importLog(const GameLog& log, bool& done, std::string& error) {
    done = false;
    if (!db_) {
        error = "the history is not open";
        return Outcome::Failed;
    }
    Outcome o = run("BEGIN IMMEDIATE", error);
    if (o != Outcome::Done) return o;
    bool already = false;
    {
        Statement seen(db_, "SELECT 1 FROM meta WHERE key = 'log_imported'");
        if (!seen.ok()) {
            error = message();
            o = Outcome::Failed;
        } else {
            already = seen.step() == SQLITE_ROW;
        }
    }
    int count = 0;
    if (o == Outcome::Done && !already) {
        Statement insert(db_, kInsert);
        if (!insert.ok()) {
            error = message();
            o = Outcome::Failed;
        }
        for (const LogEntry& e : log) {
            if (o != Outcome::Done) break;
            if (e.status == LogStatus::Free || e.gameIndex < 0 || e.gameIndex >= kGameCount) continue;
            DealRow r;
            r.game = gameCatalogue()[static_cast<size_t>(e.gameIndex)].commandId;
            r.number = e.gameNumber;
            r.won = e.status == LogStatus::Completed;
            r.finish = r.won ? Finish::Won : Finish::Left;
            sqlite3_reset(insert.get());
            bindRow(insert.get(), r);
            sqlite3_bind_text(insert.get(), 14, "log", -1, SQLITE_STATIC);
            const int rc = insert.step();
            if (rc != SQLITE_DONE) {
                error = message();
                o = busy(rc) ? Outcome::Busy : Outcome::Failed;
            }
            ++count;
        }
        if (o == Outcome::Done) {
            Statement mark(db_, "INSERT INTO meta(key, value) VALUES('log_imported', ?1)");
            sqlite3_bind_int(mark.get(), 1, count);
            if (!mark.ok() || mark.step() != SQLITE_DONE) {
                error = message();
                o = Outcome::Failed;
            }
        }
    }
    if (o == Outcome::Done) o = run("COMMIT", error);
    if (o != Outcome::Done) {
        std::string ignored;
        run("ROLLBACK", ignored);
        return o;
    }
    done = !already;
    return Outcome::Done;
}

bool Database::readResults(std::vector<Result>& out, std::string& error) {
    out.clear();
    if (!db_) {
        error = "the history is not open";
        return false;
    }
    // Mapped, the file's pages are read in place rather than copied into
    // the page cache: half the time. Only while reading, so that no write
    // ever goes through the mapping.
    std::string ignored;
    run("PRAGMA mmap_size=268435456", ignored);
    int rc = SQLITE_OK;
    {
        Statement s(db_, "SELECT game, won, ended, time_ms, moves FROM deals WHERE finish IS NOT NULL ORDER BY id");
        if (s.ok()) {
            while ((rc = s.step()) == SQLITE_ROW)
                out.push_back({static_cast<int>(s.integer(0)), s.integer(1) != 0, s.orUnknown(2), s.orUnknown(3),
                               static_cast<int32_t>(s.orUnknown(4))});
        } else {
            rc = s.prepareCode();
        }
    }
    if (rc != SQLITE_DONE) error = message();
    run("PRAGMA mmap_size=0", ignored);
    // What the reading brought into the page cache is not kept.
    sqlite3_db_release_memory(db_);
    if (rc != SQLITE_DONE) {
        out.clear();
        return false;
    }
    // In the order they ended; deals of two programs at once may have
    // ended in another order than they began.
    std::stable_sort(out.begin(), out.end(), [](const Result& a, const Result& b) { return a.ended < b.ended; });
    return true;
}

bool Database::readRows(std::vector<DealRow>& out, std::string& error) {
    out.clear();
    if (!db_) {
        error = "the history is not open";
        return false;
    }
    Statement s(db_,
                "SELECT id, game, number, three, unlimit, started, ended, time_ms, moves, won, finish, hint, demo, "
                "undo FROM deals ORDER BY id");
    if (!s.ok()) {
        error = message();
        return false;
    }
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) {
        DealRow r;
        r.id = s.integer(0);
        r.game = static_cast<int>(s.integer(1));
        r.number = static_cast<uint32_t>(s.integer(2));
        r.three = static_cast<int>(s.orUnknown(3));
        r.unlimit = static_cast<int>(s.orUnknown(4));
        r.started = s.orUnknown(5);
        r.ended = s.orUnknown(6);
        r.timeMs = s.orUnknown(7);
        r.moves = static_cast<int>(s.orUnknown(8));
        r.won = s.integer(9) != 0;
        r.finish = finishNamed(sqlite3_column_text(s.get(), 10));
        r.hint = static_cast<int>(s.orUnknown(11));
        r.demo = static_cast<int>(s.orUnknown(12));
        r.undo = static_cast<int>(s.orUnknown(13));
        out.push_back(r);
    }
    if (rc != SQLITE_DONE) {
        error = message();
        return false;
    }
    return true;
}

Outcome Database::resetGame(int game, std::string& error) {
    if (!db_) {
        error = "the history is not open";
        return Outcome::Failed;
    }
    Statement s(db_, "DELETE FROM deals WHERE game = ?1 AND finish IS NOT NULL");
    if (!s.ok()) {
        error = message();
        return busy(s.prepareCode()) ? Outcome::Busy : Outcome::Failed;
    }
    sqlite3_bind_int(s.get(), 1, game);
    const int rc = s.step();
    if (rc == SQLITE_DONE) return Outcome::Done;
    error = message();
    return busy(rc) ? Outcome::Busy : Outcome::Failed;
}

}  // namespace korvat::history
