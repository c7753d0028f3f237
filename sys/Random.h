// The one random generator every part of the program draws from: a linear
// congruential generator with the C runtime's constants, so that seed 24
// gives the same world on every platform.
#pragma once
#include <cstdint>

extern uint32_t randomState;

// Starts the sequence again from seed.
void SeedRandom(uint32_t seed);
// Next value, 0..32767.
int32_t DrawRandom();
