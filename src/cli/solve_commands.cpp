#include "cli/solve_commands.h"

#include <unistd.h>

#include <cmath>
#include <thread>

#include "cli/session.h"
#include "model/catalogue.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "play/current.h"
#include "play/pointer.h"
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

// The solver's limits, as --max-states and --max-ms change them.
solve::Limits limitsArgument(const Arguments& arguments, solve::Limits limits) {
    int64_t n = 0;
    if (arguments.number("--max-states", 1, 4'000'000'000, n)) limits.maxStates = static_cast<uint64_t>(n);
    if (arguments.number("--max-ms", 1, 86'400'000, n)) limits.maxMs = static_cast<uint32_t>(n);
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
    const Arguments arguments(args, 1, sessionOptions({{"--max-states", true}, {"--max-ms", true}}));
    Session session = readSession(arguments);
    const solve::Limits limits = limitsArgument(arguments, solve::Limits{});
    checkSession(session);
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

int surveyCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const Arguments arguments(args, 1,
                              {{"--games", true}, {"--deals", true}, {"--first", true}, {"--threads", true},
                               {"--max-ms", true}, {"--max-states", true}, {"--unlimit", false}, {"--pref", true},
                               {"--json", false}, {"--markdown", false}});
    if (!arguments.plain.empty()) throw BadInput{"unexpected argument '" + arguments.plain[0] + "'"};
    solve::SurveyOptions o;
    o.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const bool json = arguments.has("--json"), markdown = arguments.has("--markdown");
    int64_t n = 0;
    if (arguments.number("--deals", 1, 100'000'000, n)) o.deals = static_cast<uint32_t>(n);
    for (const std::string& first : arguments.values("--first")) o.first = gameNumberArgument(first);
    if (arguments.number("--threads", 1, 256, n)) o.threads = static_cast<int>(n);
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
    const std::vector<solve::GameSurvey> result = solve::survey(o, progress);

    std::string text;
    char line[512];
    if (json) {
        text = "[";
        for (size_t i = 0; i < result.size(); ++i) {
            const solve::GameSurvey& g = result[i];
            text += i ? ",{\"game\":" : "{\"game\":";
            text += std::to_string(g.commandId) + ",\"name\":";
            appendJsonString(text, g.name);
            std::snprintf(line, sizeof line,
                          ",\"deals\":%zu,\"winnable\":%d,\"unwinnable\":%d,\"unknown\":%d,\"winnablePercent\":%.2f,"
                          "\"low\":%.2f,\"high\":%.2f,\"medianMs\":%.2f,\"p99Ms\":%.1f,\"statesPerSecond\":%.0f}",
                          g.deals.size(), g.winnable, g.unwinnable, g.unknown, 100 * g.winnableShare, 100 * g.low,
                          100 * g.high, g.medianMs, g.p99Ms, g.statesPerSecond);
            text += line;
        }
        text += "]\n";
    } else if (markdown) {
        text = "| id | game | deals | winnable | unwinnable | unknown | winnable % | 95% interval | median | p99 | "
               "tables/s |\n|---|---|---:|---:|---:|---:|---:|---|---:|---:|---:|\n";
        for (const solve::GameSurvey& g : result) {
            std::snprintf(line, sizeof line,
                          "| %d | %s | %zu | %d | %d | %d | %.1f | %.1f-%.1f%% | %.1f ms | %.0f ms | %.0f |\n",
                          g.commandId, g.name, g.deals.size(), g.winnable, g.unwinnable, g.unknown,
                          100 * g.winnableShare, 100 * g.low, 100 * g.high, g.medianMs, g.p99Ms, g.statesPerSecond);
            text += line;
        }
    } else {
        std::snprintf(line, sizeof line, "%-5s %-22s %6s %8s %10s %7s %9s %15s %9s %9s %10s\n", "id", "game", "deals",
                      "winnable", "unwinnable", "unknown", "winnable", "95% interval", "median", "p99", "states/s");
        text += line;
        for (const solve::GameSurvey& g : result) {
            char interval[32];
            std::snprintf(interval, sizeof interval, "%.1f-%.1f%%", 100 * g.low, 100 * g.high);
            std::snprintf(line, sizeof line, "%-5d %-22.22s %6zu %8d %10d %7d %8.1f%% %15s %7.1fms %7.0fms %10.0f\n",
                          g.commandId, g.name, g.deals.size(), g.winnable, g.unwinnable, g.unknown,
                          100 * g.winnableShare, interval, g.medianMs, g.p99Ms, g.statesPerSecond);
            text += line;
        }
    }
    std::fputs(text.c_str(), out);
    return 0;
}

}  // namespace korvat::cli
