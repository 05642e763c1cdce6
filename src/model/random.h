// The program's random generator: a 32-bit linear congruential step.
#pragma once

#include <cstdint>

namespace korvat {

struct Generator {
    uint32_t state = 0;
    // Advances the state and returns a value 0..n-1.
    uint32_t operator()(uint32_t n) {
        state = state * 0xA15A4E35u + 1u;
        return state % n;
    }
};

}  // namespace korvat
