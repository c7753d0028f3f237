// The shared generator's state after many draws, computed by composing its
// affine step instead of stepping, so that tests do not restate any loop of
// the code under test.
#pragma once
#include <cstdint>

// State after n draws starting from state.
inline uint32_t StateAfter(uint32_t state, uint64_t n) {
    uint32_t multiplier = 214013u, increment = 2531011u;  // the step x -> a x + c
    uint32_t totalMultiplier = 1u, totalIncrement = 0u;
    while (n) {
        if (n & 1) {
            totalMultiplier = totalMultiplier * multiplier;
            totalIncrement = totalIncrement * multiplier + increment;
        }
        increment = increment * multiplier + increment;
        multiplier = multiplier * multiplier;
        n >>= 1;
    }
    return totalMultiplier * state + totalIncrement;
}
