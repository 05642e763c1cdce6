// A scripted game for korvat-cli: deal a game by number, then apply the
// player's actions in order, all on the headless platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/headless_platform.h"

namespace korvat::cli {

// Bad input: reported as one line on standard error, exit status 2.
struct BadInput {
    std::string message;
};

struct Session {
    int commandId = 0;
    uint32_t number = 0;
    bool unlimit = false;
    bool answerYes = true;
    std::vector<std::pair<std::string, int32_t>> preferences;
    std::vector<std::string> actions;
    std::vector<std::string> positional;  // what follows ID NUMBER that is not an action
};

// Parses ID NUMBER [--unlimit] [--pref KEY=VALUE]... [--answer yes|no]
// ACTION... from args[first...], checking every option. The actions are
// checked by checkSession, once the caller has taken its own arguments
// from them, before anything is dealt, read or written. `extraOptions` lists further options the
// caller takes with one value each (they are returned in `positional` as
// "--name", "value").
// Without `needsGame` no ID NUMBER is expected, and every plain argument
// is returned in `actions`.
Session parseSession(const std::vector<std::string>& args, size_t first,
                     const std::vector<std::string>& extraOptions = {}, bool needsGame = true);

// Checks the form of every action, and its pile numbers against a game of
// `pileCount` piles (0: the game is not known yet, the numbers are checked
// for form only). Throws BadInput. Nothing is dealt or changed.
void checkActions(const std::vector<std::string>& actions, int pileCount);
// checkActions for the actions of a session that names its game.
void checkSession(const Session& session);

// Deals the session's game and applies its actions. The platform must be
// installed already.
void playSession(const Session& session, HeadlessPlatform& headless);
// The parts of playSession: a fresh start (nothing carried, an empty log,
// the session's preferences and answers), and the actions in order.
void beginSession(const Session& session, HeadlessPlatform& headless);
void applyActions(const Session& session);

// The table as JSON: the game, its settings and every pile (without the
// closing brace, so that callers can add fields).
std::string dealJson();
// A JSON string; bytes that form no UTF-8 character are escaped as the
// characters of their values, so the output is always valid UTF-8.
void appendJsonString(std::string& out, const char* s);
// A message made fit for one line: control characters and backslashes
// escaped (\n, \t, \r, \xHH, \\).
std::string escapedLine(const std::string& text);

// Parses an unsigned 32-bit decimal: digits only, at most 4294967295.
bool parseUnsigned32(const std::string& text, uint32_t& out);

}  // namespace korvat::cli
