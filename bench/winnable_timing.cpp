// korvat-winnable-timing [--games ID,ID...] [--starts N]: how long
// "Winnable deals only" takes to find a deal the solver proves winnable, as
// New does it (the window's limits for each number), from N starting game
// numbers (0, 1000003, 2000006, ...) of each game: the median and the
// longest time, and the numbers tried. A start that has found nothing after
// 30 seconds counts as 30 seconds. Every game unless --games is given.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "shell/solver_service.h"

int main(int argc, char** argv) {
    using namespace korvat;
    std::vector<int> games;
    int starts = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--starts")) starts = std::max(1, std::atoi(argv[i + 1]));
        if (!std::strcmp(argv[i], "--games")) {
            for (const char* p = argv[i + 1]; *p;) {
                games.push_back(std::atoi(p));
                while (*p && *p != ',') ++p;
                if (*p) ++p;
            }
        }
    }
    if (games.empty())
        for (const GameEntry& g : gameCatalogue()) games.push_back(g.commandId);
    std::printf("%-5s %-22s %9s %9s %7s\n", "id", "game", "median", "longest", "tried");
    for (const int id : games) {
        const int row = findGameRow(id);
        if (row < 0) continue;
        const GameEntry& game = gameCatalogue()[static_cast<size_t>(row)];
        std::vector<double> seconds;
        unsigned tried = 0;
        for (int s = 0; s < starts; ++s) {
            WinnableSearch search;
            search.game = &game;
            search.from = static_cast<uint32_t>(s) * 1000003u;
            search.budgetMs = 30'000;
            const auto began = std::chrono::steady_clock::now();
            runWinnableSearch(search);
            seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
            tried += search.tried.load();
        }
        std::sort(seconds.begin(), seconds.end());
        std::printf("%-5d %-22.22s %8.2fs %8.2fs %7u\n", id, game.name, seconds[seconds.size() / 2], seconds.back(),
                    tried);
        std::fflush(stdout);
    }
    return 0;
}
