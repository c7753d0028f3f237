// The world's state: the two cell volumes, the light table, the player's
// position and the scalar settings every subsystem reads. Plain globals with
// fixed initial values; the volumes and tables are allocated once at start-up.
#pragma once
#include <cstdint>

// DungeonMap cell values.
constexpr uint8_t CellEmpty = 0;
constexpr uint8_t CellSolid = 1;

// FlagMap cell values.
constexpr uint8_t FlagNone = 0;
constexpr uint8_t FlagCube = 1;
constexpr uint8_t FlagActor = 10;
constexpr uint8_t FlagAltTexture = 99;

// A coloured point light. A slot that nothing has set keeps the cell
// LightUnsetCell on every axis, far outside any world, so it is never selected.
struct Light {
    int32_t x, y, z;
    uint8_t red, green, blue;
    int32_t radius;
};
constexpr int32_t LightUnsetCell = INT32_MIN;
constexpr int ActiveLightSlots = 24;

extern uint8_t windowActive;
extern int32_t wallTexture;
extern int32_t screenScale;
extern int32_t worldSide;
extern int32_t worldLevels;
extern int32_t layerSize;
extern int32_t textureCapacity;
extern int32_t actorTries;
extern int32_t lightCapacity;
extern int32_t maxActiveLights;
extern int32_t SX, SY, SZ;
extern int32_t viewRadius;
extern float px, py, pz;
extern int32_t frameCounter;
extern int32_t activeLights[ActiveLightSlots];
extern int32_t activeLightCount;

extern uint8_t* DungeonMap;
extern uint8_t* FlagMap;
extern Light* Lights;

// Counts changes of DungeonMap and FlagMap: every writer of the volumes bumps
// it, so that what is derived from the cells can tell that it is out of date.
extern uint32_t volumeRevision;
// Records that cells of DungeonMap or FlagMap have changed.
inline void MarkVolumesChanged() { volumeRevision += 1; }

// Index of cell (x, y, z) in either volume: x fastest, then y, then z.
inline int32_t CellIndex(int32_t x, int32_t y, int32_t z) {
    return z * layerSize + y * worldSide + x;
}

// Cells in one volume at the current sizes.
inline int32_t VolumeCells() { return worldSide * worldSide * worldLevels; }

// Whether (x, y, z) lies inside the volume.
inline bool CellInVolume(int32_t x, int32_t y, int32_t z) {
    return x >= 0 && y >= 0 && z >= 0 && x < worldSide && y < worldSide && z < worldLevels;
}

// Allocates DungeonMap and FlagMap; their contents are set by RegenerateWorld.
void AllocateVolumes();
// Allocates Lights with every slot unset.
void AllocateLights();
// Marks every light slot as unset: no cell, no colour, radius 0.
void ClearLights();
