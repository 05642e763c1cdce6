// A scripted game for korvat-cli: deal a game by number, then apply the
// player's actions in order, all on the headless platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "shell/headless_platform.h"

namespace korvat::cli {

struct Session {
    int commandId = 0;
    uint32_t number = 0;
    bool unlimit = false;
    bool answerYes = true;
    std::vector<std::pair<const PreferenceKey*, int32_t>> preferences;
    std::vector<std::string> actions;
};

// The session options of a command line (--unlimit, --pref KEY=VALUE,
// --answer yes|no), checked, and with `needsGame` its first two plain
// arguments as ID NUMBER; the plain arguments after them are the actions
// (every one of them without `needsGame`). The actions are checked by
// checkSession, once the caller has taken its own arguments from them,
// before anything is dealt, read or written.
Session readSession(const Arguments& arguments, bool needsGame = true);

// The preferences a session plays with: the defaults with sound off, then
// what its options change.
Preferences sessionPreferences(const Session& session);

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

}  // namespace korvat::cli
