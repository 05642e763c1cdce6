#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "cli/commands.h"
#include "model/deck.h"
#include "model/gamelog.h"
#include "model/score.h"
#include "play/game.h"
#include "play/pointer.h"

namespace {
std::atomic<long> allocationCounter{0};
}

void* operator new(std::size_t size) {
    allocationCounter.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    allocationCounter.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    allocationCounter.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    allocationCounter.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace korvat::test {

long allocations() { return allocationCounter.load(std::memory_order_relaxed); }

void GameTest::SetUp() {
    // Tests may change the piles' rule codes; every test starts from the
    // layouts as compiled in, whatever ran before it in this process.
    reloadCatalogue();
    resetLog();
    lastScore = 0;
    carriedPile.bottom = carriedPile.top = nullptr;
    carriedPile.count = 0;
    sourcePile = dropTarget = nullptr;
    setPlatform(&headless);
    prefs = Preferences{};
    prefs.Sound = 0;
    // The card sounds draw from the effect generator; each test starts it
    // where a fresh process would, so a test plays the same alone or in a run.
    effectRandom = Generator{};
}

void GameTest::TearDown() { setPlatform(nullptr); }

void GameTest::deal(int commandId, uint32_t number) {
    selectGame(commandId);
    startGame(number);
}

void TableTest::emptyTable(int commandId, uint32_t number) {
    deal(commandId, number);
    for (Pile* p = currentGame->layout; p; p = p->next) {
        p->bottom = p->top = nullptr;
        layoutPile(*p);
    }
    nextSlot = 0;
}

Card& TableTest::put(Pile& p, int value, int faceDown) {
    Card& c = deck[static_cast<size_t>(nextSlot++)];
    c.value = value;
    c.faceDown = faceDown;
    c.below = c.above = nullptr;
    insertCardAbove(p, p.top, c);
    layoutPile(p);
    return c;
}

CliOutput runCli(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    CliOutput o{cli::run(args, out, err), {}, {}};
    for (auto [f, text] : {std::pair{out, &o.out}, std::pair{err, &o.err}}) {
        std::rewind(f);
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text->append(buf, n);
        std::fclose(f);
    }
    return o;
}

std::vector<int> values(const Pile& pile) {
    std::vector<int> v;
    for (Card* c = pile.bottom; c; c = c->above) v.push_back(c->value);
    return v;
}

std::vector<int> faceStates(const Pile& pile) {
    std::vector<int> v;
    for (Card* c = pile.bottom; c; c = c->above) v.push_back(c->faceDown);
    return v;
}

}  // namespace korvat::test
