// The history the timings read: `rows` finished deals over every game, most
// of them Klondike's, one every ten minutes, two in three won.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "store/history.h"

namespace korvat::bench {

// Writes them into the history at `path`; false when it cannot.
inline bool writeSampleHistory(const std::string& path, int rows) {
    history::Database db;
    std::string error;
    if (db.open(path, 1000, error) != history::Outcome::Done) return false;
    std::vector<history::DealRow> deals(static_cast<size_t>(rows));
    std::vector<history::DealRow*> pointers;
    for (int i = 0; i < rows; ++i) {
        history::DealRow& r = deals[static_cast<size_t>(i)];
        r.game = i % 7 == 0 ? gameCatalogue()[static_cast<size_t>(i % kGameCount)].commandId : 827;
        r.number = static_cast<uint32_t>(i) * 2654435761u;
        r.three = r.unlimit = r.hint = r.demo = r.undo = 0;
        r.started = 1'600'000'000'000 + int64_t{i} * 600'000;
        r.ended = r.started + 300'000;
        r.timeMs = 300'000 - i % 1000;
        r.moves = 100 + i % 50;
        r.won = i % 3 != 0;
        r.finish = r.won ? history::Finish::Won : history::Finish::Left;
        pointers.push_back(&r);
    }
    return db.write(pointers, error) == history::Outcome::Done;
}

}  // namespace korvat::bench
