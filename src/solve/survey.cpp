// Surveys: every deal of every game asked for, solved on several threads;
// each game's figures handed on as soon as its last deal is done, from
// counts and a time store of bounded size.
#include "solve/survey.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
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

// The times of one game's deals: each one while there are at most
// kExactTimes, then counted in buckets 1% wide from 1 microsecond up.
class TimeStore {
public:
    void add(double ms) {
        if (count_++ < kExactTimes) {
            exact_.push_back(ms);
            return;
        }
        if (buckets_.empty()) {
            buckets_.assign(kBuckets, 0);
            for (double t : exact_) ++buckets_[bucketOf(t)];
            std::vector<double>().swap(exact_);
        }
        ++buckets_[bucketOf(ms)];
    }
    // The time below which a share q of the deals took: the ceil(q n)-th.
    double percentile(double q) {
        if (count_ == 0) return 0;
        const uint64_t rank = std::max<uint64_t>(1, static_cast<uint64_t>(std::ceil(q * static_cast<double>(count_))));
        if (buckets_.empty()) {
            std::sort(exact_.begin(), exact_.end());
            return exact_[std::min<size_t>(rank, exact_.size()) - 1];
        }
        uint64_t seen = 0;
        for (size_t b = 0; b < buckets_.size(); ++b)
            if ((seen += buckets_[b]) >= rank) return kLeast * std::pow(kStep, static_cast<double>(b) + 0.5);
        return kLeast * std::pow(kStep, static_cast<double>(kBuckets));
    }

private:
    static constexpr double kLeast = 0.001, kStep = 1.01;
    static constexpr size_t kBuckets = 2600;  // up to about 36 hours
    static size_t bucketOf(double ms) {
        if (ms <= kLeast) return 0;
        return std::min(kBuckets - 1, static_cast<size_t>(std::log(ms / kLeast) / std::log(kStep)));
    }
    uint64_t count_ = 0;
    std::vector<double> exact_;
    std::vector<uint32_t> buckets_;
};

// A game while its deals are being solved.
struct OpenGame {
    GameSurvey figures;
    uint32_t done = 0;
    double ms = 0, states = 0;
    TimeStore times;
};

}  // namespace

void survey(const SurveyOptions& o, const std::function<void(const GameSurvey&)>& gameDone,
            const std::function<void(uint64_t, uint64_t)>& progress) {
    GameCatalogue& catalogue = gameCatalogue();  // read once here, before any thread starts
    const size_t games = o.games.size();
    const int threads = std::max(1, o.threads);
    const uint64_t total = static_cast<uint64_t>(games) * o.deals;
    Limits limits = o.limits;
    limits.maxBytes = std::max<uint64_t>(1, o.limits.maxBytes / static_cast<uint64_t>(threads));

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::unique_ptr<OpenGame>> open(games);  // made at a game's first deal, freed at its last
    std::vector<std::unique_ptr<GameSurvey>> finished(games);
    uint64_t next = 0, done = 0;

    auto work = [&] {
        while (true) {
            uint64_t i;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (next >= total) return;
                i = next++;
                const size_t g = static_cast<size_t>(i / o.deals);
                if (!open[g]) {
                    open[g] = std::make_unique<OpenGame>();
                    const GameEntry& entry = catalogue[static_cast<size_t>(findGameRow(o.games[g]))];
                    open[g]->figures.commandId = entry.commandId;
                    open[g]->figures.name = entry.name;
                }
            }
            const size_t g = static_cast<size_t>(i / o.deals);
            const uint32_t k = static_cast<uint32_t>(i % o.deals);
            const GameEntry& entry = catalogue[static_cast<size_t>(findGameRow(o.games[g]))];
            const core::GameRules r = core::makeRules(entry, o.rules, o.first + k);
            const Result result = solve(r, core::startTable(r), limits);
            std::lock_guard<std::mutex> lock(mutex);
            OpenGame& game = *open[g];
            GameSurvey& f = game.figures;
            if (result.verdict == Verdict::Winnable) ++f.winnable;
            if (result.verdict == Verdict::Unwinnable) ++f.unwinnable;
            if (result.verdict == Verdict::Unknown) ++f.unknown;
            game.times.add(result.ms);
            game.ms += result.ms;
            game.states += static_cast<double>(result.states);
            ++done;
            if (++game.done == o.deals) {
                f.deals = o.deals;
                const int n = static_cast<int>(o.deals);
                f.winnableShare = static_cast<double>(f.winnable) / n;
                double lowHigh, highLow;
                wilsonInterval(f.winnable, n, f.low, lowHigh);
                wilsonInterval(f.winnable + f.unknown, n, highLow, f.high);
                f.medianMs = game.times.percentile(0.5);
                f.p99Ms = game.times.percentile(0.99);
                f.statesPerSecond = game.ms > 0 ? game.states / (game.ms / 1000) : 0;
                finished[g] = std::make_unique<GameSurvey>(f);
                open[g].reset();
            }
            changed.notify_one();
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
    // The games in order, each handed on once it and those before it are done.
    size_t shown = 0;
    auto shownAt = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex);
    while (shown < games) {
        changed.wait_for(lock, std::chrono::milliseconds(250));
        const uint64_t solved = done;
        std::vector<std::unique_ptr<GameSurvey>> ready;
        while (shown < games && finished[shown]) ready.push_back(std::move(finished[shown++]));
        lock.unlock();
        for (const auto& g : ready) gameDone(*g);
        const auto now = std::chrono::steady_clock::now();
        if (shown < games && now - shownAt >= std::chrono::milliseconds(250)) {
            progress(solved, total);
            shownAt = now;
        }
        lock.lock();
    }
    lock.unlock();
    for (std::thread& t : pool) t.join();
    progress(total, total);
}

}  // namespace korvat::solve
