#include "cli/commands.h"

#include <string>

#include "cli/png.h"
#include "cli/session.h"
#include "model/catalogue.h"
#include "model/deal.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/records.h"
#include "model/score.h"
#include "model/drawing.h"
#include "play/pointer.h"
#include "view/pictures.h"
#include "view/table_drawing.h"
#include "shell/headless_platform.h"

namespace korvat::cli {

namespace {

constexpr const char* kUsage =
    "usage: korvat-cli games\n"
    "       korvat-cli deal ID NUMBER [--unlimit]\n"
    "       korvat-cli play ID NUMBER [--unlimit] [--pref KEY=VALUE]... [--answer yes|no] ACTION...\n"
    "       korvat-cli render ID NUMBER OUT.png [--frame N] [--unlimit] [--pref KEY=VALUE]... [ACTION...]\n"
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
    Session session = parseSession(args, 1, {"--frame"});
    if (session.actions.empty()) throw BadInput{"render needs the name of the PNG file to write"};
    const std::string path = session.actions.front();
    session.actions.erase(session.actions.begin());
    RenderPlatform platformForRender;
    for (size_t i = 0; i + 1 < session.positional.size(); i += 2) {
        uint32_t n = 0;
        if (!parseUnsigned32(session.positional[i + 1], n) || n == 0 || n > 1000)
            throw BadInput{"--frame takes a frame number 1..1000"};
        platformForRender.wantedFrame = static_cast<int>(n);
    }
    setPlatform(&platformForRender);
    struct Restore {
        ~Restore() { setPlatform(nullptr); }
    } restore;
    if (!view::startGraphics()) return 1;
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
        std::fprintf(err, "korvat-cli: cannot write %s\n", path.c_str());
        return 1;
    }
    (void)out;
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
        if (command == "render") return render(args, out, err);
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
