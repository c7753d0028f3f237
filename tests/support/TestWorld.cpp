// The generator replayed with its own constants, cells written by hand, and
// odd cells scattered from a seed.
#include "tests/support/TestWorld.h"

#include <random>

#include "world/WorldState.h"

uint32_t StateAfter(uint32_t state, uint64_t n) {
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

int32_t ReplayDraw(uint32_t* state) {
    *state = StateAfter(*state, 1);
    return static_cast<int32_t>((*state >> 16) & 0x7FFF);
}

Box ReplayBox(uint32_t* state) {
    Box b{};
    b.w = ReplayDraw(state) % 5 + 1;
    b.h = ReplayDraw(state) % 5 + 1;
    b.d = ReplayDraw(state) % 5 + 1;
    b.x = ReplayDraw(state) % worldSide;
    b.y = ReplayDraw(state) % worldSide;
    b.z = ReplayDraw(state) % worldLevels;
    return b;
}

void SetCell(int32_t x, int32_t y, int32_t z, uint8_t code) {
    DungeonMap[CellIndex(x, y, z)] = code;
    MarkVolumesChanged();
}

void FillCells(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1, uint8_t code) {
    for (int32_t z = z0; z <= z1; z++)
        for (int32_t y = y0; y <= y1; y++)
            for (int32_t x = x0; x <= x1; x++) DungeonMap[CellIndex(x, y, z)] = code;
    MarkVolumesChanged();
}

void ScatterOddCells(uint32_t seed, int32_t share) {
    std::mt19937 random(seed);
    const int64_t inner = static_cast<int64_t>(worldSide - 2) * (worldSide - 2) * (worldLevels - 2);
    auto innerCell = [&] {
        const int32_t x = 1 + static_cast<int32_t>(random() % static_cast<uint32_t>(worldSide - 2));
        const int32_t y = 1 + static_cast<int32_t>(random() % static_cast<uint32_t>(worldSide - 2));
        const int32_t z = 1 + static_cast<int32_t>(random() % static_cast<uint32_t>(worldLevels - 2));
        return CellIndex(x, y, z);
    };
    const uint8_t flags[3] = {FlagCube, FlagActor, FlagAltTexture};
    for (int64_t i = 0; i < inner / share; i++) {
        DungeonMap[innerCell()] = static_cast<uint8_t>(2 + random() % 254);
        FlagMap[innerCell()] = flags[random() % 3];
    }
    MarkVolumesChanged();
}
