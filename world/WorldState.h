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
// What the view has looked at or through: the open cells that lie on a line
// of sight from the eye, kept by column (x, y) a bit a level, in planes of
// 64 levels: bit z & 63 of word (z >> 6) * layerSize + y * worldSide + x,
// so that a column's levels near one another sit in one word. What the
// automap shows; kept in the seen file beside the map, never in the map file.
extern uint64_t* SeenCells;
// The trail: every cell the player has stood in on this world, a bit a cell
// by CellIndex (bit i & 7 of byte i >> 3). Kept with SeenCells.
extern uint8_t* TrailCells;

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

// The planes of SeenCells (64 levels each) and its size in bytes.
inline int32_t SeenPlanes() { return (worldLevels + 63) / 64; }
inline int64_t SeenCellBytes() { return static_cast<int64_t>(SeenPlanes()) * layerSize * 8; }
// The bytes of TrailCells.
inline int64_t TrailCellBytes() { return VolumeCells() / 8 + 1; }
// The word of SeenCells that holds level z of column (x, y).
inline uint64_t& SeenWord(int32_t x, int32_t y, int32_t z) {
    return SeenCells[static_cast<int64_t>(z >> 6) * layerSize + y * worldSide + x];
}
// Whether cell (x, y, z), inside the volume, has been seen.
inline bool CellSeen(int32_t x, int32_t y, int32_t z) { return (SeenWord(x, y, z) >> (z & 63)) & 1; }
// Records that cell (x, y, z), inside the volume, has been seen, when it is
// open (not CellSolid): rock is never seen, only looked at.
inline void MarkCellSeen(int32_t x, int32_t y, int32_t z) {
    if (DungeonMap[CellIndex(x, y, z)] != CellSolid) SeenWord(x, y, z) |= uint64_t{1} << (z & 63);
}
// Whether the player has stood in the cell of CellIndex index.
inline bool CellWalked(int32_t index) { return (TrailCells[index >> 3] >> (index & 7)) & 1; }
// Records the player's cell (SX, SY, SZ) in the trail, when it lies inside
// the volume.
void MarkPlayerCellWalked();

// Allocates DungeonMap, FlagMap, SeenCells and TrailCells; the volumes'
// contents are set by RegenerateWorld, nothing is seen or walked yet.
void AllocateVolumes();
// Forgets every cell seen and the trail: a new world is unexplored.
void ForgetSeenCells();
// Allocates Lights with every slot unset.
void AllocateLights();
// Marks every light slot as unset: no cell, no colour, radius 0.
void ClearLights();
