#include "cli/session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/moves.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/gamelog.h"
#include "model/preferences.h"
#include "model/records.h"
#include "model/score.h"
#include "play/card_moves.h"
#include "play/current.h"
#include "play/game.h"
#include "play/pointer.h"
#include "shell/commands.h"
#include "shell/rules_text.h"

namespace korvat::cli {

namespace {

// "A,B" or "A,B,C": integers, each >= min; `count` of them, or one or
// more when `count` is 0.
std::vector<int> numbers(const std::string& action, const std::string& text, size_t count, bool allowNegative) {
    std::vector<int> out;
    size_t pos = 0;
    while (true) {
        size_t comma = text.find(',', pos);
        std::string part = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        int64_t v = 0;
        if (!parseNumber(part, allowNegative ? -32768 : 0, 32767, v))
            throw BadInput{"bad numbers in the action '" + action + "'"};
        out.push_back(static_cast<int>(v));
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    if (count > 0 && out.size() != count)
        throw BadInput{"the action '" + action + "' takes " + std::to_string(count) + " numbers"};
    return out;
}

BadInput noSuchPile(const std::string& action, int index, int pileCount) {
    return BadInput{"no pile " + std::to_string(index) + " in '" + action + "' (this game has " +
                    std::to_string(pileCount) + ")"};
}

// An action taken apart: its verb and its numbers, checked.
struct Action {
    std::string verb;
    std::vector<int> n;
};

// Takes an action apart and checks its form and, when the game is known
// (pileCount > 0), its pile numbers. Throws BadInput.
Action parseAction(const std::string& action, int pileCount) {
    const size_t colon = action.find(':');
    Action a;
    a.verb = action.substr(0, colon);
    const std::string rest = colon == std::string::npos ? "" : action.substr(colon + 1);
    const bool hasArgs = colon != std::string::npos;
    auto pile = [&](int index) {
        if (pileCount > 0 && index >= pileCount) throw noSuchPile(action, index, pileCount);
    };
    const std::string& v = a.verb;
    if (v == "press" || v == "drag" || v == "right") {
        a.n = numbers(action, rest, 2, true);
    } else if (v == "click") {
        a.n = numbers(action, rest, 1, false);
        pile(a.n[0]);
    } else if (v == "discard") {
        a.n = numbers(action, rest, 0, false);
        for (int p : a.n) pile(p);
    } else if (v == "move") {
        a.n = numbers(action, rest, 3, false);
        pile(a.n[0]);
        pile(a.n[2]);
    } else if (v == "release" || v == "undo" || v == "step" || v == "auto" || v == "restart" || v == "pageup" ||
               v == "pagedown" || v == "tick") {
        if (hasArgs) throw BadInput{"the action '" + v + "' takes no numbers"};
    } else {
        throw BadInput{"unknown action '" + action + "'"};
    }
    return a;
}

Pile& pileArgument(const std::string& action, int index) {
    if (index < 0 || index >= currentGame->pileCount) throw noSuchPile(action, index, currentGame->pileCount);
    return *pileAt(index);
}

// A press on the pile's top card (or its place), and the release: where the
// pointer cannot press it, the keys do, as keyboard play presses.
void click(const std::string& action, int index) {
    Pile& pile = pileArgument(action, index);
    int x, y;
    if (pressPointFor(pile, pile.count - 1, x, y)) {
        pressAt(x, y);
        release();
        return;
    }
    pressCard(pile, pile.count - 1);
    putBack();  // a press that lifted cards lets them go where they were
}

// Card K of pile P carried onto pile Q: pressed and dropped at points the
// hit test gives to those piles, or, where the pointer cannot, by the keys.
void move(const std::string& action, const std::vector<int>& n) {
    Pile& from = pileArgument(action, n[0]);
    Pile& to = pileArgument(action, n[2]);
    Card* card = cardAt(from, n[1]);
    if (!card) throw BadInput{"pile " + std::to_string(n[0]) + " has no card " + std::to_string(n[1])};
    const bool squared = from.fan != Fan::Right && from.fan != Fan::Down;
    if (squared && card != from.top)
        throw BadInput{"in the squared pile " + std::to_string(n[0]) + " only the top card can be pressed"};
    const int kept = (from.flags & PileFlags::anySingleCard) ? from.count - 1 : n[1];
    int x, y, tx, ty;
    if (pressPointFor(from, n[1], x, y) && dropPointOn(to, tx, ty, &from, kept)) {
        pressAt(x, y);
        if (!carrying()) return;  // the press turned a card or did nothing
        dragTo(tx - table.cardWidth / 2 + table.grabX, ty - table.cardHeight / 2 + table.grabY);
        release();
        return;
    }
    pressCard(from, n[1]);
    if (!carryingByKeys()) return;
    carryOver(to);
    dropCarried();
}

// What the actions that name a move must do: change the table (or leave a
// selection to be completed), and for move:P,K,Q make that very move.
void checkDone(const std::string& action, const Action& a, const core::GameRules& rules, const core::Table& before) {
    const core::Table now = currentTable();
    if (a.verb == "move") {
        core::MoveList legal;
        core::legalMoves(rules, before, legal, false);
        for (const core::Move& m : legal) {
            if (m.kind != core::Move::Place || m.from != a.n[0] || m.card != a.n[1] || m.to != a.n[2]) continue;
            core::Table expected = before;
            core::apply(rules, expected, m);
            if (now == expected) return;
        }
        throw BadInput{"the action '" + action + "' is not a move the rules allow here"};
    }
    if (now == before && !selectionPending())
        throw BadInput{"the action '" + action + "' changes nothing"};
}

void apply(const std::string& action) {
    const Action a = parseAction(action, currentGame->pileCount);
    const std::string& v = a.verb;
    if (v == "press") pressAt(a.n[0], a.n[1]);
    else if (v == "drag") dragTo(a.n[0], a.n[1]);
    else if (v == "right") rightPressAt(a.n[0], a.n[1]);
    else if (v == "release") release();
    else if (v == "click" || v == "discard" || v == "move") {
        const core::GameRules rules = currentRules();
        const core::Table before = currentTable();
        if (v == "move")
            move(action, a.n);
        else  // discard: the top card of each pile pressed in turn, as click does
            for (int p : a.n) click(action, p);
        checkDone(action, a, rules, before);
    }
    else if (v == "undo") commandUndo();
    else if (v == "step") commandStep();
    else if (v == "auto") commandAuto();
    else if (v == "restart") commandRestart();
    else if (v == "pageup") keyPageUp();
    else if (v == "pagedown") keyPageDown();
    else if (v == "tick") scoreTick();
}

}  // namespace

Session readSession(const Arguments& arguments, bool needsGame) {
    Session s;
    s.unlimit = arguments.has("--unlimit");
    for (const std::string& answer : arguments.values("--answer")) {
        if (answer != "yes" && answer != "no") throw BadInput{"--answer takes yes or no"};
        s.answerYes = answer == "yes";
    }
    for (const std::string& preference : arguments.values("--pref")) s.preferences.push_back(preferenceArgument(preference));
    if (!needsGame) {
        s.actions = arguments.plain;
        return s;
    }
    const std::vector<std::string>& plain = arguments.plain;
    if (plain.size() < 2) throw BadInput{"a game command id and a game number are needed"};
    s.commandId = gameIdArgument(plain[0]);
    s.number = gameNumberArgument(plain[1]);
    s.actions.assign(plain.begin() + 2, plain.end());
    return s;
}

Preferences sessionPreferences(const Session& s) {
    Preferences p;
    p.Sound = 0;  // the headless tool plays no sounds unless asked to
    if (s.unlimit) p.Unlimit = -1;
    for (const auto& [key, value] : s.preferences) p.*(key->field) = value;
    return p;
}

void checkSession(const Session& s) {
    checkActions(s.actions, gameCatalogue()[static_cast<size_t>(findGameRow(s.commandId))].pileCount);
}

void checkActions(const std::vector<std::string>& actions, int pileCount) {
    for (const std::string& action : actions) parseAction(action, pileCount);
}

void playSession(const Session& s, HeadlessPlatform& headless) {
    beginSession(s, headless);
    selectGame(s.commandId);
    startGame(s.number);
    applyActions(s);
}

void beginSession(const Session& s, HeadlessPlatform& headless) {
    // Every session starts from nothing: no carried cards, an empty log.
    resetPointerPlay();
    resetLog();
    // The right button explains the rules as a message, as in the window.
    explainRulesHook = explainRules;
    lastScore = 0;
    headless.answerYes = s.answerYes;
    prefs = sessionPreferences(s);
}

void applyActions(const Session& s) {
    for (const std::string& action : s.actions) apply(action);
}

namespace {

// The length of the well-formed UTF-8 sequence at s, or 0 when there is none.
size_t utf8Length(const unsigned char* s) {
    const unsigned char c = s[0];
    size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) low = 0xA0;   // no overlong forms
        if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (s[1] < low || s[1] > high) return 0;
    for (size_t i = 2; i < n; ++i)
        if (s[i] < 0x80 || s[i] > 0xBF) return 0;
    return n;
}

}  // namespace

void appendJsonString(std::string& out, const char* s) {
    out += '"';
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    while (*p) {
        const unsigned char c = *p;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++p;
        } else if (c == '\n') {
            out += "\\n";
            ++p;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            ++p;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++p;
        } else if (const size_t n = utf8Length(p)) {
            out.append(reinterpret_cast<const char*>(p), n);
            p += n;
        } else {
            // A byte that is no part of a UTF-8 character (a file name in
            // another encoding) stands for the character of its value, as
            // the window shows it.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            ++p;
        }
    }
    out += '"';
}

std::string escapedLine(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out;
}

static void appendField(std::string& out, const char* name, long long value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "\"%s\":%lld,", name, value);
    out += buf;
}

std::string dealJson() {
    std::string out = "{";
    appendField(out, "game", currentGame->commandId);
    appendField(out, "row", table.gameIndex);
    out += "\"name\":";
    appendJsonString(out, currentGame->name);
    out += ',';
    appendField(out, "number", gameNumber);
    appendField(out, "deckSize", table.deckSize);
    appendField(out, "baseRank", table.baseRank);
    appendField(out, "redealsLeft", table.redealsLeft);
    appendField(out, "cardWidth", table.cardWidth);
    appendField(out, "cardHeight", table.cardHeight);
    appendField(out, "fanStep", table.fanStep);
    out += "\"piles\":[";
    for (Pile* p = currentGame->layout; p; p = p->next) {
        if (p != currentGame->layout) out += ',';
        out += '{';
        appendField(out, "x", p->x);
        appendField(out, "y", p->y);
        appendField(out, "count", p->count);
        out += "\"cards\":[";
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

}  // namespace korvat::cli
