#include "cli/commands.h"

#include <string>

#include "cli/session.h"
#include "model/catalogue.h"
#include "model/deal.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/records.h"
#include "model/score.h"
#include "shell/headless_platform.h"

namespace korvat::cli {

namespace {

constexpr const char* kUsage =
    "usage: korvat-cli games\n"
    "       korvat-cli deal ID NUMBER [--unlimit]\n"
    "       korvat-cli play ID NUMBER [--unlimit] [--pref KEY=VALUE]... [--answer yes|no] ACTION...\n"
    "actions: press:X,Y drag:X,Y release right:X,Y click:P move:P,K,Q\n"
    "         undo step auto restart pageup pagedown tick\n";

// Installs a headless platform for the length of one command.
struct HeadlessScope {
    HeadlessPlatform headless;
    HeadlessScope() { setPlatform(&headless); }
    ~HeadlessScope() { setPlatform(nullptr); }
};

int games(const std::vector<std::string>& args, std::FILE* out) {
    if (args.size() != 1) throw BadInput{"games takes no arguments"};
    GameCatalogue& catalogue = gameCatalogue();
    for (int row = 0; row < kGameCount; ++row) {
        const GameEntry& g = catalogue[static_cast<size_t>(row)];
        std::fprintf(out, "%d\t%d\t%s\t%d\t0x%x\n", row, g.commandId, g.name, g.pileCount, g.ruleFlags);
    }
    return 0;
}

int deal(const std::vector<std::string>& args, std::FILE* out) {
    for (size_t i = 1; i < args.size(); ++i)
        if (args[i] != "--unlimit" && args[i].rfind("--", 0) == 0) throw BadInput{"unknown option '" + args[i] + "'"};
    Session session = parseSession(args, 1);
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

int play(const std::vector<std::string>& args, std::FILE* out) {
    Session session = parseSession(args, 1);
    HeadlessScope scope;
    playSession(session, scope.headless);
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
    for (const RecordedMessage& m : scope.headless.messages) {
        json += first ? "{\"caption\":" : ",{\"caption\":";
        first = false;
        appendJsonString(json, m.caption.c_str());
        json += ",\"text\":";
        appendJsonString(json, m.text.c_str());
        json += '}';
    }
    json += "]}";
    std::fprintf(out, "%s\n", json.c_str());
    return 0;
}

}  // namespace

int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    try {
        if (args.empty()) throw BadInput{"no command given"};
        const std::string& command = args[0];
        if (command == "games") return games(args, out);
        if (command == "deal") return deal(args, out);
        if (command == "play") return play(args, out);
        if (command == "--help" || command == "help") {
            std::fputs(kUsage, out);
            return 0;
        }
        throw BadInput{"unknown command '" + command + "'"};
    } catch (const BadInput& bad) {
        std::fprintf(err, "korvat-cli: %s (try: korvat-cli help)\n", bad.message.c_str());
        return 2;
    }
}

}  // namespace korvat::cli
