// Solving many deals of many games on several threads, with the figures a
// table of odds needs, each game's handed on as soon as its deals are done.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/rules.h"
#include "solve/solver.h"

namespace korvat::solve {

struct SurveyOptions {
    std::vector<int> games;  // command ids
    uint32_t first = 0;      // game numbers first .. first + deals - 1
    uint32_t deals = 200;
    int threads = 1;
    // Each deal's limits; maxBytes is the memory of the whole survey, shared
    // out among the deals solved at once.
    Limits limits;
    core::RuleOptions rules;
};

struct GameSurvey {
    int commandId = 0;
    const char* name = "";
    uint32_t deals = 0;
    int winnable = 0, unwinnable = 0, unknown = 0;
    double winnableShare = 0;        // winnable / deals
    double low = 0, high = 0;        // 95% Wilson interval: unknown counted lost, and won
    double medianMs = 0, p99Ms = 0;  // exact up to kExactTimes deals a game, else within 0.5%
    double statesPerSecond = 0;
};

// A game's deal times are kept one by one up to this many deals; past it,
// in a histogram of fixed size, so that a survey's memory does not grow
// with its deals.
constexpr uint32_t kExactTimes = 1u << 16;

// Solves every deal. `gameDone` is called on the calling thread with each
// game as soon as its deals are solved, in the order of options.games;
// `progress(done, total)` now and then while the other threads work.
void survey(const SurveyOptions& options, const std::function<void(const GameSurvey&)>& gameDone,
            const std::function<void(uint64_t, uint64_t)>& progress);

// The 95% Wilson score interval of k successes in n trials.
void wilsonInterval(int k, int n, double& low, double& high);

}  // namespace korvat::solve
