#include "cli/commands.h"

#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <string>

#include "model/catalogue.h"
#include "model/deal.h"
#include "model/preferences.h"
#include "model/records.h"
#include "shell/headless_platform.h"

namespace korvat::cli {

namespace {

constexpr const char* kUsage =
    "usage: korvat-cli games\n"
    "       korvat-cli deal ID NUMBER [--unlimit]\n";

struct BadInput {
    std::string message;
};

// An unsigned 32-bit decimal: digits only, no sign, no blanks, at most 4294967295.
bool parseUnsigned32(const std::string& text, uint32_t& out) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFull) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

int parseCommandId(const std::string& text) {
    uint32_t id = 0;
    if (!parseUnsigned32(text, id) || id > 100000) throw BadInput{"not a game command id: '" + text + "'"};
    int row = findGameRow(static_cast<int>(id));
    if (row < 0) throw BadInput{"no game has the command id " + text};
    return static_cast<int>(id);
}

uint32_t parseGameNumber(const std::string& text) {
    uint32_t number = 0;
    if (!parseUnsigned32(text, number))
        throw BadInput{"not a game number (0..4294967295): '" + text + "'"};
    return number;
}

void appendJsonString(std::string& out, const char* s) {
    out += '"';
    for (; *s; ++s) {
        unsigned char c = static_cast<unsigned char>(*s);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

void appendField(std::string& out, const char* name, long long value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "\"%s\":%lld", name, value);
    out += buf;
}

}  // namespace

// The deal as JSON, without the closing brace, so that play can extend it.
std::string dealJson() {
    std::string out = "{";
    appendField(out, "game", currentGame->commandId);
    out += ',';
    appendField(out, "row", table.gameIndex);
    out += ",\"name\":";
    appendJsonString(out, currentGame->name);
    out += ',';
    appendField(out, "number", gameNumber);
    out += ',';
    appendField(out, "deckSize", table.deckSize);
    out += ',';
    appendField(out, "baseRank", table.baseRank);
    out += ',';
    appendField(out, "redealsLeft", table.redealsLeft);
    out += ',';
    appendField(out, "cardWidth", table.cardWidth);
    out += ',';
    appendField(out, "cardHeight", table.cardHeight);
    out += ',';
    appendField(out, "fanStep", table.fanStep);
    out += ",\"piles\":[";
    for (Pile* p = currentGame->layout; p; p = p->next) {
        if (p != currentGame->layout) out += ',';
        out += '{';
        appendField(out, "x", p->x);
        out += ',';
        appendField(out, "y", p->y);
        out += ',';
        appendField(out, "count", p->count);
        out += ",\"cards\":[";
        for (Card* c = p->bottom; c; c = c->above) {
            if (c != p->bottom) out += ',';
            char buf[32];
            std::snprintf(buf, sizeof buf, "[%d,%d]", c->value, c->faceDown);
            out += buf;
        }
        out += "]}";
    }
    out += ']';
    return out;
}

static int games(const std::vector<std::string>& args, std::FILE* out) {
    if (args.size() != 1) throw BadInput{"games takes no arguments"};
    GameCatalogue& catalogue = gameCatalogue();
    for (int row = 0; row < kGameCount; ++row) {
        const GameEntry& g = catalogue[static_cast<size_t>(row)];
        std::fprintf(out, "%d\t%d\t%s\t%d\t0x%x\n", row, g.commandId, g.name, g.pileCount, g.ruleFlags);
    }
    return 0;
}

static int deal(const std::vector<std::string>& args, std::FILE* out) {
    std::vector<std::string> positional;
    bool unlimit = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--unlimit")
            unlimit = true;
        else if (a.size() > 1 && a[0] == '-' && a[1] == '-')
            throw BadInput{"unknown option '" + a + "'"};
        else
            positional.push_back(a);
    }
    if (positional.size() < 2) throw BadInput{"deal needs a game command id and a game number"};
    if (positional.size() > 2) throw BadInput{"unexpected argument '" + positional[2] + "'"};
    int id = parseCommandId(positional[0]);
    uint32_t number = parseGameNumber(positional[1]);

    HeadlessPlatform headless;
    setPlatform(&headless);
    prefs = Preferences{};
    prefs.Sound = 0;
    if (unlimit) prefs.Unlimit = -1;
    selectGame(id);
    gameNumber = number;
    dealRandom.state = number;
    startGame();
    std::string json = dealJson();
    json += '}';
    std::fprintf(out, "%s\n", json.c_str());
    setPlatform(nullptr);
    return 0;
}

int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    try {
        if (args.empty()) throw BadInput{"no command given"};
        const std::string& command = args[0];
        if (command == "games") return games(args, out);
        if (command == "deal") return deal(args, out);
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
