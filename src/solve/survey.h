// Solving many deals of many games on several threads, with the figures a
// table of odds needs.
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
    Limits limits;
    core::RuleOptions rules;
};

struct DealOutcome {
    Verdict verdict = Verdict::Unknown;
    uint64_t states = 0;
    double ms = 0;
};

struct GameSurvey {
    int commandId = 0;
    const char* name = "";
    std::vector<DealOutcome> deals;  // in game-number order
    int winnable = 0, unwinnable = 0, unknown = 0;
    double winnableShare = 0;        // winnable / deals
    double low = 0, high = 0;        // 95% Wilson interval: unknown counted lost, and won
    double medianMs = 0, p99Ms = 0;
    double statesPerSecond = 0;
};

// Solves every deal; `progress(done, total)` is called from the calling
// thread now and then while the others work.
std::vector<GameSurvey> survey(const SurveyOptions& options, const std::function<void(uint64_t, uint64_t)>& progress);

// The 95% Wilson score interval of k successes in n trials.
void wilsonInterval(int k, int n, double& low, double& high);

}  // namespace korvat::solve
