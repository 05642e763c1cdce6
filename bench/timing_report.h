// How the window's timing programs print what they measured: the median,
// 90th and 99th percentile and worst of a list of times in milliseconds.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

namespace korvat::bench {

// One line: `what`, the figures of `ms` and how many `units` (rounds,
// steps) they came from.
inline void reportTimes(const char* what, std::vector<double> ms, const char* units) {
    if (ms.empty()) {
        std::printf("%-16s no %s\n", what, units);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double q) {
        return ms[std::min(ms.size() - 1, static_cast<size_t>(q * static_cast<double>(ms.size())))];
    };
    std::printf("%-16s median %7.3f ms   90%% %7.3f ms   99%% %7.3f ms   worst %7.3f ms   (%zu %s)\n", what, at(0.5),
                at(0.9), at(0.99), ms.back(), ms.size(), units);
}

}  // namespace korvat::bench
