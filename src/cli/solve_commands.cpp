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

uint64_t positiveNumber(const std::string& option, const std::string& text, uint64_t highest) {
    uint64_t v = 0;
    if (text.empty() || text.size() > 12) throw BadInput{option + " takes a number"};
    for (char c : text) {
        if (c < '0' || c > '9') throw BadInput{option + " takes a number"};
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v == 0 || v > highest) throw BadInput{option + " takes a number from 1 to " + std::to_string(highest)};
    return v;
}

}  // namespace

int movesCommand(const std::vector<std::string>& args, std::FILE* out) {
    Session session = parseSession(args, 1);
    checkSession(session);
    PlayedSession played(session);
    core::MoveList list;
    core::legalMoves(currentRules(), currentTable(), list);
    std::vector<core::Move> moves(list.begin(), list.end());
    std::string json = "{\"moves\":";
    appendMoves(json, moves);
    json += "}\n";
    std::fputs(json.c_str(), out);
    return 0;
}

int solveCommand(const std::vector<std::string>& args, std::FILE* out) {
    Session session = parseSession(args, 1, {"--max-states", "--max-ms"});
    solve::Limits limits;
    for (size_t i = 0; i + 1 < session.positional.size(); i += 2) {
        const std::string& option = session.positional[i];
        if (option == "--max-states") limits.maxStates = positiveNumber(option, session.positional[i + 1], 4'000'000'000ull);
        if (option == "--max-ms")
            limits.maxMs = static_cast<uint32_t>(positiveNumber(option, session.positional[i + 1], 86'400'000));
    }
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
    solve::SurveyOptions o;
    o.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    bool json = false, markdown = false;
    std::string games = "all";
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw BadInput{a + " needs a value"};
            return args[++i];
        };
        if (a == "--json") {
            json = true;
        } else if (a == "--markdown") {
            markdown = true;
        } else if (a == "--games") {
            games = value();
        } else if (a == "--deals") {
            o.deals = static_cast<uint32_t>(positiveNumber(a, value(), 100'000'000));
        } else if (a == "--first") {
            if (!parseUnsigned32(value(), o.first)) throw BadInput{"--first takes a game number (0..4294967295)"};
        } else if (a == "--threads") {
            o.threads = static_cast<int>(positiveNumber(a, value(), 256));
        } else if (a == "--max-ms") {
            o.limits.maxMs = static_cast<uint32_t>(positiveNumber(a, value(), 86'400'000));
        } else if (a == "--max-states") {
            o.limits.maxStates = positiveNumber(a, value(), 4'000'000'000ull);
        } else if (a == "--pref") {
            const std::string& kv = value();
            const size_t eq = kv.find('=');
            const std::string key = kv.substr(0, eq);
            const std::string v = eq == std::string::npos ? "" : kv.substr(eq + 1);
            if (!findPreferenceKey(key.c_str())) throw BadInput{"unknown preference '" + key + "'"};
            if (v.empty() || v.find_first_not_of("-0123456789") != std::string::npos)
                throw BadInput{"the preference " + key + " cannot be '" + v + "'"};
            const bool on = std::stol(v) != 0;
            if (key == "Three") o.rules.three = on;
            if (key == "Unlimit") o.rules.unlimit = on;
        } else if (a == "--unlimit") {
            o.rules.unlimit = true;
        } else {
            throw BadInput{"unknown option '" + a + "'"};
        }
    }
    if (games == "all") {
        for (const GameEntry& g : gameCatalogue()) o.games.push_back(g.commandId);
    } else {
        size_t pos = 0;
        while (pos <= games.size()) {
            const size_t comma = std::min(games.find(',', pos), games.size());
            uint32_t id = 0;
            const std::string part = games.substr(pos, comma - pos);
            if (!parseUnsigned32(part, id) || id > 100000 || findGameRow(static_cast<int>(id)) < 0)
                throw BadInput{"no game has the command id '" + part + "'"};
            o.games.push_back(static_cast<int>(id));
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
