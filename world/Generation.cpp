// World generation and light scattering.
//
// A world is a pure function of seed 24 and the mode: both volumes are
// refilled, the generator is reseeded, boxes (and in mode 1 corridors and
// shafts) are carved out of solid rock, and actors are marked in cells that
// are still solid. Every random draw happens in a fixed order; changing that
// order changes every world.
#include "world/Generation.h"

#include <algorithm>
#include <cstring>

#include "sys/Random.h"
#include "world/WorldState.h"

// Number of carvings every regeneration makes.
static constexpr int32_t carvingCount = 100000;
// Light slots the scatter places, and the tries it makes for each.
static constexpr int32_t scatteredLights = 128;
static constexpr int32_t scatterTries = 100;

// Empties every cell of the box (x0, y0, z0, w, h, d) that lies strictly
// inside the shell. The box is clipped once and each row along x is cleared
// with one store or one byte fill: the same cells as a cell-by-cell test,
// without the tests (a regeneration runs on every pass while '1' or '2' is
// held).
static void CarveBox(int32_t x0, int32_t y0, int32_t z0, int32_t w, int32_t h, int32_t d) {
    int32_t xFirst = std::max(x0, 1), xEnd = std::min(x0 + w, worldSide - 1);
    int32_t yFirst = std::max(y0, 1), yEnd = std::min(y0 + h, worldSide - 1);
    int32_t zFirst = std::max(z0, 1), zEnd = std::min(z0 + d, worldLevels - 1);
    if (xFirst >= xEnd || yFirst >= yEnd || zFirst >= zEnd) return;
    size_t run = static_cast<size_t>(xEnd - xFirst);
    for (int32_t z = zFirst; z < zEnd; z++) {
        uint8_t* row = DungeonMap + CellIndex(xFirst, yFirst, z);
        for (int32_t y = yFirst; y < yEnd; y++, row += worldSide) {
            if (run == 1) *row = CellEmpty;
            else std::memset(row, CellEmpty, run);
        }
    }
}

// Draws the three extents of a box, each 1..5, in the order w, h, d.
static void DrawExtents(int32_t& w, int32_t& h, int32_t& d) {
    w = DrawRandom() % 5 + 1;
    h = DrawRandom() % 5 + 1;
    d = DrawRandom() % 5 + 1;
}

// Draws a cell anywhere in the volume, in the order x, y, z.
static void DrawRandomCell(int32_t& x, int32_t& y, int32_t& z) {
    x = DrawRandom() % worldSide;
    y = DrawRandom() % worldSide;
    z = DrawRandom() % worldLevels;
}

// Draws one random box (extents, then corner) and carves it.
static void CarveRandomBox() {
    int32_t w, h, d, x, y, z;
    DrawExtents(w, h, d);
    DrawRandomCell(x, y, z);
    CarveBox(x, y, z, w, h, d);
}

// Draws one corridor along x or y or shaft along z (three wasted extent
// draws, the kind, then the corner) and carves it.
static void CarveRandomRun() {
    int32_t w, h, d, x, y, z;
    DrawExtents(w, h, d);  // drawn only to advance the generator
    switch (DrawRandom() % 3) {
    case 0:
        w = 1;
        h = 1;
        d = 18;
        break;
    case 1:
        w = 18;
        h = 1;
        d = 1;
        break;
    default:
        w = 1;
        h = 18;
        d = 1;
        break;
    }
    DrawRandomCell(x, y, z);
    CarveBox(x, y, z, w, h, d);
}

// Marks FlagActor in every drawn cell that is not open space; the shell is
// not excluded.
static void MarkActors() {
    for (int32_t i = 0; i < actorTries; i++) {
        int32_t x, y, z;
        DrawRandomCell(x, y, z);
        int32_t cell = CellIndex(x, y, z);
        if (DungeonMap[cell] != CellEmpty) FlagMap[cell] = FlagActor;
    }
}

void RegenerateWorld(int32_t mode) {
    std::memset(DungeonMap, CellSolid, static_cast<size_t>(VolumeCells()));
    std::memset(FlagMap, FlagNone, static_cast<size_t>(VolumeCells()));
    ForgetSeenCells();
    SeedRandom(24);
    GenerateWorld(carvingCount, mode);
}

void GenerateWorld(int32_t count, int32_t mode) {
    if (mode == 0) {
        for (int32_t i = 0; i < count; i++) CarveRandomBox();
    } else if (mode == 1) {
        int32_t boxes = (count / 3) * 2;
        for (int32_t i = 0; i < boxes; i++) CarveRandomBox();
        for (int32_t i = 0; i < count; i++) CarveRandomRun();
    }
    MarkActors();
    MarkVolumesChanged();
}

void ScatterLights() {
    int32_t slots = std::min(scatteredLights, lightCapacity);
    for (int32_t i = 0; i < slots; i++) {
        Light& light = Lights[i];
        for (int32_t t = 0; t < scatterTries; t++) {
            int32_t x = SX + DrawRandom() % 20 - 10;
            int32_t y = SY + DrawRandom() % 20 - 10;
            int32_t z = SZ + DrawRandom() % 20 - 10;
            // A candidate outside the volume is never looked up: it counts
            // as not empty.
            if (CellInVolume(x, y, z) && DungeonMap[CellIndex(x, y, z)] == CellEmpty) {
                light.x = x;
                light.y = y;
                light.z = z;
                break;
            }
        }
        light.red = static_cast<uint8_t>(DrawRandom() % 156 + 100);
        light.green = static_cast<uint8_t>(DrawRandom() % 156 + 100);
        light.blue = static_cast<uint8_t>(DrawRandom() % 156 + 100);
        light.radius = 5;
    }
}
