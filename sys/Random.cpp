// The shared generator: state × 214013 + 2531011, result bits 16 to 30.
#include "sys/Random.h"

uint32_t randomState = 1;

void SeedRandom(uint32_t seed) { randomState = seed; }

int32_t DrawRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int32_t>((randomState >> 16) & 0x7FFF);
}
