// Shared test helpers: a headless platform installed per test, a heap
// allocation counter, and small views of the table.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "model/drawing.h"
#include "model/deck.h"
#include "model/preferences.h"
#include "model/records.h"
#include "shell/headless_platform.h"

namespace korvat::test {

// Heap allocations made by operator new in this process so far.
long allocations();

class GameTest : public ::testing::Test {
protected:
    HeadlessPlatform headless;
    void SetUp() override;
    void TearDown() override;
    // Selects the game with that command id and deals the number.
    void deal(int commandId, uint32_t number);
};

// A game dealt and then emptied, so that a test can lay out the cards it
// needs on the game's own piles (whose rule codes it may change).
class TableTest : public GameTest {
protected:
    void emptyTable(int commandId = 827, uint32_t number = 0);
    // Puts a card of that value on top of the pile, from an unused deck slot.
    Card& put(Pile& pile, int value, int faceDown = 0);
    Pile& pile(int index) { return *pileAt(index); }
    int nextSlot = 0;
};

// One run of korvat-cli in this process: its exit status and what it wrote.
struct CliOutput {
    int status;
    std::string out, err;
};
CliOutput runCli(const std::vector<std::string>& args);

// Values of a pile from bottom to top.
std::vector<int> values(const Pile& pile);
// Face-down states of a pile from bottom to top.
std::vector<int> faceStates(const Pile& pile);

}  // namespace korvat::test
