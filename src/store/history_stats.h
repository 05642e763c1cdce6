// The statistics of the history: per game and over all games, the deals
// played and won, streaks, best and average times and fewest moves, and the
// deals won and lost per day for the chart. Plain arithmetic over the
// finished deals in the order they ended.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/history.h"

namespace korvat::history {

struct Figures {
    int played = 0;
    int won = 0;
    // Positive: the last deals were won, that many; negative: lost.
    int currentStreak = 0;
    int longestWinStreak = 0;
    int longestLossStreak = 0;
    int64_t bestTimeMs = -1;  // -1: no win with a time
    int64_t winTimeTotalMs = 0;
    int timedWins = 0;
    int fewestMoves = -1;  // -1: no win with a count of moves
    int64_t lastEnded = -1;  // when the last deal ended, -1 for none (or only imported ones)
    int lastOrder = -1;      // the place of the last deal among all finished deals, -1 for none

    double winPercent() const { return played ? 100.0 * won / played : 0.0; }
    int64_t averageTimeMs() const { return timedWins ? winTimeTotalMs / timedWins : -1; }
    void add(const Result& r, int order);
};

struct Statistics {
    Figures all;
    std::map<int, Figures> byGame;  // by command id
    const Figures& of(int game) const;
};

Statistics computeStatistics(const std::vector<Result>& results);

// Deals won and lost on one day (local time) for the chart.
struct Day {
    int64_t day;  // days since 1970-01-01 in local time
    int won = 0;
    int lost = 0;
};
// The days on which deals of `game` (0: any game) ended, oldest first; at
// most the last `most` of them. Imported deals have no day.
std::vector<Day> resultsByDay(const std::vector<Result>& results, int game, size_t most);

// "1:05" for 65 seconds, "1:02:03" from an hour on; "-" when unknown.
std::string formatDuration(int64_t milliseconds);

// The figures in words, as the statistics dialog and korvat-cli show them:
// a label and its value for each ("Won", "5"; "Current streak", "3 won").
struct FigureLine {
    const char* label;
    std::string value;
};
std::vector<FigureLine> figureLines(const Figures& f);

// The figures as one JSON object, the keys as korvat-cli prints them.
std::string figuresJson(const Figures& f);

}  // namespace korvat::history
