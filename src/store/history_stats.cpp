// The figures of the history, counted in one pass over the finished deals.
#include "store/history_stats.h"

#include <cstdio>
#include <ctime>

namespace korvat::history {

void Figures::add(const Result& r, int order) {
    ++played;
    if (r.won) {
        ++won;
        currentStreak = currentStreak > 0 ? currentStreak + 1 : 1;
        if (currentStreak > longestWinStreak) longestWinStreak = currentStreak;
        if (r.timeMs >= 0) {
            if (bestTimeMs < 0 || r.timeMs < bestTimeMs) bestTimeMs = r.timeMs;
            winTimeTotalMs += r.timeMs;
            ++timedWins;
        }
        if (r.moves >= 0 && (fewestMoves < 0 || r.moves < fewestMoves)) fewestMoves = r.moves;
    } else {
        currentStreak = currentStreak < 0 ? currentStreak - 1 : -1;
        if (-currentStreak > longestLossStreak) longestLossStreak = -currentStreak;
    }
    if (r.ended >= 0) lastEnded = r.ended;
    lastOrder = order;
}

const Figures& Statistics::of(int game) const {
    static const Figures none;
    auto it = byGame.find(game);
    return it == byGame.end() ? none : it->second;
}

Statistics computeStatistics(const std::vector<Result>& results) {
    Statistics s;
    int order = 0;
    // Deals of one game usually follow each other: the last game's figures
    // are kept at hand rather than looked up for every deal.
    int lastGame = -1;
    Figures* figures = nullptr;
    for (const Result& r : results) {
        s.all.add(r, order);
        if (r.game != lastGame || !figures) {
            figures = &s.byGame[r.game];
            lastGame = r.game;
        }
        figures->add(r, order);
        ++order;
    }
    return s;
}

namespace {

// The offset of local time from UTC now, in seconds; one offset for every
// day, so that a day is a plain division (a change to or from summer time
// moves deals near midnight by an hour).
int64_t localOffsetSeconds() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_gmtoff;
}

int64_t floorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

std::vector<Day> resultsByDay(const std::vector<Result>& results, int game, size_t most) {
    std::vector<Day> days;
    const int64_t offset = localOffsetSeconds();
    for (const Result& r : results) {
        if (r.ended < 0 || (game != 0 && r.game != game)) continue;
        const int64_t day = floorDiv(r.ended / 1000 + offset, 86400);
        if (days.empty() || days.back().day != day) {
            // Ended out of order by a day only when the clock was set back.
            if (!days.empty() && day < days.back().day) continue;
            days.push_back(Day{day});
        }
        (r.won ? days.back().won : days.back().lost) += 1;
    }
    if (days.size() > most) days.erase(days.begin(), days.end() - static_cast<std::ptrdiff_t>(most));
    return days;
}

std::string formatDuration(int64_t ms) {
    if (ms < 0) return "-";
    const int64_t s = ms / 1000;
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                      static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(s / 60),
                      static_cast<long long>(s % 60));
    return text;
}

std::vector<FigureLine> figureLines(const Figures& f) {
    auto count = [](int64_t v) { return v < 0 ? std::string("-") : std::to_string(v); };
    char percent[32] = "-";
    if (f.played) std::snprintf(percent, sizeof percent, "%.1f%%", f.winPercent());
    std::string streak = "-";
    if (f.currentStreak > 0) streak = std::to_string(f.currentStreak) + " won";
    if (f.currentStreak < 0) streak = std::to_string(-f.currentStreak) + " lost";
    return {{"Played", std::to_string(f.played)},
            {"Won", std::to_string(f.won)},
            {"Win %", percent},
            {"Current streak", streak},
            {"Longest winning streak", std::to_string(f.longestWinStreak)},
            {"Longest losing streak", std::to_string(f.longestLossStreak)},
            {"Best time", formatDuration(f.bestTimeMs)},
            {"Average time", formatDuration(f.averageTimeMs())},
            {"Fewest moves", count(f.fewestMoves)}};
}

std::string figuresJson(const Figures& f) {
    auto orNull = [](int64_t v) { return v < 0 ? std::string("null") : std::to_string(v); };
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.1f", f.winPercent());
    std::string out = "{\"played\":" + std::to_string(f.played) + ",\"won\":" + std::to_string(f.won) +
                      ",\"winPercent\":" + percent + ",\"currentStreak\":" + std::to_string(f.currentStreak) +
                      ",\"longestWinStreak\":" + std::to_string(f.longestWinStreak) +
                      ",\"longestLossStreak\":" + std::to_string(f.longestLossStreak) +
                      ",\"bestTimeMs\":" + orNull(f.bestTimeMs) + ",\"averageTimeMs\":" + orNull(f.averageTimeMs()) +
                      ",\"fewestMoves\":" + orNull(f.fewestMoves) + "}";
    return out;
}

}  // namespace korvat::history
