#include "cli/commands.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "art/view_art.h"
#include "cli/history_commands.h"
#include "cli/png.h"
#include "cli/session.h"
#include "cli/solve_commands.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "model/score.h"
#include "model/drawing.h"
#include "play/game.h"
#include "play/pointer.h"
#include "store/bytes.h"
#include "store/gamefile.h"
#include "store/logfile.h"
#include "store/persistence.h"
#include "shell/file_commands.h"
#include "shell/history_recorder.h"
#include "shell/program.h"
#include "view/counter.h"
#include "view/graph.h"
#include "view/pictures.h"
#include "view/scaled_pictures.h"
#include "view/table_drawing.h"
#include "shell/headless_platform.h"

namespace korvat::cli {

namespace {

constexpr const char* kUsage =
    "usage: korvat-cli games\n"
    "       korvat-cli deal ID NUMBER [--unlimit]\n"
    "       korvat-cli play ID NUMBER [--unlimit] [--pref KEY=VALUE]... [--answer yes|no]\n"
    "                [--save FILE] [--log FILE] [--history FILE] ACTION...\n"
    "       korvat-cli load FILE [--unlimit] [--pref KEY=VALUE]... [--answer yes|no] [--save FILE] [--log FILE]\n"
    "                [--history FILE] [ACTION...]\n"
    "       korvat-cli render ID NUMBER OUT.png [--frame N] [--scale S] [--unlimit] [--pref KEY=VALUE]... [ACTION...]\n"
    "       korvat-cli render-counter ID NUMBER OUT.png [--count-stock] [--unlimit] [--pref KEY=VALUE]... [ACTION...]\n"
    "       korvat-cli render-graph --log FILE ID OUT.png\n"
    "       korvat-cli moves ID NUMBER [--unlimit] [--pref KEY=VALUE]... [ACTION...]\n"
    "       korvat-cli solve ID NUMBER [--unlimit] [--pref KEY=VALUE]... [--max-states N] [--max-ms T] [--cpu-ms T]\n"
    "                [--max-mb M] [--threads T] [ACTION...]\n"
    "       korvat-cli hint ID NUMBER [--unlimit] [--pref KEY=VALUE]... [--max-states N] [--max-ms T] [--cpu-ms T]\n"
    "                [--max-mb M] [--threads T] [ACTION...]\n"
    "       korvat-cli review ID NUMBER [--unlimit] [--pref KEY=VALUE]... [--max-states N] [--max-ms T] [--cpu-ms T]\n"
    "                [--max-mb M] [--threads T] [ACTION...]\n"
    "       korvat-cli survey [--games all|ID,ID...] [--deals N] [--first NUMBER] [--threads T] [--max-ms T]\n"
    "                [--cpu-ms T] [--max-states N] [--max-mb M] [--unlimit] [--pref KEY=VALUE]... [--json | --markdown]\n"
    "       korvat-cli stats [--history FILE] [--game ID] [--json]\n"
    "actions: press:X,Y drag:X,Y release right:X,Y click:P discard:P1,P2,... move:P,K,Q\n"
    "         undo step auto restart pageup pagedown tick\n";

// Installs a headless platform for the length of one command.
struct HeadlessScope {
    HeadlessPlatform headless;
    HeadlessScope() { setPlatform(&headless); }
    ~HeadlessScope() { setPlatform(nullptr); }
};

int games(const std::vector<std::string>& args, std::FILE* out) {
    if (!Arguments(args, 1, {}).plain.empty()) throw BadInput{"games takes no arguments"};
    GameCatalogue& catalogue = gameCatalogue();
    for (int row = 0; row < kGameCount; ++row) {
        const GameEntry& g = catalogue[static_cast<size_t>(row)];
        std::fprintf(out, "%d\t%d\t%s\t%d\t0x%x\n", row, g.commandId, g.name, g.pileCount, g.ruleFlags);
    }
    return 0;
}

int deal(const std::vector<std::string>& args, std::FILE* out) {
    Session session = readSession(Arguments(args, 1, {{"--unlimit", false}}));
    if (!session.actions.empty()) throw BadInput{"unexpected argument '" + session.actions[0] + "'"};
    HeadlessScope scope;
    playSession(session, scope.headless);
    std::string json = dealJson();
    json += '}';
    std::fprintf(out, "%s\n", json.c_str());
    return 0;
}

void appendField(std::string& out, const char* name, long long value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, ",\"%s\":%lld", name, value);
    out += buf;
}

// The files a play or load session may use: --save FILE, --log FILE and
// --history FILE.
struct SessionFiles {
    std::string save;
    std::string log;
    std::string history;
};

// Whether two names lead to one file: the same file where it exists, the
// same name in the same folder where it does not yet.
bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const std::string fa = followLinks(a), fb = followLinks(b);
    struct stat sa {}, sb {};
    if (::stat(fa.c_str(), &sa) == 0 && ::stat(fb.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    auto canonical = [](const std::string& path) {
        const size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        char* real = ::realpath(folder.c_str(), nullptr);
        std::string out = real ? real : folder;
        std::free(real);
        return out + "/" + (slash == std::string::npos ? path : path.substr(slash + 1));
    };
    return canonical(fa) == canonical(fb);
}

// The options of play and load.
std::vector<Option> sessionFileOptions() {
    return sessionOptions({{"--save", true}, {"--log", true}, {"--history", true}});
}

SessionFiles sessionFiles(const Arguments& arguments) {
    SessionFiles files;
    auto read = [&](const char* option, std::string& name) {
        for (const std::string& value : arguments.values(option)) {
            if (value.empty()) throw BadInput{std::string(option) + " needs a file name"};
            name = value;
        }
    };
    read("--save", files.save);
    read("--log", files.log);
    read("--history", files.history);
    const std::pair<const char*, const std::string*> named[] = {
        {"--save", &files.save}, {"--log", &files.log}, {"--history", &files.history}};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = i + 1; j < 3; ++j)
            if (!named[i].second->empty() && !named[j].second->empty() && sameFile(*named[i].second, *named[j].second))
                throw BadInput{std::string(named[i].first) + " and " + named[j].first + " name the same file"};
    return files;
}

// With --log, the session's log is read from that file before the game
// starts and written there once, merged with what other programs wrote
// meanwhile, after the actions; without it no log file is touched. A
// session stopped by bad input writes nothing.
struct LogFileScope {
    bool active = false;
    ~LogFileScope() {
        if (!active) return;
        logChanged = nullptr;
        logFilePath = "LOG.DAT";
        logWritable = false;
    }
    bool open(const std::string& path, std::FILE* err) {
        if (path.empty()) return true;
        std::string error;
        bool missing = false;
        logFilePath = path;
        if (!loadLog(error, &missing) && !missing) {
            logFilePath = "LOG.DAT";
            std::fprintf(err, "korvat-cli: %s\n",
                         escapedLine("cannot read the log " + path + ": " + error).c_str());
            return false;
        }
        active = true;
        logWritable = true;
        logChanged = noteLogChanged;
        return true;
    }
    void close() {
        if (active) writeLog();
    }
};

// Prints the JSON of play for the table as it stands.
void printPlayJson(const HeadlessPlatform& headless, std::FILE* out);

// After the actions: --save writes the game as File > Save would, then the
// log is written, the deal finished in the history, and the table printed.
// Status 1 when the save was refused or failed, or the history could not
// take the deals (their messages are in the JSON).
int finishSession(const SessionFiles& files, LogFileScope& log, HistoryScope& history, HeadlessScope& scope,
                  std::FILE* out, std::FILE* err) {
    bool saved = true;
    if (!files.save.empty()) {
        if (carrying()) {
            std::fprintf(err, "korvat-cli: cards are being carried, so nothing was saved\n");
            saved = false;
        } else {
            gameFileName = files.save;
            saved = commandSave();
        }
    }
    log.close();
    const bool recorded = history.close();
    printPlayJson(scope.headless, out);
    return saved && recorded ? 0 : 1;
}

int play(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const Arguments arguments(args, 1, sessionFileOptions());
    Session session = readSession(arguments);
    checkSession(session);
    const SessionFiles files = sessionFiles(arguments);
    HeadlessScope scope;
    LogFileScope log;
    HistoryScope history;
    beginSession(session, scope.headless);
    if (!log.open(files.log, err)) return 1;
    history.open(files.history, log.active);
    selectGame(session.commandId);
    startGame(session.number);
    applyActions(session);
    return finishSession(files, log, history, scope, out, err);
}

// The number of piles of the game a saved game was saved from, or 0 when
// the file cannot be read or is no good saved game (reading it later says
// why).
int savedGamePiles(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    SavedGame game;
    if (!readFileBytes(path, kMaxGameFileBytes + 1, bytes, error) ||
        decodeGameFile(bytes.data(), bytes.size(), game, error) != GameFileCheck::Good)
        return 0;
    return gameCatalogue()[static_cast<size_t>(findGameRow(game.commandId))].pileCount;
}

// Reads a saved game as File > Open would, then plays on as play does.
int load(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const Arguments arguments(args, 1, sessionFileOptions());
    Session session = readSession(arguments, false);
    if (session.actions.empty()) throw BadInput{"load needs the name of a saved game"};
    const std::string path = session.actions.front();
    session.actions.erase(session.actions.begin());
    const SessionFiles files = sessionFiles(arguments);
    checkActions(session.actions, 0);
    // The actions' piles are checked against the saved game's before
    // anything is read into the session or written.
    if (const int piles = savedGamePiles(path)) checkActions(session.actions, piles);
    HeadlessScope scope;
    LogFileScope log;
    HistoryScope history;
    beginSession(session, scope.headless);
    if (!log.open(files.log, err)) return 1;
    history.open(files.history, log.active);
    gameFileName = path;
    if (!readGameFile(path)) {
        for (const RecordedMessage& m : scope.headless.messages)
            std::fprintf(err, "korvat-cli: %s\n", escapedLine(m.caption + " " + m.text).c_str());
        gameFileName.clear();
        return 1;
    }
    table.logIndex = addLogEntry();
    historyRecorder::enterDeal();
    updateStatusLine();
    applyActions(session);
    return finishSession(files, log, history, scope, out, err);
}

void printPlayJson(const HeadlessPlatform& headless, std::FILE* out) {
    std::string json = dealJson();
    json += ",\"status\":";
    appendJsonString(json, statusLine());
    appendField(json, "undoCount", table.undoCount);
    appendField(json, "won", table.won);
    appendField(json, "score", cardsOnFoundations());
    appendField(json, "logIndex", table.logIndex);
    // Cards still held by the pointer when the actions ran out.
    json += ",\"carried\":[";
    for (Card* c = carriedPile.bottom; c; c = c->above) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s[%d,%d]", c == carriedPile.bottom ? "" : ",", c->value, c->faceDown);
        json += buf;
    }
    json += ']';
    json += ",\"messages\":[";
    bool first = true;
    for (const RecordedMessage& m : headless.messages) {
        json += first ? "{\"caption\":" : ",{\"caption\":";
        first = false;
        appendJsonString(json, m.caption.c_str());
        json += ",\"text\":";
        appendJsonString(json, m.text.c_str());
        json += '}';
    }
    json += "]}";
    std::fprintf(out, "%s\n", json.c_str());
}

// Keeps a copy of the window as shown in the chosen frame of the latest
// glide or win animation.
class RenderPlatform : public HeadlessPlatform {
public:
    int wantedFrame = 0;  // 0: none
    int frameInAnimation = 0;
    bool captured = false;
    Surface frame;

    void animationBegins() override { frameInAnimation = 0; }
    void frameShown() override {
        HeadlessPlatform::frameShown();
        if (++frameInAnimation == wantedFrame) {
            frame = view::windowSurface;
            captured = true;
        }
    }
};

int render(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const Arguments arguments(args, 1, sessionOptions({{"--frame", true}, {"--scale", true}}));
    Session session = readSession(arguments);
    if (session.actions.empty()) throw BadInput{"render needs the name of the PNG file to write"};
    const std::string path = session.actions.front();
    session.actions.erase(session.actions.begin());
    checkSession(session);
    RenderPlatform platformForRender;
    int64_t frame = 0;
    if (arguments.number("--frame", 1, 1000, frame)) platformForRender.wantedFrame = static_cast<int>(frame);
    // The table's size at the scale given: 640 x 480 times it, rounded.
    view::TableScale scale{0, 0};
    int64_t thousandths = 0;
    if (arguments.decimal("--scale", 1000, 4000, thousandths))
        scale = {static_cast<int>((kClientWidth * thousandths + 500) / 1000),
                 static_cast<int>((kClientHeight * thousandths + 500) / 1000)};
    setPlatform(&platformForRender);
    struct Restore {
        ~Restore() { setPlatform(nullptr); }
    } restore;
    if (!view::startGraphics()) return 1;
    if (scale.width != 0) {
        // The table as the window shows it at that scale.
        art::installInTableDrawing();
        if (!view::setTableSize(scale.width, scale.height) && !scale.unit()) {
            std::fprintf(err, "korvat-cli: not enough memory for the table at that scale\n");
            return 1;
        }
    }
    playSession(session, platformForRender);
    const Surface* shown = &view::windowSurface;
    if (platformForRender.wantedFrame) {
        if (!platformForRender.captured)
            throw BadInput{"no glide or win animation reached frame " + std::to_string(platformForRender.wantedFrame)};
        shown = &platformForRender.frame;
    } else {
        repaintTable();
        if (carrying()) view::redrawMovedPile(carriedPile);  // the cards in the pointer's hold
    }
    if (!writePng(*shown, path)) {
        std::fprintf(err, "korvat-cli: cannot write %s\n", escapedLine(path).c_str());
        return 1;
    }
    (void)out;
    return 0;
}

// The card counter window's client area after the session's actions.
int renderCounter(const std::vector<std::string>& args, std::FILE* err) {
    const Arguments arguments(args, 1, sessionOptions({{"--count-stock", false}}));
    const bool stockCounted = arguments.has("--count-stock");
    Session session = readSession(arguments);
    if (session.actions.empty()) throw BadInput{"render-counter needs the name of the PNG file to write"};
    const std::string path = session.actions.front();
    session.actions.erase(session.actions.begin());
    checkSession(session);
    HeadlessScope scope;
    if (!view::startGraphics()) return 1;
    playSession(session, scope.headless);
    if (!prefs.AllowCounter) {
        std::fprintf(err, "korvat-cli: WAIT! This feature has been disabled.  Go to preferences to enable this feature.\n");
        return 1;
    }
    view::countStock = stockCounted ? 1 : 0;
    Surface counter;
    counter.allocate(view::kCounterWidth, view::kCounterHeight);
    view::drawCounter(counter);
    if (!writePng(counter, path)) {
        std::fprintf(err, "korvat-cli: cannot write %s\n", escapedLine(path).c_str());
        return 1;
    }
    return 0;
}

// The graph window's client area for a game, from a log file.
int renderGraph(const std::vector<std::string>& args, std::FILE* err) {
    const Arguments arguments(args, 1, {{"--log", true}});
    const std::string* log = arguments.value("--log");
    if (!log || log->empty()) throw BadInput{"render-graph needs --log FILE"};
    const std::string& logPath = *log;
    const std::vector<std::string>& plain = arguments.plain;
    if (plain.size() != 2) throw BadInput{"render-graph takes a game command id and the name of the PNG file to write"};
    const int id = gameIdArgument(plain[0]);
    const std::string& path = plain[1];

    std::string error;
    if (!readLogFile(logPath, gameLog, error)) {
        std::fprintf(err, "korvat-cli: %s\n", escapedLine("cannot read the log " + logPath + ": " + error).c_str());
        return 1;
    }
    HeadlessScope scope;
    if (!view::startGraphics()) return 1;
    selectGame(id);
    table.logMatchCount = countLogEntries();
    if (table.logMatchCount == 0) {
        std::fprintf(err, "korvat-cli: CANNOT MAKE GRAPH. Not enough data for graph.\n");
        return 1;
    }
    Surface graph;
    graph.allocate(view::kGraphWidth, view::kGraphHeight);
    view::drawGraph(graph);
    if (!writePng(graph, path)) {
        std::fprintf(err, "korvat-cli: cannot write %s\n", escapedLine(path).c_str());
        return 1;
    }
    return 0;
}

}  // namespace

// One command, by its name.
int dispatch(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    try {
        if (args.empty()) throw BadInput{"no command given"};
        const std::string& command = args[0];
        if (command == "games") return games(args, out);
        if (command == "deal") return deal(args, out);
        if (command == "play") return play(args, out, err);
        if (command == "load") return load(args, out, err);
        if (command == "render") return render(args, out, err);
        if (command == "render-counter") return renderCounter(args, err);
        if (command == "render-graph") return renderGraph(args, err);
        if (command == "moves") return movesCommand(args, out);
        if (command == "solve") return solveCommand(args, out);
        if (command == "hint") return hintCommand(args, out);
        if (command == "review") return reviewCommand(args, out);
        if (command == "survey") return surveyCommand(args, out, err);
        if (command == "stats") return statsCommand(args, out, err);
        if (command == "--help" || command == "help") throw HelpAsked{};
        throw BadInput{"unknown command '" + command + "'"};
    } catch (const HelpAsked&) {
        std::fputs(kUsage, out);
        return 0;
    } catch (const BadInput& bad) {
        std::fprintf(err, "korvat-cli: %s (try: korvat-cli help)\n", escapedLine(bad.message).c_str());
        return 2;
    } catch (const std::exception& failure) {
        // Whatever else stops a command (memory, threads) is a failure told
        // in one line, never an abort.
        std::fprintf(err, "korvat-cli: the command failed: %s\n", escapedLine(failure.what()).c_str());
        return 1;
    }
}

int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    int status = dispatch(args, out, err);
    // Output that did not reach its file (a full disk) is a failure.
    if (std::fflush(out) != 0 || std::ferror(out)) {
        const int error = errno;
        std::fprintf(err, "korvat-cli: cannot write the output: %s\n", std::strerror(error));
        if (status != 2) status = 1;
    }
    return status;
}

}  // namespace korvat::cli
