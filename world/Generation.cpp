// World generation and light scattering.
#include "world/Generation.h"

#include <cstring>

#include "world/Random.h"
#include "world/WorldState.h"

void RegenerateWorld(int32_t mode) {
    std::memset(DungeonMap, CellSolid, static_cast<size_t>(VolumeCells()));
    std::memset(FlagMap, FlagNone, static_cast<size_t>(VolumeCells()));
    SeedRandom(24);
    GenerateWorld(100000, mode);
}

void GenerateWorld(int32_t, int32_t) {}

void ScatterLights() {}
