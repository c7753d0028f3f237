// The world's state: the two cell volumes, the light table, the player's
// position and the world's sizes. Plain globals with
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

// The six sides of a cell, in the order every table of sides follows:
// +z (the floor), -z (the ceiling), +y, -y, +x, -x. A side's opposite is
// side ^ 1.
constexpr int CellSides = 6;
// The step to the neighbour across each side.
constexpr int32_t SideSteps[CellSides][3] = {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
// The axis (0 x, 1 y, 2 z) each side faces along.
constexpr int SideAxes[CellSides] = {2, 2, 1, 1, 0, 0};

extern int32_t worldSide;
extern int32_t worldLevels;
extern int32_t layerSize;
extern int32_t actorTries;
extern int32_t lightCapacity;
extern int32_t SX, SY, SZ;
extern int32_t viewRadius;
extern float px, py, pz;
extern int32_t frameCounter;

extern uint8_t* DungeonMap;
extern uint8_t* FlagMap;
extern Light* Lights;
// What the 3D pass has drawn of the world so far, a bit a cell by CellIndex
// (bit i & 7 of byte i >> 3): what the automap shows. Kept in memory only,
// never in the map file.
extern uint8_t* SeenCells;

// Counts changes of DungeonMap and FlagMap: every writer of the volumes bumps
// it, so that what is derived from the cells can tell that it is out of date.
extern uint32_t volumeRevision;
// Records that cells of DungeonMap or FlagMap have changed.
inline void MarkVolumesChanged() { volumeRevision += 1; }

// Index of cell (x, y, z) in either volume: x fastest, then y, then z.
inline int32_t CellIndex(int32_t x, int32_t y, int32_t z) { return z * layerSize + y * worldSide + x; }

// Cells in one volume at the current sizes.
inline int32_t VolumeCells() { return worldSide * worldSide * worldLevels; }

// Whether (x, y, z) lies inside the volume.
inline bool CellInVolume(int32_t x, int32_t y, int32_t z) {
    return x >= 0 && y >= 0 && z >= 0 && x < worldSide && y < worldSide && z < worldLevels;
}

// Whether the cell of CellIndex index has been drawn (SeenCells).
inline bool CellSeen(int32_t index) { return (SeenCells[index >> 3] >> (index & 7)) & 1; }
// Records that the cell of CellIndex index has been drawn.
inline void MarkCellSeen(int32_t index) { SeenCells[index >> 3] |= static_cast<uint8_t>(1u << (index & 7)); }

// Allocates DungeonMap, FlagMap and SeenCells; the volumes' contents are set
// by RegenerateWorld, SeenCells starts with nothing seen.
void AllocateVolumes();
// Forgets every cell seen: a new world, or a map loaded, is unexplored.
void ForgetSeenCells();
// Allocates Lights with every slot unset.
void AllocateLights();
// Marks every light slot as unset: no cell, no colour, radius 0.
void ClearLights();
