// Timings of the table drawing and of reading the pictures.
#include <benchmark/benchmark.h>

#include <string>

#include "model/catalogue.h"
#include "model/deck.h"
#include "model/drawing.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/game.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "shell/headless_platform.h"
#include "art/view_art.h"
#include "view/pictures.h"
#include "view/scaled_pictures.h"
#include "view/table_drawing.h"

namespace korvat {
namespace {

bool graphicsReady() {
    static HeadlessPlatform headless;
    static bool ready = [] {
        setPlatform(&headless);
        return view::startGraphics();
    }();
    return ready;
}

// Installs the table drawing for one benchmark and takes it away after, so
// that the engine's own timings stay free of drawing.
struct DrawingInstalled {
    DrawingInstalled() { view::installTableDrawing(); }
    ~DrawingInstalled() { drawingHooks = DrawingHooks{}; }
};

void dealDrawn(int id) {
    prefs = Preferences{};
    prefs.Sound = 0;
    prefs.Move = 0;
    selectGame(id);
    startGame(0);
}

void BM_composeTable(benchmark::State& state, int id) {
    if (!graphicsReady()) {
        state.SkipWithError("no pictures");
        return;
    }
    DrawingInstalled drawing;
    dealDrawn(id);
    for (auto _ : state) {
        view::composeTable();
        benchmark::DoNotOptimize(view::tableImage.pixels.data());
    }
}
BENCHMARK_CAPTURE(BM_composeTable, 827, 827)->Name("composeTable/827");
BENCHMARK_CAPTURE(BM_composeTable, 700, 700)->Name("composeTable/700");

void BM_redrawMovedPile(benchmark::State& state) {
    if (!graphicsReady()) {
        state.SkipWithError("no pictures");
        return;
    }
    DrawingInstalled drawing;
    dealDrawn(827);
    // A carried group of 13 cards.
    resetPointerPlay();
    Pile* piles = currentGame->layout;
    Pile& source = piles[10];
    for (int i = 0; i < 6 && source.top; ++i) {
        // Gather cards onto one pile so that one lift takes thirteen of them.
        Pile& from = piles[4 + i];
        if (from.top) joinPiles(from, source);
    }
    for (Card* c = source.bottom; c; c = c->above) c->faceDown = kFaceUp;
    layoutPile(source);
    Card* thirteenth = cardAt(source, source.count - 13);
    liftGroup(source, *thirteenth);
    int step = 0;
    for (auto _ : state) {
        carriedPile.x = 100 + (step % 200);
        carriedPile.y = 100 + (step % 100);
        ++step;
        view::redrawMovedPile(carriedPile);
    }
    state.counters["cards"] = carriedPile.count;
}
BENCHMARK(BM_redrawMovedPile)->Name("redrawMovedPile/13");

void BM_loadPicture(benchmark::State& state) {
    if (!graphicsReady()) {
        state.SkipWithError("no pictures");
        return;
    }
    drawingHooks = DrawingHooks{};
    Surface out;
    for (auto _ : state) {
        bool ok = view::loadPictureNamed("LARGE.PCX", "LARGE.SCV", view::kLargeCardsWidth, view::kLargeCardsHeight, out);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_loadPicture)->Name("loadPicture/LARGE.PCX")->Unit(benchmark::kMicrosecond);

// The table of a 1920 x 1080 screen's maximized window: 1440 x 1080.
// composeTable at that size with its pictures made, and the same with the
// size changing every time (1440 x 1080 and 1413 x 1060, as a resize
// goes), so that every picture the table shows is made again.
void BM_composeTableAtSize(benchmark::State& state, bool newSize) {
    if (!graphicsReady()) {
        state.SkipWithError("no pictures");
        return;
    }
    DrawingInstalled drawing;
    art::installInTableDrawing();
    dealDrawn(827);
    int round = 0;
    view::setTableSize(1440, 1080);
    view::composeTable();
    for (auto _ : state) {
        if (newSize) {
            ++round;
            view::setTableSize(round % 2 ? 1413 : 1440, round % 2 ? 1060 : 1080);
        }
        view::composeTable();
        benchmark::DoNotOptimize(view::tableImage.pixels.data());
    }
    view::setTableSize(640, 480);
    view::cardArt = view::CardArt{};
}
BENCHMARK_CAPTURE(BM_composeTableAtSize, same, false)->Name("composeTable/827/1440x1080")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_composeTableAtSize, new, true)->Name("composeTable/827/newSize")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvat
