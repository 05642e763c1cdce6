#include "model/catalogue.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "model/deck.h"
#include "model/drawing.h"
#include "model/preferences.h"
#include "model/score.h"

namespace korvat {

GameEntry* currentGame = nullptr;

const char* layoutText() {
    return
#include "model/layouts.inc"
        ;
}

namespace {

constexpr int kPileCapacity = 2048;
Pile pileTable[kPileCapacity];
GameCatalogue catalogue;
bool catalogueReady = false;

// ---- A small cursor over one line of layout text ----

struct Cursor {
    std::string_view s;
    size_t i = 0;

    bool atEnd() const { return i >= s.size(); }
    char peek() const { return atEnd() ? '\0' : s[i]; }
    void skipBlanks() {
        while (!atEnd() && (s[i] == ' ' || s[i] == '\t')) ++i;
    }
    bool eat(char c) {
        if (peek() != c) return false;
        ++i;
        return true;
    }
    bool eat(std::string_view word) {
        if (s.substr(i, word.size()) != word) return false;
        i += word.size();
        return true;
    }
    bool number(long& out) {
        size_t start = i;
        bool negative = eat('-');
        if (atEnd() || s[i] < '0' || s[i] > '9') {
            i = start;
            return false;
        }
        long v = 0;
        while (!atEnd() && s[i] >= '0' && s[i] <= '9') {
            v = v * 10 + (s[i] - '0');
            if (v > 100000000) return false;
            ++i;
        }
        out = negative ? -v : v;
        return true;
    }
    bool hex(unsigned long& out) {
        eat("0x");
        size_t start = i;
        unsigned long v = 0;
        while (!atEnd()) {
            char c = s[i];
            int d = c >= '0' && c <= '9' ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
            if (d < 0) break;
            v = v * 16 + static_cast<unsigned long>(d);
            if (v > 0xFFFFFFFFul) return false;
            ++i;
        }
        out = v;
        return i > start;
    }
    // The text up to the next '|' (or the end), with blanks trimmed.
    std::string_view field() {
        size_t start = i;
        while (!atEnd() && s[i] != '|') ++i;
        std::string_view f = s.substr(start, i - start);
        while (!f.empty() && (f.front() == ' ' || f.front() == '\t')) f.remove_prefix(1);
        while (!f.empty() && (f.back() == ' ' || f.back() == '\t' || f.back() == '\r')) f.remove_suffix(1);
        return f;
    }
};

struct ParseError {
    char* buffer;
    int size;
    int row;
    const char* name;
    bool failed = false;

    void fail(const char* what, std::string_view text) {
        if (failed) return;
        failed = true;
        std::snprintf(buffer, static_cast<size_t>(size), "game layout row %d (%s): %s: '%.*s'", row,
                      name ? name : "?", what, static_cast<int>(text.size()), text.data());
    }
};

// Reads "a..b" or "a..b:s" into a list of values.
bool parseRange(Cursor& c, long* out, int& n, int capacity) {
    long a = 0, b = 0, step = 1;
    if (!c.number(a) || !c.eat("..") || !c.number(b)) return false;
    if (c.eat(':') && (!c.number(step) || step <= 0)) return false;
    if (b < a) return false;
    for (long v = a; v <= b; v += step) {
        if (n >= capacity) return false;
        out[n++] = v;
    }
    return true;
}

bool isRangeAhead(const Cursor& c) {
    // A number followed by "..".
    size_t j = c.i;
    if (j < c.s.size() && c.s[j] == '-') ++j;
    while (j < c.s.size() && c.s[j] >= '0' && c.s[j] <= '9') ++j;
    return c.s.substr(j, 2) == "..";
}

// POSITIONS: fills columns and rows; returns the number of piles described.
bool parsePositions(std::string_view text, long* columns, long* rows, int& n, int capacity) {
    Cursor c{text};
    n = 0;
    while (true) {
        c.skipBlanks();
        if (c.atEnd()) break;
        if (isRangeAhead(c)) {
            // a..b:s,r -- columns on one row
            long values[64];
            int k = 0;
            long r = 0;
            if (!parseRange(c, values, k, 64) || !c.eat(',') || !c.number(r)) return false;
            for (int j = 0; j < k; ++j) {
                if (n >= capacity) return false;
                columns[n] = values[j];
                rows[n++] = r;
            }
        } else {
            long col = 0;
            if (!c.number(col) || !c.eat(',')) return false;
            if (isRangeAhead(c)) {
                // c,a..b:s -- rows on one column
                long values[64];
                int k = 0;
                if (!parseRange(c, values, k, 64)) return false;
                for (int j = 0; j < k; ++j) {
                    if (n >= capacity) return false;
                    columns[n] = col;
                    rows[n++] = values[j];
                }
            } else {
                long r = 0;
                if (!c.number(r)) return false;
                if (n >= capacity) return false;
                columns[n] = col;
                rows[n++] = r;
            }
        }
        if (!c.atEnd() && c.peek() != ' ' && c.peek() != '\t') return false;
    }
    return n > 0;
}

// One side of DEAL/DOWN: a single value, a..b counting up by one, or a comma list.
bool parseCounts(std::string_view text, long* out, int n) {
    Cursor c{text};
    if (isRangeAhead(c)) {
        long a = 0, b = 0;
        if (!c.number(a) || !c.eat("..") || !c.number(b)) return false;
        if (b - a + 1 != n) return false;
        for (int j = 0; j < n; ++j) out[j] = a + j;
    } else {
        int k = 0;
        do {
            long v = 0;
            if (!c.number(v) || k >= n) return false;
            out[k++] = v;
        } while (c.eat(','));
        if (k == 1) {
            for (int j = 1; j < n; ++j) out[j] = out[0];
        } else if (k != n) {
            return false;
        }
    }
    for (int j = 0; j < n; ++j)
        if (out[j] < 0 || out[j] > 208) return false;
    return c.atEnd();
}

int rankLetter(char c) {
    const char* ranks = "A23456789TJQK";
    const char* p = c ? std::strchr(ranks, c) : nullptr;
    return p ? static_cast<int>(p - ranks) : -1;
}

int suitLetter(char c) {
    switch (c) {
        case 'S': return 0;
        case 'C': return 1;
        case 'H': return 2;
        case 'D': return 3;
        default: return -1;
    }
}

bool parseStart(std::string_view token, long* out, int n) {
    if (token.size() == 1) {
        long code;
        switch (token[0]) {
            case 'A': code = StartCard::AnyAce; break;
            case 'K': code = StartCard::AnyKing; break;
            case 'Q': code = StartCard::AnyQueen; break;
            case 'F': code = StartCard::FaceCard; break;
            case '*': code = StartCard::AnyCard; break;
            case '-': code = StartCard::Nothing; break;
            default: return false;
        }
        for (int j = 0; j < n; ++j) out[j] = code;
        return true;
    }
    int k = 0;
    size_t i = 0;
    while (i < token.size()) {
        if (i + 2 > token.size() || k >= n) return false;
        int rank = rankLetter(token[i]);
        int suit = suitLetter(token[i + 1]);
        if (rank < 0 || suit < 0) return false;
        out[k++] = rank * 4 + suit;
        i += 2;
        if (i < token.size() && token[i++] != ',') return false;
        if (i == token.size() && token.back() == ',') return false;
    }
    if (k == 1) {
        for (int j = 1; j < n; ++j) out[j] = out[0];
    } else if (k != n) {
        return false;
    }
    return true;
}

bool parseRules(std::string_view text, Pile& proto, long* starts, int n) {
    Cursor c{text};
    std::string_view codes = c.s.substr(0, 4);
    if (codes.size() != 4) return false;
    switch (codes[0]) {
        case 'r': proto.fan = Fan::Right; break;
        case 'v': proto.fan = Fan::Down; break;
        case 'q': proto.fan = Fan::Squared; break;
        default: return false;
    }
    switch (codes[1]) {
        case 'g': proto.acceptCount = Accept::AnyNumber; break;
        case '1': proto.acceptCount = Accept::OneCard; break;
        case '-': proto.acceptCount = Accept::Nothing; break;
        default: return false;
    }
    switch (codes[2]) {
        case 'u': proto.rankBuild = RankBuild::Up; break;
        case 'd': proto.rankBuild = RankBuild::Down; break;
        case 'U': proto.rankBuild = RankBuild::UpByTwos; break;
        case 'D': proto.rankBuild = RankBuild::DownByTwos; break;
        case 'b': proto.rankBuild = RankBuild::UpOrDown; break;
        case '*': proto.rankBuild = RankBuild::Any; break;
        case '-': proto.rankBuild = RankBuild::None; break;
        default: return false;
    }
    switch (codes[3]) {
        case 'c': proto.suitBuild = SuitBuild::SameColour; break;
        case 'a': proto.suitBuild = SuitBuild::OppositeColour; break;
        case 's': proto.suitBuild = SuitBuild::SameSuit; break;
        case 'x': proto.suitBuild = SuitBuild::DifferentSuit; break;
        case '*': proto.suitBuild = SuitBuild::Any; break;
        case '-': proto.suitBuild = SuitBuild::None; break;
        default: return false;
    }
    c.i = 4;
    if (!c.eat(' ')) return false;
    c.skipBlanks();
    size_t start = c.i;
    while (!c.atEnd() && c.peek() != ' ') ++c.i;
    if (!parseStart(c.s.substr(start, c.i - start), starts, n)) return false;
    c.skipBlanks();
    switch (c.peek()) {
        case 'c': proto.removal = Removal::SameColourRun; break;
        case 'a': proto.removal = Removal::AlternatingRun; break;
        case 's': proto.removal = Removal::SameSuitRun; break;
        case 'x': proto.removal = Removal::ChangingSuitRun; break;
        case '*': proto.removal = Removal::AnySuitRun; break;
        case 't': proto.removal = Removal::TopCard; break;
        case 'f': proto.removal = Removal::FaceUpAndAbove; break;
        case '-': proto.removal = Removal::Nothing; break;
        default: return false;
    }
    ++c.i;
    proto.sizeLimit = 0;
    c.skipBlanks();
    if (c.eat('L')) {
        long limit = 0;
        if (!c.number(limit) || limit <= 0 || limit > 208) return false;
        proto.sizeLimit = static_cast<int32_t>(limit);
    }
    c.skipBlanks();
    return c.atEnd();
}

}  // namespace

bool parseLayouts(const char* text, GameCatalogue& games, Pile* piles, int pileCapacity, char* error,
                  int errorSize) {
    static char names[kGameCount][40];
    std::string_view all(text);
    ParseError err{error, errorSize, -1, nullptr};
    int used = 0;
    int row = -1;
    int rowPiles = 0;
    long rowDeal = 0;

    auto finishRow = [&]() {
        if (row < 0) return;
        const GameEntry& g = games[static_cast<size_t>(row)];
        if (rowPiles != g.pileCount) {
            char msg[64];
            std::snprintf(msg, sizeof msg, "%d piles described, %d declared", rowPiles, g.pileCount);
            err.fail(msg, "");
        }
        const long deck = deckSizeOf(g.ruleFlags);
        if (rowDeal != deck) {
            char msg[64];
            std::snprintf(msg, sizeof msg, "deals %ld cards, the deck has %ld", rowDeal, deck);
            err.fail(msg, "");
        }
    };

    size_t pos = 0;
    while (pos < all.size() && !err.failed) {
        size_t end = all.find('\n', pos);
        if (end == std::string_view::npos) end = all.size();
        std::string_view line = all.substr(pos, end - pos);
        pos = end + 1;
        Cursor c{line};
        c.skipBlanks();
        if (c.atEnd() || c.peek() == '#') continue;

        if (c.eat("game ")) {
            finishRow();
            if (err.failed) break;
            long r = -1;
            c.skipBlanks();
            if (!c.number(r) || r != row + 1 || r >= kGameCount) {
                err.row = row + 1;
                err.fail("expected the next row number", line);
                break;
            }
            row = static_cast<int>(r);
            err.row = row;
            c.skipBlanks();
            if (!c.eat('|')) {
                err.fail("malformed game header", line);
                break;
            }
            std::string_view name = c.field();
            long id = 0, count = 0;
            unsigned long flags = 0;
            bool ok = !name.empty() && name.size() < sizeof names[0] && c.eat('|');
            c.skipBlanks();
            ok = ok && c.number(id) && (c.skipBlanks(), c.eat('|'));
            c.skipBlanks();
            ok = ok && c.number(count) && (c.skipBlanks(), c.eat('|'));
            c.skipBlanks();
            ok = ok && c.hex(flags);
            c.skipBlanks();
            ok = ok && c.atEnd() && count > 0 && count <= kMaxPilesPerGame;
            if (!ok) {
                err.fail("malformed game header", line);
                break;
            }
            std::memcpy(names[row], name.data(), name.size());
            names[row][name.size()] = '\0';
            err.name = names[row];
            GameEntry& g = games[static_cast<size_t>(row)];
            g.name = names[row];
            g.commandId = static_cast<int32_t>(id);
            g.pileCount = static_cast<int32_t>(count);
            g.ruleFlags = static_cast<uint32_t>(flags);
            g.layout = piles + used;
            rowPiles = 0;
            rowDeal = 0;
            continue;
        }

        if (row < 0) {
            err.row = 0;
            err.fail("pile line before the first game", line);
            break;
        }
        // N x POSITIONS | DEAL/DOWN | RULES | FLAGS
        long n = 0;
        if (!c.number(n) || n <= 0 || n > kMaxPilesPerGame || !c.eat('x')) {
            err.fail("expected a pile count such as '4x'", line);
            break;
        }
        std::string_view positions = c.field();
        if (!c.eat('|')) {
            err.fail("missing '|' after the positions", line);
            break;
        }
        std::string_view counts = c.field();
        if (!c.eat('|')) {
            err.fail("missing '|' after the deal counts", line);
            break;
        }
        std::string_view rules = c.field();
        if (!c.eat('|')) {
            err.fail("missing '|' after the rules", line);
            break;
        }
        c.skipBlanks();
        unsigned long flags = 0;
        bool flagsOk = c.hex(flags);
        c.skipBlanks();
        if (!flagsOk || !c.atEnd()) {
            err.fail("malformed pile flags", line);
            break;
        }

        long columns[kMaxPilesPerGame], rows[kMaxPilesPerGame];
        int k = 0;
        if (!parsePositions(positions, columns, rows, k, kMaxPilesPerGame) || k != n) {
            err.fail("positions do not describe the pile count", positions);
            break;
        }
        size_t slash = counts.find('/');
        long deals[kMaxPilesPerGame], downs[kMaxPilesPerGame];
        if (slash == std::string_view::npos ||
            !parseCounts(counts.substr(0, slash), deals, static_cast<int>(n)) ||
            !parseCounts(counts.substr(slash + 1), downs, static_cast<int>(n))) {
            err.fail("malformed deal and face-down counts", counts);
            break;
        }
        Pile proto;
        long starts[kMaxPilesPerGame];
        if (!parseRules(rules, proto, starts, static_cast<int>(n))) {
            err.fail("malformed rules", rules);
            break;
        }
        if (used + n > pileCapacity || rowPiles + n > games[static_cast<size_t>(row)].pileCount) {
            err.fail("more piles than declared", line);
            break;
        }
        for (int j = 0; j < n; ++j) {
            if (downs[j] > deals[j]) {
                err.fail("more face-down cards than cards dealt", counts);
                break;
            }
            Pile& p = piles[used++];
            p = proto;
            p.column = static_cast<int32_t>(columns[j]);
            p.row = static_cast<int32_t>(rows[j]);
            p.dealCount = static_cast<int32_t>(deals[j]);
            p.faceDownCount = static_cast<int32_t>(downs[j]);
            p.startCard = static_cast<int32_t>(starts[j]);
            p.flags = static_cast<uint32_t>(flags);
            rowDeal += deals[j];
            ++rowPiles;
        }
    }
    if (!err.failed) finishRow();
    if (!err.failed && row != kGameCount - 1) {
        err.row = row + 1;
        err.fail("missing games at the end of the catalogue", "");
    }
    return !err.failed;
}

void reloadCatalogue() {
    catalogueReady = false;
    currentGame = nullptr;
    gameCatalogue();
}

GameCatalogue& gameCatalogue() {
    if (!catalogueReady) {
        char error[256];
        if (!parseLayouts(layoutText(), catalogue, pileTable, kPileCapacity, error, sizeof error)) {
            std::fprintf(stderr, "korvat: the built-in game data is damaged: %s\n", error);
            std::exit(1);
        }
        catalogueReady = true;
    }
    return catalogue;
}

int findGameRow(int commandId) {
    GameCatalogue& games = gameCatalogue();
    for (int row = 0; row < kGameCount; ++row)
        if (games[static_cast<size_t>(row)].commandId == commandId) return row;
    return -1;
}

void selectGame(int commandId) {
    if (beforeDealHook) beforeDealHook(true);
    GameCatalogue& games = gameCatalogue();
    table.redealsLeft = -1;
    table.deckSize = 52;
    currentGame = &games[0];
    table.undoCount = 0;
    table.won = 0;
    editPile = 0;
    table.baseRank = 0;

    // An id that matches no row (only a damaged LastGame setting can give
    // one) selects the first row, and the row index follows it so that the
    // log never files a deal under another game.
    table.gameIndex = 0;
    for (int row = 0; row < kGameCount; ++row) {
        if (games[static_cast<size_t>(row)].commandId == commandId) {
            table.gameIndex = row;
            currentGame = &games[static_cast<size_t>(row)];
        }
    }
    const uint32_t rules = currentGame->ruleFlags;

    if ((rules & GameRuleFlags::smallCards) && table.smallCards != 1) {
        useCardPictures(true);
        table.smallCards = 1;
        table.maxColumn = 24;
        table.maxRow = 11;
    } else if (!(rules & GameRuleFlags::smallCards) && table.smallCards) {
        useCardPictures(false);
        table.smallCards = 0;
        table.maxColumn = 16;
        table.maxRow = 8;
    }

    if ((rules & GameRuleFlags::oneRedeal) && !prefs.Unlimit) table.redealsLeft = 1;
    if ((rules & GameRuleFlags::twoRedeals) && !prefs.Unlimit) table.redealsLeft = 2;
    table.deckSize = deckSizeOf(rules);

    if (rules & GameRuleFlags::smallCards) {
        table.cardWidth = 48;
        table.cardHeight = 64;
        table.fanStep = 9;
    } else {
        table.cardWidth = 64;
        table.cardHeight = 80;
        table.fanStep = 16;
    }

    if (rules & GameRuleFlags::acesHigh) table.baseRank = 1;
    if (rules & GameRuleFlags::queensHigh) table.baseRank = 12;
    if (rules & GameRuleFlags::randomHigh) table.baseRank = static_cast<int32_t>(dealRandom(13));

    updateStatusLine();
}

}  // namespace korvat
