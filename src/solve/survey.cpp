#include "solve/survey.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "core/deal.h"
#include "model/catalogue.h"

namespace korvat::solve {

void wilsonInterval(int k, int n, double& low, double& high) {
    if (n <= 0) {
        low = 0;
        high = 1;
        return;
    }
    const double z = 1.959963984540054, p = static_cast<double>(k) / n, z2n = z * z / n;
    const double centre = (p + z2n / 2) / (1 + z2n);
    const double half = z * std::sqrt(p * (1 - p) / n + z2n / (4.0 * n)) / (1 + z2n);
    low = std::max(0.0, centre - half);
    high = std::min(1.0, centre + half);
}

namespace {

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(std::ceil(q * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

}  // namespace

std::vector<GameSurvey> survey(const SurveyOptions& o, const std::function<void(uint64_t, uint64_t)>& progress) {
    GameCatalogue& catalogue = gameCatalogue();  // read once here, before any thread starts
    std::vector<GameSurvey> games(o.games.size());
    for (size_t g = 0; g < o.games.size(); ++g) {
        const GameEntry& entry = catalogue[static_cast<size_t>(findGameRow(o.games[g]))];
        games[g].commandId = entry.commandId;
        games[g].name = entry.name;
        games[g].deals.resize(o.deals);
    }
    const uint64_t total = static_cast<uint64_t>(o.games.size()) * o.deals;
    std::atomic<uint64_t> next{0}, done{0};
    auto work = [&] {
        for (uint64_t i; (i = next.fetch_add(1)) < total;) {
            const size_t g = static_cast<size_t>(i / o.deals);
            const uint32_t k = static_cast<uint32_t>(i % o.deals);
            const GameEntry& entry = catalogue[static_cast<size_t>(findGameRow(o.games[g]))];
            const core::GameRules r = core::makeRules(entry, o.rules, o.first + k);
            const Result result = solve(r, core::startTable(r), o.limits);
            games[g].deals[k] = {result.verdict, result.states, result.ms};
            done.fetch_add(1);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < std::max(1, o.threads); ++t) threads.emplace_back(work);
    std::thread own(work);
    while (done.load() < total) {
        progress(done.load(), total);
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    own.join();
    for (std::thread& t : threads) t.join();
    progress(total, total);

    for (GameSurvey& g : games) {
        std::vector<double> times;
        double ms = 0, states = 0;
        for (const DealOutcome& d : g.deals) {
            if (d.verdict == Verdict::Winnable) ++g.winnable;
            if (d.verdict == Verdict::Unwinnable) ++g.unwinnable;
            if (d.verdict == Verdict::Unknown) ++g.unknown;
            times.push_back(d.ms);
            ms += d.ms;
            states += static_cast<double>(d.states);
        }
        const int n = static_cast<int>(g.deals.size());
        g.winnableShare = n ? static_cast<double>(g.winnable) / n : 0;
        double lowHigh;
        wilsonInterval(g.winnable, n, g.low, lowHigh);
        double highLow;
        wilsonInterval(g.winnable + g.unknown, n, highLow, g.high);
        g.medianMs = percentile(times, 0.5);
        g.p99Ms = percentile(times, 0.99);
        g.statesPerSecond = ms > 0 ? states / (ms / 1000) : 0;
    }
    return games;
}

}  // namespace korvat::solve
