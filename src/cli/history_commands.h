// korvat-cli and the history of the deals played: play and load record
// their deals with --history FILE as the window does, and `stats` prints
// the figures the statistics dialog shows.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace korvat::cli {

// With a file named, the session's deals are recorded in that history from
// open() to close(), each finished deal written at once (waiting for
// another program's lock up to 5 seconds); without one nothing is recorded.
struct HistoryScope {
    bool active = false;
    ~HistoryScope();
    // `logRead`: the session read a game log (--log), which the history
    // takes in if it has not taken in one yet.
    void open(const std::string& path, bool logRead);
    // Finishes the deal on the table (won, or left) and writes it. False
    // when the history could not take the session's deals: the message says
    // why.
    bool close();
};

// korvat-cli stats [--history FILE] [--game ID] [--json]
int statsCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace korvat::cli
