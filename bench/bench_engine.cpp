// Timings of the engine's hot operations. Run: korvat-bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <string>

#include "model/catalogue.h"
#include "model/deck.h"
#include "model/drawing.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/autoplay.h"
#include "play/game.h"
#include "core/legality.h"
#include "play/current.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "shell/headless_platform.h"
#include "view/table_drawing.h"

namespace korvat {
namespace {

HeadlessPlatform& headless() {
    static HeadlessPlatform h;
    setPlatform(&h);
    return h;
}

void dealGame(int id, uint32_t number) {
    headless();
    prefs = Preferences{};
    prefs.Sound = 0;
    prefs.Move = 0;
    selectGame(id);
    startGame(number);
}

void BM_startGame(benchmark::State& state, int id) {
    dealGame(id, 1);
    uint32_t n = 0;
    for (auto _ : state) {
        startGame(++n);
        benchmark::DoNotOptimize(deck[0].value);
    }
}

void registerStartGames() {
    for (const GameEntry& g : gameCatalogue())
        benchmark::RegisterBenchmark(("startGame/" + std::to_string(g.commandId)).c_str(), BM_startGame,
                                     g.commandId);
}

void BM_canPlace(benchmark::State& state) {
    dealGame(827, 0);
    const core::GameRules rules = currentRules();
    const core::Table t = currentTable();
    const int value = core::valueOf(t.top(10));
    int i = 0;
    for (auto _ : state) {
        bool ok = core::canPlace(rules, t, 10, 4 + (i++ % 6), value, 1);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_canPlace)->Name("canPlace");

void BM_hitTest(benchmark::State& state) {
    dealGame(827, 0);
    int i = 0;
    for (auto _ : state) {
        Pile* p = hitTest(76 + (i++ % 400), 150);
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_hitTest)->Name("hitTest");

void BM_dragTo(benchmark::State& state) {
    // With the table drawing installed when the pictures are found, so the
    // redraw of the carried cards and the marked drop target are timed too.
    headless();
    static bool drawing = view::startGraphics();
    if (drawing) view::installTableDrawing();
    state.counters["drawn"] = drawing ? 1 : 0;
    dealGame(827, 0);
    Pile& p = currentGame->layout[10];
    pressAt(p.top->x + 20, p.top->y + 20);
    int i = 0;
    for (auto _ : state) {
        int step = i++ % 200;
        dragTo(100 + step * 2, 120 + step);
    }
    release();
    drawingHooks = DrawingHooks{};  // the other timings are of the engine alone
}
BENCHMARK(BM_dragTo)->Name("dragTo");

// Klondike with every card face up on the tableau, kings lowest: Auto
// plays all 52 cards home.
void setUpAutoFinish() {
    dealGame(827, 0);
    Pile* piles = currentGame->layout;
    for (Pile* p = piles; p; p = p->next) {
        p->bottom = p->top = nullptr;
        layoutPile(*p);
    }
    int slot = 0;
    for (int suit = 0; suit < 4; ++suit)
        for (int rank = 12; rank >= 0; --rank) {
            Card& c = deck[static_cast<size_t>(slot++)];
            c = Card{};
            c.value = rank * 4 + suit;
            insertCardAbove(piles[4 + suit], piles[4 + suit].top, c);
        }
    layoutAllPiles();
    table.undoCount = 0;
}

void BM_autoStep(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        setUpAutoFinish();
        state.ResumeTiming();
        while (autoStep()) {
        }
    }
}
BENCHMARK(BM_autoStep)->Name("autoStep/auto-to-the-end")->Unit(benchmark::kMicrosecond);

void BM_undo(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        setUpAutoFinish();
        for (int i = 0; i < 6; ++i)
            while (autoStep()) {
            }
        // 52 moves played; pad the history to 300 entries with turns.
        Pile& f = currentGame->layout[0];
        while (table.undoCount < 300) {
            f.top->faceDown = kFaceUp;
            recordTurn(f, 0);
        }
        state.ResumeTiming();
        while (table.undoCount > 0) undo();
    }
}
BENCHMARK(BM_undo)->Name("undo/300")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvat

int main(int argc, char** argv) {
    korvat::registerStartGames();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
