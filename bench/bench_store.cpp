// Timings of the player's files: a saved game with a full history of 2047
// moves and LOG.DAT, each encoded and decoded in memory and written to and
// read from a file (written files go through a temporary file, flushed to
// the disk, and a rename). Run: korvat-store-bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "model/catalogue.h"
#include "model/deck.h"
#include "model/gamelog.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/game.h"
#include "play/card_moves.h"
#include "shell/headless_platform.h"
#include "store/gamefile.h"
#include "store/logfile.h"

namespace korvat {
namespace {

HeadlessPlatform& headless() {
    static HeadlessPlatform h;
    setPlatform(&h);
    return h;
}

// Klondike with 2047 recorded turns of one card.
void fullHistory() {
    headless();
    prefs = Preferences{};
    prefs.Sound = 0;
    selectGame(827);
    startGame(1);
    Pile& p = *pileAt(10);
    for (int i = 0; i < kMaxSavedMoves; ++i) turnCard(p, *p.top, i % 2 == 0 ? kFaceDown : kFaceUp, 0);
}

void fullLog() {
    for (int i = 0; i < kLogEntries; ++i)
        gameLog[static_cast<size_t>(i)] = {static_cast<uint32_t>(i * 7919), i % kGameCount, 1 + i % 2, "a deal"};
}

std::string scratchFile(const char* name) {
    static std::string folder = [] {
        char pattern[] = "/tmp/korvat-bench-XXXXXX";
        return std::string(mkdtemp(pattern));
    }();
    return folder + "/" + name;
}

void BM_encodeGameFile(benchmark::State& state) {
    fullHistory();
    for (auto _ : state) benchmark::DoNotOptimize(encodeGameFile());
}
BENCHMARK(BM_encodeGameFile)->Name("writeGameFile/encode-2047-moves");

void BM_decodeAndRestoreGameFile(benchmark::State& state) {
    fullHistory();
    const std::vector<uint8_t> bytes = encodeGameFile();
    for (auto _ : state) {
        SavedGame game;
        std::string error;
        if (decodeGameFile(bytes.data(), bytes.size(), game, error) != GameFileCheck::Good) std::abort();
        restoreSavedGame(game);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_decodeAndRestoreGameFile)->Name("readGameFile/decode-2047-moves");

void BM_writeGameFile(benchmark::State& state) {
    fullHistory();
    const std::string path = scratchFile("full.GAM");
    std::string error;
    for (auto _ : state)
        if (!writeGameFile(path, error)) std::abort();
}
BENCHMARK(BM_writeGameFile)->Name("writeGameFile/2047-moves")->Unit(benchmark::kMicrosecond);

void BM_readGameFile(benchmark::State& state) {
    fullHistory();
    const std::string path = scratchFile("full.GAM");
    std::string error;
    if (!writeGameFile(path, error)) std::abort();
    for (auto _ : state)
        if (!readGameFile(path)) std::abort();
}
BENCHMARK(BM_readGameFile)->Name("readGameFile/2047-moves")->Unit(benchmark::kMicrosecond);

void BM_writeLogFile(benchmark::State& state) {
    fullLog();
    const std::string path = scratchFile("LOG.DAT");
    std::string error;
    for (auto _ : state)
        if (!writeLogFile(path, gameLog, error)) std::abort();
}
BENCHMARK(BM_writeLogFile)->Name("writeLog")->Unit(benchmark::kMicrosecond);

void BM_readLogFile(benchmark::State& state) {
    fullLog();
    const std::string path = scratchFile("LOG.DAT");
    std::string error;
    if (!writeLogFile(path, gameLog, error)) std::abort();
    for (auto _ : state)
        if (!readLogFile(path, gameLog, error)) std::abort();
}
BENCHMARK(BM_readLogFile)->Name("readLog")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvat

