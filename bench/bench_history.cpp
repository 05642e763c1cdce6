// Timings of the history of the deals played, on a database of 100,000
// deals in a scratch folder on the disk: the window's part of recording a
// deal's end (the deal left, then its row written at the next timer tick),
// opening the history, and what the statistics dialog reads and counts
// when it opens.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "model/catalogue.h"
#include "model/deck.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/game.h"
#include "play/card_moves.h"
#include "shell/headless_platform.h"
#include "shell/history_recorder.h"
#include "store/history.h"
#include "store/history_stats.h"
#include "sample_history.h"

namespace korvat {
namespace {

constexpr int kRows = 100'000;

std::string scratch;  // the folder, removed at exit

void removeScratch() {
    for (const char* name : {"played", "read"})
        for (const char* end : {".sqlite", ".sqlite-wal", ".sqlite-shm"})
            ::unlink((scratch + "/" + name + end).c_str());
    ::rmdir(scratch.c_str());
}

// A history of 100,000 finished deals of every game, most of them of one
// game, named `name` in the scratch folder.
std::string bigHistory(const char* name) {
    if (scratch.empty()) {
        char pattern[] = "/var/tmp/korvat-history-bench-XXXXXX";
        scratch = mkdtemp(pattern);
        if (!std::getenv("KORVAT_BENCH_KEEP")) std::atexit(removeScratch);
    }
    const std::string file = scratch + "/" + name + ".sqlite";
    if (::access(file.c_str(), F_OK) != 0) {
        if (!bench::writeSampleHistory(file, kRows)) std::abort();
    }
    return file;
}

HeadlessPlatform& headless() {
    static HeadlessPlatform h;
    setPlatform(&h);
    return h;
}

// Leaving a deal whose row is written (New), then the next tick writing the
// finished row: what a deal's end costs the window.
void BM_recordDealEnd(benchmark::State& state) {
    const std::string path = bigHistory("played");
    headless();
    prefs = Preferences{};
    prefs.Sound = 0;
    selectGame(827);
    historyRecorder::begin(path, historyRecorder::Mode::Window, false);
    uint32_t number = 1;
    for (auto _ : state) {
        state.PauseTiming();
        startGame(number++);
        recordMove(*pileAt(1), *pileAt(0), 0);
        historyRecorder::tick();  // the first move's tick: the history opened, the row written
        state.ResumeTiming();
        historyRecorder::beforeDeal(true);
        historyRecorder::writePending();
    }
    if (historyRecorder::pending() != 0) std::abort();
    historyRecorder::end();
}
BENCHMARK(BM_recordDealEnd)->Name("history/dealEnd-100000-rows")->Unit(benchmark::kMicrosecond);

// The statistics dialog's reading: every finished deal, then the figures of
// every game and the days of the chart.
void BM_readStatistics(benchmark::State& state) {
    const std::string path = bigHistory("read");
    history::Database db;
    std::string error;
    if (db.open(path, 1000, error) != history::Outcome::Done) std::abort();
    std::vector<history::Result> results;
    for (auto _ : state) {
        if (!db.readResults(results, error)) std::abort();
        const history::Statistics s = history::computeStatistics(results);
        benchmark::DoNotOptimize(s.all.played);
        benchmark::DoNotOptimize(history::resultsByDay(results, 827, 30));
    }
    state.counters["rows"] = static_cast<double>(results.size());
}
BENCHMARK(BM_readStatistics)->Name("history/statistics-100000-rows")->Unit(benchmark::kMillisecond);

void BM_readResults(benchmark::State& state) {
    const std::string path = bigHistory("read");
    history::Database db;
    std::string error;
    if (db.open(path, 1000, error) != history::Outcome::Done) std::abort();
    std::vector<history::Result> results;
    for (auto _ : state)
        if (!db.readResults(results, error)) std::abort();
}
BENCHMARK(BM_readResults)->Name("history/read-100000-rows")->Unit(benchmark::kMillisecond);

// What the window's first timer tick does: the history opened, its schema
// version checked.
void BM_openHistory(benchmark::State& state) {
    const std::string path = bigHistory("read");
    std::string error;
    for (auto _ : state) {
        history::Database db;
        if (db.open(path, 0, error) != history::Outcome::Done) std::abort();
    }
}
BENCHMARK(BM_openHistory)->Name("history/open-100000-rows")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvat
