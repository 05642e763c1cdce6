// The tables of the current deal's history, as Undo would bring them back:
// the table on the screen with the undo entries taken back one action at a
// time. What "Where did it go wrong?" and korvat-cli's review look over.
#pragma once

#include <vector>

#include "core/table.h"

namespace korvat {

struct DealHistory {
    // tables[k] is the table after `first` + k actions; the last one is the
    // table on the screen. `first` is 0 unless the undo entries before it
    // do not match the table (or were lost when the buffer filled up).
    int first = 0;
    std::vector<core::Table> tables;
};

// Empty while cards are carried or with no game.
DealHistory dealHistory();

}  // namespace korvat
