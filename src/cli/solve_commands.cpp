#include "cli/solve_commands.h"

#include <unistd.h>

#include <cmath>
#include <thread>

#include "cli/session.h"
#include "model/catalogue.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "play/current.h"
#include "play/deal_history.h"
#include "play/pointer.h"
#include "shell/solver_service.h"
#include "solve/hint.h"
#include "solve/review.h"
#include "solve/survey.h"

namespace korvat::cli {

std::string moveAction(const core::Move& m) {
    switch (m.kind) {
        case core::Move::Place:
            return "move:" + std::to_string(m.from) + "," + std::to_string(m.card) + "," + std::to_string(m.to);
        case core::Move::Turn:
        case core::Move::Deal:
        case core::Move::Redeal: return "click:" + std::to_string(m.from);
        case core::Move::Discard: {
            std::string s = "discard:";
            bool first = true;
            auto add = [&](int p) {
                if (!first) s += ',';
                s += std::to_string(p);
                first = false;
            };
            core::forEachPile(m.last < core::kMaxPiles ? m.piles & ~core::bit(m.last) : m.piles, add);
            if (m.last < core::kMaxPiles) add(m.last);
            return s;
        }
    }
    return "";
}

std::vector<core::Move> pointerMoves() {
    core::MoveList list;
    core::legalMoves(currentRules(), currentTable(), list);
    std::vector<core::Move> moves;
    for (const core::Move& m : list)
        if (pointerCanMake(m)) moves.push_back(m);
    return moves;
}

namespace {

// Plays a session on a headless platform installed for the command's length.
struct PlayedSession {
    HeadlessPlatform headless;
    explicit PlayedSession(const Session& s) {
        setPlatform(&headless);
        playSession(s, headless);
        if (carrying()) throw BadInput{"the actions end with cards carried: release them first"};
    }
    ~PlayedSession() { setPlatform(nullptr); }
};

void appendMoves(std::string& out, const std::vector<core::Move>& moves) {
    out += '[';
    for (size_t i = 0; i < moves.size(); ++i) {
        if (i) out += ',';
        appendJsonString(out, moveAction(moves[i]).c_str());
    }
    out += ']';
}

// --threads: at most the machine's cores.
int threadsArgument(const Arguments& arguments, int fallback) {
    int64_t n = 0;
    if (!arguments.number("--threads", 1, 4096, n)) return fallback;
    const int64_t cores = std::max(1u, std::thread::hardware_concurrency());
    if (n > cores)
        throw BadInput{"--threads " + std::to_string(n) + " is more than the " + std::to_string(cores) +
                       " cores of this machine"};
    return static_cast<int>(n);
}

// The solver's limits, as --max-states, --max-ms, --max-mb and --cpu-ms
// change them.
solve::Limits limitsArgument(const Arguments& arguments, solve::Limits limits) {
    int64_t n = 0;
    if (arguments.number("--max-states", 1, 4'000'000'000, n)) limits.maxStates = static_cast<uint64_t>(n);
    if (arguments.number("--max-ms", 1, 86'400'000, n)) limits.maxMs = static_cast<uint32_t>(n);
    if (arguments.number("--max-mb", 1, 1'048'576, n)) limits.maxBytes = static_cast<uint64_t>(n) << 20;
    if (arguments.number("--cpu-ms", 1, 86'400'000, n)) {
        limits.maxMs = static_cast<uint32_t>(n);
        limits.processorTime = true;
    }
    return limits;
}

// The session of a command that searches, checked, and the solver's
// limits: `defaults` as --max-states, --max-ms, --max-mb, --cpu-ms and
// --threads change them. One thread unless told, so that the same table
// gives the same answer on every machine (the window searches on its cores
// but one).
solve::Limits readSearch(const std::vector<std::string>& args, const solve::Limits& defaults, Session& session) {
    const Arguments arguments(args, 1,
                              sessionOptions({{"--max-states", true}, {"--max-ms", true}, {"--max-mb", true},
                                              {"--cpu-ms", true}, {"--threads", true}}));
    session = readSession(arguments);
    solve::Limits limits = limitsArgument(arguments, defaults);
    limits.threads = threadsArgument(arguments, 1);
    checkSession(session);
    return limits;
}

}  // namespace

int movesCommand(const std::vector<std::string>& args, std::FILE* out) {
    Session session = readSession(Arguments(args, 1, sessionOptions()));
    checkSession(session);
    PlayedSession played(session);
    std::string json = "{\"moves\":";
    appendMoves(json, pointerMoves());
    json += "}\n";
    std::fputs(json.c_str(), out);
    return 0;
}

int solveCommand(const std::vector<std::string>& args, std::FILE* out) {
    Session session;
    const solve::Limits limits = readSearch(args, solve::Limits{}, session);
    PlayedSession played(session);
    const solve::Result result = solve::solve(currentRules(), currentTable(), limits);
    std::string json = "{\"result\":";
    appendJsonString(json, solve::verdictName(result.verdict));
    json += ",\"line\":";
    appendMoves(json, result.line);
    char tail[96];
    std::snprintf(tail, sizeof tail, ",\"states\":%llu,\"ms\":%.1f}\n", static_cast<unsigned long long>(result.states),
                  result.ms);
    json += tail;
    std::fputs(json.c_str(), out);
    return 0;
}

int hintCommand(const std::vector<std::string>& args, std::FILE* out) {
    Session session;
    const solve::Limits limits = readSearch(args, kBackgroundLimits, session);
    PlayedSession played(session);
    const core::GameRules rules = currentRules();
    const core::Table table = currentTable();
    const solve::Hint hint = solve::hintFrom(rules, table, solve::solve(rules, table, limits));
    std::string json = "{\"move\":";
    if (hint.why == solve::Hint::Why::Move) {
        appendJsonString(json, moveAction(hint.move).c_str());
        json += hint.proven ? ",\"proven\":true}\n" : ",\"proven\":false}\n";
    } else {
        json += "null,\"why\":";
        appendJsonString(json, solve::hintWhyName(hint.why));
        json += "}\n";
    }
    std::fputs(json.c_str(), out);
    return 0;
}

int reviewCommand(const std::vector<std::string>& args, std::FILE* out) {
    Session session;
    const solve::Limits limits = readSearch(args, kBackgroundLimits, session);
    PlayedSession played(session);
    const DealHistory history = dealHistory();
    const solve::Review review = solve::review(currentRules(), history.tables, limits);
    std::string json = "{\"lastWinnable\":";
    if (review.why == solve::Review::Why::Found) {
        json += std::to_string(history.first + review.lastWinnable) + ",\"losingMove\":";
        if (review.losingMoveKnown)
            appendJsonString(json, moveAction(review.losingMove).c_str());
        else
            json += "null";
        json += ",\"keepsWin\":";
        appendJsonString(json, moveAction(review.keepsWin).c_str());
    } else {
        json += "null,\"why\":";
        appendJsonString(json, solve::reviewWhyName(review.why));
    }
    json += "}\n";
    std::fputs(json.c_str(), out);
    return 0;
}

int surveyCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const Arguments arguments(args, 1,
                              {{"--games", true}, {"--deals", true}, {"--first", true}, {"--threads", true},
                               {"--max-ms", true}, {"--max-states", true}, {"--max-mb", true}, {"--cpu-ms", true}, {"--unlimit", false},
                               {"--pref", true}, {"--json", false}, {"--markdown", false}});
    if (!arguments.plain.empty()) throw BadInput{"unexpected argument '" + arguments.plain[0] + "'"};
    solve::SurveyOptions o;
    const bool json = arguments.has("--json"), markdown = arguments.has("--markdown");
    int64_t n = 0;
    if (arguments.number("--deals", 1, 100'000'000, n)) o.deals = static_cast<uint32_t>(n);
    for (const std::string& first : arguments.values("--first")) o.first = gameNumberArgument(first);
    o.threads = threadsArgument(arguments, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    o.limits = limitsArgument(arguments, o.limits);
    o.rules = core::ruleOptions(sessionPreferences(readSession(arguments, false)));
    const std::string* games = arguments.value("--games");
    if (!games || *games == "all") {
        for (const GameEntry& g : gameCatalogue()) o.games.push_back(g.commandId);
    } else {
        size_t pos = 0;
        while (pos <= games->size()) {
            const size_t comma = std::min(games->find(',', pos), games->size());
            o.games.push_back(gameIdArgument(games->substr(pos, comma - pos)));
            pos = comma + 1;
        }
    }
    if (static_cast<uint64_t>(o.first) + o.deals - 1 > 0xFFFFFFFFull)
        throw BadInput{"--first and --deals run past game number 4294967295"};

    const bool tty = isatty(fileno(err));
    uint64_t lastShown = ~0ull;
    const auto started = std::chrono::steady_clock::now();
    auto progress = [&](uint64_t done, uint64_t total) {
        const uint64_t tenth = total / 10 ? total / 10 : 1;
        if (!tty && done != total && lastShown != ~0ull && done / tenth == lastShown / tenth) return;
        lastShown = done;
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::fprintf(err, "%ssurvey: %llu of %llu deals solved, %.0f s%s", tty ? "\r" : "",
                     static_cast<unsigned long long>(done), static_cast<unsigned long long>(total), s,
                     tty && done != total ? "" : "\n");
        std::fflush(err);
    };

    // Each game's line is printed as soon as the game is done.
    char line[512];
    // (Output that cannot be written fails the command once it is over.)
    auto print = [&](const char* text) {
        std::fputs(text, out);
        std::fflush(out);
    };
    if (json) {
        print("[");
    } else if (markdown) {
        print("| id | game | deals | winnable | unwinnable | unknown | winnable % | 95% interval | median | p99 | "
              "tables/s |\n|---|---|---:|---:|---:|---:|---:|---|---:|---:|---:|\n");
    } else {
        std::snprintf(line, sizeof line, "%-5s %-22s %6s %8s %10s %7s %9s %15s %9s %9s %10s\n", "id", "game", "deals",
                      "winnable", "unwinnable", "unknown", "winnable", "95% interval", "median", "p99", "states/s");
        print(line);
    }
    bool firstGame = true;
    auto gameDone = [&](const solve::GameSurvey& g) {
        if (json) {
            std::string text = firstGame ? "{\"game\":" : ",{\"game\":";
            text += std::to_string(g.commandId) + ",\"name\":";
            appendJsonString(text, g.name);
            std::snprintf(line, sizeof line,
                          ",\"deals\":%u,\"winnable\":%d,\"unwinnable\":%d,\"unknown\":%d,\"winnablePercent\":%.2f,"
                          "\"low\":%.2f,\"high\":%.2f,\"medianMs\":%.2f,\"p99Ms\":%.1f,\"statesPerSecond\":%.0f}",
                          g.deals, g.winnable, g.unwinnable, g.unknown, 100 * g.winnableShare, 100 * g.low,
                          100 * g.high, g.medianMs, g.p99Ms, g.statesPerSecond);
            text += line;
            print(text.c_str());
        } else if (markdown) {
            std::snprintf(line, sizeof line,
                          "| %d | %s | %u | %d | %d | %d | %.1f | %.1f-%.1f%% | %.1f ms | %.0f ms | %.0f |\n",
                          g.commandId, g.name, g.deals, g.winnable, g.unwinnable, g.unknown, 100 * g.winnableShare,
                          100 * g.low, 100 * g.high, g.medianMs, g.p99Ms, g.statesPerSecond);
            print(line);
        } else {
            char interval[32];
            std::snprintf(interval, sizeof interval, "%.1f-%.1f%%", 100 * g.low, 100 * g.high);
            std::snprintf(line, sizeof line, "%-5d %-22.22s %6u %8d %10d %7d %8.1f%% %15s %7.1fms %7.0fms %10.0f\n",
                          g.commandId, g.name, g.deals, g.winnable, g.unwinnable, g.unknown, 100 * g.winnableShare,
                          interval, g.medianMs, g.p99Ms, g.statesPerSecond);
            print(line);
        }
        firstGame = false;
    };
    solve::survey(o, gameDone, progress);
    if (json) print("]\n");
    return 0;
}

}  // namespace korvat::cli
