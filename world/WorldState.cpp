// The world's globals with their start-up values, and their allocation.
#include "world/WorldState.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int32_t worldSide = 256;
int32_t worldLevels = 256;
int32_t layerSize = worldSide * worldSide;
int32_t actorTries = 10000;
int32_t lightCapacity = 1024;
int32_t SX = 100, SY = 100, SZ = 100;
int32_t viewRadius = 12;
float px = 0.5f, py = 0.5f, pz = 0.5f;
int32_t frameCounter = 0;

uint8_t* DungeonMap = nullptr;
uint8_t* FlagMap = nullptr;
Light* Lights = nullptr;
uint64_t* SeenCells = nullptr;
uint8_t* TrailCells = nullptr;
uint32_t volumeRevision = 0;

static void* AllocateOrDie(size_t bytes, const char* what) {
    void* block = std::malloc(bytes);
    if (!block) {
        std::fprintf(stderr, "talvox: out of memory allocating %s (%zu bytes)\n", what, bytes);
        std::exit(1);
    }
    return block;
}

// The allocations happen once per process; a second call (tests start the
// explorer more than once) keeps the blocks it has.
void AllocateVolumes() {
    if (DungeonMap) return;
    size_t cells = static_cast<size_t>(VolumeCells());
    DungeonMap = static_cast<uint8_t*>(AllocateOrDie(cells, "DungeonMap"));
    FlagMap = static_cast<uint8_t*>(AllocateOrDie(cells, "FlagMap"));
    SeenCells = static_cast<uint64_t*>(AllocateOrDie(static_cast<size_t>(SeenCellBytes()), "SeenCells"));
    TrailCells = static_cast<uint8_t*>(AllocateOrDie(static_cast<size_t>(TrailCellBytes()), "TrailCells"));
    ForgetSeenCells();
}

void ForgetSeenCells() {
    std::memset(SeenCells, 0, static_cast<size_t>(SeenCellBytes()));
    std::memset(TrailCells, 0, static_cast<size_t>(TrailCellBytes()));
}

void MarkPlayerCellWalked() {
    if (!CellInVolume(SX, SY, SZ)) return;
    const int32_t index = CellIndex(SX, SY, SZ);
    TrailCells[index >> 3] |= static_cast<uint8_t>(1u << (index & 7));
}

void AllocateLights() {
    if (!Lights)
        Lights = static_cast<Light*>(AllocateOrDie(sizeof(Light) * static_cast<size_t>(lightCapacity), "Lights"));
    ClearLights();
}

void ClearLights() {
    for (int32_t i = 0; i < lightCapacity; i++)
        Lights[i] = Light{LightUnsetCell, LightUnsetCell, LightUnsetCell, 0, 0, 0, 0};
}
